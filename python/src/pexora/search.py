"""Searching one picture for another."""

from __future__ import annotations

import contextlib
import ctypes
from collections.abc import Callable
from dataclasses import dataclass
from typing import Any, Literal

from . import _options
from . import _records as r
from ._exit_guard import CALLS
from ._library import LIBRARY, check
from .picture import Picture, Source


@dataclass(frozen=True, slots=True)
class Match:
    """Where the searched-for picture lies: its top-left corner (``x``, ``y``)
    in the searched picture, the matched area's ``width`` and ``height``, the
    number of pixels that differ beyond the tolerances (``difference``) and
    the share of compared pixels that do not, in percent (``percentage``)."""

    x: int
    y: int
    width: int
    height: int
    difference: int
    percentage: float


class _Progress:
    """Hands the library's progress reports to a Python callable.

    The library cannot be stopped from a callback, so an exception raised by
    the callable is kept, the callable is not called again, and the search
    raises it once the library has returned.
    """

    def __init__(self, progress: Callable[[float], object]) -> None:
        self._progress = progress
        self.error: BaseException | None = None
        self.callback = r.TPXStatusCallback(self._report)

    def _report(self, percent: float, status_type: int, _user: Any) -> None:
        if self.error is not None or status_type != r.PX_STATUS_PROGRESS or CALLS.exiting:
            return
        try:
            self._progress(percent)
        except BaseException as error:  # even KeyboardInterrupt must not be lost
            self.error = error


def _picture(source: Source, pictures: contextlib.ExitStack) -> Picture:
    if isinstance(source, Picture):
        return source
    return pictures.enter_context(Picture(source))


def _size(picture: Picture) -> str:
    return "{}x{}".format(*picture.size)


def find(
    search_in: Source,
    search_for: Source,
    *,
    model: Literal["exact", "argb", "ahsl"] = "argb",
    alpha: bool = False,
    tolerance: float | tuple[float, float, float, float] | None = None,
    difference: int | str | None = None,
    stretch_min: tuple[int, int] | None = None,
    stretch_max: tuple[int, int] | None = None,
    stretch_filter: str = "bilinear",
    region: tuple[int, int, int, int] | None = None,
    min_percentage: float = 0.0,
    max_matches: int = 0,
    multiple: bool = True,
    threads: Literal["all", 1] = "all",
    progress: Callable[[float], object] | None = None,
) -> list[Match]:
    """Where ``search_for`` lies in ``search_in``: the matches, best first.

    Each picture is a file path, an RGB(A) uint8 array of shape (height,
    width, 3 or 4), or a Picture (pictures made here from paths and arrays are
    released before this returns).

    Options:

    - ``model``: how pixels compare: ``"exact"``, ``"argb"`` (per-channel
      tolerances 0..255) or ``"ahsl"`` (alpha, hue, saturation and lightness
      tolerances 0..1).
    - ``tolerance``: one number for all four channels or four (A, R, G, B or
      A, H, S, L); 15 for argb and 0.5 for ahsl unless given.
    - ``alpha``: the search-for picture's alpha is a mask (argb or ahsl):
      transparent pixels take no part, half-transparent ones count less.
    - ``difference``: how many of the compared pixels of a match may differ
      beyond the tolerances: a whole number of pixels (the library's
      DifferenceTolerance) or a share of them as a text, ``"5%"`` (0..100,
      at most three decimals), which keeps the matches whose percentage is at
      least 100 minus the share (so 20 of 400 pixels for ``"5%"``, and each
      stretched size its own count). A float is refused: write the share as
      ``"5%"``. Unless given: none (0) for exact, ``"1%"`` for argb and
      ahsl.
    - ``stretch_min``, ``stretch_max``: also search for the search-for
      picture stretched, aspect ratio kept, to sizes (width, height) from one
      to the other (1 x 1 and 8192 x 8192 when only one is given);
      ``stretch_filter``: box, bicubic, bilinear, bspline, catmullrom or
      lanczos3.
    - ``region``: (x, y, width, height), search only there; positions stay
      the whole picture's.
    - ``min_percentage``: only matches of at least this percentage (0..100).
    - ``max_matches``: at most this many, the best; 0 for all.
    - ``multiple``: False for the best match only.
    - ``threads``: ``"all"`` hardware threads or ``1``.
    - ``progress``: called on this thread with the percentage done, 0 to 100;
      an exception it raises is raised here once the search is over.

    A value of the wrong kind raises TypeError, one out of range ValueError,
    and whatever the library refuses PexoraError.

    >>> find("samples/SearchIn2.jpg", "samples/SearchFor2.jpg")
    [Match(x=397, y=249, width=96, height=72, difference=22, percentage=99.68171296296296)]
    >>> find("samples/SearchIn2.jpg", "samples/SearchFor2.jpg", region=(0, 0, 300, 300))
    []
    >>> best = find("samples/SearchInAlphaStretched.PNG", "samples/SearchForAlpha.png",
    ...             alpha=True, stretch_min=(20, 20), stretch_max=(100, 100), difference=45)[0]
    >>> best.x, best.y, best.width, best.height
    (297, 131, 80, 80)
    """
    report = _Progress(callback) if (callback := _options.progress_callable(progress)) else None
    parameters = _options.process_parameters(
        model=model,
        alpha=alpha,
        tolerance=tolerance,
        difference=difference,
        stretch_min=stretch_min,
        stretch_max=stretch_max,
        stretch_filter=stretch_filter,
        multiple=multiple,
        threads=threads,
        status_callback=report.callback if report else None,
    )
    _, least_percentage = _options.difference_tolerance(model.lower(), difference)
    options = _options.search_options(
        region=region, min_percentage=min_percentage, max_matches=max_matches, least_percentage=least_percentage
    )
    with contextlib.ExitStack() as pictures:
        picture_in = _picture(search_in, pictures)
        picture_for = _picture(search_for, pictures)
        result = r.TPXResult()
        with CALLS.running():
            code = LIBRARY.Pexora_Compare(
                picture_in._searchable_record(), picture_for._searchable_record(), parameters, ctypes.byref(result),
                ctypes.byref(options),
            )
        try:
            found = max(result.MatchCount, 0) if result.Success and result.Matches else 0
            matches = [
                Match(m.Position.X, m.Position.Y, m.Dimensions.Width, m.Dimensions.Height, m.Difference,
                      m.MatchPercentage)
                for m in result.Matches[:found]
            ]
        finally:
            LIBRARY.Pexora_FreeResult(ctypes.byref(result))
    if report is not None and report.error is not None:
        raise report.error
    check(
        code,
        f"cannot search for {picture_for._name} ({_size(picture_for)}) in {picture_in._name} ({_size(picture_in)})",
    )
    return matches
