// One game's session: the variables of one game being played, timed or
// relaxed, and the rules that change only them. A plain value: the game owns
// one, the idle demo plays in it, a kept game is a copy of it. The start
// values are the members' defaults, and nowhere else.
#pragma once

#include "uLevelRules.h"

#include <array>
#include <cstdint>

// The two kinds of game: against the clock, or without it.
enum class TGameKind : uint8_t { Timed, Relaxed };

// Why the last life was lost; None while no life has been lost in the level
// being played (also after the restart key).
enum class TLifeLost : uint8_t { None, OutOfTime, NoMoves };

// Goals are indexed by stone kind, 1 .. 32 (entry 0 unused).
inline constexpr int32_t kGoalKinds = 32;
using TGoals = std::array<int32_t, kGoalKinds + 1>;

struct TGameSession {
    TGameKind Kind = TGameKind::Timed;
    int32_t Level = 1;
    int32_t Score = 0;       // stops at INT32_MAX, never wraps
    int32_t ScoreAtDeal = 0; // Score when the level was last dealt
    int32_t Lives = kStartLives;
    int32_t TimeLeft = LevelSeconds(1); // seconds; the relaxed game's stands still
    int32_t Colours = LevelColours(1);
    TGoals Goals{}; // stones of each kind still asked for
    // The cursor's cell, and the selected one (-1: none).
    int32_t CursorCol = 0;
    int32_t CursorRow = 0;
    int32_t SelCol = -1;
    int32_t SelRow = -1;
    TLifeLost LifeLost = TLifeLost::None; // the retry and game over screens tell it

    // A new game of a kind at level 1, before its first deal.
    static TGameSession NewGame(TGameKind kind);
    // Level n's start on a board of width x height: its clock, colours and
    // goals, the cursor in the middle, nothing selected, the score kept as
    // the score of the deal.
    void BeginLevel(int32_t n, int32_t width, int32_t height);
    // The cursor in the middle of a board of width x height, nothing
    // selected, no life lost: how a level starts, and a kept game goes on.
    void CentreCursor(int32_t width, int32_t height);
    // The clock's second: the timed game's clock counts down, the relaxed
    // game has none.
    void ClockSecond();
    // The hint's price: seconds in the timed game, points in the relaxed
    // one, never below 0.
    void PayForHint();
    // A stone of kind taken off the board: its points and its goal.
    void StoneTaken(int32_t kind);
    // The bonus for a completed level.
    void LevelCompleted();
    // One life less; true while lives remain.
    bool LoseLife();
    // The level dealt again by the restart key: the score of the deal, a
    // restart never pays.
    void RestartToDeal() { Score = ScoreAtDeal; }
    bool AllGoalsMet() const;
    // Has the timed game's clock run out?
    bool OutOfTime() const { return Kind == TGameKind::Timed && TimeLeft <= 0; }
};
