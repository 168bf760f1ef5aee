"""The difference option: a count of pixels or a share of the compared ones,
and the defaults, which find small and large pictures where they are and
nothing where they are not."""

from __future__ import annotations

import numpy
import pytest
from conftest import place, random_rgb
from PIL import Image

import pexora

WIDTH, HEIGHT = 640, 360


def natural(seed: int) -> numpy.ndarray:
    """Smooth colour waves, mild noise and a few flat blocks, closer to a
    photograph than noise is; every channel within 0..199."""
    rng = numpy.random.default_rng(seed)
    y, x = numpy.mgrid[0:HEIGHT, 0:WIDTH]
    picture = numpy.full((HEIGHT, WIDTH, 3), 128.0)
    for channel in range(3):
        for _ in range(6):
            fx, fy, phase = rng.random() * 0.05, rng.random() * 0.05, rng.random() * 6.283
            amplitude = 10 + rng.random() * 30
            picture[..., channel] += amplitude * numpy.sin(fx * x + fy * y + phase)
    picture += rng.normal(0, 3, picture.shape)
    for _ in range(WIDTH * HEIGHT // 20000):
        width, height, left, top = 8 + rng.integers(60), 8 + rng.integers(60), rng.integers(WIDTH), rng.integers(HEIGHT)
        picture[top:top + height, left:left + width] = rng.integers(0, 256, 3)
    return (numpy.clip(numpy.rint(picture), 0, 255).astype(numpy.uint16) * 200 // 256).astype(numpy.uint8)


def icon(width: int, height: int, seed: int) -> numpy.ndarray:
    """Colour noise with blue in 216..255: nothing of the background (blue at
    most 199) comes within tolerance 15 of it; green 216..255 for a single
    pixel, 0..199 otherwise, so that no pixel of a larger icon is like it."""
    picture = random_rgb(height, width, seed)
    picture[..., 2] = 216 + picture[..., 2] % 40
    picture[..., 1] = 216 + picture[..., 1] % 40 if width * height == 1 else picture[..., 1] % 200
    return picture


# Where each present picture lies: the small ones are icons put there, the
# larger ones crops of the background itself, the 16 x 16 one across a flat
# block's edge (a featureless crop of a smooth wave is there, within
# tolerance 15, wherever the wave is alike).
PLACES = {(1, 1): (600, 300), (4, 4): (520, 200), (16, 16): (586, 98), (64, 64): (500, 20), (480, 270): (10, 10)}
SMALL = [(1, 1), (4, 4)]


@pytest.fixture(scope="module")
def scene(tmp_path_factory):
    """The search-in picture (lossless array and JPEG file at quality 85),
    and for each size the picture that is there and one that is not."""
    background, elsewhere = natural(1), natural(2)
    present, absent = {}, {}
    for index, ((width, height), (x, y)) in enumerate(PLACES.items()):
        if (width, height) in SMALL:
            background[y:y + height, x:x + width] = present[width, height] = icon(width, height, 10 + index)
            absent[width, height] = icon(width, height, 20 + index)
        else:
            present[width, height] = background[y:y + height, x:x + width].copy()
            absent[width, height] = elsewhere[y:y + height, x:x + width].copy()
    # JPEG at quality 85 without chroma subsampling: with it, the saturated
    # edges of the flat blocks leave about 1 % of the pixels beyond tolerance 15.
    jpeg = tmp_path_factory.mktemp("scene") / "scene.jpg"
    Image.fromarray(background).save(jpeg, quality=85, subsampling=0)
    return {"lossless": background, "jpeg": str(jpeg)}, present, absent


CASES = [
    (size, noise, model)
    for size in PLACES
    for noise, model in [("lossless", "argb"), ("lossless", "exact"), ("jpeg", "argb"), ("jpeg", "exact")]
]


@pytest.mark.parametrize("size, noise, model", CASES, ids=[f"{w}x{h}-{n}-{m}" for (w, h), n, m in CASES])
def test_defaults_find_a_picture_where_it_is_and_nowhere_else(scene, size, noise, model):
    search_in, present, absent = scene
    assert pexora.find(search_in[noise], absent[size], model=model) == []
    found = [place(m) for m in pexora.find(search_in[noise], present[size], model=model)]
    if noise == "lossless":
        assert found == [(*PLACES[size], *size)]
    elif model == "exact":
        assert found == []  # JPEG changed its pixels
    elif size not in SMALL:  # a few pixels do not come through JPEG's blocks within tolerance 15
        # Once only, where JPEG's noise may move the best position by a pixel along an edge.
        (x, y, width, height), = found
        assert abs(x - PLACES[size][0]) <= 1 and abs(y - PLACES[size][1]) <= 1 and (width, height) == size


def test_a_count_of_150_finds_small_pictures_everywhere(scene):
    # What the defaults used to do: every 4 x 4 position has at most 16 differing pixels.
    search_in, _, absent = scene
    assert len(pexora.find(search_in["lossless"], absent[4, 4], difference=150, max_matches=3)) == 3


@pytest.fixture
def altered(noise):
    """A 20 x 20 crop of the noise with ``count`` of its 400 pixels far off."""

    def crop(count: int) -> numpy.ndarray:
        part = noise[10:30, 20:40].copy()
        part.reshape(-1, 3)[:count] ^= 0x80
        return part

    return crop


@pytest.mark.parametrize(
    "count, difference, found",
    [
        (20, "5%", True),  # 5 % of 400 pixels: 20
        (21, "5%", False),
        (19, "4.75%", True),
        (20, "4.75%", False),
        (20, "4.999%", False),
        (20, "5.000%", True),
        (0, "0%", True),
        (1, "0%", False),
        (1, "0.25%", True),
        (20, 20, True),
        (21, 20, False),
        (4, None, True),  # the default share, 1 %, allows 4 pixels of 400
        (5, None, False),
    ],
)
def test_a_share_allows_its_part_of_the_compared_pixels(noise, altered, count, difference, found):
    matches = pexora.find(noise, altered(count), difference=difference)
    assert [(place(m), m.difference) for m in matches] == ([((20, 10, 20, 20), count)] if found else [])


def test_the_share_and_min_percentage_together_keep_the_stricter(noise, altered):
    assert pexora.find(noise, altered(20), difference="5%", min_percentage=95.25) == []
    assert pexora.find(noise, altered(20), difference="10%", min_percentage=95) != []


@pytest.mark.parametrize("count, found", [(80, True), (81, False)])
def test_each_stretched_size_gets_its_own_count(count, found):
    # The icon doubled (the box filter doubles by repeating pixels) is 1600
    # pixels: 5 % of them are 80, where its own 400 pixels allow 20.
    rng = numpy.random.default_rng(7)
    search_in = rng.integers(0, 256, (120, 160, 3), dtype=numpy.uint8)
    small = rng.integers(0, 256, (20, 20, 3), dtype=numpy.uint8)
    doubled = small.repeat(2, axis=0).repeat(2, axis=1)
    doubled.reshape(-1, 3)[:count] ^= 0x80
    search_in[50:90, 70:110] = doubled
    stretch = {"stretch_min": (20, 20), "stretch_max": (40, 40), "stretch_filter": "box", "max_matches": 1}
    expected = [((70, 50, 40, 40), count)] if found else []
    assert [(place(m), m.difference) for m in pexora.find(search_in, small, difference="5%", **stretch)] == expected
    # A count is the same for every size.
    assert pexora.find(search_in, small, difference=20, **stretch) == []


@pytest.mark.parametrize(
    "difference, kind, message",
    [
        (0.05, TypeError, r"difference: expected a whole number of pixels or a share such as '5%', got float 0.05"),
        ("5", ValueError, "difference: a share is a percentage 0..100 with at most three decimals and a '%'"),
        ("100.5%", ValueError, "difference: a share"),
        ("-1%", ValueError, "difference: a share"),
        (".5%", ValueError, "difference: a share"),
        ("1.2345%", ValueError, "difference: a share"),
        (" 5%", ValueError, "difference: a share"),
        (True, TypeError, "difference"),
    ],
)
def test_a_share_is_written_as_a_percentage(difference, kind, message):
    with pytest.raises(kind, match=message):
        pexora.find("no such picture.png", "nor this one.png", difference=difference)


@pytest.mark.parametrize("difference, found", [("1.5%", True), ("1.499%", False)])
def test_with_alpha_a_share_counts_the_pixels_that_take_part(noise, difference, found):
    # 200 of the 400 pixels are opaque, the rest transparent; 3 of the 200 differ: 1.5 %.
    icon = numpy.zeros((20, 20, 4), numpy.uint8)
    icon[..., :3] = noise[10:30, 20:40]
    icon[:10, :, 3] = 255
    icon[0, :3, :3] ^= 0x80
    matches = pexora.find(noise, icon, alpha=True, difference=difference)
    assert [(place(m), m.difference) for m in matches] == ([((20, 10, 20, 20), 3)] if found else [])
