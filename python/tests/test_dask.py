"""pexora.dask.find_many on a real LocalCluster with worker processes."""

from __future__ import annotations

import gc
import os
import shutil
import signal
import subprocess
import sys
import time

import pytest
from conftest import random_rgb, sample

import pexora

distributed = pytest.importorskip("distributed")
import pexora.dask  # noqa: E402  (after the skip: it needs distributed)


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(
        n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None, silence_logs=40
    ) as cluster, distributed.Client(cluster) as client:
        yield client


@pytest.fixture
def pictures(tmp_path):
    """Pictures with the search-for picture, without it, broken, missing, too small; paths and arrays."""
    (tmp_path / "broken.jpg").write_bytes(open(sample("SearchIn2.jpg"), "rb").read()[:2000])
    noise = random_rgb(100, 120, seed=9)
    return [
        sample("SearchIn2.jpg"),
        str(tmp_path / "broken.jpg"),
        sample("SearchInResample.jpg"),
        str(tmp_path / "missing.png"),
        sample("SearchForAlpha.png"),  # smaller than the picture searched for
        noise,
        sample("SearchIn2.jpg"),
    ] * 6


def same(outcomes):
    """Outcomes compared by value (errors by text, code and file)."""
    return [
        (str(o), o.code, o.filename) if isinstance(o, pexora.PexoraError) else o for _, o in outcomes
    ]


def test_results_are_those_of_find_many_in_the_same_order(client, pictures):
    # The plain search last: its results are counted below.
    for options in ({"difference": 400, "max_matches": 2}, {"model": "ahsl", "region": (300, 200, 300, 200)}, {}):
        expected = list(pexora.find_many(sample("SearchFor2.jpg"), pictures, **options))
        got = list(pexora.dask.find_many(sample("SearchFor2.jpg"), pictures, client, **options))
        assert [p for p, _ in got] == pictures
        assert same(got) == same(expected)
    assert sum(isinstance(o, list) and len(o) > 0 for _, o in got) == 12
    assert sum(isinstance(o, pexora.PexoraError) for _, o in got) == 18


def test_files_sent_as_content_give_the_same_for_workers_without_them(client, pictures, tmp_path):
    # The search-for picture from an array, the pictures read here: nothing read by the workers.
    from conftest import decoded

    search_for = decoded("SearchFor2.jpg")
    expected = list(pexora.find_many(search_for, pictures))
    got = list(pexora.dask.find_many(search_for, pictures, client, send_files=True, pictures_per_task=3))
    assert same(got) == same(expected)


def test_a_worker_killed_mid_batch_has_its_pictures_searched_again(client, tmp_path):
    paths = []
    for i in range(160):
        paths.append(str(tmp_path / f"{i:03d}.jpg"))
        shutil.copyfile(sample("SearchIn2.jpg" if i % 4 else "SearchInResample.jpg"), paths[-1])
    expected = same(pexora.find_many(sample("SearchFor2.jpg"), paths))
    pids = client.run(os.getpid)
    got = []
    for item in pexora.dask.find_many(sample("SearchFor2.jpg"), paths, client, pictures_per_task=4):
        got.append(item)
        if len(got) == 1:
            os.kill(next(iter(pids.values())), signal.SIGKILL)
    assert [p for p, _ in got] == paths
    assert same(got) == expected
    # The nanny started a worker in place of the one killed.
    client.wait_for_workers(2, timeout=60)
    assert set(client.run(os.getpid).values()) != set(pids.values())


def live_pictures() -> int:
    gc.collect()
    return sum(isinstance(o, pexora.Picture) and not o.closed for o in gc.get_objects())


def test_workers_release_their_pictures_when_the_batch_is_over(client):
    assert sum(1 for _ in pexora.dask.find_many(sample("SearchFor2.jpg"), [sample("SearchIn2.jpg")] * 8, client)) == 8
    deadline = time.monotonic() + 30
    while any(client.run(live_pictures).values()) and time.monotonic() < deadline:
        time.sleep(0.2)
    assert set(client.run(live_pictures).values()) == {0}


def test_bad_arguments_raise_before_anything_is_sent(client):
    for options, kind in (({"frobnicate": 1}, TypeError), ({"pictures_per_task": 0}, ValueError)):
        with pytest.raises(kind):
            pexora.dask.find_many(sample("SearchFor2.jpg"), [sample("SearchIn2.jpg")], client, **options)
    with pytest.raises(pexora.PexoraError, match="nothing.png"):
        pexora.dask.find_many(sample("nothing.png"), [sample("SearchIn2.jpg")], client)


WITHOUT_DASK = """
import sys

class NoDask:
    def find_spec(self, name, path=None, target=None):
        if name.split(".")[0] in ("dask", "distributed"):
            raise ModuleNotFoundError(f"No module named {name!r}")

sys.meta_path.insert(0, NoDask())
import pexora
print(next(pexora.find_many(sys.argv[1], [sys.argv[2]]))[1][0].x)
try:
    import pexora.dask
except ImportError as error:
    print(error)
"""


def test_the_package_works_without_dask_and_says_what_to_install():
    done = subprocess.run(
        [sys.executable, "-c", WITHOUT_DASK, sample("SearchFor2.jpg"), sample("SearchIn2.jpg")],
        capture_output=True, text=True, env=os.environ, check=True,
    )
    found, message = done.stdout.splitlines()
    assert found == "397"
    assert "python3-dask" in message and "python3-distributed" in message
