"""One picture searched for in many over a Dask cluster.

``find_many`` here does what ``pexora.find_many`` does, on the workers of
Dask's distributed scheduler, on one machine or many::

    from distributed import Client
    import pexora.dask

    client = Client("tcp://scheduler:8786")
    for path, matches in pexora.dask.find_many("logo.png", paths, client):
        ...

The search-for picture travels to each worker once (a Picture pickles to its
pixels or its file's content); the pictures to search in travel as paths
that the workers read (shared storage) or, with ``send_files=True``, as the
files' content read here. Each worker loads its own library objects and
releases them: the pictures it searched in at once, the search-for picture
when the batch is over.

Dask is optional for the rest of the package; this module needs Debian's
python3-dask and python3-distributed (or pip's dask[distributed]).
"""

from __future__ import annotations

import collections
from collections.abc import Iterable, Iterator
from typing import Any, TypeVar

try:
    import distributed
except ImportError as error:  # pragma: no cover - depends on the machine
    raise ImportError(
        f"pexora.dask needs Dask's distributed scheduler ({error}): install the Debian packages "
        "python3-dask and python3-distributed (or pip install 'dask[distributed]')"
    ) from None

from . import _pickling, many
from .errors import PexoraError
from .many import Outcome
from .picture import Picture, Source, file_path

S = TypeVar("S")

# Pictures searched by one task: fewer tasks, less of the scheduler's time each.
PICTURES_PER_TASK = 8
# Tasks done or under way beyond the one whose results are handed out, per worker thread.
TASKS_AHEAD_PER_THREAD = 2


class _SentFile:
    """A file's content, read by the caller, for a worker without the file."""

    def __init__(self, name: str, content: bytes) -> None:
        self.name = name
        self.content = content


def _search_task(items: list[Any], search_for: Picture, options: dict[str, Any]) -> list[Outcome]:
    """Runs on a worker: the outcome of each picture of one task."""
    outcomes: list[Outcome] = []
    for item in items:
        if isinstance(item, _SentFile):
            try:
                picture = _pickling.picture_from_content(item.content, item.name, None, "bilinear")
            except PexoraError as error:
                outcomes.append(error)
                continue
            with picture:
                outcomes.append(many.search_one(picture, search_for, options))
        else:
            outcomes.append(many.search_one(item, search_for, options))
    return outcomes


def _sent(item: Any, send_files: bool) -> Any:
    if not send_files:
        return item
    path = file_path(item)
    if path is None:
        return item
    try:
        return _SentFile(path, _pickling.file_content(path))
    except OSError:
        return item  # fails on the worker as the missing file it is


def _chunks(pictures: Iterator[S], size: int) -> Iterator[list[S]]:
    chunk: list[S] = []
    for picture in pictures:
        chunk.append(picture)
        if len(chunk) == size:
            yield chunk
            chunk = []
    if chunk:
        yield chunk


def find_many(
    search_for: Source,
    pictures: Iterable[S],
    client: Any = None,
    *,
    send_files: bool = False,
    pictures_per_task: int = PICTURES_PER_TASK,
    **options: Any,
) -> Iterator[tuple[S, Outcome]]:
    """``pexora.find_many`` on the workers of a Dask cluster.

    Yields ``(picture, matches)`` in the order of ``pictures``, ``matches``
    being a list of Match or the picture's PexoraError, as
    ``pexora.find_many`` does. ``client`` is a ``distributed.Client``, or the
    current one (``distributed.get_client()``) when None. Paths are read by
    the workers, unless ``send_files`` is True: then each file is read here
    and its content sent. Arrays and Pictures are pickled to the workers.
    ``pictures_per_task`` pictures go to a worker at a time; tasks are sent
    as the results come back, a few per worker thread ahead, so ``pictures``
    may be a stream of any length. A worker lost during the batch has its
    tasks done again by Dask elsewhere. The other options are ``find``'s,
    for each search (``threads`` 1 unless given).
    """
    each = many.search_options(options)
    if isinstance(pictures_per_task, bool) or not isinstance(pictures_per_task, int) or pictures_per_task < 1:
        raise ValueError(f"pictures_per_task: expected a whole number of at least 1, got {pictures_per_task!r}")
    if client is None:
        client = distributed.get_client()
    picture = search_for if isinstance(search_for, Picture) else Picture(search_for)
    try:
        [shared] = client.scatter([picture], broadcast=True, hash=False)
    except BaseException:
        if picture is not search_for:
            picture.close()
        raise
    owned = picture if picture is not search_for else None
    return _results(client, shared, owned, iter(pictures), send_files, pictures_per_task, each)


def _results(
    client: Any,
    shared: Any,
    owned: Picture | None,
    pictures: Iterator[S],
    send_files: bool,
    per_task: int,
    options: dict[str, Any],
) -> Iterator[tuple[S, Outcome]]:
    ahead = max(1, sum(client.nthreads().values())) * TASKS_AHEAD_PER_THREAD
    running: collections.deque[tuple[list[S], Any]] = collections.deque()

    def hand_out() -> Iterator[tuple[S, Outcome]]:
        chunk, future = running.popleft()
        outcomes: list[Outcome] = future.result()
        future.release()
        yield from zip(chunk, outcomes)

    try:
        for chunk in _chunks(pictures, per_task):
            sent = [_sent(item, send_files) for item in chunk]
            running.append((chunk, client.submit(_search_task, sent, shared, options, pure=False)))
            del chunk, sent
            if len(running) >= ahead:
                yield from hand_out()
        while running:
            yield from hand_out()
    finally:
        for _, future in running:
            future.cancel()
        running.clear()
        shared.release()
        if owned is not None:  # workers in this process may have shared it
            owned.close()
