"""What a Picture pickles to, and the Picture made again from it.

The library keeps no pixels a caller can read back, so a Picture keeps what
it was made from: a picture from an array keeps its ARGB words (4 bytes a
pixel), one from a file its path, whose content is read when the Picture is
pickled. Both pickle with the creation parameters (resampling), and are
loaded again by the library where they are unpickled, in another process or
on another machine: the same picture, searched the same way.
"""

from __future__ import annotations

import os
import tempfile
from typing import Any

# A picture from a file: its path, whose content goes with the name it had.
FILE = "file"
# A picture from a file's content: the name and the content.
CONTENT = "content"
# A picture from an array: its pixels, an RGBA array.
PIXELS = "pixels"


def file_content(path: str) -> bytes:
    with open(path, "rb") as file:
        return file.read()


def picture_from_content(content: bytes, name: str, resample: Any, resample_filter: str) -> Any:
    """A Picture that the library loads from a file's ``content``, shown under ``name``."""
    from .errors import PexoraError
    from .picture import Picture

    suffix = os.path.splitext(name)[1]
    with tempfile.NamedTemporaryFile(prefix="pexora-", suffix=suffix) as file:
        file.write(content)
        file.flush()
        try:
            picture = Picture(file.name, resample, resample_filter=resample_filter)
        except PexoraError as error:  # about the file, not about where it was put
            code = int(error.code)
            raise PexoraError(f"cannot load {name!r}: {error.text} (code {code})", code, error.text, name) from None
    picture._name = repr(name)
    picture._kept = (CONTENT, (name, content))
    return picture


def pickled(kind: str, kept: Any) -> tuple[str, Any]:
    """What a Picture that keeps ``kept`` of ``kind`` pickles to."""
    if kind == FILE:
        return CONTENT, (kept, file_content(kept))
    if kind == PIXELS:
        return PIXELS, rgba_of(kept)
    return kind, kept


def rgba_of(words: Any) -> Any:
    """The RGBA array of ARGB words laid out as ``_pixels.argb_words`` does."""
    from . import _pixels

    return words[..., list(_pixels._BYTE_OF)]


def restore(kind: str, source: Any, size: tuple[int, int], resample: Any, resample_filter: str) -> Any:
    """The Picture that ``Picture.__reduce__`` described."""
    from .picture import Picture

    if kind == CONTENT:
        name, content = source
        picture = picture_from_content(content, name, resample, resample_filter)
    else:
        picture = Picture(source, resample, resample_filter=resample_filter)
    if picture.original_size != tuple(size):
        picture.close()
        raise ValueError(f"the picture {picture._name} is no longer the one pickled: its file changed")
    return picture
