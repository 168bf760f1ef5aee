#!/usr/bin/env python3
"""Installs the Python package as the README says, into a fresh virtual
environment, and uses it with the library installed by `cmake --install`;
then installs it from the build backend's source archive and editable.

Runs the README's shell block of its "Python" section as it stands, with
`python3` being this interpreter, HOME a folder of the build tree, no package
index (PIP_NO_INDEX: whatever pip needs must be on the machine already), and
LD_LIBRARY_PATH standing in for `ldconfig` after an install to a folder of
the build tree.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

MATCH = "Match(x=397, y=249, width=96, height=72, "


def readme_block(readme: Path) -> str:
    section = re.search(r"^## Python\n(.*?)(?=^## )", readme.read_text(), re.M | re.S)
    if not section:
        sys.exit(f"{readme} has no '## Python' section")
    block = re.search(r"^```sh\n(.*?)^```", section.group(1), re.M | re.S)
    if not block:
        sys.exit("the Python section of the README has no ```sh block")
    return block.group(1)


def run(command, **kwargs) -> str:
    done = subprocess.run(command, capture_output=True, text=True, timeout=600, **kwargs)
    if done.returncode != 0:
        sys.exit(f"{command} failed ({done.returncode}):\n{done.stdout}\n{done.stderr}")
    return done.stdout


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", type=Path, required=True, help="the repository")
    parser.add_argument("--library-dir", type=Path, required=True, help="lib folder of the installed library")
    parser.add_argument("--work", type=Path, required=True)
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    home, bin_dir = args.work / "home", args.work / "bin"
    home.mkdir(parents=True)
    bin_dir.mkdir()
    (bin_dir / "python3").symlink_to(sys.executable)
    environment = {
        key: value
        for key, value in os.environ.items()
        if key not in ("PYTHONPATH", "PEXORA_LIBRARY", "VIRTUAL_ENV") and not key.startswith("PIP_")
    }
    environment.update(
        HOME=str(home),
        PATH=f"{bin_dir}:{environment.get('PATH', '/usr/bin:/bin')}",
        PIP_NO_INDEX="1",
        LD_LIBRARY_PATH=str(args.library_dir),
    )

    block = readme_block(args.source / "README.md")
    shown = run(["bash", "-euo", "pipefail", "-c", block], cwd=args.source, env=environment)
    if MATCH not in shown:
        sys.exit(f"the README's commands did not find the sample:\n{shown}")

    # The environment the README made: the package is its own copy, not the source tree.
    (venv,) = [config.parent for config in home.glob("**/pyvenv.cfg")]
    python = str(venv / "bin" / "python3")
    where = run([python, "-c", "import pexora; print(pexora.__file__)"], cwd=args.work, env=environment)
    if not where.startswith(str(venv)):
        sys.exit(f"pexora was imported from {where}, not from {venv}")

    # NumPy arrays, with NumPy from the system's packages; the library named by
    # PEXORA_LIBRARY instead of found in LD_LIBRARY_PATH.
    named = dict(environment, PEXORA_LIBRARY=str(args.library_dir / "libpexora.so.1"))
    del named["LD_LIBRARY_PATH"]
    found = run(
        [
            python,
            "-c",
            "import numpy, pexora\n"
            "noise = numpy.random.default_rng(5).integers(0, 256, (50, 60, 4), dtype=numpy.uint8)\n"
            "print(pexora.find(noise, noise[20:30, 10:40], model='exact'))",
        ],
        cwd=args.work,
        env=named,
    )
    if "Match(x=10, y=20, width=30, height=10, difference=0, percentage=100.0)" not in found:
        sys.exit(f"searching arrays in the installed package gave:\n{found}")

    # The backend's other ways: from its source archive, and editable (the source tree itself).
    pip = str(venv / "bin" / "pip")
    backend = (
        "import sys; sys.path.insert(0, 'backend'); import wheel_builder; "
        f"print(wheel_builder.build_sdist({str(args.work)!r}))"
    )
    archive = args.work / run([python, "-c", backend], cwd=args.source / "python", env=environment).strip()
    for install, expected in (([archive], venv), (["-e", str(args.source / "python")], args.source / "python" / "src")):
        run([pip, "install", "--force-reinstall", *install], cwd=args.work, env=environment)
        where = run([python, "-c", "import pexora; print(pexora.__file__, pexora.find.__name__)"], cwd=args.work,
                    env=environment)
        if not where.startswith(str(expected)):
            sys.exit(f"after pip install {' '.join(install)}, pexora was imported as {where}")
    print(f"installed into {venv} as the README says, from the source archive and editable")


if __name__ == "__main__":
    main()
