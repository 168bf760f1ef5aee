"""Lets library calls of other threads end before the interpreter does.

When the interpreter ends, a daemon thread that is inside the library is ended
as soon as it takes the interpreter lock again: from a progress callback, that
is in the middle of the library's C++ frames, which do not survive it (the
process aborts). So at exit the interpreter waits here for the calls that are
running (progress callables are no longer called meanwhile, so that none can
keep it waiting), and refuses to start new ones.
"""

from __future__ import annotations

import atexit
import contextlib
import os
import threading
from collections.abc import Iterator


class LibraryCalls:
    def __init__(self) -> None:
        self._changed = threading.Condition()
        self._running = 0
        self.exiting = False

    @contextlib.contextmanager
    def running(self) -> Iterator[None]:
        """Around a library call that may take long or call back."""
        with self._changed:
            if self.exiting:
                raise RuntimeError("pexora: the interpreter is shutting down")
            self._running += 1
        try:
            yield
        finally:
            with self._changed:
                self._running -= 1
                self._changed.notify_all()

    def wait_for_all(self) -> None:
        with self._changed:
            self.exiting = True
            while self._running:
                self._changed.wait()

    def forget_all(self) -> None:
        # A forked child has none of its parent's threads.
        self._changed = threading.Condition()
        self._running = 0
        self.exiting = False


CALLS = LibraryCalls()
atexit.register(CALLS.wait_for_all)
os.register_at_fork(after_in_child=CALLS.forget_all)
