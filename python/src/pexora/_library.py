"""Loads libpexora and declares its entry points.

The library is the file that the environment variable ``PEXORA_LIBRARY``
names, or else ``libpexora.so.1`` found by the system's usual search
(``LD_LIBRARY_PATH``, then the folders that ``ldconfig`` knows, where
``cmake --install`` puts it).
"""

from __future__ import annotations

import ctypes
import os
from collections.abc import Mapping
from ctypes import POINTER, c_char_p, c_int32, c_void_p

from . import _records as r
from .errors import PexoraError

ENVIRONMENT_VARIABLE = "PEXORA_LIBRARY"
SONAME = "libpexora.so.1"
SUPPORTED_MAJOR_VERSION = 1

# Entry point: (result type, argument types).
_PROTOTYPES = {
    "Pexora_CreateObject": (c_int32, [POINTER(r.TPXObject), r.TPXCreateObjectParameters]),
    "Pexora_CreateObjectFromPixels": (
        c_int32,
        [POINTER(r.TPXObject), c_int32, c_int32, c_int32, c_void_p, r.TPXCreateObjectParameters],
    ),
    "Pexora_CreateObjectFromBitmapHandle": (c_int32, [POINTER(r.TPXObject), r.TPXCreateObjectParameters]),
    "Pexora_FreeObject": (c_int32, [POINTER(r.TPXObject)]),
    "Pexora_Compare": (
        c_int32,
        [r.TPXObject, r.TPXObject, r.TPXProcessParameters, POINTER(r.TPXResult), POINTER(r.TPXSearchOptions)],
    ),
    "Pexora_FreeResult": (c_int32, [POINTER(r.TPXResult)]),
    "Pexora_GetVersion": (c_int32, []),
    "Pexora_GetErrorText": (c_char_p, [c_int32]),
}


def open_library(environ: Mapping[str, str]) -> ctypes.CDLL:
    """The library that ``environ`` leads to, its entry points declared.

    Raises ImportError, saying what was tried, when there is none or when it is
    not a 1.x library whose records this Python lays out as the library does.
    """
    named = environ.get(ENVIRONMENT_VARIABLE, "")
    try:
        library = ctypes.CDLL(named or SONAME)
    except OSError as error:
        if named:
            raise ImportError(f"{ENVIRONMENT_VARIABLE} names {named!r}, which cannot be loaded: {error}") from None
        raise ImportError(
            f"{SONAME} was not found ({error}). Install the search library (cmake --install, then "
            f"ldconfig), add its folder to LD_LIBRARY_PATH, or name the file in {ENVIRONMENT_VARIABLE}."
        ) from None
    where = named or SONAME
    for name, (result, arguments) in _PROTOTYPES.items():
        try:
            function = getattr(library, name)
        except AttributeError:
            raise ImportError(f"{where} is not libpexora 1.x: it has no {name}") from None
        function.restype = result
        function.argtypes = arguments
    major = library.Pexora_GetVersion() // 10000
    if major != SUPPORTED_MAJOR_VERSION:
        raise ImportError(f"{where} is libpexora {major}.x; this package works with {SUPPORTED_MAJOR_VERSION}.x")
    mismatches = r.layout_mismatches()
    if mismatches:
        raise ImportError("this Python lays out the library's records differently: " + "; ".join(mismatches))
    return library


LIBRARY = open_library(os.environ)


def library_version() -> tuple[int, int, int]:
    """The running library's version as (major, minor, patch).

    >>> library_version() >= (1, 0, 0)
    True
    """
    number = LIBRARY.Pexora_GetVersion()
    return number // 10000, number // 100 % 100, number % 100


def error_text(code: int) -> str:
    """The library's text for a result code."""
    text: bytes = LIBRARY.Pexora_GetErrorText(code)
    return text.decode("ascii", "replace")


def check(code: int, doing: str, filename: str | None = None) -> None:
    """Raises PexoraError for any code but PX_OK; ``doing`` says what failed."""
    if code != r.PX_OK:
        text = error_text(code)
        raise PexoraError(f"{doing}: {text} (code {code})", code, text, filename)
