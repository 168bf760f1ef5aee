#!/usr/bin/env python3
"""Throughput of searching many pictures: pexora-find --batch against a loop
of one pexora-find per picture, against the pictures' own decode and search
time, and pexora.find_many (and, with --dask, pexora.dask.find_many on a
local cluster) beside them.

The pictures to search in are made here from pictures nobody in this project
made (scripts/fetch-real-pictures.sh: the skimage photographs and the
desktop-base wallpapers): 1280 x 720 crops and composites saved as JPEG, a
48 x 48 piece of a photograph planted in every tenth. They are written to a
folder of their own and never committed.

The machine is shared, so the ways are measured in rounds, interleaved, and
each figure is the median of its rounds; the load average is printed with it.

    PYTHONPATH=python/src PEXORA_LIBRARY=build/bin/libpexora.so.1 \\
        /usr/bin/python3 bench/batch_throughput.py --tool build/bin/pexora-find
"""

from __future__ import annotations

import argparse
import importlib
import os
import resource
import statistics
import subprocess
import tempfile
import time
from pathlib import Path

import numpy
from PIL import Image

import pexora

WIDTH, HEIGHT = 1280, 720
PIECE = 48
# The piece lies in JPEGs of quality 85: the default tolerances (15, 1 %) find
# only some of them, so every way searches with these.
TOOL_OPTIONS = ["--argb-tolerance", "30", "-d", "5%"]
OPTIONS = {"tolerance": 30, "difference": "5%"}
PHOTOGRAPHS = [
    "skimage/astronaut.png", "skimage/coffee.png", "skimage/chelsea.png", "skimage/rocket.jpg",
    "skimage/motorcycle_left.png", "skimage/motorcycle_right.png", "skimage/hubble_deep_field.jpg",
    "skimage/retina.jpg", "skimage/ihc.png", "skimage/gravel.png", "skimage/brick.png", "skimage/grass.png",
    "skimage/camera.png",
    "desktop-base/plasma/look-and-feel/org.debian.desktop/contents/previews/fullscreenpreview.jpg",
    "desktop-base/desktop-base/emerald-theme/grub/grub-16x9.png",
    "desktop-base/desktop-base/softwaves-theme/grub/grub-16x9.png",
    "desktop-base/plymouth/themes/softwaves/plymouth_background_waves.png",
    "desktop-base/plymouth/themes/joy/background.png",
]


def load_sources(root: Path) -> list[Image.Image]:
    sources = []
    for name in PHOTOGRAPHS:
        path = root / name
        if not path.exists():
            raise SystemExit(f"{path} is missing: run scripts/fetch-real-pictures.sh")
        with Image.open(path) as picture:
            sources.append(picture.convert("RGB"))
    return sources


def make_pictures(root: Path, folder: Path, count: int) -> tuple[Path, list[Path]]:
    """The search-for piece beside `folder`, and `count` search-in pictures in it."""
    folder.mkdir(parents=True, exist_ok=True)
    sources = load_sources(root)
    rng = numpy.random.default_rng(1280720)
    astronaut = sources[0]
    piece = astronaut.crop((230, 90, 230 + PIECE, 90 + PIECE))  # part of the face
    search_for = folder.parent / "search-for.png"
    piece.save(search_for)
    pictures = []
    for i in range(count):
        canvas = Image.new("RGB", (WIDTH, HEIGHT))
        # Two or three crops of different photographs, each scaled to its strip.
        strips = int(rng.integers(1, 4))
        x = 0
        for s in range(strips):
            source = sources[int(rng.integers(len(sources)))]
            width = WIDTH - x if s == strips - 1 else int(WIDTH / strips)
            scale = float(rng.uniform(0.6, 1.6))
            crop_w = max(16, min(source.width, int(width / scale)))
            crop_h = max(16, min(source.height, int(HEIGHT / scale)))
            left = int(rng.integers(0, source.width - crop_w + 1))
            top = int(rng.integers(0, source.height - crop_h + 1))
            strip = source.crop((left, top, left + crop_w, top + crop_h)).resize((width, HEIGHT), Image.BILINEAR)
            canvas.paste(strip, (x, 0))
            x += width
        if i % 10 == 0:
            canvas.paste(piece, (int(rng.integers(0, WIDTH - PIECE)), int(rng.integers(0, HEIGHT - PIECE))))
        path = folder / f"picture-{i:04d}.jpg"
        canvas.save(path, quality=85)
        pictures.append(path)
    return search_for, pictures


def load() -> str:
    return Path("/proc/loadavg").read_text().split(" ")[0]


def processor_seconds() -> float:
    """Processor time of this process and of its children that have ended."""
    children = resource.getrusage(resource.RUSAGE_CHILDREN)
    return time.process_time() + children.ru_utime + children.ru_stime


def timed(what, *args) -> tuple[float, float, object]:
    """Wall-clock seconds, processor seconds (of this process and the tools it ran), result."""
    start, start_processor = time.perf_counter(), processor_seconds()
    result = what(*args)
    return time.perf_counter() - start, processor_seconds() - start_processor, result


