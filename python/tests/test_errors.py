"""What goes wrong raises a clear exception, never a crash: TypeError for a
value of the wrong kind, ValueError for a value out of range, PexoraError with
the library's code and text for what the library refuses."""

from __future__ import annotations

import pickle
import shutil

import numpy
import pytest
from conftest import sample

import pexora
from pexora import ErrorCode, PexoraError

LOADING_TEXT = "the picture could not be loaded: missing, unreadable or not a PNG, JPEG, BMP, GIF or TIFF file"


def test_missing_file_names_the_file_and_gives_the_library_text(tmp_path):
    missing = str(tmp_path / "nowhere.png")
    with pytest.raises(PexoraError) as raised:
        pexora.find(missing, sample("SearchFor2.jpg"))
    error = raised.value
    assert error.code == ErrorCode.LOADING == 3
    assert error.text == LOADING_TEXT
    assert error.filename == missing
    assert str(error) == f"cannot load {missing!r}: {LOADING_TEXT} (code 3)"


@pytest.mark.parametrize(
    "content",
    [b"", b"not a picture at all", b"\x89PNG\r\n\x1a\n" + b"\0" * 40, b"\xff\xd8\xff" + b"\x13" * 500],
    ids=["empty", "text", "truncated PNG", "broken JPEG"],
)
def test_files_that_are_no_pictures(tmp_path, content):
    path = tmp_path / "picture.png"
    path.write_bytes(content)
    with pytest.raises(PexoraError) as raised:
        pexora.Picture(path)
    assert raised.value.code == ErrorCode.LOADING and raised.value.filename == str(path)


@pytest.mark.parametrize(
    "path, kind",
    [("", PexoraError), (".", PexoraError), (sample("SearchIn2.jpg") + "\0.png", ValueError),
     (b"\xff\xfe.png", PexoraError)],
    ids=["empty", "folder", "null character", "bytes that are no UTF-8"],
)
def test_paths_that_name_no_picture(path, kind):
    with pytest.raises(kind):
        pexora.Picture(path)


def test_names_in_any_script_and_pathlike(tmp_path):
    name = tmp_path / "Bild für Größe ✓ 画像.jpg"
    name.write_bytes(open(sample("SearchFor2.jpg"), "rb").read())
    assert pexora.Picture(name).size == (96, 72)
    assert pexora.Picture(str(name).encode()).size == (96, 72)


@pytest.mark.parametrize(
    "array, complaint",
    [
        (numpy.zeros((8, 8, 3), numpy.float64), "dtype float64"),
        (numpy.zeros((8, 8, 3), numpy.uint16), "dtype uint16"),
        (numpy.zeros((8, 8, 3), bool), "dtype bool"),
        (numpy.zeros((8, 8, 3), numpy.int8), "dtype int8"),
        (numpy.zeros((8, 8), numpy.uint8), "shape (8, 8)"),
        (numpy.zeros((8, 8, 1), numpy.uint8), "shape (8, 8, 1)"),
        (numpy.zeros((8, 8, 2), numpy.uint8), "shape (8, 8, 2)"),
        (numpy.zeros((8, 8, 5), numpy.uint8), "shape (8, 8, 5)"),
        (numpy.zeros((2, 8, 8, 3), numpy.uint8), "shape (2, 8, 8, 3)"),
        (numpy.zeros(24, numpy.uint8), "shape (24,)"),
        (numpy.uint8(7), "shape ()"),
        (numpy.zeros((0, 8, 3), numpy.uint8), "at least 1 x 1"),
        (numpy.zeros((8, 0, 4), numpy.uint8), "at least 1 x 1"),
    ],
    ids=lambda value: value if isinstance(value, str) else "",
)
def test_arrays_of_the_wrong_shape_or_dtype(array, complaint):
    for use in (pexora.Picture, lambda a: pexora.find(a, numpy.zeros((1, 1, 3), numpy.uint8)),
                lambda a: pexora.find(numpy.zeros((9, 9, 3), numpy.uint8), a)):
        with pytest.raises(ValueError, match=complaint.replace("(", r"\(").replace(")", r"\)")):
            use(array)


