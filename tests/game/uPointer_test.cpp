// The game played with the mouse and a gamepad on the desktop, in the game
// harness, with mouse and joystick events queued as a device would queue them.
#include "tessaril.h"

#include "fwConfig.h"
#include "fwSprite.h"
#include "game/gamefixture.h"
#include "testutil.h"
#include "uHighscore.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr int32_t kPitch = 26;               // a 24-pixel stone and a 2-pixel gap
constexpr int32_t kBoardX = 5, kBoardY = 18; // the top left stone on the picture

// Kinds 1 to 4 in 2 by 2 blocks (no run, no move), then row 4 changed so that
// (5,4) and (6,4) exchanged make a run of three and (5,4), (5,5) make none.
int32_t Kind(int32_t col, int32_t row) {
    if (row == 4 && col == 8)
        return 2;
    if (row == 4 && col == 9)
        return 5;
    return 1 + col % 2 + 2 * (row % 2);
}

class PointerPad : public TessarilGame {
protected:
    void SetUp() override { Start(); }

    // Frames until the board is idle, then no clock tick in the next frames.
    void Settle() {
        TessarilGame::Settle();
        HoldSecond();
    }

    // The window position of a picture pixel.
    int32_t WindowX(int32_t px) const { return game->PictureX + px * game->Scale; }
    int32_t WindowY(int32_t py) const { return game->PictureY + py * game->Scale; }
    // Button down and up at picture pixel (px, py), then a frame.
    void ClickAt(int32_t px, int32_t py, uint8_t button = SDL_BUTTON_LEFT) {
        PushMouseButton(button, true, WindowX(px), WindowY(py));
        PushMouseButton(button, false, WindowX(px), WindowY(py));
        Frame();
    }
    // Near the bottom right of a stone, so that a wrong pitch or offset misses.
    void Click(int32_t col, int32_t row) {
        ClickAt(kBoardX + col * kPitch + 23, kBoardY + row * kPitch + 23);
    }
    void Drag(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
        PushMouseButton(SDL_BUTTON_LEFT, true, WindowX(kBoardX + col1 * kPitch + 12),
                        WindowY(kBoardY + row1 * kPitch + 12));
        Frame();
        PushMouseButton(SDL_BUTTON_LEFT, false, WindowX(kBoardX + col2 * kPitch + 12),
                        WindowY(kBoardY + row2 * kPitch + 12));
        Frame();
    }
    void PadButton(uint8_t button) {
        PushJoyButton(button, true);
        PushJoyButton(button, false);
        Frame();
    }

    // Title, select, select: play on the arranged, settled board.
    void StartPlaying() {
        TessarilGame::StartPlaying();
        ArrangeBoard();
    }
    void ArrangeBoard() {
        Arrange(Kind);
        ASSERT_FALSE(game->Board()->IsBusy());
        ASSERT_TRUE(game->Board()->IsValidSwap(5, 4, 6, 4));
        HoldSecond();
    }

    bool Selected(int32_t col, int32_t row) const {
        return game->Selection()->Shown() && game->SelCol == col && game->SelRow == row;
    }
    bool CursorAt(int32_t col, int32_t row) const {
        return game->CursorCol == col && game->CursorRow == row;
    }
    bool Unchanged() const {
        for (int32_t c = 0; c < game->Board()->Width; ++c)
            for (int32_t r = 0; r < game->Board()->Height; ++r)
                if (game->Board()->KindAt(game->Board()->Cells, c, r) != Kind(c, r))
                    return false;
        return true;
    }
    // After an accepted swap the exchanged stones are cleared and the score rises.
    void ExpectSwapScored() {
        EXPECT_TRUE(game->Board()->IsBusy()) << "the swap runs";
        EXPECT_FALSE(game->Selection()->Shown());
        Settle();
        EXPECT_GE(game->Score, 75);
    }
};

// The handheld has neither mouse nor this pad layout: such events change nothing.
class DesktopPointerPad : public PointerPad {
protected:
    void SetUp() override {
        if constexpr (kHandheld)
            GTEST_SKIP() << "desktop only";
        PointerPad::SetUp();
    }
};

} // namespace

