#!/bin/sh
# Completes the web build's folder around the linked module:
#   tools/web-site.sh SITE DEPS    the page's files from web/, the licences
#                                  and the service worker
#   tools/web-site.sh worker SITE  the service worker alone, for a folder
#                                  whose files changed (the web test's copy)
# SITE: the published folder (tessaril.js, .wasm and .data already in it);
# DEPS: the prefix of the bundled libraries (tools/web-deps.sh), whose
# manifest.txt names the Debian source packages and their versions and whose
# licences/ holds each package's notices.
#
# licences/ beside the page holds Tessaril's own licence, the font's and, for
# every bundled library, its Debian copyright file and upstream licence texts,
# with licences/index.html naming each and where its source comes from. sw.js
# is web/sw.js with the build's hash over every other file and their list
# with each one's SHA-256:
# written last, so that any changed file of the folder makes a new worker.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)

# The service worker of folder $1.
worker() {
    site=$1
    files=$(cd "$site" && find . -type f ! -name sw.js ! -name '*.gz' | sed 's|^\./||' | LC_ALL=C sort)
    build=$(cd "$site" && for f in $files; do echo "$f"; sha256sum <"$f"; done | sha256sum | cut -c1-16)
    list=$(cd "$site" && for f in ./ $files; do
        [ "$f" = ./ ] && body=index.html || body=$f
        echo "  [\"$f\", \"$(sha256sum <"$body" | cut -c1-64)\"],"
    done)
    {
        sed -n '1,/^const FILES = /p' "$ROOT/web/sw.js" | sed '$d' | sed "s/@BUILD@/$build/"
        printf 'const FILES = [\n%s\n];\n' "$list"
        sed '1,/^const FILES = /d' "$ROOT/web/sw.js"
    } >"$site/sw.js.new"
    mv "$site/sw.js.new" "$site/sw.js"
}

# A text file as an HTML-safe text.
escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' "$1"; }

# licences/ of folder $1 from the libraries' prefix $2.
licences() {
    out=$1/licences
    rm -rf "$out"
    mkdir -p "$out"
    cp "$ROOT/LICENSE" "$out/tessaril.txt"
    cp "$ROOT/data/fonts/LICENSE-orangefizz.txt" "$out/font.txt"
    cp -R "$2/licences/." "$out/"
    {
        cat <<'EOF'
<!DOCTYPE html>
<html lang="en">
<head><meta charset="utf-8"><title>Tessaril: licences</title>
<style>body { font: 15px/1.5 sans-serif; max-width: 46em; margin: 2em auto; padding: 0 1em;
background: #000; color: #ddd; } a { color: #9cf; } code { color: #fff; }</style></head>
<body>
<h1>Licences</h1>
<p><a href="../index.html">Back to the game</a></p>
<p>Tessaril's own code and the pictures, sounds, music and icons its media
generator makes are under the MIT licence: <a href="tessaril.txt">tessaril.txt</a>.</p>
<p>The font is DejaVu Sans Condensed (from Debian's fonts-dejavu-extra), under
the Bitstream Vera licence with the DejaVu changes in the public domain:
<a href="font.txt">font.txt</a>.</p>
<p>The page bundles these libraries, compiled into <code>tessaril.wasm</code>
from Debian's source packages of the versions named (the sources:
<code>apt-get source PACKAGE=VERSION</code>, or
<a href="https://snapshot.debian.org/">snapshot.debian.org</a>). SDL 1.2 is
under the GNU Lesser General Public License 2.1: to use a changed SDL, build
the game again from Tessaril's source against it.</p>
<ul>
EOF
        while read -r name version; do
            echo "<li><b>$name</b> $version: <a href=\"https://snapshot.debian.org/package/$name/$version/\">source package</a>;"
            for f in $(cd "$out/$name" && LC_ALL=C ls); do
                echo " <a href=\"$name/$f\">$f</a>"
            done
            echo "</li>"
        done <"$2/manifest.txt"
        echo "</ul>"
        echo "<h2>Tessaril</h2><pre>"
        escape "$ROOT/LICENSE"
        echo "</pre></body></html>"
    } >"$out/index.html"
}

if [ "${1:-}" = worker ] && [ $# -eq 2 ]; then
    worker "$2"
    exit 0
fi
if [ $# -ne 2 ]; then
    echo "usage: $0 SITE DEPS | $0 worker SITE" >&2
    exit 2
fi
SITE=$1
DEPS=$2
if [ ! -f "$DEPS/manifest.txt" ] || [ ! -d "$DEPS/licences" ]; then
    echo "$0: $DEPS holds no manifest.txt and licences/ (run tools/web-deps.sh)" >&2
    exit 1
fi
cp "$ROOT/web/index.html" "$ROOT/web/page.js" "$ROOT/web/manifest.webmanifest" "$SITE/"
# The page's words in every language (page.js picks one).
python3 "$ROOT/tools/page-texts.py" "$ROOT/po" "$SITE/texts.js"
mkdir -p "$SITE/icons"
cp "$ROOT"/web/icons/*.png "$SITE/icons/"
licences "$SITE" "$DEPS"
worker "$SITE"
