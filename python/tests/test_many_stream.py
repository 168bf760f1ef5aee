"""find_many over a million pictures: read as it goes, nothing kept."""

from __future__ import annotations

from conftest import resident_bytes, sample

import pexora

COUNT = 1_000_000
MiB = 1024 * 1024


def test_a_million_paths_stream_through_without_being_held():
    workers = 2
    pulled = 0

    def paths():
        nonlocal pulled
        for i in range(COUNT):
            pulled += 1
            yield f"/nonexistent/pexora-stream/{i}.png"

    before = resident_bytes()
    handed = 0
    farthest_ahead = 0
    for path, outcome in pexora.find_many(sample("SearchFor2.jpg"), paths(), workers=workers):
        assert outcome.filename == path
        handed += 1
        farthest_ahead = max(farthest_ahead, pulled - handed)
        if handed == 1000:
            # Allocators have their working size once the look-ahead is full.
            before = resident_bytes()
    grown = resident_bytes() - before
    print(f"{COUNT} paths: at most {farthest_ahead} read ahead, resident memory grew by {grown / MiB:.1f} MiB")
    assert handed == COUNT
    assert farthest_ahead <= workers * pexora.many.AHEAD_PER_WORKER
    # A million results held would be hundreds of MiB (the error alone is some 600 bytes).
    assert grown < 32 * MiB