TEST_F(DesktopPointerPad, ClicksSelectRefuseAndSwapAsTheSelectKey) {
    StartPlaying();
    Click(5, 4);
    EXPECT_TRUE(Selected(5, 4));
    Click(5, 5); // a neighbour whose exchange makes no run
    EXPECT_FALSE(game->Selection()->Shown());
    EXPECT_TRUE(CursorAt(5, 5));
    EXPECT_TRUE(game->Board()->IsBusy()) << "the refused stones move out and back";
    Settle();
    EXPECT_TRUE(Unchanged());
    EXPECT_EQ(0, game->Score);

    Click(5, 4);
    Click(5, 4);
    EXPECT_FALSE(game->Selection()->Shown()) << "a click on the selected stone drops it";
    Click(5, 4);
    Click(6, 4);
    ExpectSwapScored();
}

TEST_F(DesktopPointerPad, AClickOnAFarStoneMovesTheSelectionThereAndOffTheBoardDoesNothing) {
    StartPlaying();
    Click(5, 4);
    Click(0, 7);
    EXPECT_TRUE(Selected(0, 7));
    EXPECT_TRUE(CursorAt(0, 7));
    EXPECT_FALSE(game->Board()->IsBusy());
    ClickAt(kBoardX + 10 * kPitch + 3, 100); // right of the board
    ClickAt(100, kBoardY - 1);               // above it
    ClickAt(kBoardX - 1, 100);               // left of it
    EXPECT_TRUE(Selected(0, 7));
    EXPECT_TRUE(CursorAt(0, 7));
    Click(9, 0);
    EXPECT_TRUE(Selected(9, 0));
    EXPECT_TRUE(Unchanged());
}

TEST_F(DesktopPointerPad, ADragOntoANeighbourSwaps) {
    StartPlaying();
    Drag(5, 4, 7, 4); // released two cells away: only the press's selection
    EXPECT_TRUE(Selected(5, 4));
    EXPECT_FALSE(game->Board()->IsBusy());
    Drag(5, 4, 6, 4); // from the selected stone: swaps instead of dropping it
    ExpectSwapScored();
}

TEST_F(DesktopPointerPad, AFreshDragSwapsAndAClickOnABusyBoardIsLost) {
    StartPlaying();
    Drag(6, 4, 5, 4);
    ASSERT_TRUE(game->Board()->IsBusy());
    Click(2, 2);
    EXPECT_FALSE(game->Selection()->Shown());
    EXPECT_FALSE(CursorAt(2, 2));
    Settle();
    Frame();
    EXPECT_FALSE(game->Selection()->Shown()) << "the lost click does not come back";
    EXPECT_GE(game->Score, 75);
}

TEST_F(DesktopPointerPad, ClicksMapThroughScale3AndTheFullscreenBorder) {
    game->Scale = 3;
    game->PictureX = 160;
    game->PictureY = 120;
    PushMouseButton(SDL_BUTTON_LEFT, true, 100, 300); // on the border
    Frame();
    EXPECT_EQ(TGameState::gsTitle, game->State());
    ClickAt(319, 239); // off the menu's entries
    EXPECT_EQ(TGameState::gsTitle, game->State());
    ClickAt(20, 64); // its new game
    EXPECT_EQ(TGameState::gsReady, game->State());
    Settle();
    ClickAt(0, 0);
    ASSERT_EQ(TGameState::gsPlaying, game->State());
    ArrangeBoard();
    Click(6, 4);
    EXPECT_TRUE(Selected(6, 4));
    PushMouseButton(SDL_BUTTON_LEFT, true, WindowX(kBoardX + 5 * kPitch + 12), 119);
    Frame(); // above the picture, over column 5
    EXPECT_TRUE(Selected(6, 4));
    Click(5, 4);
    ExpectSwapScored();
}

TEST_F(DesktopPointerPad, TheRightButtonCostsTenSecondsAndBlinksTheHint) {
    StartPlaying();
    game->TimeLeft = 25;
    ClickAt(300, 200, SDL_BUTTON_RIGHT);
    EXPECT_EQ(15, game->TimeLeft);
    EXPECT_GT(game->Board()->StoneAt(5, 4)->BlinkCycles, 0);
    EXPECT_GT(game->Board()->StoneAt(6, 4)->BlinkCycles, 0);
    EXPECT_EQ(0, game->Board()->StoneAt(0, 0)->BlinkCycles);
    PushKeyDown(SDLK_ESCAPE); // any frame with a key: the right button alone counts once
    SetKeyDown(SDLK_ESCAPE, false);
    Frame();
    EXPECT_EQ(15, game->TimeLeft);
}

