"""A picture the search library holds: loaded once, searched many times."""

from __future__ import annotations

import ctypes
import os
import weakref
from typing import Any, Protocol, Union

from . import _options, _pickling, _pixels
from . import _records as r
from ._exit_guard import CALLS
from ._library import LIBRARY, check


class SupportsArray(Protocol):
    """What NumPy reads as an array (``__array_interface__`` and
    ``__array_struct__`` work too, a Pillow image's for one)."""

    def __array__(self) -> Any: ...


#: What can be searched in or for: a file path, an RGB(A) uint8 array, or a Picture.
Source = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]", SupportsArray, "Picture"]


def _free(record: r.TPXObject) -> None:
    LIBRARY.Pexora_FreeObject(ctypes.byref(record))


def _utf16_name(path: str) -> ctypes.Array[ctypes.c_char]:
    # Unpaired surrogates (from undecodable bytes) pass through; the library
    # refuses them as a name it cannot load.
    return ctypes.create_string_buffer(path.encode("utf-16-le", "surrogatepass") + b"\0\0")


def file_path(source: Any) -> str | None:
    """The path that ``source`` names, or None when it is no path."""
    if not isinstance(source, (str, bytes, os.PathLike)):
        return None
    path = os.fsdecode(os.fspath(source))
    if "\0" in path:
        raise ValueError(f"embedded null character in path {path!r}")
    return path


class Picture:
    """A picture loaded by the search library, to search in or to search for.

    ``source`` is a file path (PNG, JPEG, BMP, GIF or TIFF) or an array of
    shape (height, width, 3) or (height, width, 4), dtype uint8, in RGB(A)
    order. ``resample=(width, height)`` resamples it when it is loaded, with
    ``resample_filter`` (box, bicubic, bilinear, bspline, catmullrom or
    lanczos3). The library's copy is released by ``close()``, at the end of a
    ``with`` block, or when the Picture is garbage-collected.

    >>> with Picture("samples/SearchInResample.jpg", resample=(100, 100)) as picture:
    ...     picture
    <pexora.Picture 'samples/SearchInResample.jpg' 100x100 (loaded 400x300)>
    >>> picture.closed
    True
    """

    def __init__(self, source: Source, resample: tuple[int, int] | None = None, *, resample_filter: str = "bilinear"):
        if isinstance(source, Picture):
            raise TypeError("source: already a Picture; use it as it is")
        parameters = _options.create_parameters(resample, resample_filter)
        self._creation = (resample, resample_filter)
        record = r.TPXObject()
        path = file_path(source)
        if path is not None:
            self._name = repr(path)
            self._kept: tuple[str, Any] = (_pickling.FILE, path)
            name = _utf16_name(path)
            record.FileName = ctypes.addressof(name)
            with CALLS.running():
                code = LIBRARY.Pexora_CreateObject(ctypes.byref(record), parameters)
            record.FileName = None
        elif _pixels.is_array(source):
            array, width, height = _pixels.array_size(source)
            self._name = f"<array {width}x{height}>"
            if width * height > r.MAX_PIXELS:  # refused before a copy of that size is made
                code = r.PX_ERROR_NOT_ENOUGH_MEMORY
            else:
                words = _pixels.argb_words(array)
                self._kept = (_pickling.PIXELS, words)
                with CALLS.running():
                    code = LIBRARY.Pexora_CreateObjectFromPixels(
                        ctypes.byref(record), width, height, 4 * width, words.ctypes.data, parameters
                    )
        else:
            raise TypeError(
                f"source: expected a file path, an RGB(A) array or a pexora.Picture, got {type(source).__name__}"
            )
        check(code, f"cannot load {self._name}", path)
        self._record = record
        self._release = weakref.finalize(self, _free, record)

    @classmethod
    def from_screen(
        cls, window: int | None = None, resample: tuple[int, int] | None = None, *, resample_filter: str = "bilinear"
    ) -> Picture:
        """A capture of the screen of the X display that ``DISPLAY`` names, or
        of one window (its XID, as ``xwininfo`` or ``xdotool`` print it), as
        the screen shows it; positions found in it are the window's own.
        Parts of a window outside the screen are transparent and match no
        opaque picture. Raises PexoraError: ``NOT_AVAILABLE`` without a
        display, ``LOADING`` for a window that does not exist or is not shown.
        """
        if window is not None:
            window = _options.whole("window", window, 1, 2**32 - 1)
        parameters = _options.create_parameters(resample, resample_filter)
        record = r.TPXObject()
        record.ImageObject = window or None
        name = "<screen>" if window is None else f"<window {window:#x}>"
        with CALLS.running():
            code = LIBRARY.Pexora_CreateObjectFromBitmapHandle(ctypes.byref(record), parameters)
        check(code, f"cannot capture {name[1:-1]}")
        picture = cls.__new__(cls)
        picture._name = name
        picture._record = record
        picture._release = weakref.finalize(picture, _free, record)
        return picture

    @property
    def closed(self) -> bool:
        """Whether the library's copy has been released."""
        return not self._release.alive

    def close(self) -> None:
        """Releases the library's copy; later searches with this picture raise ValueError."""
        self._release()

    def __enter__(self) -> Picture:
        return self

    def __exit__(self, *exc_info: object) -> None:
        self.close()

    @property
    def size(self) -> tuple[int, int]:
        """(width, height) as searched, after any resampling."""
        d = self._record.ProcessedDimensions
        return d.Width, d.Height

    @property
    def original_size(self) -> tuple[int, int]:
        """(width, height) as loaded, before any resampling."""
        d = self._record.OriginalDimensions
        return d.Width, d.Height

    def _searchable_record(self) -> r.TPXObject:
        """The library's record of this picture, for a search."""
        if self.closed:
            raise ValueError(f"the picture {self._name} is closed")
        return self._record

    def __repr__(self) -> str:
        state = "closed" if self.closed else "x".join(map(str, self.size))
        if not self.closed and self.original_size != self.size:
            state += " (loaded {}x{})".format(*self.original_size)
        return f"<pexora.Picture {self._name} {state}>"

    def __reduce__(self) -> Any:
        """A picture pickles to its pixels (from an array) or its file's content
        (read now), with its resampling; unpickled, the library loads it anew."""
        if self.closed:
            raise ValueError(f"the picture {self._name} is closed")
        return _pickling.restore, (*_pickling.pickled(*self._kept), self.original_size, *self._creation)
