// The screens: the loading screen, the title, the high score table and name
// entry screens, and the game screen with its heads-up display and overlays.
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uHighscore.h"
#include "web/fwWeb.h"

#include <cstdio>

namespace {

// The board as drawn: (5, 18) to (265, 240) on the screen.
const TfwRect kBoardView = {5, 18, 265, 240};
// The digit strip: cells of 6 by 14 pixels, the cell of character c at (c - '0') * 6.
constexpr TDigitCells kHudDigits = {0, 6, 14, 6};
// The loading bar: 1 block at the start, 25 when everything is loaded.
constexpr int32_t kLoadingBarSteps = 24;
constexpr uint32_t kLoadingFrameMs = 25;
// The desktop table's other table and way out, below its ten lines; and its
// heading, the kind of game, above the dates.
constexpr const char* kTableHelp[] = {"Click or R - relaxed, Return - back to the title",
                                      "Click or R - timed, Return - back to the title"};
constexpr const char* kTableHeading[] = {"Timed", "Relaxed"};
constexpr int32_t kTableHeadingX = 230;
constexpr int32_t kTableHeadingY = 41;
// The table screen's notice of a failed save: the line above the table.
constexpr int32_t kUnsavedNoticeY = 43;

} // namespace

void TMiniGame::LoadProgress(int32_t done, int32_t total) {
    const int32_t blocks = (total > 0 ? done * kLoadingBarSteps / total : 0) + 1;
    if (Splash == nullptr)
        return;
    SDL_Surface* surface = GetSurface();
    Splash->Draw(surface, 0, 0);
    if (Logo != nullptr)
        Logo->Draw(surface, 5, 5);
    if (BarBlock != nullptr)
        for (int32_t i = 0; i < blocks; ++i)
            BarBlock->Draw(surface, 5 + i * BarBlock->Width(), 210);
    Flip();
    SDL_Event dropped;
    SDL_PollEvent(&dropped);
    fwDelay(kLoadingFrameMs);
}

std::vector<const char*> TMiniGame::HelpLines() {
    if constexpr (kHandheld)
        return {"'B'  - Start game / select stone", "Cursor keys - move cursor", "'X' - Quit game"};
    else // the title's entries, in the order of TTitleEntry
        return {"SPACE or click - Start", "R - Relaxed game", "H - High scores", "X - Quit"};
}

std::vector<TMiniGame::TTitleLine> TMiniGame::TitleLines() const {
    std::vector<TTitleLine> lines;
    if (KeptGame)
        lines.push_back({teContinue, "C - Continue level " + std::to_string(KeptGame->Level) +
                                         " (score " + std::to_string(KeptGame->Score) + ")"});
    int32_t entry = kHandheld ? -1 : teStart;
    for (const char* line : HelpLines())
        lines.push_back({kHandheld ? -1 : entry++, line});
    return lines;
}

std::vector<const char*> TMiniGame::KeyLines() {
    if constexpr (kHandheld)
        return {};
    else
        return {"Click or SPACE - swap", "Arrow keys - move", "P or click II - pause",
                "Y or right click - hint", "F11 - fullscreen"};
}

namespace {

// The title's help lines, kHelpLineHeight apart from kHelpTop, the last score
// above them; the desktop's key lines in a column of their own to the right.
// With a kept game the entries begin in the last credit's place, and the kept
// game's entry shows the score.
constexpr int32_t kHelpLeft = 15;
constexpr int32_t kHelpTop = 172;
constexpr int32_t kKeptEntriesTop = 118;
constexpr int32_t kHelpLineHeight = 14;
constexpr int32_t kLastScoreTop = 154;
// A kept game: beside the start entry, what starting does to it.
constexpr const char* kDropsKeptGame = "(ends the kept game)";
constexpr int32_t kNoteGap = 6;
constexpr int32_t kKeyLinesLeft = 180;
constexpr int32_t kKeyLinesTop = 150;
constexpr int32_t kKeyLineHeight = 13;
// A click counts for an entry this far left and right of its text.
constexpr int32_t kEntrySlack = 5;
// The volume line; in the page, the line that asks for the gesture that
// starts its sound ends this far left of it.
constexpr int32_t kVolumeLeft = 250;
constexpr int32_t kVolumeTop = 220;
constexpr int32_t kSoundHintGap = 12;
constexpr const char* kSoundHint = "Press a key or click for sound";

// Does the page's sound wait for the player's first key, click or touch?
bool SoundWaits() {
    if constexpr (kWeb)
        return fwWebSoundWaits();
    else
        return false;
}

} // namespace

