#!/usr/bin/python3
"""Measures which share of differing pixels finds a crop of a lossless picture
in the picture's JPEG, and which share finds something where the crop is not.

Pictures nobody here made (scripts/fetch-real-pictures.sh: the photographs of
python3-skimage and two wallpapers of desktop-base; scripts/
make-benchmark-screenshot.sh: a screenshot of X programs under Xvfb) are saved
as JPEG at quality 85 by Pillow. From each lossless picture, crops of several
sizes are taken at random places where an exact search finds the crop once,
then searched for with pexora.find, model argb (tolerance 15) or ahsl (0.5),
at each share of a ladder (the share as pexora's "N%" difference):

- in the picture's own JPEG: found when the crop's place is reported, false
  when any other place is;
- in the JPEGs of two unrelated pictures: false when anything is reported.

The ladder stops at the first share that reports something false (a crop not
found below it needs more than that share). It prints a line per crop as it
goes, then per model and crop size the largest share any crop needed to be
found, the smallest share at which something false was reported, and what the
old default of 150 pixels did.

Last, per model, crop sizes and share: how many crops that share finds only
where they are, how many it reports something false for, how many it misses.

Usage: scripts/measure-difference-defaults.py [BUILD_DIR]   (default: build)
with the library of BUILD_DIR (BUILD_DIR/bin/libpexora.so.1);
scripts/measure-difference-defaults.py --summary LOG prints the last table
again from the lines per crop of an earlier run's output.
"""

from __future__ import annotations

import os
import subprocess
import sys
import tempfile
from pathlib import Path

import numpy
from PIL import Image

ROOT = Path(__file__).resolve().parents[1]
BUILD = Path(sys.argv[1] if len(sys.argv) > 1 and sys.argv[1] != "--summary" else ROOT / "build").resolve()
os.environ.setdefault("PEXORA_LIBRARY", str(BUILD / "bin" / "libpexora.so.1"))
sys.path.insert(0, str(ROOT / "python" / "src"))
import pexora  # noqa: E402

SHARES = [0, 0.5, 1, 2, 3, 4, 5, 6, 8, 10, 12, 15]  # percent
SIZES = [4, 8, 16, 32, 64]
CROPS_PER_SIZE = 2
QUALITY = 85
MODELS = ["argb", "ahsl"]


def fetched() -> Path:
    real = Path(subprocess.run([str(ROOT / "scripts" / "fetch-real-pictures.sh")], check=True, text=True,
                               stdout=subprocess.PIPE).stdout.strip())
    if not (real / "screenshot" / "screen.png").exists():
        subprocess.run([str(ROOT / "scripts" / "make-benchmark-screenshot.sh"), str(real)], check=True)
    return real


def pictures(real: Path) -> dict[str, numpy.ndarray]:
    def rgb(path: Path, box: tuple[int, int, int, int] | None = None) -> numpy.ndarray:
        with Image.open(path) as picture:
            picture = picture.convert("RGBA")
            flat = Image.new("RGBA", picture.size, (255, 255, 255, 255))
            flat.alpha_composite(picture)
            flat = flat.convert("RGB")
            return numpy.asarray(flat.crop(box) if box else flat)

    skimage = real / "skimage"
    chosen = {name: rgb(skimage / f"{name}.png")
              for name in ["astronaut", "coffee", "chelsea", "motorcycle_left", "camera", "logo", "page", "text"]}
    themes = real / "desktop-base" / "desktop-base"
    chosen["emerald wallpaper"] = rgb(themes / "emerald-theme/grub/grub-16x9.png", (480, 270, 1120, 630))
    chosen["softwaves wallpaper"] = rgb(themes / "softwaves-theme/grub/grub-16x9.png", (480, 270, 1120, 630))
    chosen["screenshot"] = rgb(real / "screenshot" / "screen.png", (60, 60, 860, 560))
    return chosen


def crops(picture: numpy.ndarray, size: int, seed: int) -> list[tuple[int, int]]:
    """Places of crops that an exact search finds only there."""
    rng = numpy.random.default_rng(seed)
    height, width = picture.shape[:2]
    places: list[tuple[int, int]] = []
    for _ in range(200):
        x, y = int(rng.integers(0, width - size)), int(rng.integers(0, height - size))
        crop = picture[y:y + size, x:x + size]
        if any(abs(x - a) < size and abs(y - b) < size for a, b in places):
            continue
        found = pexora.find(picture, crop, model="exact", max_matches=2)
        if [(m.x, m.y) for m in found] == [(x, y)]:
            places.append((x, y))
            if len(places) == CROPS_PER_SIZE:
                break
    return places


def outcome(found: list[pexora.Match], place: tuple[int, int] | None) -> tuple[bool, bool]:
    """(the place was reported, something else was)."""
    hit = any((m.x, m.y) == place for m in found)
    return hit, any((m.x, m.y) != place for m in found)


# A crop's outcome: (picture, model, size, first share that found it, first
# share that reported something false), shares None when no share of the
# ladder did.
Record = tuple[str, str, int, "float | None", "float | None"]
KINDS = {"emerald wallpaper": "wallpapers", "softwaves wallpaper": "wallpapers", "screenshot": "screenshot"}


