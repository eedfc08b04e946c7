// The media the game draws and plays, and the colour of its text.
#pragma once

#include "uGameGrid.h"

#include <cstdint>

class TfwFont;
class TLettering;
class TfwSDLImage;
class TfwSDLSound;

// All text the game draws is orange.
inline constexpr uint32_t kTextColour = 0xFFFF8000;

// The media the game draws and plays, set once they are loaded: the pictures
// (the game owns them; the image list only registers them), the sounds and
// the fonts (the registry's). nullptr for one that failed to load.
struct TGameMedia {
    TfwSDLImage* Splash = nullptr;
    TfwSDLImage* Logo = nullptr;
    TfwSDLImage* BarBlock = nullptr;
    TfwSDLImage* Steps = nullptr;
    TfwSDLImage* Digits = nullptr;
    TfwSDLImage* TimeLabel = nullptr;
    TfwSDLImage* LevelLabel = nullptr;
    TfwSDLImage* LivesLabel = nullptr;
    TfwSDLImage* PointsLabel = nullptr;
    TfwSDLImage* PressKeyImage = nullptr;
    TfwSDLImage* PausedImage = nullptr;
    TfwSDLImage* GameOverImage = nullptr;
    TfwSDLImage* LevelDoneImage = nullptr;
    TfwSDLImage* OutOfTimeImage = nullptr;
    TfwSDLImage* NoMovesImage = nullptr;
    TfwSDLImage* OverlayDigits = nullptr; // the overlays' numbers
    TfwSDLImage* PauseSymbol = nullptr;
    TfwSDLImage* MarkerImage = nullptr;
    TfwSDLImage* CursorImage = nullptr;
    TStoneImages StoneImages{}; // entry k-1: picture of stone kind k

    TfwSDLSound* SoundExplode = nullptr;   // power8
    TfwSDLSound* SoundGameOver = nullptr;  // gameover
    TfwSDLSound* SoundNextLevel = nullptr; // nextlevel
    TfwSDLSound* SoundNoMoves = nullptr;   // nomovesleft
    TfwSDLSound* SoundRestart = nullptr;   // restart
    TfwSDLSound* SoundClick1 = nullptr;    // cursor moved
    TfwSDLSound* SoundClick2 = nullptr;    // select
    TfwFont* F1 = nullptr;                 // 12 points
    TfwFont* F2 = nullptr;                 // 14 points
    TfwFont* F3 = nullptr;                 // 16 points
    TfwFont* FontBanner = nullptr;         // 22 points: the overlays' big line
    TfwFont* FontLine = nullptr;           // 11 points: the overlays' second line
    TfwFont* FontLabel = nullptr;          // 10 points: the heads-up labels
    TfwFont* FontTiny = nullptr;           // 9 points: the smallest a line shrinks to

    // The run-time lettering of the overlays and the heads-up labels in the
    // fonts above (the game's); nullptr on the handheld, whose pictures
    // carry their words.
    TLettering* Lettering = nullptr;
};
