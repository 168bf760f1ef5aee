"""Pictures pickled and loaded again, here or in another process: the same picture."""

from __future__ import annotations

import copy
import os
import pickle
import shutil
import subprocess
import sys

import pytest
from conftest import random_rgb, sample

import pexora


@pytest.mark.parametrize(
    "source, resample, search_in",
    [
        (sample("SearchFor2.jpg"), None, sample("SearchIn2.jpg")),
        (sample("SearchForAlpha.png"), (80, 80), sample("SearchInAlphaStretched.PNG")),
        ("array RGB", None, "array"),
        ("array RGBA", None, "array"),
    ],
)
def test_a_pickled_picture_is_loaded_again_and_searches_the_same(source, resample, search_in):
    noise = random_rgb(60, 80, seed=5, channels=4)
    noise[..., 3] |= 0x80  # half to fully opaque
    options = {"alpha": True, "difference": 45} if resample == (80, 80) else {}
    if source.startswith("array"):
        source = noise[10:40, 20:60, :3].copy() if source == "array RGB" else noise[10:40, 20:60].copy()
        search_in = noise if source.shape[2] == 4 else noise[..., :3]
        options = {"difference": 0, "alpha": source.shape[2] == 4}
    with pexora.Picture(source, resample, resample_filter="catmullrom") as picture:
        expected = pexora.find(search_in, picture, **options)
        assert expected
        for again in (pickle.loads(pickle.dumps(picture)), copy.deepcopy(picture)):
            assert repr(again) == repr(picture) and again.original_size == picture.original_size
            assert pexora.find(search_in, again, **options) == expected
            again.close()
            assert not picture.closed  # each has its own library object


def test_a_picture_travels_to_another_process():
    # Pickled here, searched in a fresh interpreter with its own library.
    with pexora.Picture(sample("SearchFor2.jpg")) as picture:
        sent = pickle.dumps(picture)
    program = (
        "import pickle, sys, pexora\n"
        "picture = pickle.loads(sys.stdin.buffer.read())\n"
        f"print(repr(picture), pexora.find({sample('SearchIn2.jpg')!r}, picture)[0].x)\n"
    )
    done = subprocess.run([sys.executable, "-c", program], input=sent, capture_output=True, env=os.environ, check=True)
    assert done.stdout.decode().split()[-1] == "397"
    assert sample("SearchFor2.jpg") in done.stdout.decode()


def test_an_unpickled_picture_pickles_again_without_its_file(tmp_path):
    # As a worker hands a picture it was sent on to another.
    shutil.copyfile(sample("SearchFor2.jpg"), tmp_path / "for.jpg")
    with pexora.Picture(tmp_path / "for.jpg") as picture:
        once = pickle.loads(pickle.dumps(picture))
    (tmp_path / "for.jpg").unlink()
    twice = pickle.loads(pickle.dumps(once))
    assert repr(twice) == repr(once)
    assert pexora.find(sample("SearchIn2.jpg"), twice)[0].x == 397
