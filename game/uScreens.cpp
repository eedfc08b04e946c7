// What the screens draw in common: the loading screen, the background of the
// title and the high score screens, and the game screen with its heads-up
// display and goals column; each screen's own drawing is in its file.
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uLettering.h"
#include "uScreen.h"
#include "uWords.h"

#include <algorithm>
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

namespace {

// Digits of text from the heads-up digit strip.
void DrawNumber(SDL_Surface* surface, const TGameMedia& media, int32_t x, int32_t y,
                const std::string& text, bool rightAligned) {
    const std::string shown = text.substr(0, 31);
    const int32_t n = static_cast<int32_t>(shown.size());
    DrawDigits(surface, media.Digits, kHudDigits, rightAligned ? x - n * kHudDigits.Advance : x, y,
               shown);
}

// A heads-up label before its number at numberX: its picture at (x, 3) on
// the handheld; elsewhere its word lettered with the baseline on row 12, as
// the pictures have it, in the largest size up to the labels' that fits from
// x to the number, its outline starting at x or as much further left (at most
// kLabelGap pixels) as keeps it kLabelGap pixels clear of the number.
void DrawLabel(SDL_Surface* surface, const TGameMedia& media, const TfwCatalogue& t, TMediaId id,
               int32_t x, int32_t numberX) {
    constexpr int32_t kLabelBaseline = 12;
    constexpr int32_t kLabelGap = 2;
    if (media.Lettering == nullptr) {
        TfwSDLImage* image = media.PointsLabel;
        if (id == miLivesLabel)
            image = media.LivesLabel;
        else if (id == miLevelLabel)
            image = media.LevelLabel;
        else if (id == miTimeLabel)
            image = media.TimeLabel;
        if (image != nullptr)
            image->Draw(surface, x, 3);
        return;
    }
    const std::string word = LabelWord(t, id);
    TLettering& lettering = *media.Lettering;
    TfwFont* font =
        lettering.FontFor(word, kMediaList[miFontLabel].FontSize, numberX - x, kLabelLettering);
    if (font == nullptr)
        return;
    const int32_t width = TLettering::Width(*font, word, kLabelLettering);
    const int32_t left = std::max(x - kLabelGap, std::min(x, numberX - kLabelGap - width));
    lettering.Draw(surface, left, kLabelBaseline + 1 - lettering.CapHeight(*font), *font, word,
                   kLabelLettering);
}

void DrawHeadsUp(SDL_Surface* surface, const TGameMedia& media, const TfwCatalogue& t,
                 const TGameSession& session) {
    DrawLabel(surface, media, t, miPointsLabel, 5, 49); // where a six-digit score starts
    DrawNumber(surface, media, 85, 2, std::to_string(session.Score), true);
    DrawLabel(surface, media, t, miLivesLabel, 100, 130);
    DrawNumber(surface, media, 130, 2, std::to_string(session.Lives), false);
    DrawLabel(surface, media, t, miLevelLabel, 150, 180);
    DrawNumber(surface, media, 180, 2, std::to_string(session.Level), false);
    if (session.Kind == TGameKind::Relaxed)
        return;                                          // no clock: nothing where it stands
    DrawLabel(surface, media, t, miTimeLabel, 200, 230); // the clock's first digit
    char time[32];
    std::snprintf(time, sizeof time, "%2d:%.2d", session.TimeLeft / 60, session.TimeLeft % 60);
    DrawNumber(surface, media, 260, 2, time, true);
}

void DrawGoals(SDL_Surface* surface, const TGameMedia& media, const TGameSession& session) {
    for (int32_t i = 1; i <= session.Colours && i <= kStoneImageCount; ++i) {
        TfwSDLImage* stone = media.StoneImages[static_cast<size_t>(i - 1)];
        const int32_t h = stone != nullptr ? stone->Height() : 0;
        DrawNumber(surface, media, 292, (h + 2) * (i - 1) + 23,
                   std::to_string(session.Goals[static_cast<size_t>(i)]), true);
        if (stone != nullptr)
            stone->Draw(surface, 295, (h + 2) * (i - 1) + 18);
    }
}

void DrawPauseSymbol(SDL_Surface* surface, const TScreenContext& context, TPauseSymbol symbol) {
    // Desktop play only, for the player (a click ends the demo anyway).
    const TfwSDLImage* image = context.Media.PauseSymbol;
    if (kHandheld || context.Mode.Demo || image == nullptr || symbol == TPauseSymbol::None)
        return;
    const int32_t cell = symbol == TPauseSymbol::GoOn ? kPauseSymbolWidth : 0;
    context.Media.PauseSymbol->Draw(surface, kPauseSymbolX, kPauseSymbolY, cell, 0,
                                    kPauseSymbolWidth, kPauseSymbolHeight);
}

} // namespace

void DrawDigits(SDL_Surface* surface, TfwSDLImage* strip, const TDigitCells& cells, int32_t x,
                int32_t y, const std::string& text) {
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

void DrawBackground(SDL_Surface* surface, const TGameMedia& media) {
    if (media.Splash != nullptr)
        media.Splash->Draw(surface, 0, 0);
    if (media.Logo != nullptr)
        media.Logo->Draw(surface, 5, 5);
}

void DrawGame(SDL_Surface* surface, const TScreenContext& context, bool boardShown,
              TPauseSymbol symbol) {
    if (context.Media.F3 != nullptr) {
        DrawHeadsUp(surface, context.Media, context.App.Catalogue, context.Session);
        DrawGoals(surface, context.Media, context.Session);
        DrawPauseSymbol(surface, context, symbol);
    }
    if (boardShown && context.View.Engine != nullptr)
        context.View.Engine->DrawAll(surface, kBoardView);
}

void ReportToPlayer(const std::string& text) {
    std::fprintf(stderr, "tessaril: %s\n", text.c_str());
}

void TMiniGame::DrawFrame(SDL_Surface* surface) {
    ClearScreen();
    TScreen& screen = states_.Screen();
    screen.Draw(surface);
    screen.DrawOverlay(surface);
}

void DrawHeadsUpOf(SDL_Surface* surface, const TGameMedia& media, const TfwCatalogue& t,
                   const TGameSession& session, bool goals) {
    if (media.F3 == nullptr)
        return;
    DrawHeadsUp(surface, media, t, session);
    if (goals)
        DrawGoals(surface, media, session);
}

std::vector<std::string> WrapText(const TfwFont* font, const std::string& text, int32_t width) {
    std::vector<std::string> lines;
    std::string line;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find(' ', at), text.size());
        const std::string word = text.substr(at, end - at);
        std::string longer = line;
        if (!longer.empty())
            longer += ' ';
        longer += word;
        if (!line.empty() && font != nullptr && font->TextWidth(longer) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
        at = end + 1;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}
