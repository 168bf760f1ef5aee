"""One picture searched for in many, several searches at once."""

from __future__ import annotations

import collections
import concurrent.futures
import inspect
import os
from collections.abc import Iterable, Iterator
from typing import Any, TypeVar, Union

from .errors import PexoraError
from .picture import Picture, Source
from .search import Match, find

S = TypeVar("S")
#: What a search of many gives for each picture: its matches, or why it failed.
Outcome = Union[list[Match], PexoraError]

# Results done or under way beyond the one handed out, per worker thread.
AHEAD_PER_WORKER = 4

_FIND = inspect.signature(find)


def search_options(options: dict[str, Any]) -> dict[str, Any]:
    """The options of ``find`` for each search of many, checked by name.

    Each search runs on one thread unless ``threads`` says otherwise, since
    the pictures are spread over the threads already.
    """
    if "progress" in options:
        raise TypeError("progress: not taken when searching many pictures")
    _FIND.bind(None, None, **options)  # TypeError for a name that find does not take
    return {"threads": 1, **options}


def search_one(search_in: Any, search_for: Picture, options: dict[str, Any]) -> Outcome:
    """The matches in ``search_in``, or the PexoraError of the picture."""
    try:
        return find(search_in, search_for, **options)
    except PexoraError as error:
        return error


def find_many(
    search_for: Source, pictures: Iterable[S], *, workers: int | None = None, **options: Any
) -> Iterator[tuple[S, Outcome]]:
    """Searches for ``search_for`` in each of ``pictures``, several at once.

    Yields ``(picture, matches)`` in the order of ``pictures``, ``picture`` as
    it was given; ``matches`` is the list ``find`` returns, or the
    ``PexoraError`` of that picture (a file that is missing or broken, a
    picture smaller than the one searched for) when it failed: one picture's
    failure does not end the others. ``search_for`` is loaded once, here
    (a PexoraError of its own is raised at once), and shared by all searches.

    ``pictures`` is any iterable of what ``find`` searches in: paths, arrays,
    Pictures. It is read as the searches go, never more than a few pictures
    per worker ahead of the result handed out last, so an endless stream
    works and results not kept by the caller are not kept here.
    ``workers`` searches run at once (the number of processors unless
    given). The other options are ``find``'s, for each search; ``threads``
    is 1 unless given. An option of the wrong name or value raises
    TypeError or ValueError, when it is called or at the first result.

    >>> for path, matches in find_many("samples/SearchFor2.jpg", ["samples/SearchIn2.jpg", "samples/nothing.png"]):
    ...     print(path, matches)  # doctest: +NORMALIZE_WHITESPACE
    samples/SearchIn2.jpg [Match(x=397, y=249, width=96, height=72, difference=22, percentage=99.68171296296296)]
    samples/nothing.png cannot load 'samples/nothing.png': the picture could not be loaded:
        missing, unreadable or not a PNG, JPEG, BMP, GIF or TIFF file (code 3)
    """
    each = search_options(options)
    if workers is None:
        workers = os.cpu_count() or 1
    elif isinstance(workers, bool) or not isinstance(workers, int) or workers < 1:
        raise ValueError(f"workers: expected a whole number of at least 1, got {workers!r}")
    searched_for = search_for if isinstance(search_for, Picture) else Picture(search_for)
    return _results(searched_for, search_for is not searched_for, iter(pictures), workers, each)


def _results(
    search_for: Picture, owned: bool, pictures: Iterator[S], workers: int, options: dict[str, Any]
) -> Iterator[tuple[S, Outcome]]:
    pool = concurrent.futures.ThreadPoolExecutor(workers, thread_name_prefix="pexora-find-many")
    running: collections.deque[tuple[S, concurrent.futures.Future[Outcome]]] = collections.deque()
    try:
        for picture in pictures:
            running.append((picture, pool.submit(search_one, picture, search_for, options)))
            del picture  # held by `running` alone, and only while it is there
            if len(running) >= workers * AHEAD_PER_WORKER:
                done, outcome = running.popleft()
                yield done, outcome.result()
                del done, outcome
        while running:
            done, outcome = running.popleft()
            yield done, outcome.result()
            del done, outcome
    finally:
        running.clear()
        pool.shutdown(wait=True, cancel_futures=True)
        if owned:
            search_for.close()
