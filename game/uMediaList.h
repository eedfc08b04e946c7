// The game's media, written once: the start-up list that the game's loader
// adds to its batch loader (in this order) and that the media generator
// draws and synthesises, the three pictures of the loading screen, and the
// lettering of the overlay pictures in each build.
// Plain constants only: the generator includes this without the framework.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

enum class TMediaKind : uint8_t { Sound, Font, Image };

// Position of each item in kMediaList.
enum TMediaId : uint8_t {
    miSoundExplode,
    miSoundGameOver,
    miSoundNextLevel,
    miSoundNoMoves,
    miSoundRestart,
    miSoundClick1,
    miSoundClick2,
    miFontSmall,
    miFontMedium,
    miFontLarge,
    miFontBanner,
    miFontLine,
    miFontLabel,
    miFontTiny,
    miSteps,
    miDigits,
    miTimeLabel,
    miLevelLabel,
    miLivesLabel,
    miPointsLabel,
    miPressKey,
    miPaused,
    miGameOverImage,
    miMarker,
    miStone1,
    miStone2,
    miStone3,
    miStone4,
    miStone5,
    miStone6,
    miStone7,
    miStone8,
    miStone9,
    miFixedFrame,
    miCursor,
    miTimeStone,
    miBomb,
    miEmptyFrame,
    miLevelDoneImage,
    miOutOfTimeImage,
    miNoMovesImage,
    miOverlayDigits,
    miPauseSymbol,
    kMediaCount
};

struct TMediaItem {
    TMediaId Id;
    TMediaKind Kind;
    const char* Name;      // given to the loader; names repeat, nothing looks media up by them
    const char* File;      // relative to the working folder
    int32_t FontSize = 0;  // points; fonts only
    int32_t StoneKind = 0; // the stone table entry this picture fills; 0 for none
};

inline constexpr std::array<TMediaItem, kMediaCount> kMediaList = {{
    {miSoundExplode, TMediaKind::Sound, "W01", "data/sounds/power8.wav"},
    {miSoundGameOver, TMediaKind::Sound, "W02", "data/sounds/gameover.wav"},
    {miSoundNextLevel, TMediaKind::Sound, "W03", "data/sounds/nextlevel.wav"},
    {miSoundNoMoves, TMediaKind::Sound, "W03", "data/sounds/nomovesleft.wav"},
    {miSoundRestart, TMediaKind::Sound, "W03", "data/sounds/restart.wav"},
    {miSoundClick1, TMediaKind::Sound, "W04", "data/sounds/click1.wav"},
    {miSoundClick2, TMediaKind::Sound, "W04", "data/sounds/click2.wav"},
    {miFontSmall, TMediaKind::Font, "F1", "data/fonts/orangefizz.ttf", 12},
    {miFontMedium, TMediaKind::Font, "F2", "data/fonts/orangefizz.ttf", 14},
    {miFontLarge, TMediaKind::Font, "F3", "data/fonts/orangefizz.ttf", 16},
    // The run-time lettering's (desktop and web): the overlays' big line and
    // second line, the heads-up labels, and the last size a line too long
    // for its room shrinks to.
    {miFontBanner, TMediaKind::Font, "F4", "data/fonts/orangefizz.ttf", 22},
    {miFontLine, TMediaKind::Font, "F5", "data/fonts/orangefizz.ttf", 11},
    {miFontLabel, TMediaKind::Font, "F6", "data/fonts/orangefizz.ttf", 10},
    {miFontTiny, TMediaKind::Font, "F7", "data/fonts/orangefizz.ttf", 9},
    {miSteps, TMediaKind::Image, "S1", "data/images/steps.bmp"},
    {miDigits, TMediaKind::Image, "Z1", "data/images/zahlen.bmp"},
    {miTimeLabel, TMediaKind::Image, "T1", "data/images/time.bmp"},
    {miLevelLabel, TMediaKind::Image, "L1", "data/images/level.bmp"},
    {miLivesLabel, TMediaKind::Image, "L2", "data/images/lives.bmp"},
    {miPointsLabel, TMediaKind::Image, "P2", "data/images/points.bmp"},
    {miPressKey, TMediaKind::Image, "PK", "data/images/presskey.bmp"},
    {miPaused, TMediaKind::Image, "GP", "data/images/gamepaused.bmp"},
    {miGameOverImage, TMediaKind::Image, "GO", "data/images/gameover.bmp"},
    {miMarker, TMediaKind::Image, "P25", "data/images/p25.bmp"},
    {miStone1, TMediaKind::Image, "I1", "data/images/dblue.bmp", 0, 1},
    {miStone2, TMediaKind::Image, "I2", "data/images/green.bmp", 0, 2},
    {miStone3, TMediaKind::Image, "I3", "data/images/orange.bmp", 0, 3},
    {miStone4, TMediaKind::Image, "I4", "data/images/purple.bmp", 0, 4},
    {miStone5, TMediaKind::Image, "I5", "data/images/red.bmp", 0, 5},
    {miStone6, TMediaKind::Image, "I6", "data/images/yellow.bmp", 0, 6},
    {miStone7, TMediaKind::Image, "I7", "data/images/blue.bmp", 0, 7},
    {miStone8, TMediaKind::Image, "I8", "data/images/magenta.bmp", 0, 8},
    {miStone9, TMediaKind::Image, "I9", "data/images/white.bmp", 0, 9},
    {miFixedFrame, TMediaKind::Image, "I10", "data/images/frame.bmp", 0, 30},
    {miCursor, TMediaKind::Image, "C1", "data/images/cursor.bmp"},
    {miTimeStone, TMediaKind::Image, "E1", "data/images/wetime.bmp", 0, 10},
    {miBomb, TMediaKind::Image, "B1", "data/images/bomb.bmp", 0, 11},
    {miEmptyFrame, TMediaKind::Image, "F1", "data/images/frame.bmp", 0, 20},
    {miLevelDoneImage, TMediaKind::Image, "LD", "data/images/leveldone.bmp"},
    {miOutOfTimeImage, TMediaKind::Image, "OT", "data/images/outoftime.bmp"},
    {miNoMovesImage, TMediaKind::Image, "NM", "data/images/nomoves.bmp"},
    {miOverlayDigits, TMediaKind::Image, "OD", "data/images/ovdigits.bmp"},
    {miPauseSymbol, TMediaKind::Image, "PS", "data/images/pausesymbol.bmp"},
}};

