"""Arrays of RGB(A) bytes made into the library's 32-bit ARGB words.

NumPy is imported only here, when an array is given: files and pictures need
no NumPy.
"""

from __future__ import annotations

import sys
from typing import Any

# Where R, G, B and A go in a 0xAARRGGBB word laid out in memory.
_BYTE_OF = {"little": (2, 1, 0, 3), "big": (1, 2, 3, 0)}[sys.byteorder]


def is_array(source: Any) -> bool:
    """Whether ``source`` offers NumPy's array protocols."""
    return any(hasattr(source, name) for name in ("__array__", "__array_interface__", "__array_struct__"))


def array_size(source: Any) -> tuple[Any, int, int]:
    """The array of ``source`` with its width and height, or ValueError.

    The array must have the shape (height, width, 3) or (height, width, 4) and
    the dtype uint8.
    """
    import numpy

    array = numpy.asarray(source)
    if array.dtype != numpy.uint8:
        raise ValueError(f"expected an array of dtype uint8, got dtype {array.dtype}")
    if array.ndim != 3 or array.shape[2] not in (3, 4):
        raise ValueError(
            f"expected an array of shape (height, width, 3) for RGB or (height, width, 4) for RGBA, "
            f"got shape {array.shape}"
        )
    height, width = array.shape[:2]
    if width < 1 or height < 1:
        raise ValueError(f"expected a picture of at least 1 x 1 pixels, got shape {array.shape}")
    return array, width, height


def argb_words(array: Any) -> Any:
    """A C-contiguous (height, width, 4) uint8 copy of an RGB(A) array, each
    pixel one 0xAARRGGBB word in the machine's byte order (opaque for RGB)."""
    import numpy

    height, width, channels = array.shape
    words = numpy.empty((height, width, 4), numpy.uint8)
    red, green, blue, alpha = _BYTE_OF
    words[..., red] = array[..., 0]
    words[..., green] = array[..., 1]
    words[..., blue] = array[..., 2]
    words[..., alpha] = array[..., 3] if channels == 4 else 255
    return words
