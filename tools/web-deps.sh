#!/bin/sh
# Builds the C libraries of the web configuration from Debian's source
# packages with emscripten:
#   tools/web-deps.sh BUILDDIR
# prints the install prefix (include/, lib/, lib/pkgconfig/) on its last line.
#
# SDL 1.2 (dummy video and audio drivers, no threads, no joystick) and
# FreeType, each pinned to its upstream version; whatever Debian revision the mirror
# serves is taken and recorded in the prefix's manifest.txt. The sources are
# fetched with apt-get source by an apt of its own under BUILDDIR/apt
# (tools/private-apt.sh), unpacked with Debian's patches applied, and built
# into a cache outside the clone:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/tessaril/web-deps/<key>
# with each package's notices in licences/<package>/ (Debian's copyright file,
# the upstream licence texts), where the key sums the pinned versions, the
# build flags, the compiler's version and this script's commands (its comments
# left out). A finished prefix is reused as it is, by this clone
# and by every other on the machine, without asking the network.
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILDDIR" >&2
    exit 2
fi
mkdir -p "$1"
BUILD=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
JOBS=${JOBS:-2}
# Debian's emscripten finds its JavaScript tools (acorn) only here.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
SUITE=${WEB_DEPS_SUITE:-bookworm}

# Source package, upstream version, in build order.
SOURCES="libsdl1.2 1.2.15
freetype 2.12.1"

# Small code first: the page downloads every byte of it.
CFLAGS_WEB="-Os"
SDL_FLAGS="--disable-shared --enable-static --disable-threads --disable-joystick --disable-cdrom
--disable-video-x11 --disable-video-dga --disable-video-fbcon --disable-video-directfb
--disable-video-ps2gs --disable-video-ps3 --disable-video-svga --disable-video-vgl
--disable-video-wscons --disable-video-aalib --disable-video-caca --disable-video-qtopia
--disable-video-picogui --disable-video-xbios --disable-video-gem --disable-video-opengl
--disable-video-ggi --disable-video-photon --disable-video-cocoa --disable-video-fbcon
--enable-video-dummy --disable-oss --disable-alsa --disable-esd --disable-pulseaudio
--disable-arts --disable-nas --disable-diskaudio --enable-dummyaudio --disable-mintaudio
--disable-nasm --disable-altivec --disable-ipod --disable-input-events --disable-input-tslib
--disable-pth --disable-rpath --disable-assembly --disable-loadso --disable-stdio-redirect
--disable-esd-shared --disable-pulseaudio-shared --disable-x11-shared"
# FreeType with only what draws the game's TrueType font: the TrueType driver
# with its bytecode hinter, the sfnt tables and the smooth renderer. The font
# carries its own hinting, so the auto-hinter is never asked for; its glyphs
# come out as from the desktop's full library. Options for formats and tables
# the font does not have are switched off.
FREETYPE_MODULES="tt_driver_class FT_Driver_ClassRec
sfnt_module_class FT_Module_Class
ft_smooth_renderer_class FT_Renderer_Class"
FREETYPE_OFF="FT_CONFIG_OPTION_USE_LZW FT_CONFIG_OPTION_USE_ZLIB FT_CONFIG_OPTION_POSTSCRIPT_NAMES
FT_CONFIG_OPTION_ADOBE_GLYPH_LIST FT_CONFIG_OPTION_MAC_FONTS FT_CONFIG_OPTION_GUESSING_EMBEDDED_RFORK
FT_CONFIG_OPTION_INCREMENTAL FT_CONFIG_OPTION_SVG TT_CONFIG_OPTION_EMBEDDED_BITMAPS
TT_CONFIG_OPTION_COLOR_LAYERS TT_CONFIG_OPTION_POSTSCRIPT_NAMES TT_CONFIG_OPTION_GX_VAR_SUPPORT
TT_CONFIG_OPTION_BDF"
FREETYPE_FLAGS="-DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON
-DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON"

EMCC_VERSION=$(emcc --version | head -n 1)
KEY=$(printf '%s\n' "$SOURCES" "$CFLAGS_WEB" "$SDL_FLAGS" "$FREETYPE_MODULES" "$FREETYPE_OFF" "$FREETYPE_FLAGS" \
    "$EMCC_VERSION" "$SUITE" | cat - "$0" | grep -v '^[[:space:]]*#' | sha256sum | cut -c1-16)
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/tessaril/web-deps
PREFIX=$CACHE/$KEY

