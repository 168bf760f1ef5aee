"""Searching one picture for another."""

from __future__ import annotations

import contextlib
import ctypes
import signal
import threading
from collections.abc import Callable, Iterator
from types import FrameType
from dataclasses import dataclass
from typing import Any, Literal, Protocol

from . import _options
from . import _records as r
from ._exit_guard import CALLS
from ._library import LIBRARY, check, error_text, library_version
from .errors import SearchStopped, SearchTimedOut
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

    An exception raised by the callable is kept, the callable is not called
    again, and the search raises it once the library has returned (the
    search runs on: ``stop`` is what stops it).
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


class StopEvent(Protocol):
    """What ``stop`` takes: a threading.Event, or anything with ``is_set()``."""

    def is_set(self) -> bool: ...


class _Interrupt:
    """The library's interrupt callback: asked on this thread every few
    milliseconds while the library searches, whether to stop.

    The library runs without the interpreter lock, so Python's handler of
    Ctrl-C cannot run until it returns. While a search runs on the main
    thread, a handler of this class takes its place and notes the signal;
    the callback then hands it to the handler it replaced, and an exception
    from that one (the default handler's KeyboardInterrupt) stops the search
    and is raised once the library has returned.
    """

    def __init__(self, stop: StopEvent | None) -> None:
        self._stop = stop
        self.error: BaseException | None = None
        self.stopped = False
        self._previous: Callable[[int, FrameType | None], Any] | None = None
        self._pending: tuple[int, FrameType | None] | None = None
        self.callback = r.TPXInterruptCallback(self._ask)

    def _ask(self, _user: Any) -> int:
        if self.error is not None or self.stopped:
            return 1
        try:
            self._deliver()
            if self._stop is not None and self._stop.is_set():
                self.stopped = True
                return 1
        except BaseException as error:  # KeyboardInterrupt above all
            self.error = error
            return 1
        return 0

    def _caught(self, signum: int, frame: FrameType | None) -> None:
        self._pending = (signum, frame)

    def _deliver(self) -> None:
        """Hands a caught signal to the handler it was caught for."""
        if self._pending is not None and self._previous is not None:
            signum, frame = self._pending
            self._pending = None
            self._previous(signum, frame)

    @contextlib.contextmanager
    def catching_ctrl_c(self) -> Iterator[None]:
        """Catches SIGINT for the search where Python handles it (on the main
        thread, with a handler of Python's), handing it on as it comes."""
        previous = None
        if threading.current_thread() is threading.main_thread():
            previous = signal.getsignal(signal.SIGINT)
        if not callable(previous):  # ignored, the system's default, or not Python's
            yield
            return
        self._previous = previous
        signal.signal(signal.SIGINT, self._caught)
        try:
            yield
        finally:
            signal.signal(signal.SIGINT, previous)
            self._deliver()


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
    timeout: float | None = None,
    stop: StopEvent | None = None,
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
    - ``timeout``: seconds the search (not the loading of the pictures) may
      take; past them it stops and TimeoutError is raised.
    - ``stop``: a threading.Event (or anything with ``is_set()``); once
      another thread sets it, the search stops and raises SearchStopped.

    Ctrl-C stops a search (within some milliseconds) and raises
    KeyboardInterrupt, as anywhere else in Python.

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
    stop = _options.stop_event(stop)
    # 1.0's library has no interrupt and no time limit: its searches run to their end.
    stoppable = library_version() >= (1, 1, 0)
    if not stoppable and (timeout is not None or stop is not None):
        raise ValueError("timeout, stop: the library is older than 1.1, which can stop a search")
    options = _options.search_options(
        region=region,
        min_percentage=min_percentage,
        max_matches=max_matches,
        least_percentage=least_percentage,
        timeout=timeout,
        stopping=stoppable,
    )
    interrupt = _Interrupt(stop)
    if stoppable:
        options.InterruptCallback = interrupt.callback
    with interrupt.catching_ctrl_c(), contextlib.ExitStack() as pictures:
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
    if interrupt.error is not None:
        raise interrupt.error
    if report is not None and report.error is not None:
        raise report.error
    doing = f"cannot search for {picture_for._name} ({_size(picture_for)}) in {picture_in._name} ({_size(picture_in)})"
    if code == r.PX_ERROR_TIME_LIMIT:
        raise SearchTimedOut(f"{doing}: the search took longer than its time limit of {timeout:g} s", code,
                             error_text(code))
    if code == r.PX_ERROR_STOPPED and interrupt.stopped:
        raise SearchStopped(f"{doing}: stopped, since stop was set", code, error_text(code))
    check(code, doing)
    return matches
