"""Each option of find reaches the library as the field it names."""

from __future__ import annotations

import gc
import threading
import time

import numpy
import pytest
from conftest import place, random_rgb, sample

import pexora


def shifted(picture: numpy.ndarray, channel: int, by: int) -> numpy.ndarray:
    """An RGBA copy with one channel (0 A, 1 R, 2 G, 3 B) raised by ``by``."""
    rgba = picture.copy()
    index = {0: 3, 1: 0, 2: 1, 3: 2}[channel]
    rgba[..., index] += by
    return rgba


@pytest.mark.parametrize("channel", [0, 1, 2, 3], ids=["A", "R", "G", "B"])
def test_argb_tolerances_apply_to_their_channels(channel):
    rgba = random_rgb(40, 50, seed=3, channels=4) // 2  # room to raise each channel by 20
    crop = shifted(rgba[5:25, 10:40], channel, 20)
    only_this = [0, 0, 0, 0]
    only_this[channel] = 20
    all_but_this = [255, 255, 255, 255]
    all_but_this[channel] = 19
    assert [place(m) for m in pexora.find(rgba, crop, tolerance=tuple(only_this), difference=0)] == [(10, 5, 30, 20)]
    assert pexora.find(rgba, crop, tolerance=tuple(all_but_this), difference=0, max_matches=1) == []