def test_an_array_beyond_the_largest_picture_is_refused_before_it_is_copied():
    # 200000 x 200000 pixels of one broadcast value: a copy would need 160 GB.
    huge = numpy.broadcast_to(numpy.zeros(3, numpy.uint8), (200_000, 200_000, 3))
    with pytest.raises(PexoraError) as raised:
        pexora.Picture(huge)
    assert raised.value.code == ErrorCode.NOT_ENOUGH_MEMORY
    assert "larger than 8192 x 8192 pixels" in str(raised.value)
    just_too_large = numpy.broadcast_to(numpy.zeros(4, numpy.uint8), (8193, 8192, 4))
    with pytest.raises(PexoraError, match="code 2"):
        pexora.Picture(just_too_large)


@pytest.mark.parametrize("source", [42, None, [[1, 2, 3]], {"x": 1}, 3.5, object()])
def test_sources_of_no_known_kind(source):
    with pytest.raises(TypeError, match="expected a file path, an RGB"):
        pexora.find(source, sample("SearchFor2.jpg"))


def test_a_picture_is_not_made_from_a_picture():
    with pexora.Picture(sample("SearchFor2.jpg")) as picture, pytest.raises(TypeError, match="already a Picture"):
        pexora.Picture(picture)


# keyword options, the exception and the words of its message
BAD_OPTIONS = [
    ({"model": "rgb"}, ValueError, "model: expected 'exact', 'argb' or 'ahsl'"),
    ({"model": 1}, TypeError, "model"),
    ({"tolerance": 256}, ValueError, "tolerance A: must lie within 0..255, got 256"),
    ({"tolerance": -1}, ValueError, "tolerance A"),
    ({"tolerance": (1, 2, 3)}, ValueError, "tolerance: expected one number or four"),
    ({"tolerance": (1, 2, 3, 300)}, ValueError, "tolerance B"),
    ({"tolerance": "15"}, TypeError, "tolerance"),
    ({"tolerance": 1.5}, TypeError, "tolerance A: expected a whole number"),
    ({"tolerance": True}, TypeError, "tolerance A"),
    ({"model": "ahsl", "tolerance": 1.5}, ValueError, "tolerance A: must lie within 0..1"),
    ({"model": "ahsl", "tolerance": (0.1, 0.1, float("nan"), 0.1)}, ValueError, "tolerance S"),
    ({"model": "ahsl", "tolerance": float("inf")}, ValueError, "tolerance A"),
    ({"model": "exact", "tolerance": 0}, ValueError, "model 'exact' takes no tolerance"),
    ({"model": "exact", "alpha": True}, ValueError, "alpha: works with model 'argb' or 'ahsl'"),
    ({"alpha": "yes"}, TypeError, "alpha: expected True or False"),
    ({"difference": -1}, ValueError, "difference: must lie within 0..2147483647"),
    ({"difference": 2**31}, ValueError, "difference"),
    ({"difference": 2**64}, ValueError, "difference"),
    ({"difference": 2.5}, TypeError, "difference: expected a whole number"),
    ({"stretch_min": (0, 10)}, ValueError, "stretch_min width: must lie within 1.."),
    ({"stretch_max": (10, 2**31)}, ValueError, "stretch_max height"),
    ({"stretch_min": (10,)}, ValueError, r"stretch_min: expected \(width, height\)"),
    ({"stretch_min": "20x20"}, TypeError, "stretch_min"),
    ({"stretch_min": (20, 20), "stretch_filter": "nearest"}, ValueError, "stretch_filter: 'nearest' is none of"),
    ({"stretch_filter": 2}, TypeError, "stretch_filter"),
    ({"region": (0, 0, 0, 10)}, ValueError, "region width"),
    ({"region": (-1, 0, 5, 5)}, ValueError, "region x"),
    ({"region": (0, 0, 5)}, ValueError, "region"),
    ({"region": (0, 0, 5, 5.5)}, TypeError, "region height"),
    ({"min_percentage": 100.5}, ValueError, "min_percentage: must lie within 0..100"),
    ({"min_percentage": float("nan")}, ValueError, "min_percentage"),
    ({"min_percentage": "99"}, TypeError, "min_percentage"),
    ({"max_matches": -1}, ValueError, "max_matches"),
    ({"max_matches": None}, TypeError, "max_matches"),
    ({"threads": 2}, ValueError, "threads: expected 'all' or 1"),
    ({"threads": True}, ValueError, "threads"),
    ({"threads": "1"}, ValueError, "threads"),
    ({"multiple": 1}, TypeError, "multiple"),
    ({"progress": 5}, TypeError, "progress: expected a callable"),
    ({"colour": "red"}, TypeError, "colour"),
]


