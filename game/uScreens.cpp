// What the screens draw in common: the loading screen, the background of the
// title and the high score screens, and the game screen with its heads-up
// display and goals column; each screen's own drawing is in its file.
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uScreen.h"

#include <cstdio>

namespace {

// The board as drawn: (5, 18) to (265, 240) on the screen.
const TfwRect kBoardView = {5, 18, 265, 240};
// The digit strip: cells of 6 by 14 pixels, the cell of character c at (c - '0') * 6.
constexpr TDigitCells kHudDigits = {0, 6, 14, 6};
// The loading bar: 1 block at the start, 25 when everything is loaded.
constexpr int32_t kLoadingBarSteps = 24;
} // namespace

void TMiniGame::LoadProgress(int32_t done, int32_t total) {
    const int32_t blocks = (total > 0 ? done * kLoadingBarSteps / total : 0) + 1;
    if (media_.Splash == nullptr)
        return;
    SDL_Surface* surface = GetSurface();
    media_.Splash->Draw(surface, 0, 0);
    if (media_.Logo != nullptr)
        media_.Logo->Draw(surface, 5, 5);
    if (media_.BarBlock != nullptr)
        for (int32_t i = 0; i < blocks; ++i)
            media_.BarBlock->Draw(surface, 5 + i * media_.BarBlock->Width(), 210);
    Flip();
    SDL_Event dropped;
    SDL_PollEvent(&dropped);
    PaceAudio(); // a device that outruns time would slow the loading down
}

void TMiniGame::DrawNumber(SDL_Surface* surface, int32_t x, int32_t y, const std::string& text,
                           bool rightAligned) {
    const std::string shown = text.substr(0, 31);
    const int32_t n = static_cast<int32_t>(shown.size());
    DrawDigits(surface, media_.Digits, kHudDigits, rightAligned ? x - n * kHudDigits.Advance : x, y,
               shown);
}

void TMiniGame::DrawDigits(SDL_Surface* surface, TfwSDLImage* strip, const TDigitCells& cells,
                           int32_t x, int32_t y, const std::string& text) {
    // A digit strip that failed to load draws nothing: blitting its empty
    // surface would log a failure for every digit of every frame.
    if (strip == nullptr || strip->Surface == nullptr)
        return;
    int32_t at = x;
    for (const char ch : text) {
        const int32_t c = static_cast<unsigned char>(ch);
        if (c >= '0') // blanks and signs leave a gap
            strip->Draw(surface, at, y, (c - '0') * cells.Width, cells.Y, cells.Width,
                        cells.Height);
        at += cells.Advance;
    }
}

void TMiniGame::DrawBackground(SDL_Surface* surface) {
    if (media_.Splash != nullptr)
        media_.Splash->Draw(surface, 0, 0);
    if (media_.Logo != nullptr)
        media_.Logo->Draw(surface, 5, 5);
}

void TMiniGame::DrawHeadsUp(SDL_Surface* surface) {
    auto label = [&](TfwSDLImage* image, int32_t x) {
        if (image != nullptr)
            image->Draw(surface, x, 3);
    };
    label(media_.PointsLabel, 5);
    DrawNumber(surface, 85, 2, std::to_string(score_), true);
    label(media_.LivesLabel, 100);
    DrawNumber(surface, 130, 2, std::to_string(lives_), false);
    label(media_.LevelLabel, 150);
    DrawNumber(surface, 180, 2, std::to_string(level_), false);
    if (gameKind_ == TGameKind::Relaxed)
        return; // no clock: nothing where it stands
    label(media_.TimeLabel, 200);
    char time[32];
    std::snprintf(time, sizeof time, "%2d:%.2d", timeLeft_ / 60, timeLeft_ % 60);
    DrawNumber(surface, 260, 2, time, true);
}

void TMiniGame::DrawGoals(SDL_Surface* surface) {
    for (int32_t i = 1; i <= colours_ && i <= kStoneImageCount; ++i) {
        TfwSDLImage* stone = media_.StoneImages[static_cast<size_t>(i - 1)];
        const int32_t h = stone != nullptr ? stone->Height() : 0;
        DrawNumber(surface, 292, (h + 2) * (i - 1) + 23, std::to_string(goals_[i]), true);
        if (stone != nullptr)
            stone->Draw(surface, 295, (h + 2) * (i - 1) + 18);
    }
}

void TMiniGame::DrawGame(SDL_Surface* surface, bool boardShown, TPauseSymbol symbol) {
    if (media_.F3 != nullptr) {
        DrawHeadsUp(surface);
        DrawGoals(surface);
        DrawPauseSymbol(surface, symbol);
    }
    if (boardShown && engine_)
        engine_->DrawAll(surface, kBoardView);
}

void TMiniGame::DrawPauseSymbol(SDL_Surface* surface, TPauseSymbol symbol) {
    // Desktop play only, for the player (a click ends the demo anyway).
    if (kHandheld || demoMode_ || media_.PauseSymbol == nullptr || symbol == TPauseSymbol::None)
        return;
    const int32_t cell = symbol == TPauseSymbol::GoOn ? kPauseSymbolWidth : 0;
    media_.PauseSymbol->Draw(surface, kPauseSymbolX, kPauseSymbolY, cell, 0, kPauseSymbolWidth,
                             kPauseSymbolHeight);
}

void TMiniGame::DrawFrame(SDL_Surface* surface) {
    ClearScreen();
    TScreen& screen = ScreenOf(state_);
    screen.Draw(surface);
    screen.DrawOverlay(surface);
}
