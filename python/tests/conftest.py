"""Fixtures of the pexora tests: the sample pictures and where they lie.

The tests import pexora as the environment gives it: CTest puts python/src on
PYTHONPATH and names the built library in PEXORA_LIBRARY.
"""

from __future__ import annotations

import contextlib
import os
import subprocess
from collections.abc import Iterator
from pathlib import Path

import numpy
import pytest
from PIL import Image

SAMPLES = Path(os.environ.get("PEXORA_SAMPLES", Path(__file__).resolve().parents[2] / "samples"))


@contextlib.contextmanager
def xvfb(*options: str) -> Iterator[str]:
    """An Xvfb of its own, 640 x 480 at depth 24, started with `options`; its display name."""
    ready, told = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(told), *options, "-screen", "0", "640x480x24", "-nolisten", "tcp"],
        pass_fds=[told],
        stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL,
    )
    os.close(told)
    try:
        with os.fdopen(ready) as answer:
            yield ":" + answer.readline().strip()
    finally:
        server.terminate()
        server.wait(timeout=60)


def resident_bytes() -> int:
    """The process's resident memory, from /proc."""
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) * 1024
    raise AssertionError("no VmRSS in /proc/self/status")


def sample(name: str) -> str:
    return str(SAMPLES / name)


def decoded(name: str) -> numpy.ndarray:
    """A sample picture as an RGB or RGBA array, decoded by Pillow (not by the library)."""
    with Image.open(SAMPLES / name) as picture:
        return numpy.asarray(picture.convert("RGBA" if "A" in picture.getbands() else "RGB"))


def expected_places() -> dict[str, tuple[int, int, int, int]]:
    """samples/expected.txt: program -> (x, y, width, height)."""
    places = {}
    for line in (SAMPLES / "expected.txt").read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            program, *numbers = line.split()
            places[program] = tuple(int(n) for n in numbers)
    return places


def place(match) -> tuple[int, int, int, int]:
    return match.x, match.y, match.width, match.height


def random_rgb(height: int, width: int, seed: int = 1, channels: int = 3) -> numpy.ndarray:
    """Noise, in which any crop of a few pixels is found at its own place only."""
    return numpy.random.default_rng(seed).integers(0, 256, (height, width, channels), dtype=numpy.uint8)


@pytest.fixture
def noise() -> numpy.ndarray:
    return random_rgb(60, 80)
