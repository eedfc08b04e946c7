#!/bin/sh
# tools/private-apt.sh: the mirror comes from the machine's apt sources, in
# either format, and a machine without a Debian source stops with a message.
# Each case: the host's source files, then what the private sources list must
# hold ("fails" when private_apt must refuse).
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../../tools/private-apt.sh"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

# case NAME EXPECTED FILE CONTENT [FILE CONTENT ...]
case_() {
    name=$1 expected=$2
    shift 2
    etc=$WORK/$name/etc
    mkdir -p "$etc/sources.list.d"
    while [ $# -ge 2 ]; do
        printf '%b\n' "$2" >"$etc/$1"
        shift 2
    done
    out=$(TESSARIL_APT_ETC=$etc private_apt "$WORK/$name/apt" amd64 deb-src bookworm 2>&1)
    status=$?
    if [ "$expected" = fails ]; then
        if [ $status -eq 0 ] || ! echo "$out" | grep -q 'name no Debian archive'; then
            echo "FAIL $name: expected the no-archive message, got ($status) $out"
            failures=$((failures + 1))
        fi
        return
    fi
    got=$(sed 's/\[[^]]*\] //' "$WORK/$name/apt/etc/sources.list" | tr '\n' '|')
    if [ $status -ne 0 ] || [ "$got" != "$expected" ]; then
        echo "FAIL $name: expected $expected, got ($status) $got $out"
        failures=$((failures + 1))
    fi
}

M=http://mirror.test/debian
S=http://mirror.test/debian-security
case_ none fails
case_ only-other fails sources.list.d/other.list "deb https://packages.test/apt stable main"
case_ disabled fails sources.list.d/debian.list.disabled "deb $M bookworm main"
case_ deb822 "deb-src $M bookworm main|deb-src $M bookworm-updates main|deb-src $S bookworm-security main|" \
    sources.list.d/debian.sources \
    "Types: deb\n# a comment\nURIs: $M/\nSuites: bookworm\n\nTypes: deb\nURIs: $S\nSuites: bookworm-security"
case_ one-line "deb-src $M bookworm main|deb-src $M bookworm-updates main|" \
    sources.list "deb [arch=amd64 signed-by=/k.gpg] $M bookworm main contrib"
case_ source-line "deb-src $M bookworm main|deb-src $M bookworm-updates main|" \
    sources.list "deb-src $M bookworm main"

[ $failures -eq 0 ] && echo "private-apt: all cases pass"
exit $failures
