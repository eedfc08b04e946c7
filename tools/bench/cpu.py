#!/usr/bin/env python3
"""Processor use of the real game on a desktop-sized X server.

Starts a private Xvfb (1920 x 1080 x 24), runs GAME there in a fresh folder
(data linked to DATA_DIR, sound through SDL's dummy driver, the music playing)
and reads the process's utime + stime from /proc/<pid>/stat over fixed windows:
  - the idle title after loading, before the demo, at scale 1 and at scale 3;
  - the demo at scale 3;
  - the high score table and the pause screen at scale 3;
  - the title at scale 3 with sound through ALSA whose default device is the
    null device (a private HOME with .asoundrc "pcm.!default { type null }").
KDiamond and Gweled, where installed, are measured the same way at rest after
their start (the bench installs neither, and says so).
The game's state is checked by screenshots taken outside the windows only.
Prints one line per figure, then the figures as name=value pairs on the last
line.

With --title-ms it only times the game's start instead: the milliseconds
from the game's start (and from the X server's) to its first title frame, as
the last line's desktop_title_ms=... desktop_title_from_x_ms=... (the web
bench's yardstick).

Usage: cpu.py GAME DATA_DIR [--window SECONDS] [--title-ms]
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

SCREEN = "1920x1080x24"
TICKS = os.sysconf("SC_CLK_TCK")
DEMO_IDLE = 11.0  # seconds idle on the title before the demo starts


def start_xvfb():
    rfd, wfd = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(wfd), "-screen", "0", SCREEN, "-nolisten", "tcp", "-noreset"],
        pass_fds=(wfd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    os.close(wfd)
    with os.fdopen(rfd) as f:
        number = f.readline().strip()
    if not number:
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def picture(env, origin, scale):
    """The 320 x 240 picture read from the scaled window, one pixel per block."""
    w, h = 320 * scale, 240 * scale
    r = subprocess.run(
        ["import", "-window", "root", "-crop", f"{w}x{h}+{origin[0]}+{origin[1]}", "+repage",
         "-depth", "8", "rgb:-"], env=env, capture_output=True)
    data = r.stdout
    if len(data) != w * h * 3:
        return b""
    rows = (data[y * scale * w * 3:(y * scale + 1) * w * 3] for y in range(240))
    return b"".join(bytes(b for x in range(0, w * 3, scale * 3) for b in row[x:x + 3])
                    for row in rows)


def orange_in(pic, box):
    x0, y0, x1, y1 = box
    n = 0
    for y in range(y0, y1):
        for x in range(x0, x1):
            i = (y * 320 + x) * 3
            if i + 2 < len(pic) and pic[i] >= 200 and 90 <= pic[i + 1] <= 170 \
                    and pic[i + 2] <= 80:
                n += 1
    return n


def differing(a, b):
    """Pixels that differ between two pictures."""
    if len(a) != len(b):
        return len(a) // 3
    return sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])


def key(env, window, name):
    """One key pressed and released through XTEST, the window focused."""
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env, capture_output=True)
    subprocess.run(["xdotool", "keydown", name, "sleep", "0.05", "keyup", name], env=env,
                   capture_output=True)


class Game:
    def __init__(self, binary, data, display, scale, null_alsa=False):
        self.dir = tempfile.mkdtemp(prefix="tessaril-cpu-")
        os.symlink(data, os.path.join(self.dir, "data"))
        self.env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy",
                        SDL_VIDEODRIVER="x11")
        if null_alsa:  # ALSA's default device takes sound as fast as it is given
            del self.env["SDL_AUDIODRIVER"]
            with open(os.path.join(self.dir, ".asoundrc"), "w") as f:
                f.write("pcm.!default { type null }\n")
            self.env["HOME"] = self.dir
        self.scale = scale
        self.proc = subprocess.Popen([binary, f"-scale={scale}"], cwd=self.dir, env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.origin = None
        self.window = None

    def find_window(self):
        r = subprocess.run(["xdotool", "search", "--class", "tessaril"], env=self.env,
                           capture_output=True, text=True)
        for wid in r.stdout.split():
            g = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], env=self.env,
                               capture_output=True, text=True).stdout
            geo = dict(line.split("=", 1) for line in g.split() if "=" in line)
            if int(geo.get("WIDTH", 0)) >= 320:
                self.window = wid
                self.origin = int(geo["X"]), int(geo["Y"])

    def wait_title(self, timeout=60.0, poll=0.2):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError(f"the game ended with exit code {self.proc.returncode}")
            if not self.origin:
                self.find_window()
            if self.origin:
                pic = picture(self.env, self.origin, self.scale)
                # The help lines of the title, orange in the lower half.
                if orange_in(pic, (15, 172, 315, 214)) >= 200:
                    self.title = pic
                    return time.monotonic()
            time.sleep(poll)
        raise RuntimeError("the title did not appear")

    def on_title(self):
        """The title as first seen, give or take the odd pixel."""
        return differing(picture(self.env, self.origin, self.scale), self.title) < 50

    def press(self, name, settle=1.0):
        """A key, then the picture once the screen has had time to settle."""
        key(self.env, self.window, name)
        time.sleep(settle)
        return picture(self.env, self.origin, self.scale)

    def log(self):
        try:
            with open(os.path.join(self.dir, "log.txt")) as f:
                return f.read()
        except OSError:
            return ""

    def cpu_pct(self, seconds):
        return process_cpu_pct(self.proc.pid, seconds)

    def stop(self):
        self.proc.kill()
        self.proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)


def process_cpu_pct(pid, seconds):
    t0, c0 = time.monotonic(), cpu_ticks(pid)
    time.sleep(seconds)
    t1, c1 = time.monotonic(), cpu_ticks(pid)
    return 100.0 * (c1 - c0) / TICKS / (t1 - t0)


def measure_title_and_demo(game, figures, window, demo_window):
    title_at = game.wait_title()
    time.sleep(1.0)  # the last loading work settles
    figures[f"title_cpu_pct_x{game.scale}"] = game.cpu_pct(window)
    if not game.on_title():
        raise RuntimeError("the title was left during its window")
    if game.scale != 3:
        return
    time.sleep(max(0.0, title_at + DEMO_IDLE + 2.0 - time.monotonic()))
    if game.on_title():
        raise RuntimeError("the demo did not start")
    figures["demo_cpu_pct_x3"] = game.cpu_pct(demo_window)
    if game.on_title():
        print("cpu: note: the demo ended during its window", file=sys.stderr)


def measure_table_and_pause(game, figures, window):
    game.wait_title()
    table = game.press("h")
    if differing(table, game.title) < 1000:
        raise RuntimeError("H did not show the high score table")
    figures["table_cpu_pct_x3"] = game.cpu_pct(window)
    if differing(game.press("Return"), game.title) >= 50:
        raise RuntimeError("Return did not lead back to the title")
    game.press("space", settle=3.0)  # the stones fall in
    game.press("space")
    before = picture(game.env, game.origin, game.scale)
    paused = game.press("p")
    if differing(paused, before) < 1000:
        raise RuntimeError("P did not pause the game")
    figures["pause_cpu_pct_x3"] = game.cpu_pct(window)
    if differing(picture(game.env, game.origin, game.scale), paused) != 0:
        raise RuntimeError("the pause screen changed during its window")


def measure_null_alsa(game, figures, window):
    game.wait_title()
    time.sleep(2.0)  # the device is found out and left
    figures["title_null_alsa_cpu_pct_x3"] = game.cpu_pct(window)
    lines = [line for line in game.log().splitlines() if "sound" in line.lower()]
    print(f"  null ALSA device, the log: {lines[-1] if lines else '(no line on sound)'}")


# Other games of the kind, measured at rest after their start where installed.
OTHERS = (("kdiamond", "KDiamond"), ("gweled", "Gweled"))
OTHER_START_S = 6.0


def measure_others(display, window):
    figures = {}
    for command, name in OTHERS:
        path = shutil.which(command) or shutil.which(command, path="/usr/games")
        if path is None:
            print(f"  {name}: not installed here (the bench installs neither)")
            continue
        home = tempfile.mkdtemp(prefix=f"bench-{command}-")
        env = dict(os.environ, DISPLAY=display, HOME=home)
        proc = subprocess.Popen([path], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            time.sleep(OTHER_START_S)
            if proc.poll() is None:
                figures[f"{command}_cpu_pct"] = process_cpu_pct(proc.pid, window)
        finally:
            proc.kill()
            proc.wait()
            shutil.rmtree(home, ignore_errors=True)
    return figures


def title_ms(binary, data):
    """Times from the game's start and from the X server's to the title."""
    x_at = time.monotonic()
    xvfb, display = start_xvfb()
    try:
        started = time.monotonic()
        game = Game(binary, data, display, 1)
        try:
            title_at = game.wait_title(poll=0.02)
        finally:
            game.stop()
    finally:
        xvfb.kill()
        xvfb.wait()
    print(f"desktop_title_ms={1000 * (title_at - started):.0f} "
          f"desktop_title_from_x_ms={1000 * (title_at - x_at):.0f}")
    return 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("game")
    ap.add_argument("data")
    ap.add_argument("--window", type=float, default=8.0)
    ap.add_argument("--title-ms", action="store_true")
    args = ap.parse_args()
    if args.title_ms:
        return title_ms(os.path.abspath(args.game), os.path.abspath(args.data))
    window = min(args.window, DEMO_IDLE - 2.5)
    binary, data = os.path.abspath(args.game), os.path.abspath(args.data)
    xvfb, display = start_xvfb()
    figures = {}
    runs = ((1, False, lambda g: measure_title_and_demo(g, figures, window, args.window)),
            (3, False, lambda g: measure_title_and_demo(g, figures, window, args.window)),
            (3, False, lambda g: measure_table_and_pause(g, figures, window)),
            (3, True, lambda g: measure_null_alsa(g, figures, window)))
    try:
        for scale, null_alsa, measure in runs:
            game = Game(binary, data, display, scale, null_alsa)
            try:
                measure(game)
            finally:
                game.stop()
        figures.update(measure_others(display, window))
    finally:
        xvfb.kill()
        xvfb.wait()
    for name, value in figures.items():
        print(f"  {name:<27} {value:6.2f} % of one core over {window:.0f} s")
    print(" ".join(f"{name}={value:.2f}" for name, value in figures.items()))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except RuntimeError as e:
        print(f"cpu: {e}", file=sys.stderr)
        sys.exit(1)
