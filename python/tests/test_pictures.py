"""Pictures: how arrays reach the library, and when the library's copy is released."""

from __future__ import annotations

import ctypes
import gc
import threading

import numpy
import pytest
from conftest import place, random_rgb, sample
from PIL import Image

import pexora
from pexora import ErrorCode, PexoraError
from pexora import _records as r
from pexora._library import LIBRARY


def library_holds(record: r.TPXObject) -> bool:
    """Whether the library still has the object of a (copied) record."""
    result = r.TPXResult()
    code = LIBRARY.Pexora_Compare(record, record, r.TPXProcessParameters(), ctypes.byref(result), None)
    LIBRARY.Pexora_FreeResult(ctypes.byref(result))
    assert code in (r.PX_OK, r.PX_ERROR_OBJECT)
    return code == r.PX_OK


def copied_record(picture: pexora.Picture) -> r.TPXObject:
    return r.TPXObject.from_buffer_copy(picture._searchable_record())


@pytest.mark.parametrize("release", ["close", "with block", "garbage collection"])
def test_the_library_copy_is_released(release, noise):
    picture = pexora.Picture(noise)
    record = copied_record(picture)
    assert library_holds(record)
    if release == "close":
        picture.close()
    elif release == "with block":
        with picture:
            pass
    else:
        del picture
        gc.collect()
    assert not library_holds(record)


def test_find_releases_the_pictures_it_makes(noise, monkeypatch):
    made = []
    make = pexora.Picture.__init__

    def remember(self, *args, **kwargs):
        make(self, *args, **kwargs)
        made.append((self, copied_record(self)))

    monkeypatch.setattr(pexora.Picture, "__init__", remember)
    assert pexora.find(noise, noise[5:9, 5:9], model="exact", difference=0)
    # released although this test still holds the Picture objects
    assert len(made) == 2 and not any(library_holds(record) for _, record in made)


def test_a_picture_in_a_reference_cycle_is_released(noise):
    picture = pexora.Picture(noise)
    picture.myself = picture
    record = copied_record(picture)
    del picture
    assert library_holds(record)
    gc.collect()
    assert not library_holds(record)


# Views of one 60 x 80 noise picture: whatever their strides, the library gets the pixels.
def views():
    base = random_rgb(120, 160, seed=7)
    rgba = random_rgb(60, 80, seed=8, channels=4)
    read_only = random_rgb(60, 80, seed=9)
    read_only.setflags(write=False)
    return {
        "every second row and column": base[::2, ::2],
        "Fortran order": numpy.asfortranarray(base[:60, :80]),
        "rows and columns reversed": base[::-1, ::-1][:60, :80],
        "transposed": base[:80, :60].transpose(1, 0, 2),
        "RGB channels of RGBA": rgba[..., :3],
        "channels reversed": base[:60, :80, ::-1],
        "read-only": read_only,
        "unaligned rows": numpy.frombuffer(bytes(1) + read_only.tobytes(), numpy.uint8, offset=1).reshape(60, 80, 3),
    }


@pytest.mark.parametrize("name", views())
def test_arrays_of_any_memory_layout(name):
    view = views()[name]
    assert view.shape == (60, 80, 3)
    crop = view[10:20, 30:45]
    matches = pexora.find(view, crop, model="exact", difference=0)
    assert [place(m) for m in matches] == [(30, 10, 15, 10)]


def test_channels_reach_the_library_in_their_order(noise):
    crop = noise[10:20, 30:45]
    assert pexora.find(noise, crop[..., ::-1], model="exact", difference=5) == []
    assert pexora.find(noise, numpy.roll(crop, 1, axis=2), model="exact", difference=5) == []
    assert [place(m) for m in pexora.find(noise, crop, model="exact", difference=0)] == [(30, 10, 15, 10)]


