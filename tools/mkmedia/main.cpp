// mkmedia - builds Tessaril's media: pictures (BMP), sound effects (16-bit PCM
// WAV), the music tracks (as WAV, encoded to Ogg by mkmedia.sh) and the
// icon of the desktop and the web page (BMP colour and alpha, turned into PNG
// by mkmedia.sh).
//
// Usage: mkmedia <out-root> <work-dir>
//   <out-root>/data/images, <out-root>/data/sounds: every picture and sound of
//     the game's media list (game/uMediaList.h) and the loading screen;
//   <out-root>/data-handheld/images: the handheld's own overlay pictures;
//   <work-dir>/trackN.wav, <work-dir>/icon-N.bmp and icon-N-alpha.bmp.
//
// Everything is drawn and synthesised from fixed seeds, so two runs give
// byte-identical files. Magenta (255,0,255) is the transparent colour of every
// picture of the game. The game runs on a 16-bit display, so its pictures are
// rounded to RGB565 values already (gradients with an ordered dither) and no
// visible pixel may round to the key colour.

#include "icons.h"
#include "music.h"
#include "overlays.h"
#include "sounds.h"
#include "stones.h"
#include "title.h"
#include "uMediaList.h"

#include <SDL.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace mkmedia {
namespace {

using Picture = std::function<Image()>;
using Sound = std::function<std::vector<float>()>;

// The makers of the pictures of the media list, by item.
std::map<TMediaId, Picture> listPictures(const TOverlaySet& overlays) {
    std::map<TMediaId, Picture> pictures = {
        {miSteps, makeSteps},
        {miDigits, makeDigits},
        {miTimeLabel, [] { return makeLabel("TIME", 27); }},
        {miLevelLabel, [] { return makeLabel("LEVEL", 29); }},
        {miLivesLabel, [] { return makeLabel("LIVES", 29); }},
        {miPointsLabel, [] { return makeLabel("SCORE", 42); }},
        {miMarker, makePlus25},
        {miFixedFrame, makeFrameStone},
        {miCursor, makeCursor},
        {miTimeStone, makeTimeStone},
        {miBomb, makeBomb},
        {miEmptyFrame, makeFrameStone},
        {miOverlayDigits, makeOverlayDigits},
        {miPauseSymbol, makePauseSymbol},
    };
    for (const TOverlayLettering& o : overlays)
        pictures[o.Id] = [o] { return makeOverlay(o); };
    const std::vector<StoneDef> stones = stoneDefs();
    for (size_t i = 0; i < stones.size(); ++i)
        pictures[TMediaId(miStone1 + i)] = [d = stones[i]] { return makeStone(d); };
    return pictures;
}

std::map<TMediaId, Sound> listSounds() {
    return {
        {miSoundExplode, sndExplode},
        {miSoundGameOver, sndGameOver},
        {miSoundNextLevel, sndLevelDone},
        {miSoundNoMoves, sndNoMoves},
        {miSoundRestart, sndTimeUp},
        {miSoundClick1, [] { return sndClick(1700, 0.035, 1.0); }},
        {miSoundClick2, sndSelect},
    };
}

// The stone colours are drawn in the order of the list's stone items.
bool stonesMatchList() {
    const std::vector<StoneDef> stones = stoneDefs();
    for (size_t i = 0; i < stones.size(); ++i) {
        const std::string want = std::string("data/images/") + stones[i].file + ".bmp";
        if (want != kMediaList[miStone1 + i].File) {
            fprintf(stderr, "stone %zu is %s in the media list\n", i + 1,
                    kMediaList[miStone1 + i].File);
            return false;
        }
    }
    return true;
}

// Every picture and sound of the media list under <root>/<its file>. Fonts
// are copied by mkmedia.sh, not made here.
bool makeListMedia(const std::string& root) {
    bool ok = stonesMatchList();
    std::map<TMediaId, Picture> pictures = listPictures(kDesktopOverlays);
    std::map<TMediaId, Sound> sounds = listSounds();
    std::set<std::string> made; // a file listed twice is made once
    for (const TMediaItem& item : kMediaList) {
        const std::string path = root + "/" + item.File;
        if (!made.insert(path).second)
            continue;
        if (item.Kind == TMediaKind::Image && pictures.count(item.Id))
            ok &= saveBMP(pictures[item.Id](), path);
        else if (item.Kind == TMediaKind::Sound && sounds.count(item.Id))
            ok &= writeWav(path, sounds[item.Id](), nullptr);
        else if (item.Kind != TMediaKind::Font) {
            fprintf(stderr, "nothing makes %s\n", item.File);
            ok = false;
        }
    }
    return ok;
}

bool makeLoadingScreen(const std::string& root) {
    Image logo = makeLogo();
    if (logo.w > 310 || logo.h > 38) {
        fprintf(stderr, "logo too big (%d x %d)\n", logo.w, logo.h);
        return false;
    }
    bool ok = saveBMP(makeSplash(), root + "/" + kSplashImage.File);
    ok &= saveBMP(logo, root + "/" + kLogoImage.File);
    ok &= saveBMP(makeBarBlock(), root + "/" + kBarBlockImage.File);
    return ok;
}

// The handheld's overlays: the same paths below <root>/data-handheld as the
// desktop's below <root>/data.
bool makeHandheldOverlays(const std::string& root) {
    const std::string data = "data/";
    bool ok = true;
    for (const TOverlayLettering& o : kHandheldOverlays) {
        const std::string file = kMediaList[o.Id].File;
        ok &= saveBMP(makeOverlay(o), root + "/data-handheld/" + file.substr(data.size()));
    }
    return ok;
}

bool makeIcons(const std::string& work) {
    bool ok = true;
    for (int size : {32, 48, 64, 128, 192, 256, 512}) {
        Icon icon = makeIcon(size);
        const std::string base = work + "/icon-" + std::to_string(size);
        ok &= saveExactBMP(icon.colour, base + ".bmp");
        ok &= saveExactBMP(icon.alpha, base + "-alpha.bmp");
    }
    return ok;
}

bool makeMusic(const std::string& work) {
    bool ok = true;
    {
        Song t1 = makeTrack1();
        ok &= writeWav(work + "/track1.wav", t1.L, &t1.R);
    }
    {
        Song t2 = makeTrack2();
        ok &= writeWav(work + "/track2.wav", t2.L, &t2.R);
    }
    return ok;
}

bool run(const std::string& root, const std::string& work) {
    printf("pictures and sounds:\n");
    bool ok = makeListMedia(root);
    ok &= makeLoadingScreen(root);
    printf("handheld overlays:\n");
    ok &= makeHandheldOverlays(root);
    printf("icons (to be converted):\n");
    ok &= makeIcons(work);
    printf("music (to be encoded):\n");
    ok &= makeMusic(work);
    return ok;
}

} // namespace
} // namespace mkmedia

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s <out-root> <work-dir>\n", argv[0]);
        return 2;
    }
    if (SDL_Init(0) != 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    bool ok = mkmedia::run(argv[1], argv[2]);
    SDL_Quit();
    return ok ? 0 : 1;
}
