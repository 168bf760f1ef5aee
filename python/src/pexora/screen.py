"""Searching the screen: in a fresh capture, or in captures until a picture
appears or goes."""

from __future__ import annotations

import time
from typing import Any

from .picture import Picture, Source
from .search import Match, find


def locate_on_screen(search_for: Source, *, window: int | None = None, **options: Any) -> list[Match]:
    """Where ``search_for`` lies on the screen (or in ``window``, an XID):
    ``find`` in a fresh capture, with the options of ``find``; the matches,
    best first, in screen (window) coordinates, empty when there are none."""
    with Picture.from_screen(window) as shot:
        return find(shot, search_for, **options)


def _wait(
    search_for: Source, timeout: float, interval: float, gone: bool, window: int | None, options: dict[str, Any]
) -> list[Match]:
    if timeout < 0 or interval <= 0:
        raise ValueError("timeout: must be at least 0, interval: above 0")
    deadline = time.monotonic() + timeout
    owned = None if isinstance(search_for, Picture) else Picture(search_for)  # loaded once for every capture
    picture = owned if owned is not None else search_for
    assert isinstance(picture, Picture)
    try:
        while True:
            matches = locate_on_screen(picture, window=window, **options)
            if bool(matches) != gone:
                return matches
            pause = min(interval, deadline - time.monotonic())
            if pause <= 0:
                what = "still on the screen" if gone else "not on the screen"
                raise TimeoutError(f"{picture._name} is {what} after {timeout} s")
            time.sleep(pause)
    finally:
        if owned is not None:
            owned.close()


def wait_for(
    search_for: Source, timeout: float, interval: float = 0.1, *, window: int | None = None, **options: Any
) -> list[Match]:
    """Captures the screen (or ``window``) every ``interval`` seconds until
    ``search_for`` appears and returns its matches; raises TimeoutError once
    ``timeout`` seconds have passed without one. Options as for ``find``."""
    return _wait(search_for, timeout, interval, False, window, options)


def wait_until_gone(
    search_for: Source, timeout: float, interval: float = 0.1, *, window: int | None = None, **options: Any
) -> None:
    """Captures the screen (or ``window``) every ``interval`` seconds until no
    match of ``search_for`` remains; raises TimeoutError once ``timeout``
    seconds have passed with one still there. Options as for ``find``."""
    _wait(search_for, timeout, interval, True, window, options)
