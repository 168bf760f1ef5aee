"""How the package finds the library, and what it says when it cannot.

Each case imports pexora in a fresh interpreter with its own environment.
"""

from __future__ import annotations

import ctypes
import os
import shutil
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest
from conftest import sample

import pexora
from pexora import _records as r

SOURCES = str(Path(pexora.__file__).resolve().parents[1])


def loaded_library() -> Path:
    """The libpexora file that this process has loaded."""
    with open("/proc/self/maps") as maps:
        for line in maps:
            if "libpexora" in line:
                return Path(line.split(maxsplit=5)[5].strip())
    raise AssertionError("libpexora is not loaded")


def run_python(code: str, **environment: str) -> subprocess.CompletedProcess:
    env = {key: value for key, value in os.environ.items() if key not in ("PEXORA_LIBRARY", "LD_LIBRARY_PATH")}
    env.update(PYTHONPATH=SOURCES, **environment)
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], env=env, capture_output=True, text=True,
                          timeout=120)


# Prints the search's best match and the library file this interpreter loaded.
FIND_AND_SAY_WHICH = f"""
import pexora
print(pexora.find({sample("SearchIn2.jpg")!r}, {sample("SearchFor2.jpg")!r})[0].x)
print(next(line.split()[5] for line in open("/proc/self/maps") if "libpexora" in line))
"""


def test_found_through_ld_library_path():
    library = loaded_library()
    done = run_python(FIND_AND_SAY_WHICH, LD_LIBRARY_PATH=str(library.parent))
    assert done.returncode == 0, done.stderr
    assert done.stdout.split() == ["397", str(library.parent / "libpexora.so.1.1.0")]


def test_found_through_pexora_library(tmp_path):
    # A copy under another name: only the variable can lead to it.
    copy = tmp_path / "libpexora-under-test.so"
    shutil.copyfile(loaded_library(), copy)
    done = run_python(FIND_AND_SAY_WHICH, PEXORA_LIBRARY=str(copy))
    assert done.returncode == 0, done.stderr
    assert done.stdout.split() == ["397", str(copy)]


def library_is_installed() -> bool:
    # Asked in a fresh process: this one has loaded a libpexora.so.1 already.
    return run_python("import ctypes; ctypes.CDLL('libpexora.so.1')").returncode == 0


@pytest.mark.skipif(library_is_installed(), reason="libpexora.so.1 is installed where the system finds it")
def test_not_found_says_where_it_looked():
    done = run_python("import pexora")
    assert done.returncode == 1
    message = done.stderr.strip().splitlines()[-1]
    assert message.startswith("ImportError: libpexora.so.1 was not found")
    assert "LD_LIBRARY_PATH" in message and "PEXORA_LIBRARY" in message and "ldconfig" in message


@pytest.mark.parametrize(
    "named, complaint",
    [
        ("/nonexistent/libpexora.so.1", "PEXORA_LIBRARY names '/nonexistent/libpexora.so.1', which cannot be loaded"),
        (sample("SearchIn2.jpg"), "which cannot be loaded"),
        ("libfreeimage.so.3", "libfreeimage.so.3 is not libpexora 1.x: it has no Pexora_CreateObject"),
    ],
    ids=["missing", "not a library", "another library"],
)
def test_pexora_library_naming_no_usable_library(named, complaint):
    done = run_python("import pexora", PEXORA_LIBRARY=named)
    assert done.returncode == 1
    assert complaint in done.stderr and "ImportError" in done.stderr


def test_records_are_laid_out_as_the_library_lays_them_out():
    assert r.layout_mismatches() == []
    wrong = [(r.TPXResultMatches, "MatchPercentage", 20, 20), (r.TPXObject, None, 41, 29)]
    wrong_size = 41 if ctypes.sizeof(ctypes.c_void_p) == 8 else 29
    assert r.layout_mismatches(wrong) == [
        "TPXResultMatches.MatchPercentage offset is 24, the library's is 20",
        f"TPXObject size is {ctypes.sizeof(r.TPXObject)}, the library's is {wrong_size}",
    ]


# A daemon thread searches with a progress callable; the main thread ends as
# soon as the search has started, or forks a child that ends at once.
ENDING_WHILE_SEARCHING = f"""
import os, sys, threading, pexora
started = threading.Event()
def search():
    pexora.find({sample("SearchInAlphaStretched.PNG")!r}, {sample("SearchForAlpha.png")!r}, alpha=True,
                stretch_min=(20, 20), stretch_max=(100, 100), threads=1, progress=lambda percent: started.set())
threading.Thread(target=search, daemon=True).start()
started.wait()
if sys.argv[-1] == "fork":
    child = os.fork()
    if child == 0:
        sys.exit(0)  # the parent's search is no concern of the child's
    print("child", os.waitpid(child, 0)[1])
print("leaving")
"""


@pytest.mark.parametrize("how", ["exit", "fork"])
def test_the_process_may_end_while_a_search_runs(how):
    # Without waiting for the search, the process aborted about every second time.
    for _ in range(4):
        done = subprocess.run([sys.executable, "-c", ENDING_WHILE_SEARCHING, how], capture_output=True, text=True,
                              timeout=120, env=dict(os.environ, PYTHONPATH=SOURCES,
                                                    PEXORA_LIBRARY=str(loaded_library())))
        expected = "child 0\nleaving\n" if how == "fork" else "leaving\n"
        assert (done.returncode, done.stdout, done.stderr) == (0, expected, "")


def test_no_search_starts_once_the_interpreter_is_ending():
    done = run_python(f"""
        import atexit
        def late():
            try:
                print(pexora.find({sample("SearchIn2.jpg")!r}, {sample("SearchFor2.jpg")!r}))
            except RuntimeError as error:
                print(error)
        atexit.register(late)  # registered first, so it runs after pexora's own exit handler
        import pexora
        """, PEXORA_LIBRARY=str(loaded_library()))
    assert done.stdout == "pexora: the interpreter is shutting down\n", done.stderr


def test_versions():
    major, minor, patch = pexora.library_version()
    assert major == 1 and pexora.__version__.startswith("1.")
