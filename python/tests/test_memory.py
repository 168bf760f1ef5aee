"""A thousand create, find and release cycles leave the process's memory as it was."""

from __future__ import annotations

import tracemalloc

import numpy
from conftest import decoded, resident_bytes, sample

import pexora

CYCLES = 1000
MiB = 1024 * 1024


def one_cycle(search_for: numpy.ndarray, flat: numpy.ndarray) -> None:
    # A picture from a file and one from an array, searched with progress and released.
    with pexora.Picture(sample("SearchFor2.jpg")) as search_in, pexora.Picture(search_for) as wanted:
        assert (pexora.find(search_in, wanted, progress=lambda percent: None)[0].x, wanted.size) == (40, (30, 20))
    # Pictures that find makes itself, and a result of 576 matches.
    assert len(pexora.find(flat, flat[:4, :4], model="exact", threads=1)) == 576


def test_cycles_do_not_grow_memory():
    search_for = decoded("SearchFor2.jpg")[30:50, 40:70]
    flat = numpy.full((96, 96, 3), 7, numpy.uint8)
    for _ in range(50):  # allocators and caches reach their working size
        one_cycle(search_for, flat)
    tracemalloc.start()
    python_before = tracemalloc.get_traced_memory()[0]
    before = resident_bytes()
    for _ in range(CYCLES):
        one_cycle(search_for, flat)
    grown = resident_bytes() - before
    python_grown = tracemalloc.get_traced_memory()[0] - python_before
    tracemalloc.stop()
    print(f"after {CYCLES} cycles: resident memory grew by {grown / MiB:.2f} MiB, Python's own by {python_grown} bytes")
    # A leaked picture would be at least 27 kB a cycle, a leaked result 18 kB.
    assert grown < 4 * MiB
    assert python_grown < 64 * 1024
