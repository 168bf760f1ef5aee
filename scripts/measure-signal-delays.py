#!/usr/bin/python3
"""How soon pexora-find and a Python search end after SIGINT or SIGTERM.

Starts each a number of times on a search of many minutes, sends the signal
once the search runs, and prints the worst and the mean delay from the
signal to the end of the process (for Python: to the KeyboardInterrupt that
find raises).

    scripts/measure-signal-delays.py BUILD_DIR [RUNS]
"""

from __future__ import annotations

import os
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[1]

PYTHON_CHILD = """
import sys, time, numpy, pexora
random = numpy.random.default_rng(3)
search_in = random.integers(0, 256, (900, 900, 3), dtype=numpy.uint8)
search_for = random.integers(0, 256, (256, 256, 3), dtype=numpy.uint8)
def started(percent):
    if percent == 0:
        print("searching", flush=True)
try:
    threads = "all" if sys.argv[1] == "all" else 1
    pexora.find(search_in, search_for, tolerance=0, difference=60000, threads=threads, progress=started)
except KeyboardInterrupt:
    print(time.monotonic(), flush=True)  # the system's clock: the parent's too
    sys.exit(3)
"""


def delay(command: list[str], sig: int, wait_for_line: bool, env: dict[str, str]) -> tuple[float, int]:
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env,
                             cwd=SOURCE / "samples")
    if wait_for_line:
        child.stdout.readline()
    time.sleep(0.5)
    sent = time.monotonic()
    child.send_signal(sig)
    raised = child.stdout.readline() if wait_for_line else ""
    code = child.wait(60)
    # Python: until KeyboardInterrupt is raised (its shutdown is not the search's).
    return (float(raised) if raised else time.monotonic()) - sent, code


def main() -> None:
    build = Path(sys.argv[1]).resolve()
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    tool = [str(build / "bin" / "pexora-find"), "SearchIn2.jpg", "SearchForResample.jpg", "--resample-in", "1600x1200",
            "--resample-for", "400x300", "--argb-tolerance", "0", "--difference", "100000"]
    env = dict(os.environ, PYTHONPATH=str(SOURCE / "python" / "src"),
               PEXORA_LIBRARY=str(build / "bin" / "libpexora.so"))
    cases = [(f"pexora-find --threads {t} {name}", tool + ["--threads", t], sig, False)
             for t in ("1", "all") for name, sig in (("SIGINT", signal.SIGINT), ("SIGTERM", signal.SIGTERM))]
    cases += [(f"python find threads={t} SIGINT", ["/usr/bin/python3", "-c", PYTHON_CHILD, t], signal.SIGINT, True)
              for t in ("1", "all")]
    for name, command, sig, wait_for_line in cases:
        delays, codes = [], set()
        for _ in range(runs):
            seconds, code = delay(command, sig, wait_for_line, env)
            delays.append(seconds * 1000)
            codes.add(code)
        print(f"{name:36} worst {max(delays):7.1f} ms  mean {statistics.mean(delays):7.1f} ms  exit {sorted(codes)}")


if __name__ == "__main__":
    main()