@pytest.mark.parametrize("options, kind, message", BAD_OPTIONS, ids=[str(o[0]) for o in BAD_OPTIONS])
def test_bad_options_are_refused_before_any_picture_is_loaded(options, kind, message):
    # The pictures do not exist: the options are checked first.
    with pytest.raises(kind, match=message):
        pexora.find("no such picture.png", "nor this one.png", **options)


@pytest.mark.parametrize(
    "resample, resample_filter, kind",
    [((0, 10), "bilinear", ValueError), ((10, 10), "sharp", ValueError), (10, "bilinear", TypeError),
     ((10, 10), None, TypeError)],
)
def test_bad_resampling(resample, resample_filter, kind):
    with pytest.raises(kind):
        pexora.Picture(sample("SearchFor2.jpg"), resample=resample, resample_filter=resample_filter)


# What only the library can know: the codes come from it.
LIBRARY_REFUSALS = [
    ("region outside the picture", {"region": (600, 400, 100, 100)}, "SearchIn2.jpg", "SearchFor2.jpg",
     ErrorCode.INVALID_PARAMETER),
    ("search-for picture larger", {}, "SearchFor2.jpg", "SearchIn2.jpg", ErrorCode.DIMENSIONS),
    ("no stretch size fits", {"stretch_min": (50, 50), "stretch_max": (40, 40)}, "SearchIn2.jpg", "SearchFor2.jpg",
     ErrorCode.DIMENSIONS),
    ("region smaller than the search-for picture", {"region": (0, 0, 50, 50)}, "SearchIn2.jpg", "SearchFor2.jpg",
     ErrorCode.DIMENSIONS),
]


@pytest.mark.parametrize("why, options, search_in, search_for, code", LIBRARY_REFUSALS,
                         ids=[case[0] for case in LIBRARY_REFUSALS])
def test_searches_the_library_refuses(why, options, search_in, search_for, code):
    with pytest.raises(PexoraError) as raised:
        pexora.find(sample(search_in), sample(search_for), **options)
    assert raised.value.code == code
    assert raised.value.filename is None
    assert f"cannot search for {sample(search_for)!r} (" in str(raised.value)
    assert f"(code {int(code)})" in str(raised.value)


def test_resampling_beyond_the_largest_picture():
    with pytest.raises(PexoraError) as raised:
        pexora.Picture(sample("SearchFor2.jpg"), resample=(8193, 8192))
    assert raised.value.code == ErrorCode.NOT_ENOUGH_MEMORY


def test_a_closed_picture_cannot_be_searched():
    picture = pexora.Picture(sample("SearchFor2.jpg"))
    picture.close()
    picture.close()  # twice is fine
    assert picture.closed and "closed" in repr(picture)
    with pytest.raises(ValueError, match="is closed"):
        pexora.find(sample("SearchIn2.jpg"), picture)


def test_pexora_error_survives_pickling(tmp_path):
    with pytest.raises(PexoraError) as raised:
        pexora.Picture(tmp_path / "missing.png")
    copy = pickle.loads(pickle.dumps(raised.value))
    assert (str(copy), copy.code, copy.text, copy.filename) == (
        str(raised.value), raised.value.code, raised.value.text, raised.value.filename)


def test_codes_this_package_does_not_know_stay_numbers():
    error = PexoraError("later", 99, "unknown error code")
    assert error.code == 99 and not isinstance(error.code, ErrorCode)


def test_pictures_that_cannot_be_pickled(tmp_path):
    # A closed picture has nothing to give; a file gone since it was loaded neither.
    picture = pexora.Picture(sample("SearchFor2.jpg"))
    picture.close()
    with pytest.raises(ValueError, match="is closed"):
        pickle.dumps(picture)
    shutil.copyfile(sample("SearchFor2.jpg"), tmp_path / "gone.jpg")
    with pexora.Picture(tmp_path / "gone.jpg") as gone:
        (tmp_path / "gone.jpg").unlink()
        with pytest.raises(FileNotFoundError):
            pickle.dumps(gone)
        # Another picture in the file's place is not taken for it.
        shutil.copyfile(sample("SearchIn2.jpg"), tmp_path / "gone.jpg")
        with pytest.raises(ValueError, match="no longer the one pickled"):
            pickle.loads(pickle.dumps(gone))
