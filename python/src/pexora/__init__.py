"""Image search with libpexora: where one picture lies in another.

``find`` searches a picture for another and returns the matches, best first;
``Picture`` loads a picture once for many searches; ``find_many`` searches for
one picture in many, several at once; ``Picture.from_screen`` captures the X
screen or one window, and ``locate_on_screen``, ``wait_for`` and
``wait_until_gone`` search captures of it. Pictures are file paths
(PNG, JPEG, BMP, GIF, TIFF) or RGB(A) uint8 arrays such as NumPy's.

>>> import pexora
>>> for match in pexora.find("samples/SearchIn2.jpg", "samples/SearchFor2.jpg"):
...     print(match.x, match.y, match.width, match.height, match.difference)
397 249 96 72 22

The search library is ``libpexora.so.1``, found as the system finds shared
libraries (``LD_LIBRARY_PATH``, the folders ``ldconfig`` knows), or the file
named by the environment variable ``PEXORA_LIBRARY``.
"""

from ._library import library_version
from .errors import ErrorCode, PexoraError, SearchStopped, SearchTimedOut
from .many import find_many
from .picture import Picture
from .screen import locate_on_screen, wait_for, wait_until_gone
from .search import Match, find

__version__ = "1.0.0"
__all__ = [
    "ErrorCode",
    "Match",
    "PexoraError",
    "Picture",
    "SearchStopped",
    "SearchTimedOut",
    "find",
    "find_many",
    "library_version",
    "locate_on_screen",
    "wait_for",
    "wait_until_gone",
]

# Shown, and pickled, as pexora.PexoraError and so on, where they are imported from.
for _public in (ErrorCode, Match, PexoraError, Picture, SearchStopped, SearchTimedOut):
    _public.__module__ = __name__
del _public