def test_rgb_is_opaque_rgba(noise):
    opaque = numpy.dstack([noise, numpy.full(noise.shape[:2], 255, numpy.uint8)])
    crop = noise[20:40, 10:50]
    assert pexora.find(noise, crop, model="exact", difference=0) == pexora.find(
        opaque, opaque[20:40, 10:50], model="exact", difference=0
    )
    # ... and alpha below 255 is not ignored
    assert pexora.find(noise, numpy.dstack([crop, numpy.full(crop.shape[:2], 254, numpy.uint8)]),
                       model="exact", difference=0) == []


def test_transparent_pixels_of_the_search_for_picture_take_no_part(noise):
    crop = numpy.dstack([noise[10:30, 20:50], numpy.full((20, 30), 255, numpy.uint8)])
    crop[::2, :, :3] = 255 - crop[::2, :, :3]  # every second row wrong ...
    crop[::2, :, 3] = 0  # ... and transparent
    assert [place(m) for m in pexora.find(noise, crop, alpha=True, tolerance=0, difference=0)] == [(20, 10, 30, 20)]
    assert pexora.find(noise, crop, tolerance=0, difference=0) == []


def test_objects_with_the_array_protocol(noise):
    class Screenshot:
        def __array__(self, dtype=None):
            return noise

    found = pexora.find(Screenshot(), noise[5:25, 5:25], model="exact", difference=0)
    assert [place(m) for m in found] == [(5, 5, 20, 20)]
    # A Pillow image: a screenshot of ImageGrab is one.
    with Image.open(sample("SearchInAlphaStretched.PNG")) as image:
        image.load()
        found = pexora.find(image, sample("SearchForAlpha.png"), alpha=True, stretch_min=(20, 20),
                            stretch_max=(100, 100), difference=45)
    assert place(found[0]) == (297, 131, 80, 80)
    with Image.open(sample("SearchIn2.jpg")) as image, pytest.raises(ValueError, match=r"shape \(480, 640\)"):
        pexora.Picture(image.convert("L"))


def test_an_array_is_copied_when_the_picture_is_made(noise):
    mutable = noise.copy()
    picture = pexora.Picture(mutable)
    mutable[:] = 0
    del mutable
    gc.collect()
    assert [place(m) for m in pexora.find(picture, noise[0:10, 0:10], model="exact", difference=0)] == [(0, 0, 10, 10)]


def test_a_picture_serves_many_searches_and_says_what_it_is(noise):
    with pexora.Picture(sample("SearchIn2.jpg")) as search_in:
        assert repr(search_in) == f"<pexora.Picture {sample('SearchIn2.jpg')!r} 640x480>"
        assert search_in.size == search_in.original_size == (640, 480)
        first = pexora.find(search_in, sample("SearchFor2.jpg"))
        for _ in range(3):
            assert pexora.find(search_in, sample("SearchFor2.jpg")) == first
    assert repr(pexora.Picture(noise)) == "<pexora.Picture <array 80x60> 80x60>"


def test_threads_search_shared_pictures_while_one_is_closed():
    search_in = pexora.Picture(sample("SearchIn2.jpg"))
    search_for = pexora.Picture(sample("SearchFor2.jpg"))
    expected = pexora.find(search_in, search_for)
    outcomes, problems = [], []

    def search(picture_in, picture_for):
        for _ in range(15):
            try:
                outcomes.append(pexora.find(picture_in, picture_for, threads=1) == expected)
            except ValueError:
                outcomes.append("closed")
            except PexoraError as error:  # closed between the check and the call
                outcomes.append("closed" if error.code == ErrorCode.OBJECT else error)
            except BaseException as error:  # reported below
                problems.append(error)

    victim = pexora.Picture(sample("SearchFor2.jpg"))
    threads = [threading.Thread(target=search, args=(search_in, search_for)) for _ in range(3)]
    threads.append(threading.Thread(target=search, args=(search_in, victim)))
    for thread in threads:
        thread.start()
    victim.close()
    for thread in threads:
        thread.join()
    assert problems == []
    assert outcomes.count(True) >= 45 and set(outcomes) <= {True, "closed"}
