#!/usr/bin/env python3
"""Drives one tutorial program in a real window under Xvfb, as a user would.

Scenarios:
  search    close the information box, press Create and Compare, read the log
            back through the clipboard, check the lines and the red outline on
            the search-in preview in a screenshot, press Exit.
  badtext   type a tolerance that does not convert, leave the edit, check that
            the error box appears, close it, and check that the program goes on.
  progress  run the program with a stand-in library that stalls inside Compare
            after reporting 50 %, and check on a screenshot taken during the
            call that the progress bar has been painted half full.
  frame     under a window manager (openbox): the window's frame starts
            centred on the screen, a drag on its corner does not change its
            size, maximising widens it and moves Exit to the bottom-right
            corner, where a click on it ends the program.
  screenshot  like search, and keep the screenshots of the window before and
            after Compare (for the README).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

CAPTIONS = {
    "seekbasic": "Pexora Library Relative Tutorial",
    "seekscaled": "Pexora Library Relative Alpha Stretch Tutorial",
    "seekfiltered": "Pexora Library Resample Tutorial",
}
# Top of Create and Compare in each program's layout.
BUTTON_TOPS = {"seekbasic": (88, 243), "seekscaled": (88, 243), "seekfiltered": (133, 288)}
# The search-in preview: Image1 in Panel1 in GroupBox1.
PREVIEW = (22, 233, 251, 251)
PROGRESS_BAR = (8, 633, 637, 16)
TIMEOUT = 60


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


SCREEN = (1280, 1024)
CLIENT = (653, 695)


class Session:
    def __init__(self, workdir):
        self.workdir = workdir
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % SCREEN, "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        check(number, "Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number, QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.program = None
        self.manager = None

    def start_manager(self, window_manager):
        self.manager = subprocess.Popen([window_manager], env=self.env,
                                        stdout=open(os.path.join(self.workdir, "manager.log"), "w"),
                                        stderr=subprocess.STDOUT)
        deadline = time.time() + TIMEOUT
        # A running manager names itself on the root window.
        while "_NET_SUPPORTING_WM_CHECK(WINDOW)" not in self.run("xprop", "-root", check_rc=False):
            if time.time() > deadline or self.manager.poll() is not None:
                raise Failure(f"{window_manager} did not start: " +
                              open(os.path.join(self.workdir, "manager.log")).read())
            time.sleep(0.1)

    def run(self, *args, check_rc=True):
        r = subprocess.run(list(args), env=self.env, capture_output=True, text=True)
        if check_rc and r.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {r.stderr.strip()}")
        return r.stdout

    def start(self, executable, cwd, extra_env=None):
        env = dict(self.env, **(extra_env or {}))
        self.program = subprocess.Popen([executable], cwd=cwd, env=env,
                                        stdout=open(os.path.join(self.workdir, "program.log"), "w"),
                                        stderr=subprocess.STDOUT)

    def windows(self, name, visible=True):
        args = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--name", f"^{re.escape(name)}$"]
        return self.run(*args, check_rc=False).split()

    def wait_window(self, name, timeout=TIMEOUT):
        deadline = time.time() + timeout
        while time.time() < deadline:
            check(self.program.poll() is None, "the program ended early")
            ids = self.windows(name)
            if ids:
                return ids[0]
            time.sleep(0.1)
        raise Failure(f"no window named {name!r} appeared")

    def close_box(self, window):
        self.run("xdotool", "windowfocus", "--sync", window, check_rc=False)
        self.run("xdotool", "key", "Return")
        deadline = time.time() + 10
        while time.time() < deadline:
            if window not in self.run("xdotool", "search", "--onlyvisible", "--name", ".", check_rc=False).split():
                return
            time.sleep(0.1)
        raise Failure("the message box did not close")

    def geometry(self, window):
        # xwininfo's absolute place; xdotool counts a manager's frame twice.
        out = self.run("xwininfo", "-id", window)
        x = re.search(r"Absolute upper-left X:\s*(-?\d+)", out)
        y = re.search(r"Absolute upper-left Y:\s*(-?\d+)", out)
        return int(x.group(1)), int(y.group(1))

    def click(self, x, y):
        self.run("xdotool", "mousemove", "--sync", str(x), str(y), "click", "1")

    def key(self, *keys):
        self.run("xdotool", "key", *keys)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "20", text)

    def screenshot(self, path):
        self.run("import", "-window", "root", path)

    def pixel(self, path, x, y):
        out = self.run("convert", path, "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-")
        m = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
        return tuple(int(v) for v in m.groups())

    def client_size(self, window):
        out = self.run("xdotool", "getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["WIDTH"]), int(values["HEIGHT"])

    def frame(self, window):
        """The frame's left, top, width and height, from the manager's frame extents."""
        out = self.run("xprop", "-id", window, "_NET_FRAME_EXTENTS")
        m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
        check(m, f"the window manager gave no frame extents: {out.strip()}")
        left, right, top, bottom = (int(v) for v in m.groups())
        x, y = self.geometry(window)
        w, h = self.client_size(window)
        return x - left, y - top, w + left + right, h + top + bottom

    def wait_for(self, predicate, what, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if predicate():
                return
            time.sleep(0.2)
        raise Failure(what)

    def stop(self):
        for process in (self.program, self.manager):
            if process and process.poll() is None:
                process.kill()
                process.wait()
        self.xvfb.kill()
        self.xvfb.wait()


class Window:
    def __init__(self, session, program):
        self.s = session
        self.program = program
        self.caption = CAPTIONS[program]

    def open(self):
        box = self.s.wait_window("Information")
        check(not self.s.windows(self.caption), "the main window is on screen before the information box is closed")
        self.s.close_box(box)
        self.id = self.s.wait_window(self.caption)
        time.sleep(0.5)
        self.x, self.y = self.s.geometry(self.id)

    def click(self, left, top, width, height):
        self.s.click(self.x + left + width // 2, self.y + top + height // 2)

    def log(self):
        self.click(16, 507, 619, 112)  # into the log
        self.s.key("ctrl+a")
        self.s.key("ctrl+c")
        time.sleep(0.2)
        return self.s.run("xclip", "-o", "-selection", "clipboard", check_rc=False).splitlines()

    def wait_log(self, predicate, what, timeout=TIMEOUT):
        deadline = time.time() + timeout
        lines = []
        while time.time() < deadline:
            lines = self.log()
            if predicate(lines):
                return lines
            time.sleep(0.5)
        raise Failure(f"the log never showed {what}; it reads:\n" + "\n".join(lines))

    def create(self):
        self.click(560, BUTTON_TOPS[self.program][0], 75, 25)

    def compare(self):
        self.click(560, BUTTON_TOPS[self.program][1], 75, 25)

    def exit(self):
        self.click(570, 666, 75, 25)
        try:
            rc = self.s.program.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure("Exit did not end the program")
        check(rc == 0, f"the program ended with status {rc}")


def expected_match(samples, program):
    with open(os.path.join(samples, "expected.txt")) as f:
        for line in f:
            parts = line.split()
            if parts and parts[0] == program:
                return tuple(int(v) for v in parts[1:5])
    raise Failure(f"samples/expected.txt has no line for {program}")


def search(s, args, keep_shots=False):
    w = Window(s, args.program)
    s.start(os.path.join(args.bin, args.program), args.samples)
    w.open()
    lines = w.log()
    check(lines == ["Pexora.dll loaded.", w.caption + " ready."], f"start-up log: {lines}")
    if keep_shots:
        w.click(16, 507, 619, 112)  # a click in the log ends the selection that copying made
        time.sleep(0.3)
        s.screenshot(os.path.join(args.out, f"{args.program}-start.png"))
    w.create()
    lines = w.wait_log(lambda log: sum(x.startswith("Created object: $") for x in log) == 2, "two created objects")
    m = re.match(r"Created object: \$[0-9A-F]{8,} (\d+)x(\d+)$", [x for x in lines if x.startswith("Created")][0])
    check(m, "the created-object line has the wrong form")
    pic_w, pic_h = int(m.group(1)), int(m.group(2))
    w.compare()
    lines = w.wait_log(lambda log: any(x.startswith("Processing time: ") for x in log), "a processing time")
    counts = [int(x.split(": ")[1]) for x in lines if x.startswith("Successful search, match count: ")]
    check(counts and counts[0] >= 1, "no successful search in the log:\n" + "\n".join(lines))
    x, y, mw, mh = expected_match(args.samples, args.program)
    found = [x_ for x_ in lines if x_.startswith("Found at position: ")]
    check(any(re.match(rf"Found at position: {x}x{y} difference: \d+$", f) for f in found),
          f"no match at {x}x{y}: {found}")
    check(re.match(r"Processing time: \d\d+:\d\d:\d\d\.\d\d$", lines[-1]), f"last line: {lines[-1]}")
    if args.program == "seekscaled":
        check("Processing... please wait, this can take a while..." in lines, "no processing notice")
    w.click(16, 507, 619, 112)
    time.sleep(0.3)
    shot = os.path.join(args.out if keep_shots else s.workdir, f"{args.program}-found.png")
    s.screenshot(shot)
    if args.program == "seekfiltered":
        mw, mh = pic_w, pic_h  # outlines as large as the search-in picture
    # The outline's edges on screen: the preview shows the picture stretched.
    px, py, pw, ph = PREVIEW

    def sx(v):
        return w.x + px + min(v, pic_w - 1) * pw // pic_w

    def sy(v):
        return w.y + py + min(v, pic_h - 1) * ph // pic_h

    edges = [(sx(x + mw // 2), sy(y)), (sx(x + mw // 2), sy(y + mh)), (sx(x), sy(y + mh // 2)),
             (sx(x + mw), sy(y + mh // 2))]
    for ex, ey in edges:
        red = any(_is_red(s.pixel(shot, ex + dx, ey + dy)) for dx in (-1, 0, 1) for dy in (-1, 0, 1))
        check(red, f"no red outline at screen {ex},{ey}")
    if args.program != "seekfiltered" and mw > 16 and mh > 16:
        check(not _is_red(s.pixel(shot, sx(x + mw // 2), sy(y + mh // 2))), "the match's middle is red")
    return w


def _is_red(rgb):
    r, g, b = rgb
    return r > 200 and g < 70 and b < 70


def scenario_search(s, args):
    search(s, args).exit()


def scenario_screenshot(s, args):
    w = search(s, args, keep_shots=True)
    for stage in ("start", "found"):
        shot = os.path.join(args.out, f"{args.program}-{stage}.png")
        s.run("convert", shot, "-crop", f"653x695+{w.x}+{w.y}", "+repage", shot)
    w.exit()


def scenario_badtext(s, args):
    w = Window(s, args.program)
    s.start(os.path.join(args.bin, args.program), args.samples)
    w.open()
    w.click(109, 90, 56, 21)  # Edit3
    s.key("ctrl+a")
    s.type("abc")
    s.key("Tab")
    box = s.wait_window("Pexora Library Tutorial", timeout=10)
    s.close_box(box)
    check(s.program.poll() is None, "the program ended after the error box")
    # The program goes on: correct the text and search.
    w.click(109, 90, 56, 21)
    s.key("ctrl+a")
    s.type("15")
    s.key("Tab")
    time.sleep(0.3)
    check(not s.windows("Pexora Library Tutorial"), "an error box for a valid text")
    w.create()
    w.wait_log(lambda log: sum(x.startswith("Created object: $") for x in log) == 2, "two created objects")
    w.compare()
    lines = w.wait_log(lambda log: any(x.startswith("Processing time: ") for x in log), "a processing time")
    check(any(x.startswith("Successful search, match count: ") for x in lines), "no successful search")
    w.exit()


def scenario_progress(s, args):
    # The program with a stand-in library next to it.
    folder = os.path.join(s.workdir, "program")
    os.makedirs(folder)
    shutil.copy(os.path.join(args.bin, args.program), folder)
    shutil.copy(args.stall_library, os.path.join(folder, "libpexora.so"))
    w = Window(s, args.program)
    s.start(os.path.join(folder, args.program), args.samples,
            {"PEXORA_DOUBLE_PROGRESS": "50", "PEXORA_DOUBLE_STALL_MS": "3000"})
    w.open()
    bx, by, bw, bh = PROGRESS_BAR
    left = (w.x + bx + bw // 4, w.y + by + bh // 2)
    right = (w.x + bx + 3 * bw // 4, w.y + by + bh // 2)
    before = os.path.join(s.workdir, "before.png")
    s.screenshot(before)
    check(s.pixel(before, *left) == s.pixel(before, *right), "the progress bar is not empty at start")
    w.compare()
    time.sleep(1.5)  # the library is stalled at 50 % now; the event loop is blocked
    during = os.path.join(s.workdir, "during.png")
    s.screenshot(during)
    check(s.pixel(during, *left) != s.pixel(during, *right),
          "the progress bar was not painted during the library call")
    w.wait_log(lambda log: "No match found." in log, "the end of the comparison")
    w.exit()


def scenario_frame(s, args):
    w = Window(s, args.program)
    s.start(os.path.join(args.bin, args.program), args.samples)
    w.open()
    time.sleep(0.5)
    fx, fy, fw, fh = s.frame(w.id)
    check(fw > CLIENT[0] or fh > CLIENT[1], "the window manager drew no frame")
    check((fx, fy) == ((SCREEN[0] - fw) // 2, (SCREEN[1] - fh) // 2),
          f"the {fw} x {fh} frame starts at {fx},{fy}, not centred on the {SCREEN[0]} x {SCREEN[1]} screen")

    # Drag the bottom-right corner outwards (openbox: Alt and the right button).
    x, y = s.geometry(w.id)
    cx, cy = x + CLIENT[0] - 10, y + CLIENT[1] - 10
    s.run("xdotool", "mousemove", "--sync", str(cx), str(cy), "keydown", "alt", "mousedown", "3")
    for step in range(1, 6):
        s.run("xdotool", "mousemove", "--sync", str(cx + 30 * step), str(cy + 30 * step))
        time.sleep(0.1)
    s.run("xdotool", "mouseup", "3", "keyup", "alt")
    s.wait_for(lambda: s.client_size(w.id) == CLIENT,
               f"after a drag on its corner the window is {s.client_size(w.id)}, not {CLIENT}")
    time.sleep(0.5)
    check(s.client_size(w.id) == CLIENT, "the window did not keep its size after the drag")

    s.run("wmctrl", "-i", "-r", w.id, "-b", "add,maximized_vert,maximized_horz")
    s.wait_for(lambda: s.client_size(w.id)[0] > CLIENT[0] + 200, "maximising did not widen the window")
    time.sleep(0.5)
    size = s.client_size(w.id)
    check(size[0] > CLIENT[0] + 200 and size[1] > CLIENT[1] + 100, f"the maximised window is only {size}")
    s.run("wmctrl", "-i", "-r", w.id, "-b", "remove,maximized_vert,maximized_horz")
    s.wait_for(lambda: s.client_size(w.id) == CLIENT, "restoring did not give the window its size back")
    s.run("wmctrl", "-i", "-r", w.id, "-b", "add,maximized_vert,maximized_horz")
    s.wait_for(lambda: s.client_size(w.id) == size, "the second maximise did not widen the window")
    time.sleep(0.5)
    # Exit keeps its distance to the bottom-right corner.
    w.x, w.y = s.geometry(w.id)
    dx, dy = size[0] - CLIENT[0], size[1] - CLIENT[1]
    w.click(570 + dx, 666 + dy, 75, 25)
    try:
        rc = s.program.wait(timeout=20)
    except subprocess.TimeoutExpired:
        raise Failure("a click on Exit at the bottom-right corner of the maximised window did not end the program")
    check(rc == 0, f"the program ended with status {rc}")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--bin", required=True)
    p.add_argument("--samples", required=True)
    p.add_argument("--program", required=True, choices=sorted(CAPTIONS))
    p.add_argument("--scenario", required=True, choices=["search", "badtext", "progress", "frame", "screenshot"])
    p.add_argument("--window-manager", help="run the program under this window manager (openbox)")
    p.add_argument("--stall-library")
    p.add_argument("--out", default=".")
    args = p.parse_args()
    args.bin, args.samples, args.out = (os.path.abspath(v) for v in (args.bin, args.samples, args.out))
    with tempfile.TemporaryDirectory() as workdir:
        s = Session(workdir)
        try:
            if args.window_manager:
                s.start_manager(args.window_manager)
            globals()["scenario_" + args.scenario](s, args)
        except Failure as e:
            print(f"FAILED: {args.program} {args.scenario}: {e}", file=sys.stderr)
            log = os.path.join(workdir, "program.log")
            if os.path.exists(log):
                print(open(log).read(), file=sys.stderr)
            return 1
        finally:
            s.stop()
    print(f"passed: {args.program} {args.scenario}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