def batch(tool: str, search_for: Path, folder: Path) -> int:
    done = subprocess.run([tool, "--json", *TOOL_OPTIONS, "--batch", str(search_for), str(folder)],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return sum('"matches":[{' in line for line in done.stdout.splitlines())


def loop(tool: str, search_for: Path, pictures: list[Path]) -> int:
    found = 0
    for picture in pictures:
        done = subprocess.run([tool, *TOOL_OPTIONS, str(picture), str(search_for)], capture_output=True)
        assert done.returncode in (0, 1), done.stderr
        found += done.returncode == 0
    return found


def decode_and_search(search_for: pexora.Picture, pictures: list[Path]) -> int:
    """One picture after another on one thread: the work itself."""
    found = 0
    for picture in pictures:
        with pexora.Picture(picture) as search_in:
            found += bool(pexora.find(search_in, search_for, threads=1, **OPTIONS))
    return found


def many(search_for: pexora.Picture, pictures: list[Path]) -> int:
    return sum(bool(matches) for _, matches in pexora.find_many(search_for, pictures, **OPTIONS))


def main() -> None:
    source = Path(__file__).resolve().parents[1]
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--tool", default=str(source / "build" / "bin" / "pexora-find"))
    parser.add_argument(
        "--real-pictures", type=Path,
        default=Path(os.environ.get("PEXORA_REAL_PICTURES", source / "build" / "real-pictures")))
    parser.add_argument("--work", type=Path, help="folder for the pictures (default: a temporary one)")
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--rounds", type=int, default=4, help="the loop runs over 1/ROUNDS of the pictures each round")
    parser.add_argument("--dask", action="store_true", help="also pexora.dask.find_many on a LocalCluster")
    arguments = parser.parse_args()
    cores = os.cpu_count() or 1

    with tempfile.TemporaryDirectory(prefix="pexora-batch-") as temporary:
        folder = arguments.work or Path(temporary)
        start = time.perf_counter()
        search_for_path, pictures = make_pictures(arguments.real_pictures, folder / "pictures", arguments.count)
        print(f"made {len(pictures)} pictures of {WIDTH} x {HEIGHT} in {time.perf_counter() - start:.0f} s")
        cluster = client = None
        if arguments.dask:
            import distributed

            on_cluster = importlib.import_module("pexora.dask").find_many
            cluster = distributed.LocalCluster(n_workers=cores, threads_per_worker=1, processes=True,
                                               dashboard_address=None)
            client = distributed.Client(cluster)
        per_picture: dict[str, list[float]] = {}
        processor: dict[str, list[float]] = {}
        found: dict[str, set[int]] = {}
        loads = [load()]
        share = max(1, len(pictures) // arguments.rounds)
        with pexora.Picture(search_for_path) as search_for:
            for round_ in range(arguments.rounds):
                part = pictures[round_ * share:(round_ + 1) * share]
                ways = [
                    ("pexora-find --batch", len(pictures), batch, arguments.tool, search_for_path, folder / "pictures"),
                    ("one pexora-find per picture", len(part), loop, arguments.tool, search_for_path, part),
                    ("decode + search, one after another", len(part), decode_and_search, search_for, part),
                    ("pexora.find_many", len(pictures), many, search_for, pictures),
                ]
                if client is not None:
                    ways.append(("pexora.dask.find_many", len(pictures),
                                 lambda f, p: sum(bool(m) for _, m in on_cluster(f, p, client, **OPTIONS)),
                                 search_for, pictures))
                for name, count, what, *args in ways:
                    seconds, busy, matched = timed(what, *args)
                    per_picture.setdefault(name, []).append(seconds / count)
                    processor.setdefault(name, []).append(busy / count)
                    found.setdefault(name, set()).add(round(matched / count * 1000))
                loads.append(load())
                print(f"round {round_ + 1}: " + ", ".join(f"{n} {v[-1] * 1000:.2f} ms" for n, v in per_picture.items()),
                      flush=True)
        if client is not None:
            client.close()
            cluster.close()

    median = {name: statistics.median(values) for name, values in per_picture.items()}
    busy = {name: statistics.median(values) for name, values in processor.items()}
    work = median["decode + search, one after another"]
    print(f"\n{len(pictures)} pictures {WIDTH} x {HEIGHT} JPEG, search for {PIECE} x {PIECE}; {cores} cores;"
          f" load average (1 min) over the rounds: {', '.join(loads)}")
    print("| way | wall clock per picture (median of rounds) | 1000 pictures | processor time per picture |")
    print("|---|---|---|---|")
    for name, seconds in median.items():
        # Dask's workers are other processes: their time is not counted here.
        cpu = "-" if "dask" in name else f"{busy[name] * 1000:.2f} ms"
        print(f"| {name} | {seconds * 1000:.2f} ms | {seconds * 1000:.1f} s | {cpu} |")
    print(f"| decode + search / {cores} cores | {work / cores * 1000:.2f} ms | {work / cores * 1000:.1f} s | |")
    batch_time = median["pexora-find --batch"]
    print(f"\nloop / --batch: {median['one pexora-find per picture'] / batch_time:.2f} x (target >= 2.5 x)")
    print(f"--batch / (decode + search / cores): {batch_time / (work / cores):.2f} x (target <= 1.2 x)")
    batch_busy, work_busy = busy["pexora-find --batch"], busy["decode + search, one after another"]
    print(f"processor time: loop / --batch {busy['one pexora-find per picture'] / batch_busy:.2f} x, "
          f"--batch / decode + search {batch_busy / work_busy:.2f} x")
    if "pexora.dask.find_many" in median:
        overhead = median["pexora.dask.find_many"] - median["pexora.find_many"]
        print(f"Dask over find_many: {overhead * 1000:+.2f} ms a picture")
    print("matches per 1000 pictures, by way and round:", {name: sorted(v) for name, v in found.items()})


if __name__ == "__main__":
    main()
