"""The error that the search library reports, with its code and text."""

from __future__ import annotations

import enum


class ErrorCode(enum.IntEnum):
    """The library's result codes other than success (``PX_ERROR_...``)."""

    UNKNOWN = 1
    NOT_ENOUGH_MEMORY = 2
    LOADING = 3
    OBJECT = 4
    DIMENSIONS = 5
    NOT_AVAILABLE = 6
    INVALID_PARAMETER = 7
    STOPPED = 8
    TIME_LIMIT = 9


class PexoraError(Exception):
    """The search library refused a call.

    ``code`` is the library's result code (an ``ErrorCode``, or a plain ``int``
    for a code this package does not know), ``text`` the library's own text
    for it, and ``filename`` the picture file concerned, where there is one.
    """

    def __init__(self, message: str, code: int, text: str, filename: str | None = None) -> None:
        super().__init__(message, code, text, filename)
        try:
            self.code: ErrorCode | int = ErrorCode(code)
        except ValueError:
            self.code = code
        self.text = text
        self.filename = filename

    def __str__(self) -> str:
        return str(self.args[0])


class SearchStopped(PexoraError):
    """A search that the ``stop`` event passed to ``find`` ended early."""


class SearchTimedOut(PexoraError, TimeoutError):
    """A search that passed the ``timeout`` given to ``find``.

    A TimeoutError, as ``find`` promises, and a PexoraError with the code
    ``TIME_LIMIT``, so that ``find_many`` reports it for its picture alone.
    """

    def __reduce__(self) -> tuple[type, tuple[str, int, str, str | None]]:
        # OSError keeps only two of the arguments; the copy needs all four.
        return (type(self), (str(self.args[0]), int(self.code), self.text, self.filename))
