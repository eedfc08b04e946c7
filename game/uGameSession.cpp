// The rules of one game's session: see uGameSession.h.
#include "uGameSession.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int32_t kStoneScore = 25;
constexpr int32_t kLevelBonus = 250; // times the level
// A hint costs seconds in the timed game, points in the relaxed one.
constexpr int32_t kHintCost = 10;
constexpr int32_t kRelaxedHintCost = 100;

// Points added to a score that stops at its largest value instead of wrapping.
int32_t AddPoints(int32_t score, int64_t points) {
    return static_cast<int32_t>(std::min<int64_t>(score + points, INT32_MAX));
}

} // namespace

TGameSession TGameSession::NewGame(TGameKind kind) {
    TGameSession session;
    session.Kind = kind;
    return session;
}

void TGameSession::CentreCursor(int32_t width, int32_t height) {
    CursorCol = width / 2;
    CursorRow = height / 2;
    SelCol = -1;
    SelRow = -1;
    LifeLost = TLifeLost::None;
}

void TGameSession::BeginLevel(int32_t n, int32_t width, int32_t height) {
    CentreCursor(width, height);
    Level = n;
    ScoreAtDeal = Score;
    TimeLeft = LevelSeconds(n);
    Goals.fill(0);
    for (int32_t k = 1; k <= kGoalKinds; ++k)
        Goals[static_cast<size_t>(k)] = LevelGoal(n);
    Colours = LevelColours(n);
}

void TGameSession::ClockSecond() {
    if (Kind == TGameKind::Timed)
        --TimeLeft;
}

void TGameSession::PayForHint() {
    if (Kind == TGameKind::Relaxed)
        Score = std::max(Score - kRelaxedHintCost, 0);
    else
        TimeLeft = std::max(TimeLeft - kHintCost, 0);
}

void TGameSession::StoneTaken(int32_t kind) {
    if (kind < 0 || kind > kGoalKinds)
        return;
    int32_t& goal = Goals[static_cast<size_t>(kind)];
    goal = std::max(goal - 1, 0);
    Score = AddPoints(Score, kStoneScore);
}

void TGameSession::LevelCompleted() {
    Score = AddPoints(Score, int64_t{Level} * kLevelBonus);
}

bool TGameSession::LoseLife() {
    --Lives;
    return Lives > 0;
}

bool TGameSession::AllGoalsMet() const {
    for (int32_t k = 1; k <= Colours && k <= kGoalKinds; ++k)
        if (Goals[static_cast<size_t>(k)] > 0)
            return false;
    return true;
}
