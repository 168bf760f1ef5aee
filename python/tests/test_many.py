"""find_many: one picture in many, in order, several at once, each failure on its own."""

from __future__ import annotations

import pickle
import shutil
import threading

import numpy
import pytest
from conftest import random_rgb, sample

import pexora


@pytest.fixture
def broken(tmp_path):
    """Files that are no pictures, each a different way."""
    content = {
        "empty.png": b"",
        "text.jpg": b"hello, not a picture",
        "cut.jpg": open(sample("SearchIn2.jpg"), "rb").read()[:3000],
    }
    for name, data in content.items():
        (tmp_path / name).write_bytes(data)
    return [str(tmp_path / name) for name in content]


def test_each_picture_gives_what_find_gives_in_the_order_given(broken):
    noise = random_rgb(120, 160, seed=7)
    search_for = noise[40:70, 50:90].copy()
    with pexora.Picture(noise) as prepared:
        pictures = [noise, broken[0], prepared, sample("SearchIn2.jpg"), broken[1], noise[:20, :20].copy(), noise]
        # The plain search last: its results are looked at below.
        for options in ({"difference": 0, "max_matches": 1}, {"region": (40, 40, 60, 60), "model": "ahsl"}, {}):
            got = list(pexora.find_many(search_for, pictures, **options))
            assert [picture for picture, _ in got] == pictures
            for picture, outcome in got:
                try:
                    expected = pexora.find(picture, search_for, **options)
                except pexora.PexoraError as error:
                    assert isinstance(outcome, pexora.PexoraError)
                    assert (str(outcome), outcome.code, outcome.filename) == (str(error), error.code, error.filename)
                else:
                    assert outcome == expected
    assert (50, 40) in [(m.x, m.y) for m in got[0][1]]
    assert [outcome.code for _, outcome in got if isinstance(outcome, pexora.PexoraError)] == [
        pexora.ErrorCode.LOADING,
        pexora.ErrorCode.LOADING,
        pexora.ErrorCode.DIMENSIONS,  # smaller than the picture searched for
    ]


def test_one_worker_or_many_give_the_same(broken):
    pictures = [sample("SearchIn2.jpg"), *broken, sample("SearchInResample.jpg")] * 5
    one = list(pexora.find_many(sample("SearchFor2.jpg"), pictures, workers=1, difference=400))
    many = list(pexora.find_many(sample("SearchFor2.jpg"), pictures, workers=5, difference=400))
    assert [(p, str(o)) for p, o in one] == [(p, str(o)) for p, o in many]
    assert sum(isinstance(o, list) and len(o) > 0 for _, o in one) == 5


def test_searches_run_at_the_same_time():
    # Each picture waits for the other inside the search: one at a time would never end.
    meeting = threading.Barrier(2, timeout=20)

    class Meeting:
        def __init__(self, array):
            self.array = array

        def __array__(self, *args, **kwargs):
            meeting.wait()
            return self.array

    noise = random_rgb(40, 50, seed=2)
    found = list(pexora.find_many(noise[5:15, 5:15].copy(), [Meeting(noise), Meeting(noise)], workers=2, difference=0))
    assert [[(m.x, m.y) for m in matches] for _, matches in found] == [[(5, 5)], [(5, 5)]]


def test_bad_arguments_raise():
    cases = [
        ({"frobnicate": 1}, TypeError, "frobnicate"),
        ({"progress": print}, TypeError, "progress"),
        ({"workers": 0}, ValueError, "workers"),
        ({"workers": 1.5}, ValueError, "workers"),
    ]
    for options, kind, message in cases:
        with pytest.raises(kind, match=message):
            pexora.find_many(sample("SearchFor2.jpg"), [sample("SearchIn2.jpg")], **options)
    # Values out of range: at the first result.
    with pytest.raises(ValueError, match="tolerance"):
        next(pexora.find_many(sample("SearchFor2.jpg"), [sample("SearchIn2.jpg")], tolerance=300))
    # The search-for picture fails for every picture: said at once.
    with pytest.raises(pexora.PexoraError, match="nothing.png"):
        pexora.find_many(sample("nothing.png"), [sample("SearchIn2.jpg")])


def workers_alive() -> int:
    return sum(thread.name.startswith("pexora-find-many") for thread in threading.enumerate())


def test_stopping_early_ends_the_workers_and_releases_what_it_made():
    before = workers_alive()
    with pexora.Picture(sample("SearchFor2.jpg")) as given:
        results = pexora.find_many(given, (sample("SearchIn2.jpg") for _ in range(1000)), workers=2)
        assert next(results)[1][0].x == 397
        assert workers_alive() > before
        results.close()
        assert workers_alive() == before
        assert not given.closed  # the caller's picture stays the caller's
    assert list(pexora.find_many(sample("SearchFor2.jpg"), [])) == []


def test_a_picture_deleted_while_the_batch_runs_fails_alone(tmp_path):
    names = []
    for i in range(200):
        names.append(str(tmp_path / f"{i:03d}.jpg"))
        shutil.copyfile(sample("SearchIn2.jpg"), names[-1])
    outcomes = []
    for name, outcome in pexora.find_many(sample("SearchFor2.jpg"), names, workers=2):
        outcomes.append((name, outcome))
        if len(outcomes) == 1:
            for other in names[1:]:
                (tmp_path / other).unlink()
    assert [name for name, _ in outcomes] == names
    gone = [o for _, o in outcomes if isinstance(o, pexora.PexoraError)]
    assert all(o.code == pexora.ErrorCode.LOADING for o in gone)
    assert all(isinstance(o, pexora.PexoraError) or o[0].x == 397 for _, o in outcomes)
    # Only those searched ahead of the first result were loaded.
    assert len(gone) >= len(names) - 1 - 2 * pexora.many.AHEAD_PER_WORKER


def test_a_folder_of_broken_files_fails_picture_by_picture(broken):
    outcomes = list(pexora.find_many(sample("SearchFor2.jpg"), broken))
    assert [(p, o.code, o.filename) for p, o in outcomes] == [(p, pexora.ErrorCode.LOADING, p) for p in broken]


def test_a_picture_past_the_time_limit_fails_alone():
    # A small grey picture stretched over a large grey one matches almost
    # everywhere at every size: far past the limit; in a small grey one the
    # same search ends well within it.
    dot = numpy.full((8, 8, 3), 200, dtype=numpy.uint8)
    large = numpy.full((2048, 2048, 3), 200, dtype=numpy.uint8)
    small = numpy.full((24, 24, 3), 200, dtype=numpy.uint8)
    options = {"timeout": 0.5, "stretch_min": (1, 1), "stretch_max": (64, 64), "max_matches": 1}
    got = list(pexora.find_many(dot, [large, small], **options))
    assert len(got) == 2
    outcome = got[0][1]
    assert isinstance(outcome, TimeoutError) and isinstance(outcome, pexora.PexoraError)
    assert outcome.code == pexora.ErrorCode.TIME_LIMIT
    assert "time limit of 0.5 s" in str(outcome)
    assert got[1][1] and got[1][1][0].percentage == 100
    # As find_many on a cluster hands it back from a worker.
    copy = pickle.loads(pickle.dumps(outcome))
    assert type(copy) is pexora.SearchTimedOut
    assert (str(copy), copy.code, copy.text, copy.filename) == (str(outcome), outcome.code, outcome.text, None)