// A finger (the web page's touch screen) on the stones acts when it lifts; one
// held still on its stone for kHintHoldMs asks for the hint instead and
// neither selects nor swaps. Each row: held on (5, 4) for ms, moved to (col,
// row) at once, lifted there.
TEST_F(DesktopPointerPad, AFingerActsWhenItLiftsAndOneHeldStillGivesTheHint) {
    const uint32_t hold = kHintHoldMs;
    const struct {
        const char* what;
        uint32_t ms;
        int32_t col, row;
        bool hinted, selected, swapped;
    } rows[] = {
        {"held still", hold, 5, 4, true, false, false},
        {"lifted just before", hold - kFrameMs, 5, 4, false, true, false},
        {"swiped onto the neighbour and held", 2 * hold, 6, 4, false, false, true},
        {"moved off the board and back, then lifted", 2 * hold, -1, 4, false, true, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        StartPlaying();
        game->TimeLeft = 25;
        const auto at = [this](int32_t c, int32_t row, auto push) {
            push(WindowX(kBoardX + c * kPitch + 12), WindowY(kBoardY + row * kPitch + 12));
        };
        at(5, 4, [](int32_t x, int32_t y) { PushTouch(true, x, y); });
        Frame();
        at(r.col, r.row, [](int32_t x, int32_t y) { PushTouchMove(x, y); });
        if (r.col < 0)
            at(5, 4, [](int32_t x, int32_t y) { PushTouchMove(x, y); });
        for (const uint32_t start = fwGetTicks(); fwGetTicks() - start < r.ms;) {
            HoldSecond(); // the clock of the level stands still
            Frame();
        }
        at(r.col < 0 ? 5 : r.col, r.row, [](int32_t x, int32_t y) { PushTouch(false, x, y); });
        Frame();
        EXPECT_EQ(r.hinted ? 15 : 25, game->TimeLeft);
        EXPECT_EQ(r.hinted, game->Board()->StoneAt(5, 4)->BlinkCycles > 0);
        EXPECT_EQ(r.selected, Selected(5, 4));
        if (r.swapped)
            ExpectSwapScored();
        else
            EXPECT_TRUE(Unchanged());
        Press(TAction::Leave); // back to the title for the next row
        Settle();
    }
}

// From a finger's press until the next key pressed on a keyboard the game
// plays by touch (the screens name taps); the phone's keyboard's keys, which
// type the name, leave it so.
TEST_F(DesktopPointerPad, ThePlayerPlaysByTouchFromAFingerUntilTheNextKey) {
    EXPECT_FALSE(game->TouchPlayer);
    PushTouch(true, WindowX(10), WindowY(10));
    PushTouch(false, WindowX(10), WindowY(10));
    Frame();
    EXPECT_TRUE(game->TouchPlayer);
    SDL_Event phoneKey = {};
    phoneKey.type = SDL_KEYDOWN;
    phoneKey.key.which = kfwTouchDevice;
    phoneKey.key.keysym.sym = SDLK_q;
    SDL_PushEvent(&phoneKey);
    Frame();
    EXPECT_TRUE(game->TouchPlayer);
    PushKeyDown(SDLK_q);
    Frame();
    EXPECT_FALSE(game->TouchPlayer);
}

TEST_F(DesktopPointerPad, TheHatAndTheStickMoveTheCursorOncePerPress) {
    StartPlaying();
    ASSERT_TRUE(CursorAt(5, 4));
    PushJoyHat(SDL_HAT_RIGHT);
    Frames(10);
    EXPECT_TRUE(CursorAt(6, 4)) << "held for ten frames: one step";
    PushJoyHat(SDL_HAT_CENTERED);
    Frame();
    PushJoyHat(SDL_HAT_LEFTUP);
    Frame();
    EXPECT_TRUE(CursorAt(5, 3));
    PushJoyHat(SDL_HAT_CENTERED);
    Frame();

    PushJoyAxis(1, 8000); // inside the dead zone
    Frames(5);
    EXPECT_TRUE(CursorAt(5, 3));
    PushJoyAxis(1, 20000);
    Frame();
    PushJoyAxis(1, 32767); // further in the same direction: the same press
    Frames(5);
    EXPECT_TRUE(CursorAt(5, 4));
    PushJoyAxis(1, 0);
    Frame();
    PushJoyAxis(0, -32768);
    Frame();
    EXPECT_TRUE(CursorAt(4, 4));
}

TEST_F(DesktopPointerPad, PadButtonsStartPauseAndConfirm) {
    PadButton(6);
    EXPECT_EQ(TGameState::gsTitle, game->State()) << "the restart button: nothing on the title";
    PadButton(0);
    EXPECT_EQ(TGameState::gsReady, game->State()) << "button 0 on the title starts a game";
    Settle();
    PadButton(0);
    ASSERT_EQ(TGameState::gsPlaying, game->State());
    PadButton(7);
    EXPECT_EQ(TGameState::gsPaused, game->State());
    PadButton(7);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    PadButton(1);
    EXPECT_EQ(TGameState::gsTitle, game->State()) << "button 1 is the quit key";
    PadButton(3);
    ASSERT_EQ(TGameState::gsHighscores, game->State()) << "button 3 shows the table";
    PadButton(7);
    Frame();
    EXPECT_EQ(TGameState::gsTitle, game->State()) << "button 7 is Return on the table";
}

TEST_F(DesktopPointerPad, AClickIsEachScreensConfirmKey) {
    ClickAt(20, 64); // the title's new game
    ASSERT_EQ(TGameState::gsReady, game->State()) << "the title starts a game";
    Settle();
    ClickAt(160, 120);
    ASSERT_EQ(TGameState::gsPlaying, game->State()) << "ready starts play";

    game->Lives = 0;
    Frame();
    PassGameOver();
    ASSERT_EQ(TGameState::gsEnterName, game->State()); // no table file: every score enters
    ClickAt(160, 120);
    Frames(2);
    EXPECT_EQ(TGameState::gsEnterName, game->State()) << "the name entry keeps the keyboard";
    PadButton(7);
    Frame();
    ASSERT_EQ(TGameState::gsHighscores, game->State()) << "button 7 is Return in the name entry";
    ClickAt(160, 120);
    Frame();
    ASSERT_EQ(TGameState::gsTitle, game->State()) << "the table takes a click as Return";

    ClickAt(20, 64); // the title's new game
    Settle();
    ClickAt(160, 120);
    Press(TAction::Restart);
    ASSERT_EQ(TGameState::gsRetry, game->State());
    Settle();
    ClickAt(160, 120);
    EXPECT_EQ(TGameState::gsPlaying, game->State()) << "retry deals the level again";
    Settle();

    for (int k = 1; k <= game->Colours; ++k)
        game->Goals[k] = 0;
    Frame();
    ASSERT_EQ(TGameState::gsLevelDone, game->State());
    Settle();
    ClickAt(160, 120);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(2, game->Level) << "level done starts the next level";
    Settle();

    for (int i = 0; i < 10; ++i)
        game->Highscores()->AddScore("BEST", 1000000 + i, 1, 1);
    game->Lives = 0;
    Frame();
    ASSERT_EQ(TGameState::gsGameOver, game->State());
    ClickAt(160, 120);
    EXPECT_EQ(TGameState::gsTitle, game->State()) << "game over returns to the title";
}

// Screen x click -> result: each row starts a fresh game, brings it to the
// screen, presses (and lets go) one button at a picture pixel and checks the
// state after, whether the program ends, and the name entry's cursor and name.
TEST_F(DesktopPointerPad, EveryScreensClickTargets) {
    using S = TGameState;
    struct TRow {
        S From;
        int32_t X, Y;
        uint8_t Button;
        S To;
        int32_t Cursor = 1;    // in the name entry, which opens at 1
        const char* Name = ""; // in the name entry
        bool Quits = false;
        bool Kept = false; // a game left in play is kept
    };
    constexpr uint8_t L = SDL_BUTTON_LEFT, Up = SDL_BUTTON_WHEELUP, Dn = SDL_BUTTON_WHEELDOWN;
    const TRow rows[] = {
        {S::gsTitle, 160, 120, L, S::gsTitle},             // off the entries: nothing
        {S::gsTitle, 20, 64, L, S::gsReady},               // the new game entry
        {S::gsTitle, 60, 78, L, S::gsReady},               // the relaxed entry
        {S::gsTitle, 20, 92, L, S::gsHighscores},          // the high scores entry
        {S::gsTitle, 20, 106, L, S::gsOptions},            // the options
        {S::gsTitle, 20, 120, L, S::gsHowToPlay},          // how to play
        {S::gsTitle, 12, 134, L, S::gsTitle, 1, "", true}, // the quit entry
        {S::gsTitle, 90, 134, L, S::gsTitle},              // right of it
        {S::gsTitle, 160, 120, Up, S::gsTitle},
        {S::gsTitle, 160, 100, L, S::gsTitle, 1, "", false, true},    // off the entries: nothing
        {S::gsTitle, 20, 64, L, S::gsReady, 1, "", false, true},      // the continue entry
        {S::gsTitle, 20, 78, L, S::gsReady, 1, "", false, true},      // new game below it
        {S::gsKeptGames, 40, 96, L, S::gsReady, 1, "", false, true},  // the kept game's row
        {S::gsKeptGames, 300, 96, L, S::gsTitle, 1, "", false, true}, // right of its text
        {S::gsKeptGames, 40, 96, Dn, S::gsKeptGames, 1, "", false, true}, // the wheel: no take
        {S::gsPlaying, 307, 8, L, S::gsPaused},                           // the pause symbol
        {S::gsPlaying, 319, 16, L, S::gsPaused},                          // the corner of its area
        {S::gsPlaying, 286, 8, L, S::gsPlaying},                          // left of it
        {S::gsPlaying, 307, 20, L, S::gsPlaying},                         // below it
        {S::gsPaused, 160, 120, L, S::gsPlaying},
        {S::gsPaused, 307, 8, L, S::gsPlaying},
        {S::gsPaused, 160, 120, Dn, S::gsPaused},
        {S::gsPaused, 160, 176, L, S::gsOptions}, // its options line
        {S::gsHighscores, 160, 120, L, S::gsTitle},
        {S::gsHighscores, 100, 222, L, S::gsHighscores}, // the last line: the other table
        {S::gsEnterName, 160, 60, Up, S::gsEnterName, 1, "A         "},
        {S::gsEnterName, 160, 60, Dn, S::gsEnterName, 1, ":         "},
        {S::gsEnterName, 117, 110, L, S::gsEnterName, 4}, // the fourth place
        {S::gsEnterName, 225, 110, L, S::gsEnterName},    // beside the places
        {S::gsEnterName, 150, 157, L, S::gsHighscores},   // the confirm line
        {S::gsEnterName, 150, 170, L, S::gsEnterName},    // the line below
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        Stop();
        std::remove("settings.txt"); // the last row's name is not offered again
        for (int32_t slot = 0; slot < kKeptGameSlots; ++slot)
            std::remove(KeptGameFile(slot).c_str()); // the games kept by the rows before
        Start(false);
        game->NameEditor()->CursorPos = 1;
        if (row.Kept) {
            StartPlaying();
            Press(TAction::Leave);
        }
        if (row.From == S::gsHighscores)
            Press(TAction::Highscores);
        else if (row.From == S::gsKeptGames)
            game->SetState(S::gsKeptGames);
        else if (row.From != S::gsTitle)
            StartPlaying();
        if (row.From == S::gsPaused)
            Press(TAction::Pause);
        if (row.From == S::gsEnterName) {
            game->Lives = 0;
            Frame(); // no table file: every score enters
            PassGameOver();
        }
        ASSERT_EQ(row.From, game->State());
        ClickAt(row.X, row.Y, row.Button);
        Frame(); // the high score scenes' results are taken in the next frame
        EXPECT_EQ(row.To, game->State());
        EXPECT_EQ(row.Quits, game->Terminated);
        const bool offered = row.To == S::gsTitle || row.To == S::gsKeptGames;
        EXPECT_EQ(row.Kept && offered, !game->Kept.empty());
        if (row.To == S::gsEnterName) {
            EXPECT_EQ(row.Cursor, game->NameEditor()->CursorPos);
            EXPECT_EQ(row.Name, game->NameEditor()->Name);
        }
    }
}

TEST_F(PointerPad, TheHandheldIgnoresTheMouseAndThePadLayout) {
    if constexpr (!kHandheld)
        GTEST_SKIP() << "handheld only";
    ClickAt(160, 120);
    PadButton(0); // the desktop pad's select
    EXPECT_EQ(TGameState::gsTitle, game->State());
    PushJoyHat(SDL_HAT_UP);
    Frame();
    EXPECT_EQ(0, game->Keys[SDLK_UP]);
    EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
}