// Every item sits at the position its id names (an item left out would
// leave a default one with the wrong id).
constexpr bool MediaListInIdOrder() {
    for (size_t i = 0; i < kMediaCount; ++i)
        if (static_cast<size_t>(kMediaList[i].Id) != i)
            return false;
    return true;
}
static_assert(MediaListInIdOrder(), "kMediaList must list every TMediaId in order");

// The loading screen's pictures, loaded directly through the image list
// before the batch (the loading screen draws them).
inline constexpr TMediaItem kSplashImage = {kMediaCount, TMediaKind::Image, "SPLASH",
                                            "data/images/splash.bmp"};
inline constexpr TMediaItem kLogoImage = {kMediaCount, TMediaKind::Image, "LOGO",
                                          "data/images/tessaril.bmp"};
inline constexpr TMediaItem kBarBlockImage = {kMediaCount, TMediaKind::Image, "IWB",
                                              "data/images/whitesmall.bmp"};

// The overlays' digit strip: two rows of cells for "0" to "9", the big
// lettering's digits above the small line's. Cell c of a row starts at
// x = c * Width; a number is drawn a cell every Advance pixels (a cell holds
// the digit's outline and shadow, which overlap the next as the letters' do).
struct TDigitCells {
    int32_t Y;
    int32_t Width;
    int32_t Height;
    int32_t Advance;
};
inline constexpr TDigitCells kOverlayBigDigits = {0, 21, 27, 18};
inline constexpr TDigitCells kOverlaySmallDigits = {27, 7, 9, 6};

// The play screen's pause symbol: two cells side by side, the pause bars
// (drawn in play) and the go-on triangle (drawn while paused).
inline constexpr int32_t kPauseSymbolWidth = 17;
inline constexpr int32_t kPauseSymbolHeight = 15;

// What an overlay picture says: big lettering and a smaller second line.
// A '#' in either marks where the game draws a number at run time (the
// level, the lives left): its first digit cell's top left corner is
// (NumberX, NumberY) of the picture, the text before it ends just left of
// it, the text after it starts one small digit cell right of it. Overlays
// without a number have NumberX 0. An overlay with no words is a wordless
// panel that the game letters at run time (game/uWords.h).
struct TOverlayLettering {
    TMediaId Id;
    const char* Big;
    const char* Small;
    int32_t NumberX = 0;
    int32_t NumberY = 0;
};

// Overlay pictures are 250 x 50 pixels; their lettering keeps this far clear
// of the gems at both ends.
inline constexpr int32_t kOverlayWidth = 250;
inline constexpr int32_t kOverlayHeight = 50;
inline constexpr int32_t kOverlayLetteringMargin = 28;

// The handheld's overlays name its buttons in their pictures; the desktop's
// and the web's are wordless, lettered by the game in its font, so that they
// name the player's own keys. Both builds read the same file names; the
// handheld's pictures are laid over the desktop's in its media tree.
using TOverlaySet = std::array<TOverlayLettering, 6>;
inline constexpr TOverlaySet kDesktopOverlays = {{
    {miPressKey, "", ""},
    {miLevelDoneImage, "", ""},
    {miOutOfTimeImage, "", ""},
    {miNoMovesImage, "", ""},
    {miPaused, "", ""},
    {miGameOverImage, "", ""},
}};
inline constexpr TOverlaySet kHandheldOverlays = {{
    {miPressKey, "LEVEL #", "PRESS B TO PLAY", 150, 7},
    {miLevelDoneImage, "LEVEL COMPLETE", "PRESS B FOR THE NEXT"},
    {miOutOfTimeImage, "OUT OF TIME", "LIVES LEFT: # - PRESS B", 126, 32},
    {miNoMovesImage, "NO MOVES LEFT", "LIVES LEFT: # - PRESS B", 126, 31},
    {miPaused, "GAME PAUSED", "PRESS A TO GO ON"},
    {miGameOverImage, "GAME OVER", "PRESS B"},
}};
