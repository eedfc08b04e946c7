#!/bin/sh
# The web test (make test-web): the scenario's pictures drawn natively by the
# desktop build's tessaril_webshots, then the page played in headless Chromium
# and compared with them.
#   tests/web/run.sh SITE WORKDIR WEBSHOTS [bench]
# SITE: the built page folder; WORKDIR: where the oracle's pictures and a
# failing run's pictures (WORKDIR/failure) go; WEBSHOTS: the oracle program.
set -eu

if [ $# -lt 3 ]; then
    echo "usage: $0 SITE WORKDIR WEBSHOTS [bench]" >&2
    exit 2
fi
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
HERE=$ROOT/tests/web
SITE=$(cd "$1" && pwd)
mkdir -p "$2"
WORK=$(cd "$2" && pwd)
WEBSHOTS=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")

# The DevTools driver, as the lock file pins it; it never downloads a browser.
export PUPPETEER_SKIP_DOWNLOAD=1 PUPPETEER_SKIP_CHROME_DOWNLOAD=1
if ! cmp -s "$HERE/package-lock.json" "$HERE/node_modules/.tessaril-lock" 2>/dev/null; then
    (cd "$HERE" && npm ci --no-audit --no-fund --loglevel=error &&
        cp package-lock.json node_modules/.tessaril-lock)
fi

ORACLE=$WORK/oracle
rm -rf "$ORACLE" "$WORK/failure"
mkdir -p "$ORACLE/run"
ln -s "$ROOT/data" "$ORACLE/run/data"
(cd "$ORACLE/run" && "$WEBSHOTS" "$HERE/scenario.txt" ..)

node "$HERE/webtest.js" "$SITE" "$HERE/scenario.txt" "$ORACLE" "$ROOT/tests/screens/desktop" \
    "$WORK/failure" ${4:-}