def test_ahsl_tolerances_apply_to_their_channels():
    # Greys brightened by 26 of 255: only the lightness differs (grey has no hue, no saturation).
    grey = numpy.repeat(random_rgb(40, 50, seed=4, channels=1) // 2, 3, axis=2)
    crop = grey[5:25, 10:40] + 26
    found = pexora.find(grey, crop, model="ahsl", tolerance=(0, 0, 0, 0.11), difference=0)
    assert [place(m) for m in found] == [(10, 5, 30, 20)]
    assert pexora.find(grey, crop, model="ahsl", tolerance=(1, 1, 1, 0.09), difference=0, max_matches=1) == []


def test_difference_counts_the_pixels_that_differ(noise):
    crop = noise[10:30, 10:30].copy()
    crop[0, :7] ^= 0x80  # seven pixels far off
    assert [(m.difference, m.percentage) for m in pexora.find(noise, crop, difference=7)] == [(7, 100 * 393 / 400)]
    assert pexora.find(noise, crop, difference=6) == []


def test_region_keeps_whole_picture_positions():
    search_in, search_for = sample("SearchIn2.jpg"), sample("SearchFor2.jpg")
    assert place(pexora.find(search_in, search_for, region=(390, 240, 110, 90))[0]) == (397, 249, 96, 72)
    assert pexora.find(search_in, search_for, region=(0, 0, 390, 480)) == []


def test_match_count_limits_and_threads():
    # A flat picture: the flat search-for picture matches everywhere.
    flat = numpy.full((60, 80, 3), 100, numpy.uint8)
    every = pexora.find(flat, flat[:10, :10], model="exact")
    assert len(every) == 48  # 6 x 8 tiles that do not overlap
    assert pexora.find(flat, flat[:10, :10], model="exact", max_matches=5) == every[:5]
    assert pexora.find(flat, flat[:10, :10], model="exact", multiple=False) == every[:1]
    assert pexora.find(flat, flat[:10, :10], model="exact", threads=1) == every


def test_min_percentage_keeps_the_better_matches(noise):
    crop = noise[10:30, 10:30].copy()
    crop[0, :7] ^= 0x80
    # A count that allows the seven, so that min_percentage decides.
    assert len(pexora.find(noise, crop, difference=150, min_percentage=98.25)) == 1  # 393 of 400 pixels: 98.25 %
    assert pexora.find(noise, crop, difference=150, min_percentage=98.26) == []


def test_stretch_bounds_and_filter():
    scaled = {"alpha": True, "difference": 45}
    search_in, search_for = sample("SearchInAlphaStretched.PNG"), sample("SearchForAlpha.png")
    for bounds in ({"stretch_min": (20, 20)}, {"stretch_min": (80, 80), "stretch_max": (80, 80),
                                               "stretch_filter": "BILINEAR"}):
        assert place(pexora.find(search_in, search_for, **scaled, **bounds)[0]) == (297, 131, 80, 80), bounds
    # Without a minimum, sizes start at 1 x 1 (tiny sizes of the icon match nearly anywhere).
    assert min(m.width for m in pexora.find(search_in, search_for, **scaled, stretch_max=(100, 100))) < 20
    assert all(m.width != 80 for m in pexora.find(search_in, search_for, **scaled, stretch_max=(79, 79)))


def test_progress_rises_to_100_on_the_calling_thread():
    reports, threads = [], set()

    def progress(percent):
        reports.append(percent)
        threads.add(threading.get_ident())

    pexora.find(sample("SearchIn2.jpg"), sample("SearchFor2.jpg"), progress=progress)
    assert reports[0] == 0 and reports[-1] == 100 and reports == sorted(set(reports))
    assert threads == {threading.get_ident()}


@pytest.mark.parametrize("kind", [RuntimeError, KeyboardInterrupt])
def test_an_exception_in_progress_is_raised_once_the_search_is_over(kind):
    calls = []

    def progress(percent):
        calls.append(percent)
        raise kind("stop")

    with pytest.raises(kind, match="stop"):
        pexora.find(sample("SearchIn2.jpg"), sample("SearchFor2.jpg"), progress=progress)
    assert calls == [0]  # not called again after raising


def test_progress_may_search_and_collect_garbage(noise):
    inner = []

    def progress(percent):
        gc.collect()
        if not inner:
            inner.append(pexora.find(noise, noise[1:5, 1:5], model="exact", difference=0))

    found = pexora.find(pexora.Picture(noise), pexora.Picture(noise[30:50, 40:70]), model="exact", difference=0,
                        progress=progress)
    assert [place(m) for m in found] == [(40, 30, 30, 20)]
    assert [[place(m) for m in matches] for matches in inner] == [[(1, 1, 4, 4)]]


def test_progress_may_close_the_pictures_being_searched(noise):
    search_in, search_for = pexora.Picture(noise), pexora.Picture(noise[30:50, 40:70])

    def progress(percent):
        search_in.close()
        search_for.close()

    found = pexora.find(search_in, search_for, model="exact", difference=0, progress=progress)
    assert [place(m) for m in found] == [(40, 30, 30, 20)]  # the library keeps them for the running search
    assert search_in.closed and search_for.closed


def test_matches_are_values():
    match = pexora.find(sample("SearchIn2.jpg"), sample("SearchFor2.jpg"))[0]
    assert match == pexora.Match(397, 249, 96, 72, match.difference, match.percentage)
    assert isinstance(match.x, int) and isinstance(match.percentage, float)
    with pytest.raises(AttributeError):
        match.x = 0
    assert {match: 1}[match] == 1


def test_other_python_threads_run_while_the_library_searches():
    # A thread that wakes every millisecond keeps waking during one long
    # search; were the interpreter lock held, it would stall for the whole call.
    big = random_rgb(600, 800, seed=6)
    search_in, search_for = pexora.Picture(big), pexora.Picture(big[300:340, 500:560])
    wakes, done = [], threading.Event()

    def wake():
        while not done.wait(0.001):
            wakes.append(time.perf_counter())

    waker = threading.Thread(target=wake)
    waker.start()
    try:
        time.sleep(0.02)
        start = time.perf_counter()
        pexora.find(search_in, search_for, stretch_min=(30, 20), stretch_max=(90, 60), threads=1)
        end = time.perf_counter()
    finally:
        done.set()
        waker.join()
    around = [start] + [t for t in wakes if start < t < end] + [end]
    longest_stall = max(b - a for a, b in zip(around, around[1:]))
    assert end - start > 0.1 and longest_stall < (end - start) / 2, (end - start, longest_stall)
