#!/usr/bin/env python3
"""End-to-end test of the real game under a real X server, played as a player.

Starts its own Xvfb, runs build/tessaril in a fresh working folder (with
`data` linked to the repository's media), presses real keys and clicks the
real mouse through XTEST (xdotool) and reads the screen (ImageMagick's import) and the files the game
writes. It stops at the first thing a player would not expect, names it, and
keeps the recent screenshots in build/e2e-failure/.

The screen is read against the game's own media: the stone, overlay banner and
digit pictures under data/images/ are the templates, so the heads-up numbers,
the board and the banners are read exactly; text drawn with the TrueType font
(the overlays' words and the heads-up labels among it) is judged by the colour
and the extent of its pixels in its region.

Usage: e2e.py [--game PATH] [--if-possible] [--keep] [--runs a,b,...]
  --if-possible  print "e2e: skipped (...)" and exit 0 when no X server can be
                 started (Xvfb, xdotool or import missing, or Xvfb failing)
  --keep         keep the working folders (printed) even when all passes
  --runs         play only the runs named (a, b, k, r, c, m, x3, ..., wm)
Exit code: 0 all passed (or skipped), 1 a scenario failed, 2 set-up failed.
"""

import argparse
import datetime
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

REPO = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
FAILURE_DIR = os.path.join(REPO, "build", "e2e-failure")

SCREEN_W, SCREEN_H = 320, 240
BOARD_W, BOARD_H = 10, 8
BOARD_X, BOARD_Y = 5, 18  # screen position of the top left stone
PITCH = 26  # 24-pixel stone and a 2-pixel gap
STONE = 24
BOARD_AREA = (5, 18, 265, 240)  # x0, y0, x1, y1 (exclusive) of the drawn board
OVERLAY_AT = (10, 110)

KEY_HOLD = 0.08  # seconds a key is held down
DEMO_IDLE_TICKS = 11  # once-a-second ticks on the title before the demo


class Failure(Exception):
    """A scenario found something a player would not expect."""


class SetupError(Exception):
    """The test could not be set up (no X server, no window, ...)."""


def log(msg):
    print(msg, flush=True)


# --- Pictures -------------------------------------------------------------


class Picture:
    """An RGB picture, 8 bits a channel, rows top to bottom."""

    def __init__(self, width, height, data, label=""):
        self.w = width
        self.h = height
        self.data = data
        self.label = label

    def px(self, x, y):
        i = (y * self.w + x) * 3
        d = self.data
        return d[i], d[i + 1], d[i + 2]

    def row(self, x0, x1, y):
        return self.data[(y * self.w + x0) * 3 : (y * self.w + x1) * 3]

    def count(self, box, pred):
        x0, y0, x1, y1 = clip(box, self.w, self.h)
        n = 0
        for y in range(y0, y1):
            r = self.row(x0, x1, y)
            for i in range(0, len(r), 3):
                if pred(r[i], r[i + 1], r[i + 2]):
                    n += 1
        return n

    def lit(self, box, floor=24):
        """Pixels in the box brighter than near-black."""
        return self.count(box, lambda r, g, b: r > floor or g > floor or b > floor)

    def diff(self, other, box, tol=24):
        """Pixels in the box that differ between two pictures."""
        x0, y0, x1, y1 = clip(box, self.w, self.h)
        n = 0
        for y in range(y0, y1):
            a = self.row(x0, x1, y)
            b = other.row(x0, x1, y)
            if a == b:
                continue
            for i in range(0, len(a), 3):
                if (
                    abs(a[i] - b[i]) > tol
                    or abs(a[i + 1] - b[i + 1]) > tol
                    or abs(a[i + 2] - b[i + 2]) > tol
                ):
                    n += 1
        return n


def sample(win, n):
    """The top left pixel of every n x n block of a picture, as RGB bytes."""
    if n == 1:
        return win.data
    out = bytearray()
    for y in range(0, win.h, n):
        row = win.row(0, win.w, y)
        for x in range(0, len(row), 3 * n):
            out += row[x:x + 3]
    return bytes(out)


def scaled(pic, n):
    """A picture's RGB bytes with every pixel an n x n block."""
    out = bytearray()
    for y in range(pic.h):
        row = pic.row(0, pic.w, y)
        wide = b"".join(row[i:i + 3] * n for i in range(0, len(row), 3))
        out += wide * n
    return bytes(out)


