#!/bin/sh
# Regenerates the media: the data/ tree (pictures, sounds, music, font), the
# handheld's own pictures data-handheld/, the web build's compressed sound
# effects data-web/, the desktop icons under dist/icons/ and the web page's
# under web/icons/. Run from anywhere: tools/mkmedia.sh (or make media, which
# installs what it needs first).
# Needs g++, the SDL 1.2 development files, oggenc (vorbis-tools), lame, convert
# (imagemagick), the DejaVu fonts (fonts-dejavu-core, fonts-dejavu-extra) and
# pyftsubset (python3-fonttools).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/mkmedia.XXXXXX")
trap 'rm -rf "$WORK"' EXIT INT TERM

echo "compiling the generator"
g++ -std=c++17 -O2 -Wall -Wextra -Igame -o "$WORK/mkmedia" tools/mkmedia/*.cpp \
    $(pkg-config --cflags --libs sdl)

mkdir -p data/images data/sounds data/musics data/fonts data-handheld/images
SDL_VIDEODRIVER=dummy "$WORK/mkmedia" . "$WORK"

echo "encoding the music"
# fixed serial numbers, so every run gives the same files
oggenc -Q -q 2 -s 20101 -o data/musics/track1.ogg "$WORK/track1.wav"
oggenc -Q -q 2 -s 20102 -o data/musics/track2.ogg "$WORK/track2.wav"
ls -l data/musics/*.ogg
# The web build's copies for browsers that cannot decode Ogg Vorbis (Safari's
# Web Audio): MP3 at a fixed rate, the same bytes every run.
mkdir -p data-web/musics
for N in 1 2; do
    lame --quiet -b 48 --noreplaygain "$WORK/track$N.wav" "data-web/musics/track$N.mp3"
done
ls -l data-web/musics/*.mp3

echo "converting the icons"
# colour and alpha pictures into one PNG; no time stamps, so every run gives
# the same files
for N in 32 48 64 128 256; do
    DIR=dist/icons/hicolor/${N}x${N}/apps
    mkdir -p "$DIR"
    convert "$WORK/icon-$N.bmp" "$WORK/icon-$N-alpha.bmp" -alpha off \
        -compose CopyOpacity -composite -strip \
        -define png:exclude-chunks=date,time PNG32:"$DIR/tessaril.png"
    echo "  $DIR/tessaril.png"
done
# The web page's icons: the installed app's (192 and 512 pixels, named by its
# manifest) and the browser tab's (32 pixels).
mkdir -p web/icons
for N in 192 512; do
    convert "$WORK/icon-$N.bmp" "$WORK/icon-$N-alpha.bmp" -alpha off \
        -compose CopyOpacity -composite -strip \
        -define png:exclude-chunks=date,time PNG32:"web/icons/icon-$N.png"
    echo "  web/icons/icon-$N.png"
done
cp dist/icons/hicolor/32x32/apps/tessaril.png web/icons/favicon.png
echo "  web/icons/favicon.png"
# The window's icon is the desktop entry's, read by the game from its media.
cp dist/icons/hicolor/64x64/apps/tessaril.png data/images/icon.png
echo "  data/images/icon.png"

echo "encoding the web build's sound effects"
# The page downloads its media: Ogg Vorbis there (and MP3 for a browser
# without Ogg Vorbis), the plain WAV everywhere else (the handheld decodes
# nothing it need not). Fixed serial numbers, so
# every run gives the same files.
mkdir -p data-web/sounds
SERIAL=20201
for WAV in data/sounds/*.wav; do
    NAME=$(basename "$WAV" .wav)
    oggenc -Q -q 3 -s $SERIAL -o "data-web/sounds/$NAME.ogg" "$WAV"
    lame --quiet -b 48 --noreplaygain "$WAV" "data-web/sounds/$NAME.mp3"
    SERIAL=$((SERIAL + 1))
done
ls -l data-web/sounds/*.ogg data-web/sounds/*.mp3

echo "cutting the font"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf
FONTDOC=/usr/share/doc/fonts-dejavu-extra/copyright
# The characters the game can draw: its texts are UTF-8 in every shipped
# language: Latin-1 and Latin Extended-A (German, French, Spanish, Polish),
# the Cyrillic of Russian (U+0400-045F) and the punctuation translations use
# (dashes, quotes, the ellipsis, bullet, euro, numero and minus signs). One
# cut on every build: on the web it is 4 kB (gzip) more than Latin with
# Latin Extended-A alone, less than a second font file would cost a Cyrillic
# page. Hinting and the legacy kerning table stay, which SDL_ttf and the
# web's FreeType read, so the text is drawn as from the whole font.
FONTCHARS=U+0020-007E,U+00A0-00FF,U+0100-017F,U+0400-045F,U+2013-2014,U+2018-201A,U+201C-201E,U+2022,U+2026,U+2039-203A,U+20AC,U+2116,U+2212
if [ -f "$FONT" ] && [ -f "$FONTDOC" ]; then
    /usr/bin/python3 -m fontTools.subset "$FONT" --unicodes=$FONTCHARS --legacy-kern \
        --name-IDs='*' --name-languages='*' --output-file=data/fonts/orangefizz.ttf 2>/dev/null
    {
        echo "data/fonts/orangefizz.ttf is DejaVu Sans Condensed (DejaVuSansCondensed.ttf)"
        echo "from the Debian package fonts-dejavu-extra"
        echo "(/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf), cut to the"
        echo "characters $FONTCHARS (Latin-1, Latin Extended-A, Cyrillic and"
        echo "punctuation) by pyftsubset (python3-fonttools),"
        echo "which keeps its hinting and kerning. Its licence, from"
        echo "/usr/share/doc/fonts-dejavu-extra/copyright, follows."
        echo
        cat "$FONTDOC"
    } > data/fonts/LICENSE-orangefizz.txt
else
    echo "warning: $FONT not found (install fonts-dejavu-extra); font left as it is" >&2
fi
echo "done"