def share_table(records: list[Record]) -> None:
    """Per model and crop sizes, a row per share: for the photographs, the
    wallpapers and the screenshot, the crops found only where they are /
    with something false / not found."""
    kinds = ["photographs", "wallpapers", "screenshot"]
    for model in MODELS:
        for label, sizes in (("4 x 4 and 8 x 8", (4, 8)), ("16 x 16 to 64 x 64", (16, 32, 64))):
            chosen = {kind: [(hit, false) for name, m, size, hit, false in records
                             if m == model and size in sizes and KINDS.get(name, "photographs") == kind]
                      for kind in kinds}
            print(f"\n{model}, crops of {label}: found only where it is / something false / not found\n")
            print("| share | " + " | ".join(f"{kind} ({len(chosen[kind])})" for kind in kinds) + " |")
            print("|---|" + "---|" * len(kinds))
            for share in SHARES:
                cells = []
                for kind in kinds:
                    wrong = sum(false is not None and false <= share for _, false in chosen[kind])
                    found = sum(hit is not None and hit <= share and not (false is not None and false <= share)
                                for hit, false in chosen[kind])
                    cells.append(f"{found} / {wrong} / {len(chosen[kind]) - found - wrong}")
                print(f"| {share:g} % | " + " | ".join(cells) + " |")


def read_log(path: str) -> list[Record]:
    def share(text: str) -> float | None:
        return None if text == "None" else float(text)

    records = []
    for line in Path(path).read_text().splitlines():
        fields = line.split("\t")
        if len(fields) == 6 and fields[4].startswith("found from "):
            records.append(
                (fields[0], fields[1], int(fields[2]), share(fields[4].split()[-1]), share(fields[5].split()[-1]))
            )
    return records


def main() -> None:
    if sys.argv[1:2] == ["--summary"]:
        share_table(read_log(sys.argv[2]))
        return
    records: list[Record] = []
    real = fetched()
    chosen = pictures(real)
    names = list(chosen)
    work = Path(tempfile.mkdtemp(prefix="pexora-difference-"))
    jpegs = {}
    for name, picture in chosen.items():
        jpegs[name] = str(work / f"{name}.jpg")
        Image.fromarray(picture).save(jpegs[name], quality=QUALITY)
    # (model, size) -> [needed share or None], [first false share or None], old default (found, false) counts
    needed: dict[tuple[str, int], list[float | None]] = {}
    false: dict[tuple[str, int], list[float | None]] = {}
    old: dict[tuple[str, int], list[int]] = {}
    for index, name in enumerate(names):
        picture = chosen[name]
        unrelated = [jpegs[names[(index + k) % len(names)]] for k in (1, 2)]
        for size in SIZES:
            for x, y in crops(picture, size, seed=index * 100 + size):
                crop = picture[y:y + size, x:x + size]
                for model in MODELS:
                    key = (model, size)
                    first_hit = first_false = None
                    for share in SHARES:
                        options = {"model": model, "difference": f"{share}%", "max_matches": 3}
                        hit, other = outcome(pexora.find(jpegs[name], crop, **options), (x, y))
                        elsewhere = any(pexora.find(u, crop, **options) for u in unrelated)
                        if hit and first_hit is None:
                            first_hit = share
                        if (other or elsewhere) and first_false is None:
                            first_false = share
                        if first_false is not None:
                            break
                    print(f"{name}\t{model}\t{size}\t{x},{y}\tfound from {first_hit}\tfalse from {first_false}",
                          flush=True)
                    records.append((name, model, size, first_hit, first_false))
                    needed.setdefault(key, []).append(first_hit)
                    false.setdefault(key, []).append(first_false)
                    hit, other = outcome(pexora.find(jpegs[name], crop, model=model, difference=150, max_matches=3),
                                         (x, y))
                    elsewhere = any(pexora.find(u, crop, model=model, difference=150, max_matches=3)
                                    for u in unrelated)
                    counts = old.setdefault(key, [0, 0, 0])
                    counts[0] += 1
                    counts[1] += hit
                    counts[2] += other or elsewhere
        print(f"measured {name}", file=sys.stderr)

    def shown(values: list[float | None], pick: str) -> str:
        known = [v for v in values if v is not None]
        missing = len(values) - len(known)
        text = f"{(max if pick == 'max' else min)(known):g} %" if known else "-"
        return text + (f" ({missing} not up to the first false share or {SHARES[-1]:g} %)" if missing else "")

    print("| model | crop | crops | largest share needed to find | smallest share that finds something false "
          "| 150 pixels: found, false |")
    print("|---|---|---|---|---|---|")
    for model in MODELS:
        for size in SIZES:
            key = (model, size)
            total, hits, wrong = old[key]
            print(f"| {model} | {size} x {size} | {total} | {shown(needed[key], 'max')} | {shown(false[key], 'min')} "
                  f"| {hits}, {wrong} |")
    print()
    share_table(records)


if __name__ == "__main__":
    main()
