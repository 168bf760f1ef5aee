"""Stopping a search: its time limit, an event set by another thread, and
Ctrl-C sent to a real process."""

from __future__ import annotations

import os
import signal
import subprocess
import sys
import textwrap
import threading
import time

import numpy
import pytest
from conftest import sample

import pexora

# Random pixels and a difference that lets every position test tens of
# thousands of them: a search of many seconds.
_RANDOM = numpy.random.default_rng(3)
SEARCH_IN = _RANDOM.integers(0, 256, (900, 900, 3), dtype=numpy.uint8)
SEARCH_FOR = _RANDOM.integers(0, 256, (256, 256, 3), dtype=numpy.uint8)
LONG = {"tolerance": 0, "difference": 60000}


@pytest.fixture(scope="module")
def pictures():
    with pexora.Picture(SEARCH_IN) as search_in, pexora.Picture(SEARCH_FOR) as search_for:
        yield search_in, search_for


@pytest.mark.parametrize("threads", ["all", 1])
def test_a_timeout_raises_timeout_error_naming_the_limit(pictures, threads):
    started = time.monotonic()
    with pytest.raises(TimeoutError, match=r"time limit of 0\.25 s"):
        pexora.find(*pictures, timeout=0.25, threads=threads, **LONG)
    assert 0.25 <= time.monotonic() - started < 5


@pytest.mark.parametrize("threads", ["all", 1])
def test_an_event_set_by_another_thread_stops_the_search(pictures, threads):
    stop = threading.Event()
    timer = threading.Timer(0.2, stop.set)
    timer.start()
    started = time.monotonic()
    with pytest.raises(pexora.SearchStopped, match="stop was set") as raised:
        pexora.find(*pictures, stop=stop, threads=threads, **LONG)
    timer.join()
    assert time.monotonic() - started < 5
    assert raised.value.code == pexora.ErrorCode.STOPPED
    assert isinstance(raised.value, pexora.PexoraError)
    # The pictures still search, and an event that is never set changes nothing.
    found = pexora.find(sample("SearchIn2.jpg"), sample("SearchFor2.jpg"), stop=threading.Event(), timeout=60)
    assert [(m.x, m.y) for m in found] == [(397, 249)]
    assert pexora.find(pictures[0], pictures[1], region=(0, 0, 300, 300), **LONG) == []


def test_an_event_set_before_the_search_stops_it_at_once(pictures):
    stop = threading.Event()
    stop.set()
    with pytest.raises(pexora.SearchStopped):
        pexora.find(*pictures, stop=stop, **LONG)


@pytest.mark.parametrize(
    ("options", "error", "message"),
    [
        ({"timeout": 0}, ValueError, "timeout: must be above 0"),
        ({"timeout": -1.5}, ValueError, "timeout"),
        ({"timeout": float("nan")}, ValueError, "timeout"),
        ({"timeout": "1"}, TypeError, "timeout"),
        ({"stop": True}, TypeError, "stop: expected a threading.Event"),
    ],
)
def test_bad_stop_options_are_refused(options, error, message):
    with pytest.raises(error, match=message):
        pexora.find(sample("SearchIn2.jpg"), sample("SearchFor2.jpg"), **options)


def test_an_exception_of_the_event_stops_the_search_and_is_raised(pictures):
    class Broken:
        def is_set(self) -> bool:
            raise LookupError("broken event")

    with pytest.raises(LookupError, match="broken event"):
        pexora.find(*pictures, stop=Broken(), **LONG)


# A child that searches for minutes, says when it has started, and reports
# how the search ended.
_CHILD = textwrap.dedent(
    """
    import signal, sys, numpy, pexora
    random = numpy.random.default_rng(3)
    search_in = random.integers(0, 256, (900, 900, 3), dtype=numpy.uint8)
    search_for = random.integers(0, 256, (256, 256, 3), dtype=numpy.uint8)
    {setup}
    def started(percent):
        if percent == 0:
            print("searching", flush=True)
    try:
        pexora.find(search_in, search_for, tolerance=0, difference=60000, threads={threads!r}, progress=started)
    except KeyboardInterrupt:
        print("KeyboardInterrupt", flush=True)
        sys.exit(3)
    print("finished", flush=True)
    """
)


def _interrupted_child(threads, setup=""):
    child = subprocess.Popen(
        [sys.executable, "-c", _CHILD.format(threads=threads, setup=setup)],
        stdout=subprocess.PIPE,
        text=True,
        env=os.environ,
    )
    try:
        assert child.stdout.readline() == "searching\n"
        time.sleep(0.3)
        sent = time.monotonic()
        child.send_signal(signal.SIGINT)
        out, _ = child.communicate(timeout=20)
        return child.returncode, out, time.monotonic() - sent
    finally:
        if child.poll() is None:
            child.kill()
            child.wait()


@pytest.mark.parametrize("threads", ["all", 1])
def test_ctrl_c_stops_a_search_with_keyboard_interrupt(threads):
    code, out, seconds = _interrupted_child(threads)
    assert (code, out) == (3, "KeyboardInterrupt\n")
    assert seconds < 3  # 0.2 s on a quiet machine


def test_a_handler_of_the_programs_own_runs_during_the_search():
    # A handler that only counts lets the search go on; the second signal's
    # handler raises, which stops it.
    setup = textwrap.dedent(
        """
        caught = []
        def count(signum, frame):
            caught.append(signum)
            print("caught", flush=True)
            if len(caught) == 2:
                raise KeyboardInterrupt
        signal.signal(signal.SIGINT, count)
        """
    )
    child = subprocess.Popen(
        [sys.executable, "-c", _CHILD.format(threads="all", setup=setup)], stdout=subprocess.PIPE, text=True
    )
    try:
        assert child.stdout.readline() == "searching\n"
        child.send_signal(signal.SIGINT)
        assert child.stdout.readline() == "caught\n"
        child.send_signal(signal.SIGINT)
        out, _ = child.communicate(timeout=20)
        assert (child.returncode, out) == (3, "caught\nKeyboardInterrupt\n")
    finally:
        if child.poll() is None:
            child.kill()
            child.wait()


def test_a_search_on_another_thread_leaves_ctrl_c_to_the_main_thread(pictures):
    stop = threading.Event()
    errors = []

    def search():
        try:
            pexora.find(*pictures, stop=stop, **LONG)
        except BaseException as error:
            errors.append(error)

    worker = threading.Thread(target=search)
    worker.start()
    time.sleep(0.1)
    assert signal.getsignal(signal.SIGINT) is signal.default_int_handler
    stop.set()
    worker.join(20)
    assert [type(e) for e in errors] == [pexora.SearchStopped]
