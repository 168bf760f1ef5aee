"""Screen capture and screen search against a real X server (Xvfb), where a
real client (ImageMagick's display) shows a picture at a known place."""

from __future__ import annotations

import os
import re
import subprocess
import threading
import time
from pathlib import Path

import pytest
from conftest import random_rgb, xvfb
from PIL import Image

import pexora

SHOWN = random_rgb(90, 120, seed=5)
CROP = SHOWN[30:54, 40:72]  # 32 x 24 at (40, 30)
ELSEWHERE = random_rgb(24, 32, seed=6)


@pytest.fixture
def display(monkeypatch):
    """An Xvfb of its own, 640 x 480 at depth 24, named in DISPLAY."""
    with xvfb("-noreset") as name:
        monkeypatch.setenv("DISPLAY", name)
        yield name


class Shown:
    """SHOWN in a window of ImageMagick's display at (x, y) of the screen."""

    def __init__(self, folder: Path, x: int, y: int) -> None:
        path = folder / f"shown-{x}-{y}.png"
        Image.fromarray(SHOWN).save(path)
        title = f"pexora-test-{os.getpid()}-{x}-{y}"
        self.process = subprocess.Popen(
            ["display", "-geometry", f"+{x}+{y}", "-borderwidth", "0", "-title", title, str(path)],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        )
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$"],
                                   capture_output=True, text=True).stdout.split()
            if found:
                self.window = int(found[0])
                return
            time.sleep(0.05)
        self.close()
        raise AssertionError("display showed no window")

    def close(self) -> None:
        self.process.terminate()
        self.process.wait(timeout=60)


@pytest.fixture
def shown(display, tmp_path):
    """SHOWN at (200, 150), painted."""
    picture = Shown(tmp_path, 200, 150)
    try:
        pexora.wait_for(SHOWN, 20, model="exact")
        yield picture
    finally:
        picture.close()


def places(matches):
    return [(m.x, m.y, m.width, m.height, m.difference) for m in matches]


def test_the_screen_and_a_window_are_searched_in_their_own_coordinates(shown):
    with pexora.Picture.from_screen() as screen:
        assert screen.size == (640, 480)
        assert repr(screen) == "<pexora.Picture <screen> 640x480>"
        assert places(pexora.find(screen, CROP))[:1] == [(240, 180, 32, 24, 0)]
    assert places(pexora.locate_on_screen(CROP)) == [(240, 180, 32, 24, 0)]
    assert pexora.locate_on_screen(ELSEWHERE) == []
    assert pexora.locate_on_screen(CROP, region=(0, 0, 200, 200)) == []

    with pexora.Picture.from_screen(shown.window) as window:
        assert window.size == (120, 90)
        assert places(pexora.find(window, SHOWN, model="exact")) == [(0, 0, 120, 90, 0)]
    assert places(pexora.locate_on_screen(CROP, window=shown.window)) == [(40, 30, 32, 24, 0)]
    with pexora.Picture.from_screen(shown.window, resample=(60, 45)) as half:
        assert (half.size, half.original_size) == ((60, 45), (120, 90))


def test_wait_for_sees_a_picture_that_appears_later(display, tmp_path):
    later: list[Shown] = []
    timer = threading.Timer(1.0, lambda: later.append(Shown(tmp_path, 300, 100)))
    start = time.monotonic()
    timer.start()
    try:
        matches = pexora.wait_for(CROP, 10, interval=0.05)
        waited = time.monotonic() - start
    finally:
        timer.join()
        for picture in later:
            picture.close()
    assert places(matches) == [(340, 130, 32, 24, 0)]
    assert 1.0 <= waited < 10

    start = time.monotonic()
    with pytest.raises(TimeoutError, match="not on the screen after 0.5 s"):
        pexora.wait_for(ELSEWHERE, 0.5)
    assert 0.5 <= time.monotonic() - start < 3


def test_wait_until_gone_sees_a_picture_go(shown):
    with pytest.raises(TimeoutError, match="still on the screen"):
        pexora.wait_until_gone(CROP, 0.3)
    timer = threading.Timer(1.0, shown.close)
    start = time.monotonic()
    timer.start()
    try:
        assert pexora.wait_until_gone(CROP, 10, interval=0.05) is None
    finally:
        timer.join()
    assert 1.0 <= time.monotonic() - start < 10
    assert pexora.locate_on_screen(CROP) == []


def test_what_cannot_be_captured_raises_the_library_code(display, monkeypatch):
    with pytest.raises(pexora.PexoraError, match="cannot capture window 0x1234567") as refused:
        pexora.Picture.from_screen(0x1234567)
    assert refused.value.code == pexora.ErrorCode.LOADING
    for bad, error in [(0, ValueError), (-1, ValueError), (2**32, ValueError), (True, TypeError), ("1", TypeError)]:
        with pytest.raises(error, match="window"):
            pexora.Picture.from_screen(bad)
    with pytest.raises(ValueError, match="interval"):
        pexora.wait_for(CROP, 1, interval=0)

    for name in [None, ":4711"]:
        if name is None:
            monkeypatch.delenv("DISPLAY")
        else:
            monkeypatch.setenv("DISPLAY", name)
        with pytest.raises(pexora.PexoraError) as unreachable:
            pexora.locate_on_screen(CROP)
        assert unreachable.value.code == pexora.ErrorCode.NOT_AVAILABLE
        with pytest.raises(pexora.PexoraError):
            pexora.wait_for(CROP, 5)  # at once: no display is no reason to wait
