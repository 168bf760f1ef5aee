"""The sample pictures are found where samples/expected.txt says, whichever
way they reach the library: as files, as arrays decoded by Pillow, or as
Pictures made from either."""

from __future__ import annotations

import pytest
from conftest import decoded, expected_places, place, sample
from PIL import Image

import pexora

EXPECTED = expected_places()
SCALED = {"alpha": True, "stretch_min": (20, 20), "stretch_max": (100, 100), "difference": 45}

# compare type, program whose pictures it searches, search in, search for, options
SEARCHES = [
    ("argb", "seekbasic", "SearchIn2.jpg", "SearchFor2.jpg", {}),
    ("ahsl", "seekbasic", "SearchIn2.jpg", "SearchFor2.jpg", {"model": "ahsl"}),
    ("argb alpha", "seekscaled", "SearchInAlphaStretched.PNG", "SearchForAlpha.png", SCALED),
    ("ahsl alpha", "seekscaled", "SearchInAlphaStretched.PNG", "SearchForAlpha.png",
     {**SCALED, "model": "ahsl", "tolerance": 0.05}),
]

# How a sample reaches pexora.find.
FORMS = {
    "file": sample,
    "array": decoded,
    "picture from file": lambda name: pexora.Picture(sample(name)),
    "picture from array": lambda name: pexora.Picture(decoded(name)),
}


def assert_best_first(matches):
    percentages = [m.percentage for m in matches]
    assert percentages == sorted(percentages, reverse=True)


@pytest.mark.parametrize("form", FORMS)
@pytest.mark.parametrize("compare, program, search_in, search_for, options", SEARCHES, ids=[s[0] for s in SEARCHES])
def test_sample_found_at_its_place(compare, program, search_in, search_for, options, form):
    make = FORMS[form]
    matches = pexora.find(make(search_in), make(search_for), **options)
    assert matches, f"nothing found with {compare} in {form} form"
    assert place(matches[0]) == EXPECTED[program]
    assert_best_first(matches)


def test_files_and_arrays_mixed():
    from_file = pexora.find(sample("SearchIn2.jpg"), decoded("SearchFor2.jpg"))
    from_array = pexora.find(decoded("SearchIn2.jpg"), sample("SearchFor2.jpg"))
    assert place(from_file[0]) == place(from_array[0]) == EXPECTED["seekbasic"]


def test_lossless_file_and_its_array_give_the_same_matches():
    # PNG decodes to the same pixels everywhere: any difference is the array's
    # way into the library (channel order, alpha, rows).
    options = {**SCALED, "model": "ahsl"}
    from_files = pexora.find(sample("SearchInAlphaStretched.PNG"), sample("SearchForAlpha.png"), **options)
    from_arrays = pexora.find(decoded("SearchInAlphaStretched.PNG"), decoded("SearchForAlpha.png"), **options)
    assert len(from_files) > 1
    assert from_arrays == from_files


@pytest.mark.parametrize("form", ["file", "array"])
def test_exact_finds_a_crop_only_at_its_place(form, tmp_path):
    x, y, width, height = 150, 90, 40, 30
    whole = decoded("SearchInAlphaStretched.PNG")
    crop = whole[y:y + height, x:x + width]
    if form == "file":
        Image.fromarray(crop).save(tmp_path / "crop.png")
        search_in, search_for = sample("SearchInAlphaStretched.PNG"), tmp_path / "crop.png"
    else:
        search_in, search_for = whole, crop
    matches = pexora.find(search_in, search_for, model="exact", difference=0)
    assert [(place(m), m.difference, m.percentage) for m in matches] == [((x, y, width, height), 0, 100.0)]


@pytest.mark.parametrize("form", ["file", "array"])
def test_resampled_pictures_of_different_sizes(form):
    make = sample if form == "file" else decoded
    with pexora.Picture(make("SearchInResample.jpg"), resample=(100, 100)) as search_in, pexora.Picture(
        make("SearchForResample.jpg"), resample=(100, 100), resample_filter="bicubic"
    ) as search_for:
        assert search_in.original_size == (400, 300) and search_in.size == (100, 100)
        assert search_for.original_size == (200, 150) and search_for.size == (100, 100)
        matches = pexora.find(search_in, search_for)
    assert place(matches[0]) == EXPECTED["seekfiltered"]
