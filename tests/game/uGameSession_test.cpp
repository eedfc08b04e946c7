// One game's session as a value, and the kept game's codec over it.
#include "uGameSession.h"
#include "uSaveGame.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// A kept game of level 2 on a 10 x 8 board, as the game writes it.
TSavedGame KeptLevel2() {
    TSavedGame game;
    game.Session = TGameSession::NewGame(TGameKind::Relaxed);
    game.Session.Score = 600;
    game.Session.BeginLevel(2, 10, 8);
    game.Session.Goals[3] = 1;
    game.Kinds.assign(8, std::vector<int32_t>(10, 2));
    return game;
}

} // namespace

// The score stops at its largest value instead of wrapping; the hint costs
// time in the timed game and points (down to 0) in the relaxed one.
TEST(GameSession, PointsAndPricesStayInRange) {
    TGameSession s = TGameSession::NewGame(TGameKind::Timed);
    s.BeginLevel(1, 10, 8);
    s.Score = INT32_MAX - 10;
    s.StoneTaken(3);
    EXPECT_EQ(INT32_MAX, s.Score);
    s.LevelCompleted();
    EXPECT_EQ(INT32_MAX, s.Score);
    s.TimeLeft = 4;
    s.PayForHint();
    EXPECT_EQ(0, s.TimeLeft);
    s.Kind = TGameKind::Relaxed;
    s.Score = 60;
    s.PayForHint();
    EXPECT_EQ(0, s.Score);
}

// The file as an editor may leave it (a byte-order mark, CR LF, blanks at
// line ends, blank lines at the end) reads as the game wrote it; a score
// beyond what a game can reach is refused.
TEST(GameSession, KeptGamesReadAsEditorsLeaveThem) {
    const TSavedGame game = KeptLevel2();
    const std::string text = FormatSavedGame(game);
    std::string edited = "\xEF\xBB\xBF";
    for (char c : text)
        if (c != '\r')
            edited += c == '\n' ? std::string("  \r\n") : std::string(1, c);
    for (const std::string& variant : {text, edited, text + "\n\n", text + " \t"}) {
        TSavedGame back;
        EXPECT_EQ("", ParseSavedGame(variant, 10, 8, back));
        EXPECT_TRUE(back == game);
        EXPECT_EQ(5, back.Session.CursorCol) << "a kept game goes on with the cursor in the middle";
    }
    std::string huge = text;
    huge.replace(huge.find("score 600"), 9, "score 2147483648");
    TSavedGame back;
    EXPECT_NE("", ParseSavedGame(huge, 10, 8, back));
}