up_to_date() {
    if [ -f "$PREFIX/manifest.txt" ]; then
        echo "web dependencies up to date: $(tr '\n' ' ' <"$PREFIX/manifest.txt")" >&2
        echo "$PREFIX"
        exit 0
    fi
}
up_to_date
# One build at a time per key; a second clone waits and then reuses it.
mkdir -p "$CACHE"
exec 9>"$CACHE/$KEY.lock"
flock 9
up_to_date

log() { echo "web-deps: $*" >&2; }

# The newest version of source package $1 whose upstream part is $2.
pick_version() {
    apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | while read -r v; do
        upstream=${v#*:}
        upstream=${upstream%-*}
        case "$upstream" in
        "$2" | "$2"+*) echo "$v" ;;
        esac
    done | sort -V -r | head -n 1
}

fetch_sources() {
    . "$HERE/private-apt.sh"
    private_apt "$BUILD/apt" "$(dpkg --print-architecture)" deb-src "$SUITE" >&2
    apt-get -q update >&2
    rm -rf "$BUILD/src"
    mkdir -p "$BUILD/src"
    : >"$BUILD/manifest.txt"
    echo "$SOURCES" | while read -r name upstream; do
        version=$(pick_version "$name" "$upstream")
        if [ -z "$version" ]; then
            log "the mirror serves no $name $upstream source package"
            exit 1
        fi
        log "fetching $name $version"
        (cd "$BUILD/src" && apt-get -q source --download-only "$name=$version" >&2)
        dsc=$(ls "$BUILD/src/${name}_${version#*:}.dsc")
        (cd "$BUILD/src" && dpkg-source --no-check -x "$dsc" "$name" >&2)
        echo "$name $version" >>"$BUILD/manifest.txt"
    done
}

# The host system named to configure. The packages' config.sub scripts
# predate WebAssembly; emcc's 32-bit target passes as a plain 32-bit Linux, and
# every system interface the libraries look for is switched off or found
# missing by their tests.
HOST=i686-pc-linux-gnu

# configure-based build of source package $1 with the given flags.
build_autoconf() {
    name=$1
    shift
    log "building $name"
    dir="$BUILD/src/$name"
    (cd "$dir" &&
        CFLAGS="$CFLAGS_WEB" CPPFLAGS="-I$STAGE/include" LDFLAGS="-L$STAGE/lib" \
            EM_PKG_CONFIG_PATH="$STAGE/lib/pkgconfig" emconfigure ./configure --host="$HOST" --prefix="$STAGE" "$@" >&2 &&
        emmake make -j"$JOBS" >&2 && emmake make install >&2)
}

build_freetype() {
    log "building freetype"
    config="$BUILD/src/freetype/include/freetype/config"
    echo "$FREETYPE_MODULES" | while read -r class type; do
        echo "FT_USE_MODULE( $type, $class )"
    done >"$config/ftmodule.h"
    for option in $FREETYPE_OFF; do
        if ! grep -q "^#define $option\$" "$config/ftoption.h"; then
            log "freetype's ftoption.h defines no $option"
            exit 1
        fi
        sed -i "s|^#define $option\$|/* #undef $option */|" "$config/ftoption.h"
    done
    # shellcheck disable=SC2086
    emcmake cmake -S "$BUILD/src/freetype" -B "$BUILD/src/freetype/web" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="$CFLAGS_WEB" \
        -DCMAKE_INSTALL_PREFIX="$STAGE" $FREETYPE_FLAGS >&2
    cmake --build "$BUILD/src/freetype/web" -j"$JOBS" >&2
    cmake --install "$BUILD/src/freetype/web" >&2
}

fetch_sources
# The libraries' pkg-config files and sdl-config name their prefix: they are
# built in place, and the manifest, written last, marks the prefix finished.
STAGE=$PREFIX
rm -rf "$STAGE"
mkdir -p "$STAGE"
# shellcheck disable=SC2086
build_autoconf libsdl1.2 $SDL_FLAGS
build_freetype
# Every package's notices, for the page to publish beside the code built
# from it: Debian's copyright file and the upstream licence texts.
while read -r name version; do
    mkdir -p "$PREFIX/licences/$name"
    cp "$BUILD/src/$name/debian/copyright" "$PREFIX/licences/$name/copyright.txt"
    for f in COPYING COPYING.LIB LICENSE docs/LICENSE.TXT docs/FTL.TXT docs/GPLv2.TXT; do
        if [ -f "$BUILD/src/$name/$f" ]; then
            cp "$BUILD/src/$name/$f" "$PREFIX/licences/$name/$(basename "$f" .TXT).txt"
        fi
    done
done <"$BUILD/manifest.txt"
cp "$BUILD/manifest.txt" "$PREFIX/manifest.txt"
log "built into $PREFIX"
echo "$PREFIX"
