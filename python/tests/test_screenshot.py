"""A screenshot of a real X screen (Xvfb), taken by Pillow, searched as it is."""

from __future__ import annotations

import os
import subprocess

import pytest
from conftest import expected_places, place, sample, xvfb
from PIL import ImageGrab

import pexora


@pytest.fixture
def screen():
    """An X server whose screen shows SearchIn2.jpg, 640 x 480 at the top left; its display name."""
    with xvfb() as display:
        # ImageMagick makes the picture the root window's background (and exits with 1 even so).
        subprocess.run(["display", "-window", "root", sample("SearchIn2.jpg")], env=dict(os.environ, DISPLAY=display),
                       timeout=60)
        yield display


def test_a_screenshot_is_searched_as_it_is(screen):
    shot = ImageGrab.grab(xdisplay=screen)
    assert (shot.size, shot.mode) == ((640, 480), "RGB")
    # The screen holds exactly the decoded picture ...
    assert [(place(m), m.difference) for m in pexora.find(shot, sample("SearchIn2.jpg"), model="exact")] == [
        ((0, 0, 640, 480), 0)
    ]
    # ... in which the sample is found where it lies.
    assert place(pexora.find(shot, sample("SearchFor2.jpg"))[0]) == expected_places()["seekbasic"]