int32_t TMiniGame::TitleEntryAt(int32_t x, int32_t y) const {
    const auto lines = TitleLines();
    const int32_t top = KeptGame ? kKeptEntriesTop : kHelpTop;
    if (kHandheld || F2 == nullptr || y < top)
        return -1;
    const size_t line = static_cast<size_t>((y - top) / kHelpLineHeight);
    if (line >= lines.size())
        return -1;
    const int32_t right = kHelpLeft + F2->TextWidth(lines[line].Text);
    return x >= kHelpLeft - kEntrySlack && x < right + kEntrySlack ? lines[line].Entry : -1;
}

void TMiniGame::DrawNumber(SDL_Surface* surface, int32_t x, int32_t y, const std::string& text,
                           bool rightAligned) {
    const std::string shown = text.substr(0, 31);
    const int32_t n = static_cast<int32_t>(shown.size());
    DrawDigits(surface, Digits, kHudDigits, rightAligned ? x - n * kHudDigits.Advance : x, y,
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
    if (Splash != nullptr)
        Splash->Draw(surface, 0, 0);
    if (Logo != nullptr)
        Logo->Draw(surface, 5, 5);
}

namespace {

// Everything the title's picture depends on: the numbers it shows and the
// pictures and faces it draws, down to what a reload or a new alpha changes.
TfwPictureCache::TKey TitleKey(const TMiniGame& game) {
    TfwPictureCache::TKey key = {static_cast<uintptr_t>(game.SoundVolume),
                                 static_cast<uintptr_t>(game.Score),
                                 game.Silent,
                                 SoundWaits(),
                                 game.KeptGame.has_value(),
                                 game.KeptGame ? static_cast<uintptr_t>(game.KeptGame->Level) : 0,
                                 game.KeptGame ? static_cast<uintptr_t>(game.KeptGame->Score) : 0};
    for (const TfwSDLImage* image : {game.Splash, game.Logo}) {
        const SDL_Surface* s = image != nullptr ? image->Surface : nullptr;
        key.insert(key.end(), {reinterpret_cast<uintptr_t>(image), reinterpret_cast<uintptr_t>(s),
                               s != nullptr ? s->flags : 0, s != nullptr ? s->format->alpha : 0u,
                               s != nullptr ? s->format->colorkey : 0});
    }
    for (const TfwFont* font : {game.F1, game.F2, game.F3})
        key.insert(key.end(), {reinterpret_cast<uintptr_t>(font),
                               reinterpret_cast<uintptr_t>(font != nullptr ? font->Font : nullptr),
                               font != nullptr && font->Opened, font != nullptr && font->Blended});
    return key;
}

} // namespace

void TMiniGame::DrawTitle(SDL_Surface* surface) {
    DrawBackground(surface);
    auto text = [&](TfwFont* font, int32_t x, int32_t y, const std::string& s) {
        if (font != nullptr)
            font->DrawText(surface, x, y, s, kTextColour);
    };
    text(F1, 5, 44, "Tessaril - Version " TESSARIL_VERSION);
    text(F3, 5, 64, "Written by ");
    text(F3, 15, 82, "Orvin Tasker (Programming / GP2XWIZ)");
    text(F3, 15, 100, "Mabel Quorne (Programming / Art)");
    if (!KeptGame)
        text(F3, 15, 118, "The Internet (Sound)");
    // Without a sound device the desktop has no volume to tell; the handheld
    // keeps its volume line.
    text(F1, kVolumeLeft, kVolumeTop,
         Silent && !kHandheld ? std::string("Sound: off")
                              : "Volume: " + std::to_string(SoundVolume));
    if (!Silent && SoundWaits() && F1 != nullptr)
        text(F1, kVolumeLeft - kSoundHintGap - F1->TextWidth(kSoundHint), kVolumeTop, kSoundHint);
    const auto lines = TitleLines();
    const int32_t top = KeptGame ? kKeptEntriesTop : kHelpTop;
    if (Score > 0 && !KeptGame)
        text(F2, kHelpLeft, kLastScoreTop, "Last Score: " + std::to_string(Score));
    for (size_t i = 0; i < lines.size(); ++i) {
        const int32_t y = top + static_cast<int32_t>(i) * kHelpLineHeight;
        text(F2, kHelpLeft, y, lines[i].Text);
        if (KeptGame && lines[i].Entry == teStart && F2 != nullptr)
            text(F1, kHelpLeft + F2->TextWidth(lines[i].Text) + kNoteGap, y + 1, kDropsKeptGame);
    }
    const auto keys = KeyLines();
    for (size_t i = 0; i < keys.size(); ++i)
        text(F1, kKeyLinesLeft, kKeyLinesTop + static_cast<int32_t>(i) * kKeyLineHeight, keys[i]);
}

void TMiniGame::DrawHeadsUp(SDL_Surface* surface) {
    auto label = [&](TfwSDLImage* image, int32_t x) {
        if (image != nullptr)
            image->Draw(surface, x, 3);
    };
    label(PointsLabel, 5);
    DrawNumber(surface, 85, 2, std::to_string(Score), true);
    label(LivesLabel, 100);
    DrawNumber(surface, 130, 2, std::to_string(Lives), false);
    label(LevelLabel, 150);
    DrawNumber(surface, 180, 2, std::to_string(Level), false);
    if (GameKind == TGameKind::Relaxed)
        return; // no clock: nothing where it stands
    label(TimeLabel, 200);
    char time[32];
    std::snprintf(time, sizeof time, "%2d:%.2d", TimeLeft / 60, TimeLeft % 60);
    DrawNumber(surface, 260, 2, time, true);
}

void TMiniGame::DrawGoals(SDL_Surface* surface) {
    for (int32_t i = 1; i <= Colours && i <= kStoneImageCount; ++i) {
        TfwSDLImage* stone = StoneImages[static_cast<size_t>(i - 1)];
        const int32_t h = stone != nullptr ? stone->Height() : 0;
        DrawNumber(surface, 292, (h + 2) * (i - 1) + 23, std::to_string(Goals[i]), true);
        if (stone != nullptr)
            stone->Draw(surface, 295, (h + 2) * (i - 1) + 18);
    }
}

void TMiniGame::DrawGame(SDL_Surface* surface) {
    if (F3 != nullptr) {
        DrawHeadsUp(surface);
        DrawGoals(surface);
        DrawPauseSymbol(surface);
    }
    if (State != TGameState::gsPaused && Engine)
        Engine->DrawAll(surface, kBoardView);
}

namespace {

// Where the overlays stand on the screen.
constexpr int32_t kOverlayX = 10;
constexpr int32_t kOverlayY = 110;

// The lettering of this build's overlay picture id; nullptr for none.
const TOverlayLettering* LetteringOf(TMediaId id) {
    for (const TOverlayLettering& o : kHandheld ? kHandheldOverlays : kDesktopOverlays)
        if (o.Id == id)
            return &o;
    return nullptr;
}

} // namespace

TMiniGame::TOverlay TMiniGame::OverlayOf(TGameState state) const {
    switch (state) {
    case TGameState::gsRetry:
        if (LifeLost == TLifeLost::OutOfTime)
            return {OutOfTimeImage, miOutOfTimeImage, Lives};
        if (LifeLost == TLifeLost::NoMoves)
            return {NoMovesImage, miNoMovesImage, Lives};
        [[fallthrough]]; // the restart key: the level is dealt again
    case TGameState::gsReady:
        return {PressKeyImage, miPressKey, Level};
    case TGameState::gsLevelDone:
        return {LevelDoneImage, miLevelDoneImage};
    case TGameState::gsPaused:
        return {PausedImage, miPaused};
    case TGameState::gsGameOver:
        return {GameOverImage, miGameOverImage};
    default:
        return {};
    }
}

void TMiniGame::DrawOverlay(SDL_Surface* surface) {
    if (!Board || Board->IsBusy())
        return;
    const TOverlay overlay = OverlayOf(State);
    if (overlay.Image == nullptr)
        return;
    overlay.Image->Draw(surface, kOverlayX, kOverlayY);
    // The number goes where the picture's lettering left room for it, in the
    // digits of its line.
    const TOverlayLettering* lettering = LetteringOf(overlay.Id);
    if (overlay.Number < 0 || lettering == nullptr || lettering->NumberX <= 0)
        return;
    const bool big = std::string(lettering->Big).find('#') != std::string::npos;
    DrawDigits(surface, OverlayDigits, big ? kOverlayBigDigits : kOverlaySmallDigits,
               kOverlayX + lettering->NumberX, kOverlayY + lettering->NumberY,
               std::to_string(overlay.Number));
}

void TMiniGame::DrawPauseSymbol(SDL_Surface* surface) {
    // Desktop play only, for the player (a click ends the demo anyway).
    const bool paused = State == TGameState::gsPaused;
    if (kHandheld || DemoMode || PauseSymbol == nullptr ||
        !(paused || State == TGameState::gsPlaying))
        return;
    PauseSymbol->Draw(surface, kPauseSymbolX, kPauseSymbolY, paused ? kPauseSymbolWidth : 0, 0,
                      kPauseSymbolWidth, kPauseSymbolHeight);
}

void TMiniGame::DrawTable(SDL_Surface* surface) {
    DrawBackground(surface);
    const THighscoreManager* table = TableOf(TableShown);
    if (table && Engine)
        table->DrawTable(surface, F1, 50, 230, 60, 15);
    if (table && !table->SaveError.empty() && F1 != nullptr)
        F1->DrawText(surface, 50, kUnsavedNoticeY, "The scores could not be saved!", kTextColour);
    // The handheld has one table, and its menu button is named nowhere.
    if (kHandheld || F1 == nullptr || F2 == nullptr)
        return;
    const auto kind = static_cast<size_t>(TableShown == TGameKind::Relaxed);
    F1->DrawText(surface, 50, kTableHelpY, kTableHelp[kind], kTextColour);
    F2->DrawText(surface, kTableHeadingX, kTableHeadingY, kTableHeading[kind], kTextColour);
}

void TMiniGame::DrawFrame(SDL_Surface* surface) {
    ClearScreen();
    switch (State) {
    case TGameState::gsTitle:
        TitlePicture.Draw(surface, TitleKey(*this), [this](SDL_Surface* s) { DrawTitle(s); });
        break;
    case TGameState::gsHighscores:
        DrawTable(surface);
        break;
    case TGameState::gsEnterName:
        DrawBackground(surface);
        if (NameEditor && Engine)
            NameEditor->Draw(surface);
        break;
    case TGameState::gsReady:
    case TGameState::gsPlaying:
    case TGameState::gsRetry:
    case TGameState::gsLevelDone:
    case TGameState::gsPaused:
    case TGameState::gsGameOver:
        DrawGame(surface);
        DrawOverlay(surface);
        break;
    default:
        break;
    }
}
