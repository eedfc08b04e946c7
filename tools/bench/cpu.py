#!/usr/bin/env python3
"""Processor use of the real game on a desktop-sized X server.

Starts a private Xvfb (1920 x 1080 x 24), runs GAME there in a fresh folder
(data linked to DATA_DIR, sound through SDL's dummy driver) and reads the
process's utime + stime from /proc/<pid>/stat over fixed windows:
  - the idle title after loading, before the demo, at scale 1 and at scale 3;
  - the demo at scale 3.
The game's state is checked by screenshots taken outside the windows only.
Prints one line per figure, then the figures as name=value pairs on the last
line.

Usage: cpu.py GAME DATA_DIR [--window SECONDS]
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


def window_origin(env):
    r = subprocess.run(["xdotool", "search", "--class", "tessaril"], env=env,
                       capture_output=True, text=True)
    for wid in r.stdout.split():
        g = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], env=env,
                           capture_output=True, text=True).stdout
        geo = dict(line.split("=", 1) for line in g.split() if "=" in line)
        if int(geo.get("WIDTH", 0)) >= 320:
            return int(geo["X"]), int(geo["Y"])
    return None


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


class Game:
    def __init__(self, binary, data, display, scale):
        self.dir = tempfile.mkdtemp(prefix="tessaril-cpu-")
        os.symlink(data, os.path.join(self.dir, "data"))
        self.env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy",
                        SDL_VIDEODRIVER="x11")
        self.scale = scale
        self.proc = subprocess.Popen([binary, f"-scale={scale}"], cwd=self.dir, env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.origin = None

    def wait_title(self, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError(f"the game ended with exit code {self.proc.returncode}")
            self.origin = self.origin or window_origin(self.env)
            if self.origin:
                pic = picture(self.env, self.origin, self.scale)
                # The help lines of the title, orange in the lower half.
                if orange_in(pic, (15, 172, 315, 214)) >= 200:
                    self.title = pic
                    return time.monotonic()
            time.sleep(0.2)
        raise RuntimeError("the title did not appear")

    def on_title(self):
        """The title as first seen, give or take the odd pixel."""
        return differing(picture(self.env, self.origin, self.scale), self.title) < 50

    def cpu_pct(self, seconds):
        t0, c0 = time.monotonic(), cpu_ticks(self.proc.pid)
        time.sleep(seconds)
        t1, c1 = time.monotonic(), cpu_ticks(self.proc.pid)
        return 100.0 * (c1 - c0) / TICKS / (t1 - t0)

    def stop(self):
        self.proc.kill()
        self.proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("game")
    ap.add_argument("data")
    ap.add_argument("--window", type=float, default=8.0)
    args = ap.parse_args()
    window = min(args.window, DEMO_IDLE - 2.5)
    xvfb, display = start_xvfb()
    figures = {}
    try:
        for scale in (1, 3):
            game = Game(os.path.abspath(args.game), os.path.abspath(args.data), display, scale)
            try:
                title_at = game.wait_title()
                time.sleep(1.0)  # the last loading work settles
                figures[f"title_cpu_pct_x{scale}"] = game.cpu_pct(window)
                if not game.on_title():
                    raise RuntimeError("the title was left during its window")
                if scale != 3:
                    continue
                time.sleep(max(0.0, title_at + DEMO_IDLE + 2.0 - time.monotonic()))
                if game.on_title():
                    raise RuntimeError("the demo did not start")
                figures["demo_cpu_pct_x3"] = game.cpu_pct(args.window)
                if game.on_title():
                    print("cpu: note: the demo ended during its window", file=sys.stderr)
            finally:
                game.stop()
    finally:
        xvfb.kill()
        xvfb.wait()
    for name, value in figures.items():
        print(f"  {name:<20} {value:6.2f} % of one core over {window:.0f} s")
    print(" ".join(f"{name}={value:.2f}" for name, value in figures.items()))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except RuntimeError as e:
        print(f"cpu: {e}", file=sys.stderr)
        sys.exit(1)
