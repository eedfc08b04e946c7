#!/bin/sh
# Plays the real game under a private Xvfb (tests/e2e/e2e.py does the work).
#   tests/e2e/run.sh [--if-possible] [--game PATH] [--keep]
# --if-possible: when no X server can be started here (Xvfb, xdotool or
# ImageMagick missing, or Xvfb failing), print one line saying so and pass.
here=$(dirname "$0")
if ! command -v python3 >/dev/null 2>&1; then
  for a in "$@"; do
    if [ "$a" = --if-possible ]; then
      echo "e2e: skipped (no X server can be started)"
      exit 0
    fi
  done
  echo "e2e: python3 is missing" >&2
  exit 2
fi
exec python3 "$here/e2e.py" "$@"
