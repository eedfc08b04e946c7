#!/usr/bin/env python3
"""The game as a player gets it from `make install`: installed into a
temporary DESTDIR, started through its launcher with HOME in a temporary
folder, under a private Xvfb and with a sound driver that cannot open.

It checks that the launcher makes the player's folder with `data` linked to
the installed media, that the title is reached without sound (the one log
line of the audio, then SDLApp::InitSDL: Done, nothing for the sounds), and
plays the second run of the end-to-end test there: a loaded run scores, three
lives are lost, and the name entered is written to the player's
highscore.dat. Then make uninstall removes every installed file.

Usage: installed.py [--game-build DIR] [--if-possible] [--keep]
Exit code: 0 passed (or skipped), 1 failed, 2 set-up failed.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ beside the sources
import e2e  # noqa: E402
from e2e import Failure, SetupError, expect, log

# A name SDL knows no audio driver by: opening the sound device fails.
NO_AUDIO = "no-such-audio-driver"


class InstalledGame(e2e.Game):
    """The installed launcher, started from a home folder of its own; the
    game's files then live in the player's folder the launcher makes."""

    def __init__(self, launcher, xserver, recorder, media):
        super().__init__(launcher, xserver, recorder, media, "installed")
        self.home = self.dir
        os.remove(os.path.join(self.home, "data"))  # the launcher links its own
        self.player = os.path.join(self.home, ".local", "share", "tessaril")
        self.env.pop("XDG_DATA_HOME", None)
        self.env.update(HOME=self.home, SDL_AUDIODRIVER=NO_AUDIO)

    def start(self, timeout=20.0):
        expect(not os.path.exists(self.player), "the player's folder exists before the first start")
        self.dir = self.home  # started where a menu would start it
        try:
            super().start(timeout)
        finally:
            self.dir = self.player


def sc_player_folder(game, st):
    """The first start made the player's folder with data linked to the
    installed media, and the title came up silent."""
    link = game.path("data")
    expect(os.path.islink(link), f"no data link in the player's folder {game.player}")
    expect(os.path.realpath(link) == os.path.realpath(st["media"]),
           f"data points at {os.readlink(link)}, not at the installed media {st['media']}")
    lines = (game.read("log.txt") or b"").split(b"\r\n")
    expect(len(lines) == 3 and lines[2] == b"" and lines[1] == b"SDLApp::InitSDL: Done"
           and lines[0].startswith(b"SDLApp::InitSDL: ") and lines[0] != lines[1],
           f"log.txt in the player's folder holds {lines!r}; expected the audio's line "
           "(tag SDLApp::InitSDL), then 'SDLApp::InitSDL: Done', and nothing for the sounds")
    st["log"] = game.read("log.txt")


def sc_exit(game, st):
    """Escape: exit code 0, and still no line for any sound."""
    game.key("Escape")
    code = game.wait_exit(5.0)
    expect(code == 0, f"the game ended with exit code {code}, expected 0")
    expect(game.read("log.txt") == st["log"],
           f"log.txt grew while playing silent: {game.read('log.txt')!r}")
    for name in os.listdir(game.home):
        expect(name in (".local", "game-output.txt"),
               f"the game wrote {name} outside the player's folder")


SCENARIOS = [
    ("first start: player's folder, silent title", e2e.sc_b_start),
    ("the folder, the data link and the log", sc_player_folder),
    ("loaded puzzle.txt: run cleared, score rising", e2e.sc_b_load_runs),
    ("three lives lost on boards without moves", e2e.sc_b_lives),
    ("name entry stored in the player's highscore.dat", e2e.sc_b_name),
    ("Escape: exit code 0, no sound lines", sc_exit),
]


def check_no_display(launcher, home):
    """Without a display the launcher's game ends with exit code 1 and says
    why on standard error (the log keeps the same message)."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "XDG_DATA_HOME")}
    env.update(HOME=home, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
    r = subprocess.run([launcher], env=env, capture_output=True, text=True, timeout=30)
    expect(r.returncode == 1, f"without a display the game ended with exit code {r.returncode}")
    err = r.stderr.splitlines()
    expect(len(err) == 1 and err[0].startswith("tessaril: InitSDL failed: ")
           and len(err[0]) > len("tessaril: InitSDL failed: "),
           f"standard error without a display: {r.stderr!r}; expected one line "
           "'tessaril: InitSDL failed: <SDL's reason>'")
    with open(os.path.join(home, ".local", "share", "tessaril", "log.txt"), "rb") as f:
        expect(f.read().endswith(b"\r\nInitSDL failed\r\n"), "log.txt does not end with the message")
    log("ok   [installed] no display: exit code 1, the reason on standard error")


def check_help_language(launcher, home):
    """The installed game finds its catalogues through the player's data
    link: --help speaks the language of LANGUAGE, English for "C"."""
    env = {k: v for k, v in os.environ.items() if k not in ("XDG_DATA_HOME", "LC_ALL")}
    for language, first in (("ru", "Использование: tessaril"), ("C", "Usage: tessaril")):
        env.update(HOME=home, LANGUAGE=language)
        r = subprocess.run([launcher, "--help"], env=env, capture_output=True, text=True,
                           timeout=30)
        expect(r.returncode == 0 and r.stdout.startswith(first),
               f"--help with LANGUAGE={language} began {r.stdout[:40]!r}, not {first!r}")
    log("ok   [installed] --help in Russian and in English")


def check_launcher_cases(launcher, media, tmp):
    """Each way the player's folder can be wrong ends the launcher with exit
    code 1 and one line saying what is wrong; a read-only home that already
    holds the folder and its right data link starts the game (which then
    says that there is no display)."""
    base = {k: v for k, v in os.environ.items() if k not in ("HOME", "XDG_DATA_HOME")}
    afile = os.path.join(tmp, "a-file")
    with open(afile, "w") as f:
        f.write("x")
    # Root passes every permission: a read-only mount of a private namespace.
    home = os.path.join(tmp, "ro-home")
    os.mkdir(home)
    unshare = ["unshare", "-m"] if os.geteuid() == 0 else ["unshare", "-rm"]
    script = ('mount -t tmpfs tmpfs "$1" && mkdir -p "$1/.local/share/tessaril" && '
              'ln -s "$2" "$1/.local/share/tessaril/data" && mount -o remount,ro "$1" && '
              'HOME="$1" exec "$3"')
    cases = [  # (name, environment added, command before the launcher, standard error)
        ("HOME unset", {}, [], "tessaril: HOME is not set"),
        ("XDG_DATA_HOME a file", {"XDG_DATA_HOME": afile}, [],
         f"tessaril: XDG_DATA_HOME ({afile}) is not a folder"),
        ("the folder cannot be made", {"HOME": os.path.join(afile, "home")}, [],
         "tessaril: the folder " + os.path.join(afile, "home", ".local", "share", "tessaril")
         + " cannot be made"),
        ("a read-only home with the folder in place", {},
         [*unshare, "sh", "-c", script, "sh", home, media],
         "tessaril: InitSDL failed: No graphical display"),
    ]
    for name, extra, wrap, want in cases:
        env = {k: v for k, v in {**base, **extra}.items()
               if k not in ("DISPLAY", "SDL_VIDEODRIVER")}
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        r = subprocess.run([*wrap, launcher], env=env, capture_output=True, text=True, timeout=30)
        lines = r.stderr.splitlines()
        expect(r.returncode == 1 and len(lines) == 1 and lines[0].startswith(want),
               f"launcher, {name}: exit code {r.returncode}, standard error {r.stderr!r}; "
               f"expected 1 and one line '{want}...'")
        log(f"ok   [installed] launcher: {name}")


def make(*args):
    r = subprocess.run(["make", "--no-print-directory", "-C", e2e.REPO, *args],
                       capture_output=True, text=True)
    if r.returncode != 0:
        raise Failure(f"make {' '.join(args)} failed:\n{r.stdout}{r.stderr}")


def installed_files(root):
    return sorted(os.path.relpath(os.path.join(d, f), root)
                  for d, _, files in os.walk(root) for f in files)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--game-build", default="build")
    ap.add_argument("--if-possible", action="store_true")
    ap.add_argument("--keep", action="store_true")
    args = ap.parse_args()

    tmp = tempfile.mkdtemp(prefix="tessaril-installed-")
    # Staged into DESTDIR, then put in place as a package manager would: the
    # prefix the launcher was made for is a link to the staged tree.
    prefix = os.path.join(tmp, "prefix")
    destdir = os.path.join(tmp, "dest")
    where = [f"DESTDIR={destdir}", f"PREFIX={prefix}", f"GAME_BUILD={args.game_build}"]
    xs = None
    game = None
    try:
        make("install-files", *where)
        expect(not os.path.exists(prefix), "make install wrote outside DESTDIR")
        staged = destdir + prefix
        os.symlink(staged, prefix)
        files = installed_files(staged)
        for want in ("bin/tessaril", "libexec/tessaril/tessaril",
                     "share/tessaril/data/fonts/orangefizz.ttf",
                     "share/applications/tessaril.desktop", "share/man/man6/tessaril.6",
                     "share/tessaril/data/po/LINGUAS", "share/tessaril/data/po/ru.po",
                     "share/icons/hicolor/256x256/apps/tessaril.png"):
            expect(want in files, f"make install did not install {want}")
        with open(os.path.join(staged, "bin", "tessaril")) as f:
            expect(prefix + "/libexec/tessaril/tessaril" in f.read(),
                   "the launcher does not name the game under the prefix")

        launcher = os.path.join(prefix, "bin", "tessaril")
        home = os.path.join(tmp, "home")
        os.mkdir(home)
        check_no_display(launcher, home)
        check_help_language(launcher, home)
        check_launcher_cases(launcher, os.path.join(prefix, "share", "tessaril", "data"), tmp)

        if [t for t in ("Xvfb", "xdotool", "import", "convert") if shutil.which(t) is None]:
            if args.if_possible:
                log("installed: skipped playing (no X server can be started)")
                return 0
            raise SetupError("Xvfb, xdotool or ImageMagick missing (make e2e-deps)")
        xs = e2e.XServer()
        try:
            xs.start()
        except SetupError:
            if args.if_possible:
                log("installed: skipped playing (no X server can be started)")
                return 0
            raise
        game = InstalledGame(launcher, xs, e2e.Recorder(),
                             e2e.Media(os.path.join(staged, "share", "tessaril", "data")))
        st = {"media": os.path.join(prefix, "share", "tessaril", "data")}
        for name, fn in SCENARIOS:
            game.scenario = fn.__name__
            fn(game, st)
            log(f"ok   [installed] {name}")
        game.stop()

        make("uninstall", *where)
        left = installed_files(destdir)
        expect(not left, f"make uninstall left {left}")
        log("installed: passed")
        return 0
    except Failure as e:
        log(f"FAIL [installed] {game.scenario if game else 'install'}: {e}")
        return 1
    except SetupError as e:
        log(f"installed: {e}")
        return 2
    finally:
        if game is not None:
            game.stop()
            if not args.keep:
                shutil.rmtree(game.home, ignore_errors=True)
        if xs is not None:
            xs.stop()
        if args.keep:
            log(f"installed: kept {tmp}" + (f" and {game.home}" if game else ""))
        else:
            shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