def as_565(data):
    """RGB bytes cut to the 5, 6 and 5 bits of the game's 16-bit picture: the
    two SDL 1.2 libraries widen its channels to 8 bits each their own way."""
    mask = bytes((0xF8, 0xFC, 0xF8)) * (len(data) // 3)
    return bytes(a & m for a, m in zip(data, mask))


def clip(box, w, h):
    x0, y0, x1, y1 = box
    return max(0, x0), max(0, y0), min(w, x1), min(h, y1)


def is_orange(r, g, b):
    # The game's text colour (255, 128, 0) after the 16-bit screen.
    return r >= 200 and 90 <= g <= 170 and b <= 80


def is_white(r, g, b):
    # White text; its thin strokes blend into grey. The splash behind text
    # is drawn at alpha 160, so it never comes this bright.
    return r >= 170 and g >= 170 and b >= 170


MAGENTA = (255, 0, 255)


def load_picture(path):
    """Any picture ImageMagick reads, as a Picture."""
    out = subprocess.run(
        ["convert", path, "-depth", "8", "ppm:-"], capture_output=True, check=True
    ).stdout
    # P6 header: magic, width, height, maxval, each after white space.
    fields = []
    pos = 0
    while len(fields) < 4:
        while out[pos : pos + 1].isspace():
            pos += 1
        start = pos
        while not out[pos : pos + 1].isspace():
            pos += 1
        fields.append(out[start:pos])
    pos += 1
    w, h = int(fields[1]), int(fields[2])
    return Picture(w, h, out[pos : pos + w * h * 3], os.path.basename(path))


def match_fraction(screen, pic, x, y, src=None, tol=40, step=1, skip=None):
    """Share of the picture's opaque pixels (magenta is transparent) that the
    screen shows at (x, y); src = (sx, sy, w, h) takes a part of the picture,
    skip = (sx, sy, w, h) leaves a part of it out."""
    sx, sy, w, h = src if src else (0, 0, pic.w, pic.h)
    total = hit = 0
    for j in range(0, h, step):
        for i in range(0, w, step):
            p = pic.px(sx + i, sy + j)
            if p == MAGENTA:
                continue
            if skip and (skip[0] <= sx + i < skip[0] + skip[2]
                         and skip[1] <= sy + j < skip[1] + skip[3]):
                continue
            X, Y = x + i, y + j
            if not (0 <= X < screen.w and 0 <= Y < screen.h):
                continue
            total += 1
            q = screen.px(X, Y)
            if abs(p[0] - q[0]) <= tol and abs(p[1] - q[1]) <= tol and abs(p[2] - q[2]) <= tol:
                hit += 1
    return hit / total if total else 0.0


def signature(pic, x, y, inset=4, grid=4):
    """Mean colours of grid x grid blocks of a stone square without its
    outer `inset` pixels (the cursor's corners reach into those); magenta
    (transparent) counts as the black behind it."""
    x += inset
    y += inset
    block = (STONE - 2 * inset) // grid
    sig = []
    for by in range(grid):
        for bx in range(grid):
            r = g = b = 0
            for yy in range(y + by * block, y + (by + 1) * block):
                row = pic.row(x + bx * block, x + (bx + 1) * block, yy)
                for i in range(0, len(row), 3):
                    p = (row[i], row[i + 1], row[i + 2])
                    if p == MAGENTA:
                        continue
                    r += p[0]
                    g += p[1]
                    b += p[2]
            n = block * block
            sig.extend((r / n, g / n, b / n))
    return sig


class Media:
    """The game's own pictures, read from data/images/ as templates."""

    STONE_FILES = {
        1: "dblue",
        2: "green",
        3: "orange",
        4: "purple",
        5: "red",
        6: "yellow",
        7: "blue",
        8: "magenta",
        9: "white",
        10: "wetime",
        11: "bomb",
        20: "frame",
    }

    def __init__(self, data_dir):
        img = lambda name: load_picture(os.path.join(data_dir, "images", name + ".bmp"))
        self.digits = img("zahlen")
        self.presskey = img("presskey")
        self.paused = img("gamepaused")
        self.gameover = img("gameover")
        self.leveldone = img("leveldone")
        self.outoftime = img("outoftime")
        self.nomoves = img("nomoves")
        # The desktop letters the overlays' words at run time over these
        # wordless banners (game/uWords.cpp): the big line's colour and the
        # range of its width in pixels tell the banners of one colour apart.
        self.big_lines = {id(self.presskey): ("gold", 60, 110),
                          id(self.leveldone): ("gold", 150, 194),
                          id(self.paused): ("gold", 120, 165),
                          id(self.outoftime): ("red", 95, 136),
                          id(self.nomoves): ("red", 137, 180),
                          id(self.gameover): ("red", 95, 136)}
        self.stones = {k: img(f) for k, f in self.STONE_FILES.items()}
        self.stone_sigs = {k: signature(p, 0, 0) for k, p in self.stones.items()}
        # Digit glyphs 0-9 and ':' as 6 x 14 cells, transparent drawn black.
        self.glyphs = {}
        for c in range(11):
            cell = []
            for y in range(14):
                for x in range(6):
                    p = self.digits.px(c * 6 + x, y)
                    cell.append((0, 0, 0) if p == MAGENTA else p)
            self.glyphs["0123456789:"[c]] = cell


# --- Reading the game screen ------------------------------------------------


def read_glyph(media, screen, x, y):
    """The character drawn with the digit image at (x, y): a digit, ':', ' '
    for an empty cell, or '?' for anything else."""
    cell = []
    for j in range(14):
        for i in range(6):
            cell.append(screen.px(x + i, y + j) if 0 <= x + i < screen.w else (0, 0, 0))
    if all(max(p) <= 24 for p in cell):
        return " "
    best, best_err = "?", None
    for ch, g in media.glyphs.items():
        err = 0
        for p, q in zip(cell, g):
            err += max(abs(p[0] - q[0]), abs(p[1] - q[1]), abs(p[2] - q[2]))
        if best_err is None or err < best_err:
            best, best_err = ch, err
    return best if best_err <= 84 * 20 else "?"


def read_number(media, screen, x, y, right_aligned, cells=8):
    """Reads a heads-up number drawn with the digit image: right-aligned so
    that it ends at x, or left-aligned from x. Gaps inside are kept, the
    string is stripped."""
    chars = []
    for n in range(cells):
        cx = x - (n + 1) * 6 if right_aligned else x + n * 6
        if cx < 0 or cx + 6 > screen.w:
            break
        chars.append(read_glyph(media, screen, cx, y))
    if right_aligned:
        chars.reverse()
    return "".join(chars).strip()


def hud(media, screen):
    """The heads-up display as a player reads it: score, lives, level, time
    (seconds) and the goals column; None for a field that cannot be read."""

    def num(text):
        return int(text) if text.isdigit() else None

    out = {
        "score": num(read_number(media, screen, 85, 2, True)),
        "lives": num(read_number(media, screen, 130, 2, False, cells=3)),
        "level": num(read_number(media, screen, 180, 2, False, cells=3)),
    }
    t = read_number(media, screen, 260, 2, True, cells=5)
    parts = t.split(":")
    if len(parts) == 2 and parts[0].strip().isdigit() and len(parts[1]) == 2 and parts[1].isdigit():
        out["time"] = int(parts[0]) * 60 + int(parts[1])
    else:
        out["time"] = None
    out["time_text"] = t
    goals = []
    for i in range(1, 9):
        g = read_number(media, screen, 292, 26 * (i - 1) + 23, True, cells=3)
        goals.append(num(g))
    out["goals"] = goals
    return out


def label_shown(screen, x):
    """A heads-up label lettered in its light blue at x of the top row: most of
    its letters' pixels are there (the desktop letters the labels in its font)."""
    lit = 0
    for y in range(3, 15):
        for i in range(-2, 30):
            r, g, b = screen.px(x + i, y)
            if b >= 150 and b > r + 30:
                lit += 1
    return lit >= 30


def hud_visible(media, screen, clock=True):
    """The four labels of the heads-up display are on the screen (the first
    three alone with clock False: the relaxed game has no clock)."""
    return (label_shown(screen, 5) and label_shown(screen, 100) and label_shown(screen, 150)
            and (not clock or label_shown(screen, 200)))


# The words' room in an overlay banner (x, y, w, h of the picture): all but
# the gems at both ends and the frame.
LETTERING_BOX = (26, 3, 198, 44)


def big_line(screen):
    """The overlay's big line as the screen shows it: "red" or "gold" (the
    colour most of its letters have) and its width in pixels."""
    red = gold = 0
    cols = set()
    x0, y0 = OVERLAY_AT
    for y in range(y0 + 6, y0 + 28):
        for x in range(x0 + 28, x0 + 222):
            r, g, b = screen.px(x, y)
            if r > 180 and g < 120 and b < 100:
                red += 1
                cols.add(x)
            elif r > 200 and g > 140 and b < 130:
                gold += 1
                cols.add(x)
    return ("red" if red > gold else "gold"), (max(cols) - min(cols) if cols else 0)


def overlay_shown(media, screen, pic):
    # The banners of one colour share their picture (the paused one matches
    # the press-key picture to 80 %); a shown overlay matches its own outside
    # the words, and its big line has their colour and width.
    if match_fraction(screen, pic, OVERLAY_AT[0], OVERLAY_AT[1], step=2,
                      skip=LETTERING_BOX) <= 0.97:
        return False
    colour, width = big_line(screen)
    want, low, high = media.big_lines[id(pic)]
    return colour == want and low <= width <= high


def cell_origin(col, row):
    return BOARD_X + col * PITCH, BOARD_Y + row * PITCH


def read_board(media, screen):
    """The kind of the stone shown in every cell ([row][col]), None where the
    cell shows no stone a player could name. Frame stones read as 20."""
    board = []
    for row in range(BOARD_H):
        line = []
        for col in range(BOARD_W):
            x, y = cell_origin(col, row)
            sig = signature(screen, x, y)
            best, best_d = None, None
            for k, ref in media.stone_sigs.items():
                d = sum(abs(a - b) for a, b in zip(sig, ref)) / len(sig)
                if best_d is None or d < best_d:
                    best, best_d = k, d
            line.append(best if best_d is not None and best_d < 12 else None)
        board.append(line)
    return board


def is_cursor_colour(r, g, b):
    # The cursor picture's frame: white, gold and orange; the selection's:
    # aqua and white.
    return (r >= 200 and b <= 120) or (g >= 200 and b >= 200)


def ring_sides(screen, col, row):
    """Share of cursor-coloured pixels on each of the four 2-pixel sides of the gap ring
    around a cell, where the cursor and the selection marker are drawn."""
    x, y = cell_origin(col, row)
    x -= 2
    y -= 2
    sides = [(x, y, x + 28, y + 2), (x, y + 26, x + 28, y + 28), (x, y + 2, x + 2, y + 26),
             (x + 26, y + 2, x + 28, y + 26)]
    out = []
    vx0, vy0, vx1, vy1 = BOARD_AREA
    for x0, y0, x1, y1 in sides:
        # The board is drawn clipped to its view: at the edges of the board
        # a side of the frame is cut away.
        b = (max(x0, vx0), max(y0, vy0), min(x1, vx1), min(y1, vy1))
        if b[2] <= b[0] or b[3] <= b[1]:
            out.append(1.0)
            continue
        area = (b[2] - b[0]) * (b[3] - b[1])
        out.append(screen.count(b, is_cursor_colour) / area)
    return out


def framed_cells(screen):
    """Cells with a cursor-like frame on all four sides."""
    return sorted(
        (c, r)
        for r in range(BOARD_H)
        for c in range(BOARD_W)
        if min(ring_sides(screen, c, r)) >= 0.8
    )


def stone_interiors_diff(a, b, skip=()):
    """Differing pixels in the stone squares of two screens, cells in skip
    left out."""
    n = 0
    for r in range(BOARD_H):
        for c in range(BOARD_W):
            if (c, r) in skip:
                continue
            x, y = cell_origin(c, r)
            n += a.diff(b, (x, y, x + STONE, y + STONE))
    return n


# --- The rules, to know what a board allows ---------------------------------


def kind_at(g, c, r):
    return g[r][c] if 0 <= c < BOARD_W and 0 <= r < BOARD_H and g[r][c] is not None else -1


def in_run(g, c, r, k):
    for dx, dy in ((1, 0), (0, 1)):
        n = 0
        for d in range(-2, 3):
            x, y = c + d * dx, r + d * dy
            if d == 0 or (k >= 0 and kind_at(g, x, y) == k):
                n += 1
            else:
                n = 0
            if n >= 3:
                return True
    return False


def is_valid_swap(g, c1, r1, c2, r2):
    h = [row[:] for row in g]
    h[r1][c1], h[r2][c2] = h[r2][c2], h[r1][c1]
    return in_run(h, c1, r1, kind_at(h, c1, r1)) or in_run(h, c2, r2, kind_at(h, c2, r2))


def valid_swaps(g):
    out = []
    for r in range(BOARD_H):
        for c in range(BOARD_W):
            for dc, dr in ((1, 0), (0, 1)):
                c2, r2 = c + dc, r + dr
                if c2 < BOARD_W and r2 < BOARD_H and is_valid_swap(g, c, r, c2, r2):
                    out.append(((c, r), (c2, r2)))
    return out


def run_cells(g):
    return [(c, r) for r in range(BOARD_H) for c in range(BOARD_W) if in_run(g, c, r, kind_at(g, c, r))]


def board_file_text(g):
    """A board as the game's board file: column order, CR LF."""
    return "".join(
        f"{c} {r} {g[r][c]}\r\n" for c in range(BOARD_W) for r in range(BOARD_H)
    ).encode()


def parse_board_file(data, what):
    """Checks a board file written by the desktop game and gives its board."""
    if not data.endswith(b"\r\n"):
        raise Failure(f"{what}: does not end with CR LF")
    lines = data.split(b"\r\n")[:-1]
    for i, line in enumerate(lines):
        if b"\r" in line or b"\n" in line:
            raise Failure(f"{what}: line {i + 1} has a line end other than CR LF")
    if len(lines) != BOARD_W * BOARD_H:
        raise Failure(f"{what}: {len(lines)} lines, a full board has {BOARD_W * BOARD_H}")
    g = [[None] * BOARD_W for _ in range(BOARD_H)]
    for i, line in enumerate(lines):
        parts = line.split(b" ")
        if len(parts) != 3 or not all(p.isdigit() for p in parts):
            raise Failure(f"{what}: line {i + 1} is not 'col row kind': {line!r}")
        c, r, k = (int(p) for p in parts)
        if (c, r) != (i // BOARD_H, i % BOARD_H):
            raise Failure(f"{what}: line {i + 1} names cell ({c}, {r}); column order wants "
                          f"({i // BOARD_H}, {i % BOARD_H})")
        if not 1 <= k <= 32:
            raise Failure(f"{what}: line {i + 1} has kind {k}")
        g[r][c] = k
    return g


def board_with_run(seed, kinds=6):
    """A full board without runs except one horizontal run of three stones
    of kind 1 in the top row, columns 3 to 5; it has further moves."""
    rnd = random.Random(seed)
    while True:
        g = [[None] * BOARD_W for _ in range(BOARD_H)]
        run = [(3, 0), (4, 0), (5, 0)]
        for c, r in run:
            g[r][c] = 1
        ok = True
        for c in range(BOARD_W):
            for r in range(BOARD_H):
                if g[r][c] is not None:
                    continue
                choices = [k for k in range(1, kinds + 1) if not in_run(g, c, r, k)]
                if not choices:
                    ok = False
                    break
                g[r][c] = rnd.choice(choices)
            if not ok:
                break
        if ok and sorted(run_cells(g)) == sorted(run) and valid_swaps(g):
            return g, run
        seed += 1


def board_without_moves():
    """Diagonal stripes of four kinds: no run and no swap that makes one."""
    g = [[(c + 2 * r) % 4 + 1 for c in range(BOARD_W)] for r in range(BOARD_H)]
    assert not run_cells(g) and not valid_swaps(g)
    return g


# --- The X server ----------------------------------------------------------


class XServer:
    """An Xvfb of our own on a free display; Xvfb picks the number itself
    (-displayfd), so two runs at once cannot collide."""

    def __init__(self, screen="320x240x24"):
        self.proc = None
        self.display = None
        self.screen = screen

    def start(self, timeout=15.0):
        rfd, wfd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(wfd), "-screen", "0", self.screen, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(wfd,),
            stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE,
            start_new_session=True,
        )
        os.close(wfd)
        buf = b""
        deadline = time.monotonic() + timeout
        os.set_blocking(rfd, False)
        while b"\n" not in buf and time.monotonic() < deadline:
            if self.proc.poll() is not None:
                break
            try:
                chunk = os.read(rfd, 64)
                if chunk == b"":
                    break
                buf += chunk
            except BlockingIOError:
                time.sleep(0.05)
        os.close(rfd)
        if b"\n" not in buf:
            err = b""
            if self.proc.poll() is not None:
                err = self.proc.stderr.read()
            self.stop()
            raise SetupError("Xvfb did not start" + (": " + err.decode(errors="replace").strip()
                                                     if err else ""))
        self.display = ":" + buf.decode().strip()

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None


# --- The game under test -----------------------------------------------------


class Recorder:
    """Keeps the latest screenshots for the failure report."""

    KEEP = 24

    def __init__(self):
        self.shots = []  # (name, Picture), the latest KEEP
        self.kept = []  # checkpoints
        self.counter = 0

    def checkpoint(self):
        """Keeps the latest screenshot for good: the last screen of each
        scenario that passed."""
        if self.shots:
            self.kept.append(self.shots[-1])

    def add(self, prefix, pic):
        self.counter += 1
        self.shots.append((f"{self.counter:04d}-{prefix}", pic))
        if len(self.shots) > self.KEEP:
            self.shots.pop(0)

    def save(self, folder):
        seen = set()
        for name, pic in self.kept + self.shots:
            if name in seen:
                continue
            seen.add(name)
            safe = "".join(ch if ch.isalnum() or ch in "-_" else "_" for ch in name)
            subprocess.run(
                ["convert", "-size", f"{pic.w}x{pic.h}", "-depth", "8", "rgb:-",
                 os.path.join(folder, safe + ".png")],
                input=pic.data, check=False)


class Game:
    """One run of build/tessaril in its own working folder."""

    def __init__(self, binary, xserver, recorder, media, name, scale=1, libdir=None,
                 options=()):
        self.binary = binary
        self.scale = scale  # window pixels per picture pixel
        self.libdir = libdir
        self.options = list(options)
        self.x = xserver
        self.rec = recorder
        self.media = media
        self.name = name
        self.dir = tempfile.mkdtemp(prefix=f"tessaril-e2e-{name}-")
        os.symlink(os.path.join(REPO, "data"), os.path.join(self.dir, "data"))
        self.proc = None
        self.win = None
        self.scenario = ""
        self.env = dict(os.environ)
        self.env.update(DISPLAY=xserver.display, SDL_AUDIODRIVER="dummy", SDL_VIDEODRIVER="x11")
        if libdir:  # another SDL 1.2 library
            self.env["LD_LIBRARY_PATH"] = libdir

    def path(self, name):
        return os.path.join(self.dir, name)

    def xdo(self, *args, check=True):
        r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        if check and r.returncode != 0:
            raise SetupError(f"xdotool {' '.join(args)} failed: {r.stderr.strip()}")
        return r

    def start(self, timeout=20.0):
        self.out = open(self.path("game-output.txt"), "wb")
        self.proc = subprocess.Popen([self.binary] + self.options, cwd=self.dir, env=self.env, stdout=self.out,
                                     stderr=subprocess.STDOUT)
        width, height = str(SCREEN_W * self.scale), str(SCREEN_H * self.scale)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.check_running()
            r = self.xdo("search", "--class", "tessaril", check=False)
            for wid in r.stdout.split():
                g = self.xdo("getwindowgeometry", "--shell", wid, check=False).stdout
                geo = dict(l.split("=", 1) for l in g.split() if "=" in l)
                if geo.get("WIDTH") == width and geo.get("HEIGHT") == height:
                    self.win = wid
                    self.origin = (int(geo.get("X", 0)), int(geo.get("Y", 0)))
                    self.focus()
                    return
            time.sleep(0.1)
        raise Failure(f"the game window (class tessaril, {width} x {height}) did not appear "
                      f"within {timeout:.0f} s")

    def check_running(self):
        if self.proc is not None and self.proc.poll() is not None:
            raise Failure(f"the game ended unexpectedly with exit code {self.proc.returncode}"
                          f"; log.txt: {self.read('log.txt')!r}")

    def focus(self):
        """Gives the window the input focus; without a window manager the
        focus follows the pointer, so the pointer goes over the window too."""
        cx, cy = self.origin[0] + 160 * self.scale, self.origin[1] + 120 * self.scale
        self.xdo("mousemove", str(cx), str(cy))
        self.xdo("windowfocus", "--sync", self.win, check=False)
        if not self.has_focus():
            raise SetupError("the game window cannot be given the input focus")

    def has_focus(self):
        r = self.xdo("getwindowfocus", check=False)
        return r.stdout.strip() == self.win

    def key(self, name, hold=KEY_HOLD):
        """Presses and releases one key, as a player does, with the window
        focused (a key pressed without focus is lost)."""
        self.check_running()
        if not self.has_focus():
            log(f"  note: the window had lost the focus before '{name}'; focusing it again")
            self.focus()
        self.xdo("keydown", name, "sleep", str(hold), "keyup", name)

    def type_text(self, text, delay_ms=10):
        """Types text fast, a key every delay_ms, with the window focused."""
        self.check_running()
        if not self.has_focus():
            self.focus()
        self.xdo("type", "--delay", str(delay_ms), text)

    def click(self, x, y, button=1):
        """Presses and releases a mouse button with the pointer over picture
        pixel (x, y) of the window, as a player does."""
        self.check_running()
        wx, wy = x * self.scale + self.scale // 2, y * self.scale + self.scale // 2
        self.xdo("mousemove", "--window", self.win, str(wx), str(wy))
        self.xdo("mousedown", str(button), "sleep", str(KEY_HOLD), "mouseup", str(button))

    def shot_window(self):
        """The whole window, scaled as it is shown."""
        self.check_running()
        x, y = self.origin
        w, h = SCREEN_W * self.scale, SCREEN_H * self.scale
        r = subprocess.run(
            ["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
             "-depth", "8", "rgb:-"],
            env=self.env, capture_output=True)
        if r.returncode != 0 or len(r.stdout) != w * h * 3:
            raise SetupError(f"screenshot failed: {r.stderr.decode(errors='replace').strip()}")
        return Picture(w, h, r.stdout)

    def shot(self, label="shot"):
        """The 320 x 240 picture: one window pixel of each scale x scale block."""
        win = self.shot_window()
        pic = Picture(SCREEN_W, SCREEN_H, sample(win, self.scale), label)
        self.rec.add(f"{self.name}-{self.scenario}-{label}", pic)
        return pic

    def wait_for(self, what, pred, timeout=5.0, interval=0.05):
        """Screenshots until pred(screen) holds; gives that screen and the
        seconds waited. Fails naming `what` when it never holds."""
        t0 = time.monotonic()
        last_err = None
        while True:
            s = self.shot("wait")
            try:
                if pred(s):
                    return s, time.monotonic() - t0
            except Failure as e:
                last_err = e
            if time.monotonic() - t0 > timeout:
                msg = f"{what}: not seen within {timeout:.1f} s"
                if last_err:
                    msg += f" ({last_err})"
                raise Failure(msg)
            time.sleep(interval)

    def hud(self, screen=None):
        return hud(self.media, screen or self.shot("hud"))

    def read(self, name):
        try:
            with open(self.path(name), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def wait_exit(self, timeout=5.0):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the game did not end within {timeout:.0f} s")

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if getattr(self, "out", None):
            self.out.close()

    def keep_files(self, folder):
        dest = os.path.join(folder, self.name)
        os.makedirs(dest, exist_ok=True)
        for n in os.listdir(self.dir):
            p = os.path.join(self.dir, n)
            if os.path.isfile(p) and not os.path.islink(p):
                shutil.copy(p, dest)

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


# --- Helpers used by the scenarios -------------------------------------------


def expect(cond, msg):
    if not cond:
        raise Failure(msg)


# The title's menu: entries at x 15 from y 60, 14 pixels apart, orange; the
# chosen one white on a dark bar. The desktop's menu without a kept game:
# New game, Relaxed game, High scores, Options, How to play, Quit.
MENU_LEFT, MENU_TOP, MENU_LINE = 15, 60, 14
MENU_MAX = 8
MENU_ENTRIES = 6


def menu_box(i):
    return (MENU_LEFT, MENU_TOP + MENU_LINE * i, 185, MENU_TOP + MENU_LINE * (i + 1))


def menu_lines(s):
    """(orange, white) pixels of each of the menu's eight places."""
    return [(s.count(menu_box(i), is_orange), s.count(menu_box(i), is_white))
            for i in range(MENU_MAX)]


def title_menu(s):
    """The title's menu as drawn: (entries, the chosen one), or None where
    the places do not read as a menu (a run of entries from the top, each
    orange but the chosen one, white alone, and nothing below them)."""
    lines = menu_lines(s)
    entries = 0
    while entries < MENU_MAX and sum(lines[entries]) >= 40:
        entries += 1
    if entries == 0 or any(sum(l) > 5 for l in lines[entries:]):
        return None
    chosen = [i for i, (orange, white) in enumerate(lines[:entries]) if white >= 100 and orange < 10]
    plain = all(white < 10 for i, (orange, white) in enumerate(lines[:entries]) if i not in chosen)
    return (entries, chosen[0]) if len(chosen) == 1 and plain else None


def title_regions(s):
    return {
        "version": s.count((5, 44, 200, 58), is_orange),
        "lastscore": s.count((190, 62, 315, 76), is_orange),  # right of the menu
        "keys": s.count((190, 92, 315, 160), is_orange),  # the key lines for play
        "credits": s.count((5, 178, 315, 200), is_orange),
        "volume": s.count((250, 220, 320, 234), is_orange),
    }


def on_title(s, entries=None):
    """The title, its menu of `entries` entries (any number when None) with
    the first one chosen, as the title starts."""
    t = title_regions(s)
    menu = title_menu(s)
    return (t["version"] >= 40 and t["keys"] >= 300 and t["credits"] >= 300
            and menu is not None and menu[1] == 0 and (entries is None or menu[0] == entries))


def board_idle_full(game, screen):
    """The board shows a stone in every cell; gives it or None."""
    b = read_board(game.media, screen)
    return b if all(k is not None for row in b for k in row) else None


def wait_board_settled(game, what, timeout=8.0):
    """Waits until the board shows all 80 stones and stays the same (and the
    score with it) for half a second; gives the board and the screen."""
    state = {"prev": None, "since": None}

    def settled(s):
        b = board_idle_full(game, s)
        h = hud(game.media, s)
        key = (str(b), h["score"]) if b else None
        now = time.monotonic()
        if key is None or key != state["prev"]:
            state["prev"], state["since"] = key, now
            return False
        return now - state["since"] >= 0.5

    s, _ = game.wait_for(what, settled, timeout=timeout, interval=0.1)
    return read_board(game.media, s), s


def cursor_at(game, cell, what, extra=()):
    """Waits until the cells framed on the screen are exactly cell and extra."""
    want = sorted({cell, *extra})
    holder = {}

    def pred(s):
        holder["seen"] = framed_cells(s)
        return holder["seen"] == want

    try:
        return game.wait_for(what, pred, timeout=2.0)[0]
    except Failure:
        raise Failure(f"{what}: framed cells {holder.get('seen')} on the screen, expected {want}")


def move_cursor(game, frm, to, extra=()):
    """Moves the cursor with the arrow keys, one press a cell, checking each
    step on the screen."""
    c, r = frm
    while (c, r) != to:
        if c < to[0]:
            k, c = "Right", c + 1
        elif c > to[0]:
            k, c = "Left", c - 1
        elif r < to[1]:
            k, r = "Down", r + 1
        else:
            k, r = "Up", r - 1
        game.key(k)
        cursor_at(game, (c, r), f"cursor after {k} at cell ({c}, {r})", extra)
    return c, r


def save_board(game, what):
    """Presses S and gives the board of the fresh puzzle1.txt."""
    try:
        os.remove(game.path("puzzle1.txt"))
    except FileNotFoundError:
        pass
    game.key("s")
    deadline = time.monotonic() + 3.0
    data = None
    while time.monotonic() < deadline:
        data = game.read("puzzle1.txt")
        if data and data.endswith(b"\n") and data.count(b"\n") >= BOARD_W * BOARD_H:
            break
        time.sleep(0.05)
    expect(data is not None, f"{what}: the save key (S) wrote no puzzle1.txt")
    time.sleep(0.05)
    return parse_board_file(game.read("puzzle1.txt"), f"{what}: puzzle1.txt")


def fmt_board(g):
    return "\n".join(" ".join(f"{k if k is not None else '.':>2}" for k in row) for row in g)


def check_exit(game, what):
    game.key("Escape")
    code = game.wait_exit(5.0)
    expect(code == 0, f"{what}: the game ended with exit code {code}, expected 0")
    logtxt = game.read("log.txt")
    expect(logtxt == b"SDLApp::InitSDL: Done\r\n",
           f"{what}: log.txt holds {logtxt!r}, expected only the line "
           "'SDLApp::InitSDL: Done' with CR LF")


def wait_file(game, name, what, done, timeout=3.0):
    """The bytes of the game's file once done(bytes) holds: the game writes
    its files a moment after the screen shows the change."""
    deadline = time.monotonic() + timeout
    while True:
        data = game.read(name)
        if data is not None and done(data):
            return data
        expect(time.monotonic() < deadline, f"{what}: {name} holds {data!r} after "
                                            f"{timeout:.1f} s")
        time.sleep(0.05)


def press(key):
    return lambda game: game.key(key)


def click_at(x, y, button=1):
    return lambda game: game.click(x, y, button)


def into_play(game, st, deal, go_on, how):
    """From the title deal(game) deals a game (the ready overlay), go_on(game)
    starts play; keeps the settled board and the score in st."""
    deal(game)
    game.wait_for(f"the ready overlay after {how} on the title",
                  lambda s: overlay_shown(game.media, s, game.media.presskey), timeout=5.0)
    go_on(game)
    st["board"], s = wait_board_settled(game, f"play after {how} on the ready overlay")
    expect(not overlay_shown(game.media, s, game.media.presskey), "the ready overlay stays")
    st["score"] = hud(game.media, s)["score"]


# "O - Options" under the paused overlay, centred.
PAUSED_OPTIONS_LINE = (100, 170, 220, 190)


def pause_and_go_on(game, st, pause, go_on, clock=True):
    """pause = (how, action) shows the paused overlay alone in the board area
    but for the options line under it, the heads-up row still drawn and its
    clock stopped; go_on likewise shows the same board and score again."""
    before = game.hud()
    pause[1](game)
    s, _ = game.wait_for(f"the paused overlay after {pause[0]}",
                         lambda s: overlay_shown(game.media, s, game.media.paused), timeout=3.0)
    x0, y0, x1, y1 = BOARD_AREA
    ox, oy = OVERLAY_AT
    p = game.media.paused
    lit = (s.lit((x0, y0, x1, oy)) + s.lit((x0, oy + p.h, x1, y1)) + s.lit((x0, oy, ox, oy + p.h))
           + s.lit((ox + p.w, oy, x1, oy + p.h)) - s.lit(PAUSED_OPTIONS_LINE))
    expect(lit == 0, f"paused, the board area outside the overlay and its options line still "
                     f"has {lit} lit pixels")
    line = s.count(PAUSED_OPTIONS_LINE, is_orange)
    expect(line >= 60, f"paused, no options line at y 172 under the overlay ({line} orange pixels)")
    expect(hud_visible(game.media, s, clock), "paused, the heads-up display is gone")
    t1 = hud(game.media, s)["time"]
    time.sleep(1.5)
    t2 = game.hud()["time"]
    expect(t1 == t2, f"the clock runs while paused ({t1} s, then {t2} s)")
    go_on[1](game)
    s, _ = game.wait_for(f"the board shown again after {go_on[0]}",
                         lambda s: board_idle_full(game, s) is not None
                         and not overlay_shown(game.media, s, game.media.paused), timeout=3.0)
    expect(read_board(game.media, s) == st["board"], "the board is not the same after the pause")
    expect(hud(game.media, s)["score"] == before["score"], "the score changed over the pause")


def days_since_1899(dt):
    return (dt - datetime.datetime(1899, 12, 30)).total_seconds() / 86400.0


# --- Scenarios: the first run (a table file with known records) -------------

# Two records of clearly different widths, so their order shows on the screen.
KNOWN_RECORDS = [("ALICEMAYER", 5000, 45000.25), ("BO", 10, 44000.5)]


def record_bytes(name, score, date, cat=1, sub=1):
    nb = name.encode("latin-1")[:10]
    return struct.pack("<ii11sxId", cat, sub, nb + b"\0" * (11 - len(nb)), score, date)


def sc_start_title(game, st):
    """The title after start-up: version line, the menu of six entries with
    the first chosen, key lines, credits, volume, no last score."""
    game.write("highscore.dat", b"".join(record_bytes(*r) for r in KNOWN_RECORDS))
    game.start()
    s, _ = game.wait_for("the title screen (orange version line, menu, key lines, credits)",
                         lambda s: on_title(s, MENU_ENTRIES), timeout=15.0)
    t = title_regions(s)
    expect(t["version"] >= 40, f"version line region y 44..58 has {t['version']} orange pixels")
    expect(t["volume"] >= 20, f"no volume line at (250, 220) ({t['volume']} orange pixels)")
    expect(t["lastscore"] < 10, f"a 'Last Score' line is shown with no game played "
                                f"({t['lastscore']} orange pixels at (190, 62))")
    st["title"] = s
    st["title_at"] = time.monotonic()
    REFERENCE[None] = s


def sc_table(game, st):
    """H shows the table of the file's two records; Return goes back."""
    game.key("h")

    # The table draws names, scores and dates in white (the table's own
    # colour); the translucent splash behind it has nothing that bright.
    def table(s):
        return not on_title(s) and s.count((50, 60, 150, 74), is_white) >= 30

    s, _ = game.wait_for("the high score table after H (names in row 1)", table)
    rows = [(s.count((50, 60 + 15 * i, 150, 74 + 15 * i), is_white),
             s.count((150, 60 + 15 * i, 212, 74 + 15 * i), is_white),
             s.count((230, 60 + 15 * i, 315, 74 + 15 * i), is_white)) for i in range(3)]
    for i in range(2):
        name, score, date = rows[i]
        y = 60 + 15 * i
        expect(name >= 30, f"table row {i + 1}: no name at x 50, y {y} ({name} white pixels)")
        expect(score >= 10, f"table row {i + 1}: no score ending at x 210, y {y} ({score})")
        expect(date >= 30, f"table row {i + 1}: no date at x 230, y {y} ({date})")
    # Longer name and score in row 1 than in row 2.
    expect(rows[0][0] > rows[1][0] and rows[0][1] > rows[1][1],
           f"the rows are not in the file's order (ALICEMAYER 5000, BO 10): {rows[:2]}")
    expect(sum(rows[2]) < 5, f"table row 3 shows something ({rows[2]}), the file has two records")
    # The title's key lines are gone; the splash alone stays behind the table.
    keys_now = title_regions(s)["keys"]
    expect(keys_now < title_regions(st["title"])["keys"] / 4,
           f"the title's key lines are still drawn on the table screen ({keys_now} orange pixels)")
    game.key("Return")
    game.wait_for("the title after Return on the table", on_title, timeout=3.0)


def sc_new_game_ready(game, st):
    """Space takes the menu's first entry, New game, with no game kept: the
    stones fall in, then the press-key overlay."""
    expect(time.monotonic() - st["title_at"] < 9.0, "too slow on the title: the demo would start")
    game.key("space")
    s, waited = game.wait_for(
        "the press-key overlay at (10, 110) after the stones have fallen in",
        lambda s: overlay_shown(game.media, s, game.media.presskey), timeout=5.0)
    expect(waited > 0.3, f"the press-key overlay came {waited:.2f} s after Space: "
                         "before the stones could have fallen in")
    expect(hud_visible(game.media, s), "the heads-up display is not shown in the ready state")
    h = hud(game.media, s)
    expect((h["score"], h["lives"], h["level"]) == (0, 3, 1),
           f"a new game shows score {h['score']}, lives {h['lives']}, level {h['level']}; "
           "expected 0, 3, 1")
    expect(h["time"] == 60, f"a new game shows time '{h['time_text']}', expected 1:00")
    expect(h["goals"][:6] == [3] * 6 and h["goals"][6:] == [None, None],
           f"goals column reads {h['goals']}, expected 3 for each of 6 kinds")
    expect(framed_cells(s) == [], "the cursor is shown in the ready state")


def sc_play(game, st):
    """Space again: overlay gone, heads-up display on top, cursor on (5, 4)."""
    game.key("space")
    s, _ = game.wait_for("the overlay gone after Space in the ready state",
                         lambda s: not overlay_shown(game.media, s, game.media.presskey)
                         and board_idle_full(game, s) is not None, timeout=3.0)
    expect(hud_visible(game.media, s), "no heads-up display at the top in play")
    cursor_at(game, (5, 4), "the cursor on the middle cell (5, 4) at the start of play")


def sc_clock(game, st):
    """The time region x 200..260, y 2..16 changes over 2 s; time counts down."""
    s1 = game.shot("clock-1")
    t1 = hud(game.media, s1)["time"]
    time.sleep(2.0)
    s2 = game.shot("clock-2")
    t2 = hud(game.media, s2)["time"]
    expect(s1.diff(s2, (200, 2, 260, 16)) > 0, "the time region did not change over 2 s")
    expect(t1 is not None and t2 is not None, "the time cannot be read as m:ss")
    expect(1 <= t1 - t2 <= 3, f"the clock went from {t1} s to {t2} s over 2 s")
    expect(t2 < 60, f"the clock is not running ({t2} s)")


def sc_save(game, st):
    """S writes puzzle1.txt: 80 lines, CR LF, column order, no runs; it is
    the board the screen shows."""
    g = save_board(game, "save")
    expect(not run_cells(g), f"the saved idle board holds runs of three at {run_cells(g)}")
    b, s = wait_board_settled(game, "an idle board")
    expect(b == g, "the board on the screen differs from puzzle1.txt:\nscreen\n"
           f"{fmt_board(b)}\nfile\n{fmt_board(g)}")
    st["board"] = g
    st["board_shot"] = s


def sc_refused_swap(game, st):
    """Cursor moves, a stone selected, a refused swap puts both back."""
    g = st["board"]
    a = (5, 4)
    # A neighbour of a whose swap makes no run and whose stone looks different.
    cands = [(a[0] + dc, a[1] + dr) for dc, dr in ((1, 0), (-1, 0), (0, 1), (0, -1))]
    refused = [b for b in cands
               if not is_valid_swap(g, a[0], a[1], b[0], b[1]) and g[b[1]][b[0]] != g[a[1]][a[0]]]
    if not refused:
        # Move the cursor to a cell that has such a neighbour.
        for r in range(BOARD_H):
            for c in range(BOARD_W):
                for dc, dr in ((1, 0), (0, 1)):
                    c2, r2 = c + dc, r + dr
                    if (c2 < BOARD_W and r2 < BOARD_H and g[r][c] != g[r2][c2]
                            and not is_valid_swap(g, c, r, c2, r2)):
                        refused = [(c2, r2)]
                        a = (c, r)
                        break
                if refused:
                    break
            if refused:
                break
    expect(refused, "no refused swap on this board")
    b = refused[0]
    # A few moves away and back first: the cursor follows each key.
    pos = move_cursor(game, (5, 4), (6, 4))
    pos = move_cursor(game, pos, (6, 3))
    pos = move_cursor(game, pos, a)
    game.key("space")
    cursor_at(game, a, "the cursor on the selected stone")
    # The selection marker stays on the selected stone while the cursor
    # goes to the neighbour.
    move_cursor(game, a, b, extra=(a,))
    before = game.shot("before-refused")
    game.key("space")
    moved = {"seen": False}

    def centre(cell):
        # The middle of a stone square, where the cursor's corners never reach.
        x, y = cell_origin(*cell)
        return (x + 4, y + 4, x + STONE - 4, y + STONE - 4)

    def back(s):
        # The two stones travel onto each other's place and back; then only
        # the cursor frame stays, on the neighbour.
        if s.diff(before, centre(a)) > 20 or s.diff(before, centre(b)) > 20:
            moved["seen"] = True
        return moved["seen"] and framed_cells(s) == [b] and stone_interiors_diff(
            before, s, skip=(a, b)) == 0 and read_board(game.media, s) == g

    s, _ = game.wait_for("both stones of the refused swap back in their cells", back,
                         timeout=3.0, interval=0.02)
    expect(moved["seen"], "the refused swap showed no movement")
    g2 = save_board(game, "after the refused swap")
    expect(g2 == g, "the refused swap changed the board file:\nbefore\n"
           f"{fmt_board(g)}\nafter\n{fmt_board(g2)}")
    expect(hud(game.media, s)["score"] == 0, "a refused swap scored")
    diff = stone_interiors_diff(st["board_shot"], s, skip=(a, b, (5, 4)))
    expect(diff == 0, f"the board area differs from before the refused swap in {diff} pixels")
    st["cursor"] = b


def sc_valid_swap(game, st):
    """A swap that makes a run: the board changes and the score rises."""
    g = st["board"]
    moves = valid_swaps(g)
    expect(moves, "the dealt board has no move (the game should have taken a life)")
    (c1, r1), (c2, r2) = moves[0]
    pos = move_cursor(game, st["cursor"], (c1, r1))
    game.key("space")
    cursor_at(game, (c1, r1), "the selected stone for the valid swap")
    move_cursor(game, pos, (c2, r2), extra=((c1, r1),))
    game.key("space")

    def scored(s):
        h = hud(game.media, s)
        return h["score"] is not None and h["score"] > 0

    s, _ = game.wait_for("the score rising after a swap that makes a run", scored, timeout=3.0)
    b, s = wait_board_settled(game, "the board settled after the swap")
    h = hud(game.media, s)
    score = h["score"]
    swapped = [row[:] for row in g]
    swapped[r1][c1], swapped[r2][c2] = swapped[r2][c2], swapped[r1][c1]
    cleared = len(run_cells(swapped))
    expect(score >= 25 * cleared and score % 25 == 0,
           f"the score reads {score} after the swap made runs of {cleared} stones: "
           "25 a stone (cascades may add more)")
    expect(b != g, "the board looks unchanged after a valid swap")
    counted = sum(3 - k for k in h["goals"][:6] if k is not None)
    expect(1 <= counted <= score // 25,
           f"the goals column {h['goals'][:6]} did not count the {score // 25} removed stones down")
    st["board"] = b
    st["score"] = score


def sc_mouse_swap(game, st):
    """Two mouse clicks, on a stone and on its neighbour, swap them: the
    selection shows on the clicked stone, then the run clears and scores."""
    g = st["board"]
    moves = valid_swaps(g)
    expect(moves, "the board has no move left for the mouse swap")
    (c1, r1), (c2, r2) = moves[-1]

    def centre(c, r):
        x, y = cell_origin(c, r)
        return x + STONE // 2, y + STONE // 2

    game.click(*centre(c1, r1))
    cursor_at(game, (c1, r1), "the cursor and selection on the clicked stone")
    game.click(*centre(c2, r2))

    def scored(s):
        sc = hud(game.media, s)["score"]
        return sc is not None and sc > st["score"]

    game.wait_for("the score rising after the mouse swap", scored, timeout=3.0)
    b, s = wait_board_settled(game, "the board settled after the mouse swap")
    h = hud(game.media, s)
    swapped = [row[:] for row in g]
    swapped[r1][c1], swapped[r2][c2] = swapped[r2][c2], swapped[r1][c1]
    gained = h["score"] - st["score"]
    cleared = len(run_cells(swapped))
    expect(gained >= 25 * cleared and gained % 25 == 0,
           f"the mouse swap made runs of {cleared} stones but scored {gained}")
    expect(b != g, "the board looks unchanged after the mouse swap")
    st["board"] = b
    st["score"] = h["score"]


def sc_pause(game, st):
    """P hides the board and stops the clock; P again shows the board."""
    pause_and_go_on(game, st, ("P", press("p")), ("the second P", press("p")))


# The clock's place in the heads-up row: its label and its digits.
CLOCK_BOX = (200, 0, 262, 17)


def offers_kept(s, kept=1):
    """The title offers kept games (one, or with None one or more): its menu
    has the Continue entry first (and Kept games second, with several),
    chosen, a longer line than New game's."""
    menu = title_menu(s)
    entries = [MENU_ENTRIES + min(kept, 2)] if kept else [MENU_ENTRIES + 1, MENU_ENTRIES + 2]
    return (on_title(s) and menu is not None and menu[0] in entries
            and menu_lines(s)[0][1] >= 250)


def sc_keep_and_continue(game, st):
    """Paused, the program ended by Escape keeps the game; started again, the
    title offers it first and C brings it back on its ready overlay with the
    same score, lives, level, time and stones, still kept in savegame.txt."""
    game.key("p")
    s, _ = game.wait_for("the paused overlay after P", lambda s: overlay_shown(
        game.media, s, game.media.paused), timeout=3.0)
    before = hud(game.media, s)
    check_exit(game, "Escape while paused")
    data = game.read("savegame.txt")
    expect(data is not None and data.startswith(b"tessaril savegame 1\r\n"),
           f"savegame.txt after Escape holds {data!r}, expected the kept game")
    game.start()
    game.wait_for("the title's menu with the kept game's Continue entry first, chosen",
                  offers_kept, timeout=15.0)
    game.key("c")
    s, _ = game.wait_for("the ready overlay after C on the title",
                         lambda s: overlay_shown(game.media, s, game.media.presskey), timeout=5.0)
    now = hud(game.media, s)
    for field in ("score", "lives", "level", "time"):
        expect(now[field] == before[field], f"continued, the {field} reads {now[field]}, "
                                            f"it read {before[field]} when the game was left")
    data = game.read("savegame.txt")
    expect(data is not None and data.startswith(b"tessaril savegame 1\r\n"),
           f"savegame.txt after C holds {data!r}: the continued game is no longer kept")
    game.key("space")
    board, _ = wait_board_settled(game, "play after Space on the continued game's overlay")
    expect(board == st["board"], "continued, the stones are not the same:\nnow\n"
           f"{fmt_board(board)}\nleft\n{fmt_board(st['board'])}")


def restart_offers_kept(game, what):
    """Started again, the title's menu offers a kept game first."""
    game.start()
    game.wait_for(f"the title offering the game kept {what}", offers_kept, timeout=15.0)


def sc_kill_after_continue(game, st):
    """Killed (SIGKILL) in the continued game, it is still kept: started
    again, the title offers it, chosen, and Return (the chosen entry) and
    Space play it on."""
    before = game.hud()
    game.stop()
    restart_offers_kept(game, "over a kill")
    game.key("Return")
    s, _ = game.wait_for("the ready overlay after Return on the title's Continue entry",
                         lambda s: overlay_shown(game.media, s, game.media.presskey), timeout=5.0)
    now = hud(game.media, s)
    expect((now["lives"], now["level"]) == (before["lives"], before["level"]),
           f"continued after the kill: lives {now['lives']}, level {now['level']}; they were "
           f"{before['lives']}, {before['level']}")
    game.key("space")
    wait_board_settled(game, "play after Space on the continued game's overlay")


def sc_quit_to_title(game, st):
    """X leaves the game for the title, which offers it (its Continue entry
    first, chosen) instead of a last score."""
    game.key("x")
    s, _ = game.wait_for("the title offering the game left by X in play", offers_kept,
                         timeout=3.0)
    st["title_at"] = time.monotonic()
    t = title_regions(s)
    expect(t["lastscore"] < 10, f"a 'Last Score' line at (190, 62) beside a kept game "
                                f"({t['lastscore']} orange pixels)")


def sc_demo(game, st):
    """Left idle on the title, the demo starts by itself and scores."""
    s, waited = game.wait_for("the demo's game screen after idling on the title",
                              lambda s: hud_visible(game.media, s), timeout=16.0, interval=0.1)
    waited = time.monotonic() - st["title_at"]
    expect(waited >= DEMO_IDLE_TICKS - 1.5,
           f"the demo started after only {waited:.1f} s on the title (eleven idle seconds)")
    h0 = hud(game.media, s)
    expect(h0["score"] == 0 and h0["lives"] == 3 and h0["level"] == 1,
           f"the demo does not start as a new game: score {h0['score']}, lives {h0['lives']}, "
           f"level {h0['level']}")
    def scoring(s):
        sc = hud(game.media, s)["score"]
        return sc is not None and sc > 0 and s.diff(s_first, (35, 2, 85, 16)) > 0

    s_first = s
    s2, _ = game.wait_for("the demo scoring (the score region changing)", scoring, timeout=10.0,
                          interval=0.1)
    sc = hud(game.media, s2)["score"]
    expect(sc % 25 == 0, f"the demo's score {sc} is not a multiple of 25")
    # Any key ends the demo and returns to the title.
    game.key("x")
    game.wait_for("the title after X in the demo", on_title, timeout=3.0)


def sc_exit_a(game, st):
    """Escape ends the program with exit code 0 and a clean log."""
    check_exit(game, "Escape")
    data = game.read("highscore.dat")
    expect(data == b"".join(record_bytes(*r) for r in KNOWN_RECORDS),
           "highscore.dat was changed although no score was entered")


# --- Scenarios: the second run (no table file) ------------------------------


def sc_b_start(game, st):
    """A fresh start without highscore.dat, straight into play."""
    game.start()
    game.wait_for("the title screen", on_title, timeout=15.0)
    into_play(game, st, press("space"), press("space"), "Space")


def sc_b_load_runs(game, st):
    """L lays puzzle.txt (a run of three in the top row) over a new board;
    the run is cleared in play and scores 25 a stone."""
    g, run = board_with_run(1234)
    game.write("puzzle.txt", board_file_text(g))
    t0 = time.monotonic()
    game.key("l")
    # Saved at once, while the loaded stones still fall in: the file's kinds.
    saved = save_board(game, "right after L")
    late = time.monotonic() - t0
    wrong = [(c, r) for r in range(BOARD_H) for c in range(BOARD_W)
             if saved[r][c] != g[r][c] and (c, r) not in run]
    expect(not wrong, f"the loaded board differs from puzzle.txt at {wrong} "
                      f"(saved {late:.2f} s after L)\nloaded\n{fmt_board(saved)}\n"
                      f"puzzle.txt\n{fmt_board(g)}")

    def scored(s):
        sc = hud(game.media, s)["score"]
        return sc is not None and sc >= 75

    game.wait_for("the score rising to 75 or more after the run is cleared", scored, timeout=4.0)
    b, s = wait_board_settled(game, "the board settled after the loaded run", timeout=10.0)
    h = hud(game.media, s)
    expect(h["score"] % 25 == 0, f"score {h['score']} is not 25 a stone")
    expect(h["goals"][0] == 0, f"the goal of kind 1 reads {h['goals'][0]} after clearing three "
                               "stones of it, expected 0")
    expect(h["lives"] == 3, f"lives read {h['lives']} after the loaded run")
    st["score"] = h["score"]


def sc_b_lives(game, st):
    """Three boards without a move cost the three lives: retry twice, then
    the name entry (the score qualifies for an empty table)."""
    game.write("puzzle.txt", board_file_text(board_without_moves()))
    lives = 3
    first = True
    while lives > 0:
        if not first:
            game.key("space")  # deal the level again from the retry state
        first = False
        game.key("l")
        lives -= 1
        if lives > 0:
            def retry(s, want=lives):
                h = hud(game.media, s)
                return h["lives"] == want and overlay_shown(game.media, s, game.media.nomoves)

            s, _ = game.wait_for(f"a life lost on the board without moves: lives {lives} and "
                                 "the no-moves overlay of the retry", retry, timeout=6.0)
            h = hud(game.media, s)
            expect(h["score"] == st["score"], f"the score changed to {h['score']} when a life "
                                              f"was lost (was {st['score']})")
            # The stones have fallen out of the board (rising +25 markers of
            # the earlier run may still cross it for a moment).
            above = (BOARD_AREA[0], BOARD_AREA[1], BOARD_AREA[2], OVERLAY_AT[1])
            game.wait_for("the board empty above the overlay in the retry (stones fallen out)",
                          lambda s: s.lit(above) == 0, timeout=2.0)

    st["entry"] = wait_name_entry(game)


def sc_b_other_copy(game, st):
    """A second copy of the game in the same folder (on the other screen),
    started while this one shows its name entry, loses its lives on the same
    boards and stores AAA first; this copy's name stored next keeps it."""
    other = Game(game.binary, st["spare_screen"], game.rec, game.media, "b2", 1, None,
                 ["-scale=1"])
    shutil.rmtree(other.dir, ignore_errors=True)
    other.dir = game.dir
    try:
        other.start()
        other.wait_for("the second copy's title", on_title, timeout=15.0)
        into_play(other, {}, press("n"), press("space"), "N")
        for lives in (2, 1, 0):
            other.key("l")  # puzzle.txt: the board without moves
            if lives:
                other.wait_for(f"the second copy's retry with lives {lives}",
                               lambda s, want=lives: hud(other.media, s)["lives"] == want
                               and overlay_shown(other.media, s, other.media.nomoves),
                               timeout=15.0, interval=0.2)
                other.key("space")
        wait_name_entry(other, timeout=15.0)
        other.type_text("aaa")
        other.key("Return")
        # After this copy's row, stored as its game ended.
        wait_file(other, "highscore.dat", "the second copy's record",
                  lambda d: len(d) == 64 and d[40:44] == b"AAA ")
    finally:
        other.stop()
    st["others"] = ["AAA"]


def sc_k_kill_name(game, st):
    """Killed (SIGKILL) on the name entry, the score is kept: highscore.dat
    holds its row, and still does once the game is started again."""
    game.stop()
    for when in ("after the kill", "after the restart"):
        data = game.read("highscore.dat") or b""
        scores = [struct.unpack("<I", data[i + 20:i + 24])[0] for i in range(0, len(data), 32)]
        expect(scores == [st["score"]], f"{when}, highscore.dat holds the scores {scores}, "
                                        f"expected the game's {st['score']}")
        if when == "after the kill":
            game.start()
            game.wait_for("the title after the restart", on_title, timeout=15.0)


def deal_and_leave(game, file, what):
    """N deals a new game (another copy's kept game may stand first in the
    menu), kept in file from the level's start; X leaves it."""
    game.key("n")
    wait_file(game, file, f"{what}'s game dealt",
              lambda d: d.startswith(b"tessaril savegame 1\r\n"), timeout=15.0)
    game.key("x")
    game.wait_for(f"{what}'s title offering its game after X",
                  lambda s: offers_kept(s, None), timeout=5.0)


def sc_k_two_copies(game, st):
    """Two copies in one folder each keep their game: this one deals a game
    and leaves it, a second one started meanwhile does the same; both are
    kept, in savegame.txt and savegame-2.txt."""
    deal_and_leave(game, "savegame.txt", "this copy")
    other = Game(game.binary, st["spare_screen"], game.rec, game.media, "k2", 1, None,
                 ["-scale=1"])
    shutil.rmtree(other.dir, ignore_errors=True)
    other.dir = game.dir
    try:
        other.start()
        other.wait_for("the second copy's title", on_title, timeout=15.0)
        deal_and_leave(other, "savegame-2.txt", "the second copy")
    finally:
        other.stop()
    data = game.read("savegame.txt")
    expect(data is not None and data.startswith(b"tessaril savegame 1\r\n"),
           f"savegame.txt holds {data!r} after the second copy's game, expected the first's")


def wait_name_entry(game, timeout=6.0):
    return game.wait_for("the name entry screen after the last life",
                         lambda s: not hud_visible(game.media, s, clock=False)
                         and s.count((65, 70, 230, 88), is_orange) >= 40
                         and s.count((65, 150, 300, 210), is_orange) >= 150, timeout=timeout)[0]


# --- The name entry, by keys and by the mouse alone ---------------------------


def name_box(i):
    """Character place i (1-based) of the name entry."""
    return (50 + 15 * i, 98, 65 + 15 * i, 118)


def cursor_box(i):
    """The white cursor under place i."""
    return (50 + 15 * i, 112, 65 + 15 * i, 130)


def letter_changed(i):
    return lambda s, before: (s.diff(before, name_box(i)) > 5
                              and s.count(name_box(i), is_orange) >= 10)


def cursor_under(i):
    return lambda s, before: (s.count(cursor_box(i), is_white) > 0
                              and s.count(cursor_box(i - 1), is_white) == 0)


def typed_alex(s, before):
    return all(s.count(name_box(i), is_orange) >= 10 for i in range(1, 6)) and cursor_under(6)(
        s, before)


def table_rows(n):
    """The table screen with n rows, each a name and a date, and nothing below."""
    def shown(s, before):
        tops = [60 + 15 * i for i in range(n + 1)]
        return (all(s.count((50, y, 150, y + 14), is_white) >= 10
                    and s.count((230, y, 315, y + 14), is_white) >= 30 for y in tops[:n])
                and s.count((50, tops[n], 315, tops[n] + 14),
                            lambda *c: is_orange(*c) or is_white(*c)) < 5)
    return shown


def title_last_score(s, before):
    return on_title(s) and title_regions(s)["lastscore"] >= 30


WHEEL_UP = 4

# The name entry step by step: (what the screen then shows, the key, the
# mouse, shown(screen, screen before)). Both spell BA: Up or the wheel (A),
# again (B), the cursor to place 2, Up or the wheel (A); the keys then type
# "alex" fast from there. Return or a click on the confirm line stores the
# name; Return or a click on the table leaves it.
NAME_STEPS = [
    ("a letter at place 1", press("Up"), click_at(160, 60, WHEEL_UP), letter_changed(1)),
    ("the letter at place 1 changed", press("Up"), click_at(160, 60, WHEEL_UP), letter_changed(1)),
    ("the cursor under place 2", press("Right"), click_at(87, 110), cursor_under(2)),
    ("a letter at place 2", press("Up"), click_at(160, 60, WHEEL_UP), letter_changed(2)),
    ("the typed letters, the cursor under place 6", lambda g: g.type_text("alex"), None,
     typed_alex),
    ("the table with the new row", press("Return"), click_at(100, 157), None),
    ("the title with the last score", press("Return"), click_at(160, 120), title_last_score),
]


def play_name_entry(game, st, by, name):
    """Plays NAME_STEPS by "keys" or "mouse" from the empty name entry in
    st["entry"]; highscore.dat then holds the right record, after the records
    another copy of the game stored meanwhile (st["others"], lower scores)."""
    others = st.get("others", [])
    before = st["entry"]
    expect(before.count(name_box(1), is_orange) == 0, "the name does not start empty")
    expect(before.count(cursor_box(1), is_white) > 0, "no white cursor under the first place")
    for what, keys, mouse, shown in NAME_STEPS:
        act = keys if by == "keys" else mouse
        shown = shown or table_rows(1 + len(others))
        if act:
            act(game)
            before, _ = game.wait_for(f"{what} ({by})", lambda s, b=before: shown(s, b))
    size = 32 * (1 + len(others))
    data = wait_file(game, "highscore.dat", "the record of the name entry",
                     lambda d: len(d) >= size)
    expect(len(data) == size, f"highscore.dat holds {len(data)} bytes, expected "
                              f"{size // 32} 32-byte records")
    kept = [data[i + 8:i + 19].rstrip(b"\0 ") for i in range(32, size, 32)]
    expect(kept == [o.encode() for o in others],
           f"after this copy's record highscore.dat holds {kept}, expected {others}")
    cat, sub, got, pad, score, date = struct.unpack("<ii11sBId", data[:32])
    want = name.encode().ljust(10) + b"\0"
    expect((cat, sub) == (1, 1), f"the record has category {cat}/{sub}, expected 1/1")
    expect(got == want, f"the record's name bytes are {got!r}, expected {want!r}")
    expect(pad == 0, f"byte 19 of the record is {pad}, expected 0")
    expect(score == st["score"], f"the record holds score {score}, the game showed {st['score']}")
    now = days_since_1899(datetime.datetime.now())
    expect(abs(date - now) < 1.05, f"the record's date {date} is not today ({now:.3f})")


def sc_b_name(game, st):
    """The name begun with the arrows, then typed fast as letters: BALEX."""
    play_name_entry(game, st, "keys", "BALEX")


def sc_m_name(game, st):
    """The name by the wheel and clicks alone: BA."""
    play_name_entry(game, st, "mouse", "BA")


# --- The relaxed game ---------------------------------------------------------


def sc_r_relaxed(game, st):
    """R on the title deals a relaxed game: nothing where the clock stands,
    and nothing there a moment later. (settings.txt moves the pause key to J,
    for the next scenario.)"""
    game.write("settings.txt", b"key_pause=j\n")
    game.start()
    game.wait_for("the title screen", on_title, timeout=15.0)
    into_play(game, st, press("r"), press("space"), "R")
    for moment in ("at the start", "1.5 s later"):
        s = game.shot("relaxed-" + moment.split()[0])
        expect(hud_visible(game.media, s, clock=False), f"no heads-up row {moment}")
        lit = s.lit(CLOCK_BOX)
        expect(lit == 0, f"the relaxed game draws {lit} pixels where the clock stands {moment}")
        time.sleep(1.5)


def paused_after(game, how):
    return game.wait_for(f"the paused overlay after {how}",
                         lambda s: overlay_shown(game.media, s, game.media.paused), timeout=3.0)


def sc_r_pause_key(game, st):
    """With key_pause=j in settings.txt J pauses and goes on; P does nothing
    in play: after P, then J, the game is paused."""
    pause_and_go_on(game, st, ("J", press("j")), ("the second J", press("j")), clock=False)
    game.key("p")
    game.key("j")
    paused_after(game, "P (nothing), then J (pause)")
    game.key("j")
    game.wait_for("the board shown again after J", lambda s: board_idle_full(game, s) is not None
                  and not overlay_shown(game.media, s, game.media.paused), timeout=3.0)


def sc_r_table(game, st):
    """The lost relaxed game's name stored: the relaxed table shows it, the
    score is in highscore-relaxed.dat, and highscore.dat is never made."""
    game.type_text("relax")
    game.key("Return")
    game.wait_for("the relaxed table with the one new row",
                  lambda s: table_rows(1)(s, None), timeout=3.0)
    data = wait_file(game, "highscore-relaxed.dat", "the relaxed game's record",
                     lambda d: len(d) >= 32)
    expect(len(data) == 32, f"highscore-relaxed.dat holds {len(data)} bytes, expected one record")
    score = struct.unpack("<ii11sBId", data)[4]
    expect(score == st["score"], f"the record holds score {score}, the game showed {st['score']}")
    expect(game.read("highscore.dat") is None, "a relaxed game made highscore.dat")


# --- A key bound on the options screen ---------------------------------------

# The options' rows (x 20, from y 74, 16 apart; Controls is the seventh on
# the desktop, after Language) and the controls list's (x 15, from y 66, 12 apart; Pause is the
# seventh, its key at x 150): the chosen row white, the others orange.
OPTIONS_ROWS = [(20, 74 + 16 * i, 300, 90 + 16 * i) for i in range(8)]
CONTROLS_ROWS = [(15, 66 + 12 * i, 300, 78 + 12 * i) for i in range(12)]
OPTIONS_CONTROLS, CONTROLS_PAUSE = 6, 6
PAUSE_KEY_BOX = (150, 138, 250, 150)


def row_chosen(rows, i):
    """Row i of rows white (chosen), no other row white (a letter of the
    chosen one may reach into the next)."""
    def shown(s):
        white = [s.count(r, is_white) for r in rows]
        return white[i] >= 40 and all(w < 20 for j, w in enumerate(white) if j != i)
    return shown


def choose_row(game, rows, frm, to, what):
    for i in range(frm + 1, to + 1):
        game.key("Down")
        game.wait_for(f"{what}: row {i + 1} chosen after Down", row_chosen(rows, i), timeout=3.0)


def sc_c_bind(game, st):
    """The title's O opens the options, Controls the list; Pause chosen waits
    for a key ("Press a key"), J binds it; Escape twice goes back to the
    title; the program ended, settings.txt holds key_pause=j."""
    game.start()
    game.wait_for("the title screen", lambda s: on_title(s, MENU_ENTRIES), timeout=15.0)
    game.key("o")
    game.wait_for("the options after O, the first row chosen",
                  lambda s: title_menu(s) is None and row_chosen(OPTIONS_ROWS, 0)(s), timeout=3.0)
    choose_row(game, OPTIONS_ROWS, 0, OPTIONS_CONTROLS, "the options")
    game.key("Return")
    game.wait_for("the controls list after Return on Controls", row_chosen(CONTROLS_ROWS, 0),
                  timeout=3.0)
    choose_row(game, CONTROLS_ROWS, 0, CONTROLS_PAUSE, "the controls")
    game.key("Return")
    game.wait_for("'Press a key' in Pause's key column",
                  lambda s: s.count(PAUSE_KEY_BOX, is_white) >= 80, timeout=3.0)
    game.key("j")
    game.wait_for("the wait over after J: one letter in Pause's key column",
                  lambda s: 5 <= s.count(PAUSE_KEY_BOX, is_white) < 40
                  and row_chosen(CONTROLS_ROWS, CONTROLS_PAUSE)(s), timeout=3.0)
    game.key("Escape")
    game.wait_for("the options after Escape, Controls still chosen",
                  row_chosen(OPTIONS_ROWS, OPTIONS_CONTROLS), timeout=3.0)
    game.key("Escape")
    game.wait_for("the title after Escape, the choice where it was",
                  lambda s: on_title(s, MENU_ENTRIES), timeout=3.0)
    check_exit(game, "Escape on the title")
    data = game.read("settings.txt") or b""
    expect(b"key_pause=j" in data.splitlines(),
           f"settings.txt holds {data!r}, expected a line key_pause=j")


def sc_c_restart(game, st):
    """Started again, the bound key holds: J pauses in play and goes on."""
    game.start()
    game.wait_for("the title screen", lambda s: on_title(s, MENU_ENTRIES), timeout=15.0)
    into_play(game, st, press("space"), press("space"), "Space")
    pause_and_go_on(game, st, ("J", press("j")), ("the second J", press("j")))


# --- A game by mouse alone ----------------------------------------------------

PAUSE_SYMBOL = (307, 8)  # its centre, right of the clock
NEW_GAME_ENTRY = (40, 66)  # "N - New game", the first entry with no game kept


def sc_m_start(game, st):
    """A click on the title's New game entry deals a game; a click on the
    ready overlay starts play."""
    game.start()
    game.wait_for("the title screen", lambda s: on_title(s, MENU_ENTRIES), timeout=15.0)
    into_play(game, st, click_at(*NEW_GAME_ENTRY), click_at(160, 60), "a click on New game")


def sc_m_pause(game, st):
    """A click on the pause symbol pauses, a click on it again goes on."""
    symbol = click_at(*PAUSE_SYMBOL)
    pause_and_go_on(game, st, ("a click on the pause symbol", symbol),
                    ("a second click on it", symbol))


def sc_m_lives(game, st):
    """Right clicks (hints, ten seconds each) run the clock out: each lost
    life shows the out-of-time overlay with the lives left, a click deals
    the level again; the last one leads to the name entry."""
    for lives in (2, 1, 0):
        wait_board_settled(game, f"a settled board before spending the time (lives {lives + 1})")
        h = game.hud()
        while h["time"] and h["lives"] == lives + 1:
            game.click(160, 120, button=3)
            s, _ = game.wait_for("the clock lowered by the hint",
                                 lambda s, t=h["time"]: (hud(game.media, s)["time"] or 0)
                                 <= max(t - 9, 0) or not hud_visible(game.media, s), timeout=3.0)
            h = hud(game.media, s)
        if lives:
            game.wait_for(f"the out-of-time overlay with lives {lives}",
                          lambda s, want=lives: hud(game.media, s)["lives"] == want
                          and overlay_shown(game.media, s, game.media.outoftime), timeout=6.0)
            game.click(160, 60)
    st["entry"] = wait_name_entry(game)


def sc_exit_b(game, st):
    """Escape ends the program with exit code 0 and a clean log."""
    check_exit(game, "Escape")


# --- Scenarios on a desktop-sized screen --------------------------------------

# The title at scale 1 by SDL library folder (None: the classic library), as
# the first run and the compat run at scale 1 saw it: the reference of the
# scaled runs. The two libraries blend some pixels a step apart, so each
# library is compared with itself.
REFERENCE = {}


def sc_scaled_title(game, st):
    """At scale 3 the title is read from the scaled window, every picture pixel
    a 3 x 3 block, and equals the title seen at scale 1 scaled."""
    game.start()
    s, _ = game.wait_for("the title screen read from the window at scale 3", on_title,
                         timeout=15.0)
    t = title_regions(s)
    expect(t["lastscore"] < 10 and t["volume"] >= 20, f"the scaled title reads wrong: {t}")
    same_as_reference(game)


def same_as_reference(game):
    ref = REFERENCE.get(game.libdir)
    if ref is None:
        raise SetupError("no title at scale 1 to compare with")
    win = game.shot_window()
    want = as_565(scaled(ref, game.scale))
    got = as_565(win.data)
    bad = sum(1 for i in range(0, len(want), 3) if want[i:i + 3] != got[i:i + 3])
    expect(bad == 0, f"{bad} window pixels differ from the title at scale 1 scaled "
                     f"{game.scale} x {game.scale}")


def sc_library_reference(game, st):
    """On this SDL 1.2 library at scale 1 the game reaches the title."""
    game.start()
    s, _ = game.wait_for("the title screen at scale 1", on_title, timeout=15.0)
    REFERENCE[game.libdir] = s
    check_exit(game, "Escape")


def sc_library_title(game, st):
    """On this SDL 1.2 library at scale 2 the game reaches the title, and the
    window shows the scale 1 title scaled, pixel for pixel."""
    game.start()
    game.wait_for("the title screen at scale 2", on_title, timeout=15.0)
    same_as_reference(game)
    check_exit(game, "Escape")


# --- Scenarios under a window manager ---------------------------------------


class WindowManager:
    """openbox on a display, as a desktop player has some window manager."""

    def __init__(self, display):
        self.proc = subprocess.Popen(["openbox"], env=dict(os.environ, DISPLAY=display),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)
        time.sleep(0.5)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(5)


def window_place(game):
    """The client window's top-left on the screen (xdotool counts a reparenting
    window manager's frame twice)."""
    r = subprocess.run(["xwininfo", "-id", game.win], env=game.env, capture_output=True,
                       text=True)
    v = dict(l.strip().split(":", 1) for l in r.stdout.splitlines() if ":" in l)
    return int(v["Absolute upper-left X"]), int(v["Absolute upper-left Y"])


def start_managed(game):
    game.start()
    game.origin = window_place(game)
    game.focus()
    return game.wait_for("the title screen under the window manager", on_title, timeout=15.0)[0]


def sc_wm_title(game, st):
    """The window manager reads the window's name and finds its icon."""
    start_managed(game)
    r = subprocess.run(["xprop", "-id", game.win, "WM_NAME", "WM_HINTS"], env=game.env,
                       capture_output=True, text=True)
    expect(any(f'WM_NAME({t}) = "Tessaril"' in r.stdout for t in ("STRING", "UTF8_STRING")),
           f"the window is not named Tessaril: {r.stdout.strip()!r}")
    expect("bitmap id # to use for icon" in r.stdout, f"the window has no icon: {r.stdout!r}")


def minimise_and_restore(game):
    game.xdo("windowminimize", "--sync", game.win)
    time.sleep(0.5)
    game.xdo("windowactivate", "--sync", game.win, check=False)
    game.focus()


def sc_wm_minimise(game, st):
    """Minimised in play and restored, the game is paused until P."""
    into_play(game, st, press("space"), press("space"), "Space")
    pause_and_go_on(game, st, ("minimising and restoring", minimise_and_restore), ("P", press("p")))


def sc_wm_fullscreen_place(game, st):
    """Leaving fullscreen puts the window back where it stood; the game plays on."""
    game.xdo("windowmove", "--sync", game.win, "300", "200")
    time.sleep(0.3)
    before = window_place(game)
    for _ in range(2):
        game.key("F11")
        time.sleep(1.0)
    game.origin = window_place(game)
    expect(game.origin == before, f"the window stood at {before} and came back at {game.origin}")
    expect(not overlay_shown(game.media, game.shot("after fullscreen"), game.media.paused),
           "the trip to fullscreen paused the game")


def sc_wm_volume_kept(game, st):
    """A volume changed is written to settings.txt and found again after a restart."""
    game.key("x")
    s0, _ = game.wait_for("the title", on_title, timeout=3.0)
    for _ in range(3):
        game.key("2")
    volume = (250, 220, 320, 234)
    s1, _ = game.wait_for("the volume line changed", lambda s: s.diff(s0, volume) > 0)
    wait_file(game, "settings.txt", "the volume raised three times",
              lambda d: b"sound_volume=83\n" in d)
    check_exit(game, "Escape")
    s2 = start_managed(game)
    expect(s2.diff(s1, volume) == 0,
           "after the restart the title's volume line differs from the one set before")
    check_exit(game, "Escape")


COMPAT_DIR = "/usr/lib/x86_64-linux-gnu/sdl12-compat"

RUNS = [
    ("a", [
        ("title: version line, menu, key lines", sc_start_title),
        ("table file shown by H, Return back", sc_table),
        ("Space on New game: ready overlay after the fall", sc_new_game_ready),
        ("into play: overlay gone, HUD on top", sc_play),
        ("clock running", sc_clock),
        ("save key: puzzle1.txt", sc_save),
        ("cursor, selection, refused swap", sc_refused_swap),
        ("valid swap scores", sc_valid_swap),
        ("mouse clicks swap and score", sc_mouse_swap),
        ("pause hides the board", sc_pause),
        ("paused, Escape; started again, C continues", sc_keep_and_continue),
        ("killed after the continue; started again, Return continues", sc_kill_after_continue),
        ("quit key back to the title offering the game", sc_quit_to_title),
        ("idle demo starts and scores", sc_demo),
        ("Escape: exit code 0, clean log", sc_exit_a),
    ]),
    ("b", [
        ("fresh start without a table into play", sc_b_start),
        ("loaded puzzle.txt: run cleared, score rising", sc_b_load_runs),
        ("three lives lost on boards without moves", sc_b_lives),
        ("a second copy in the same folder stores its score", sc_b_other_copy),
        ("name entry stored as the right record, the other copy's kept", sc_b_name),
        ("Escape: exit code 0, clean log", sc_exit_b),
    ]),
    ("k", [
        ("fresh start without a table into play", sc_b_start),
        ("loaded puzzle.txt: run cleared, score rising", sc_b_load_runs),
        ("three lives lost on boards without moves", sc_b_lives),
        ("killed on the name entry: the score kept", sc_k_kill_name),
        ("two copies in one folder each keep a game", sc_k_two_copies),
        ("Escape: exit code 0, clean log", sc_exit_b),
    ]),
    ("r", [
        ("relaxed game: no clock", sc_r_relaxed),
        ("key_pause=j in settings.txt: J pauses, P not", sc_r_pause_key),
        ("three lives lost on boards without moves", sc_b_lives),
        ("relaxed table and its file alone", sc_r_table),
        ("Escape: exit code 0, clean log", sc_exit_b),
    ]),
    ("c", [
        ("options, controls: Pause bound to J, kept in settings.txt", sc_c_bind),
        ("started again: J pauses", sc_c_restart),
        ("Escape: exit code 0, clean log", sc_exit_b),
    ]),
    ("m", [
        ("by mouse: the New game entry, the ready overlay", sc_m_start),
        ("by mouse: a swap", sc_mouse_swap),
        ("by mouse: pause and go on by the pause symbol", sc_m_pause),
        ("by mouse: another swap", sc_mouse_swap),
        ("by mouse: three lives run out by hints", sc_m_lives),
        ("by mouse: the name by wheel and clicks, the table", sc_m_name),
        ("Escape: exit code 0, clean log", sc_exit_b),
    ]),
]

# Runs on a 1920 x 1080 screen: (name, scenarios, scale, SDL library folder).
LARGE_RUNS = [
    ("x3", [("scale 3: the title read from the scaled window", sc_scaled_title),
            ("Escape: exit code 0, clean log", sc_exit_b)], 3, None),
    ("sdl12", [("classic SDL 1.2 at scale 2: the title scaled", sc_library_title)], 2, None),
    ("compat1", [("sdl12-compat at scale 1: the title", sc_library_reference)], 1, COMPAT_DIR),
    ("compat", [("sdl12-compat at scale 2: the title scaled", sc_library_title)], 2,
     COMPAT_DIR),
]

# The same screen with a window manager: (name, scenarios, scale).
MANAGED_RUNS = [
    ("wm", [("the window's name and icon", sc_wm_title),
            ("minimised and restored in play: paused", sc_wm_minimise),
            ("fullscreen and back: the window in its place", sc_wm_fullscreen_place),
            ("a volume kept over a restart", sc_wm_volume_kept)], 2),
]


# --- Main --------------------------------------------------------------------


def skip(msg):
    log(f"e2e: skipped ({msg})")
    sys.exit(0)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--game", default=os.path.join(REPO, "build", "tessaril"))
    ap.add_argument("--if-possible", action="store_true")
    ap.add_argument("--keep", action="store_true")
    ap.add_argument("--runs", help="the runs to play, by name, comma-separated")
    args = ap.parse_args()
    args.game = os.path.abspath(args.game)

    missing = [t for t in ("Xvfb", "xdotool", "import", "convert", "openbox", "xprop", "xwininfo")
               if shutil.which(t) is None]
    if missing:
        if args.if_possible:
            skip("no X server can be started")
        log(f"e2e: missing tools: {' '.join(missing)} (make e2e installs them)")
        return 2
    if not os.access(args.game, os.X_OK):
        log(f"e2e: no game binary at {args.game}")
        return 2

    # Terminating signals unwind through the finally blocks below.
    def on_signal(sig, frame):
        raise SystemExit(128 + sig)

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)

    xs = XServer()
    large = XServer("1920x1080x24")
    try:
        xs.start()
        large.start()
    except SetupError as e:
        xs.stop()
        if args.if_possible:
            skip("no X server can be started")
        log(f"e2e: {e}")
        return 2
    runs = [(name, scenarios, xs, 1, None, []) for name, scenarios in RUNS]
    runs += [(name, scenarios, large, scale, lib, [f"-scale={scale}"])
             for name, scenarios, scale, lib in LARGE_RUNS]
    runs += [(name, scenarios, "wm", scale, None, [f"--scale={scale}"])
             for name, scenarios, scale in MANAGED_RUNS]
    if args.runs:
        runs = [r for r in runs if r[0] in args.runs.split(",")]
    wm = None

    media = Media(os.path.join(REPO, "data"))
    rec = Recorder()
    passed = failed = 0
    total = sum(len(r[1]) for r in runs)
    games = []
    t_all = time.monotonic()
    failure = None
    try:
        log(f"e2e: {args.game} on Xvfb {xs.display} (320x240) and {large.display} (1920x1080)")
        # On the small screen the game picks scale 1 by itself.
        for run_name, scenarios, xserver, scale, lib, options in runs:
            if xserver == "wm":  # the large screen from here on has a window manager
                xserver = large
                wm = wm or WindowManager(large.display)
            game = Game(args.game, xserver, rec, media, run_name, scale, lib, options)
            games.append(game)
            st = {"spare_screen": large}  # the other screen, for a second copy of the game
            try:
                for name, fn in scenarios:
                    game.scenario = fn.__name__
                    t0 = time.monotonic()
                    try:
                        fn(game, st)
                    except Exception as e:  # a crash of the test itself is reported too
                        failure = (run_name, name, e)
                        log(f"FAIL [{run_name}] {name} ({time.monotonic() - t0:.1f} s): {e}")
                        try:
                            rec.add(f"{run_name}-{fn.__name__}-at-failure", game.shot("failure"))
                        except Exception:
                            pass
                        break
                    passed += 1
                    rec.checkpoint()
                    log(f"ok   [{run_name}] {name} ({time.monotonic() - t0:.1f} s)")
            finally:
                game.stop()
            if failure:
                break
    finally:
        if wm:
            wm.stop()
        xs.stop()
        large.stop()

    if failure:
        failed = 1
        shutil.rmtree(FAILURE_DIR, ignore_errors=True)
        os.makedirs(FAILURE_DIR, exist_ok=True)
        rec.save(FAILURE_DIR)
        for g in games:
            g.keep_files(FAILURE_DIR)
        with open(os.path.join(FAILURE_DIR, "failure.txt"), "w") as f:
            f.write(f"[{failure[0]}] {failure[1]}: {failure[2]}\n")
        log(f"e2e: screenshots and the game's files are kept in {FAILURE_DIR}")
    else:
        shutil.rmtree(FAILURE_DIR, ignore_errors=True)
    for g in games:
        if args.keep:
            log(f"e2e: working folder kept: {g.dir}")
        else:
            g.remove()
    skipped = total - passed - failed
    log(f"e2e: played for {time.monotonic() - t_all:.0f} s")
    # The closing line, in the plain form CI reads.
    log(f"e2e: {passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 1 if failure else 0


if __name__ == "__main__":
    sys.exit(main())
