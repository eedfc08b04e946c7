#!/bin/sh
# Lays out a Debian 12 armel sysroot for the cross build and the emulated tests:
#   tools/arm-sysroot.sh DIR
# leaves the armel headers and libraries of SDL 1.2 (with SDL_mixer, SDL_image,
# SDL_ttf), libstdc++, libc and googletest, with everything they need, in
# DIR/sysroot.
#
# The host's own package state is never touched: apt runs with a state of its
# own under DIR/apt (tools/private-apt.sh: its own lists, an empty status
# file, its own cache and a sources list naming the Debian mirror of the
# host's apt sources) for the armel architecture alone, only downloads, and
# every package is unpacked with dpkg-deb -x. A multiarch install into the
# host would not do: the host's library versions run ahead of armel's. No
# root rights are needed.
#
# A finished sysroot carries a stamp with the package list it was made from;
# while that matches, the script does nothing, so a second run downloads
# nothing. The downloaded packages stay in DIR/apt/cache, so a changed list
# downloads only what is new.
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 DIR" >&2
    exit 2
fi
mkdir -p "$1"
DIR=$(cd "$1" && pwd)
SYSROOT="$DIR/sysroot"
APTDIR="$DIR/apt"
STAMP="$SYSROOT/.tessaril-sysroot"

SUITE=${ARM_SUITE:-bookworm}
PACKAGES="libc6-dev libstdc++-12-dev libgtest-dev libsdl1.2-dev libsdl-mixer1.2-dev
libsdl-image1.2-dev libsdl-ttf2.0-dev"
WANT="suite=$SUITE packages=$(echo $PACKAGES)"

if [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$WANT" ]; then
    echo "armel sysroot up to date: $SYSROOT"
    exit 0
fi

. "$(dirname "$0")/private-apt.sh"
private_apt "$APTDIR" armel deb "$SUITE"

apt-get -q update
# The exact packages and versions the resolver picks for an empty system.
apt-get -q -s install $PACKAGES | sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1 \2/p' \
    >"$APTDIR/selection"
if [ ! -s "$APTDIR/selection" ]; then
    echo "armel sysroot: apt chose no packages" >&2
    exit 1
fi
apt-get -q -y install --download-only $PACKAGES

echo "armel sysroot: unpacking $(wc -l <"$APTDIR/selection") packages into $SYSROOT"
rm -rf "$SYSROOT"
mkdir -p "$SYSROOT"
while read -r name version; do
    # Archive file names carry the epoch's colon as %3a.
    file=$(ls "$APTDIR/cache/archives/${name}_$(echo "$version" | sed 's/:/%3a/')_"*.deb \
        2>/dev/null | head -n 1)
    if [ -z "$file" ]; then
        echo "armel sysroot: $name $version was not downloaded" >&2
        exit 1
    fi
    dpkg-deb -x "$file" "$SYSROOT"
done <"$APTDIR/selection"

# Absolute symbolic links (libfoo.so -> /lib/arm-linux-gnueabi/libfoo.so.1)
# would point into the host; make them relative inside the sysroot.
find "$SYSROOT" -type l | while read -r link; do
    target=$(readlink "$link")
    case "$target" in
    /*) ln -sfnr "$SYSROOT$target" "$link" ;;
    esac
done

echo "$WANT" >"$STAMP"
echo "armel sysroot ready: $SYSROOT"
