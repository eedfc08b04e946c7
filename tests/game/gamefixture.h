// The game run headless for tests: the real TMiniGame on SDL's dummy drivers,
// stepped frame by frame as the main loop steps it, on a fake clock of one
// frame period a frame, with keys held as SDL sees them and every sound it
// plays recorded.
#pragma once

#include "tessaril.h"

#include "fwGameApp.h"
#include "fwLog.h"
#include "fwSound.h"
#include "fwSprite.h"
#include "testutil.h"
#include "uControls.h"
#include "uHighscore.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

inline constexpr uint32_t kSeed = 1234;
inline constexpr uint32_t kFrameMs = kfwFramePeriodMs;

// The game with a mark on the stretch of the frame in which it handles keys:
// a wait there is the game waiting for a key's release.
// Also records the icon handed to the window manager.
class TProbeGame : public TMiniGame {
public:
    using TMiniGame::TMiniGame;
    void ProcessFrame(SDL_Surface* surface) override {
        Processing = true;
        TMiniGame::ProcessFrame(surface);
        Processing = false;
        ++Frames;
    }
    void SetWindowIcon(SDL_Surface* icon) override {
        IconSize = icon->w;
        IconBeforeWindow = Screen == nullptr;
        TMiniGame::SetWindowIcon(icon);
    }
    // The game's variables under their own names, through its public faces:
    // the session and the screens' context.
    TScreenContext& Ctx = Context();
    TGameKind& GameKind = Session().Kind;
    TGameKind& TableShown = Ctx.Tables.Shown;
    std::vector<TKeptOffer>& Kept = Ctx.Kept.Offers;
    int32_t& Score = Session().Score;
    int32_t& Lives = Session().Lives;
    int32_t& Level = Session().Level;
    int32_t& TimeLeft = Session().TimeLeft;
    TLifeLost& LifeLost = Session().LifeLost;
    int32_t& Colours = Session().Colours;
    TGoals& Goals = Session().Goals;
    int32_t& CursorCol = Session().CursorCol;
    int32_t& CursorRow = Session().CursorRow;
    int32_t& SelCol = Session().SelCol;
    int32_t& SelRow = Session().SelRow;
    bool& AutoPlay = Ctx.Mode.AutoPlay;
    bool& DemoMode = Ctx.Mode.Demo;
    int32_t& IdleSeconds = Ctx.Mode.IdleSeconds;
    int32_t& SoundVolume = Ctx.Sounds.Effects;
    int32_t& MusicVolume = Ctx.Sounds.Music;
    std::string& LastName = Ctx.Tables.LastName;
    THighscoreManager* Highscores() const { return Ctx.Tables.Timed(); }
    THighscoreManager* RelaxedHighscores() const { return Ctx.Tables.Relaxed(); }
    THighscoreEditor* NameEditor() const { return Ctx.Tables.Editor(); }
    TfwSprite* Cursor() const { return Ctx.View.Cursor; }
    TfwSprite* Selection() const { return Ctx.View.Selection; }
    TfwSpriteEngine* Engine() const { return Ctx.View.Engine; }
    // The state changed as a move changes it: the screens change at the frame's end.
    void SetState(TGameState state) { Ctx.States.Set(state); }
    bool Processing = false;
    int Frames = 0;                // frames run
    int IconSize = 0;              // 0: no icon was given
    bool IconBeforeWindow = false; // given before the first video mode
};

// One sound as the game asked for it.
struct TPlayed {
    const TfwSDLSound* Sound;
    int32_t Volume;
    bool operator==(const TPlayed& o) const { return Sound == o.Sound && Volume == o.Volume; }
};

class TessarilGame : public ::testing::Test {
protected:
    void TearDown() override { Stop(); }

    // The repository's media as data/ of the working folder.
    static void LinkData() { ASSERT_EQ(0, symlink(SourcePath("data").c_str(), "data")); }

    // A data/ tree of the given parts of the repository's media.
    static void LinkDataParts(std::initializer_list<const char*> parts) {
        ASSERT_EQ(0, mkdir("data", 0755));
        for (const char* part : parts)
            ASSERT_EQ(0, symlink(SourcePath(std::string("data/") + part).c_str(),
                                 (std::string("data/") + part).c_str()));
    }

    // Constructs and initialises the game as the program body does.
    void Start(bool linkData = true) {
        if (linkData) {
            LinkData();
            if (HasFatalFailure())
                return;
        }
        logBase_ = Log().LinesWritten();
        game = std::make_unique<TProbeGame>(fwParseCommandLine(Args));
        game->Init(true);
        game->SecondMark = fwGetTicks(); // as Run does before its first iteration
        ASSERT_NE(nullptr, game->Board());
        game->Board()->FixSeed(kSeed);
        game->Ctx.Sounds.OnPlay = [this](const TfwSDLSound* s, int32_t v) {
            Played.push_back({s, v});
        };
        // The player lets go of the keys when the game waits for that.
        clock.OnDelay = [this] {
            if (game == nullptr || !game->Processing || held_.empty())
                return;
            ReleaseHeld();
            Taken = true;
        };
    }

    // Ends the game as the end of the main loop and the program body do.
    void Stop() {
        if (game == nullptr)
            return;
        ReleaseAllKeys();
        game->DoneGame();
        Mix_CloseAudio();
        game.reset();
    }

    // One iteration of the main loop, padded as Run pads it.
    void Frame() {
        game->RunIteration();
        if (game->FrameTime < kFrameMs)
            fwDelay(kFrameMs - game->FrameTime);
    }

    void Frames(int n) {
        for (int i = 0; i < n; ++i)
            Frame();
    }

    // The key (or the action's key) goes down as SDL sees it (key state and event) for one
    // frame and is let go when the game waits for that (Taken) or else after the frame.
    void Press(int32_t key) {
        Taken = false;
        SetKeyDown(static_cast<SDLKey>(key), true);
        PushKeyDown(static_cast<SDLKey>(key));
        held_.push_back(static_cast<SDLKey>(key));
        Frame();
        ReleaseHeld();
    }
    void Press(TAction action) { Press(ActionKey(action)); }

    // The action's first key in this configuration's default bindings; -1 for none.
    static int32_t KeyOf(TAction action) {
        for (const TfwBinding& b : TControls().FrameBindings())
            if (b.Action == ActionId(action) && b.Key >= 0)
                return b.Key;
        return -1;
    }
    // The action's key in this configuration's binding table; none there fails the test.
    static SDLKey ActionKey(TAction action) {
        EXPECT_GE(KeyOf(action), 0) << "no key here for action " << ActionId(action);
        return KeyOf(action) < 0 ? SDLK_UNKNOWN : static_cast<SDLKey>(KeyOf(action));
    }

    void ReleaseHeld() {
        for (SDLKey key : held_)
            SetKeyDown(key, false);
        held_.clear();
    }

    // Frames until the board is idle; their number.
    int Settle(int limit = 2000) {
        int n = 0;
        while (game->Board()->IsBusy() && n < limit) {
            Frame();
            ++n;
        }
        return n;
    }

    // The end of the playing track as the mixer reports it (a halt alone
    // reports nothing).
    void EndTrack() {
        game->Music()->Stop(0);
        game->MusicFinished();
    }

    // Frames while "GAME OVER" is shown before a name entry (up to two seconds).
    void PassGameOver() {
        for (int n = 0;
             game->State() == TGameState::gsGameOver && n < static_cast<int>(2000 / kFrameMs); ++n)
            Frame();
    }

    // No once-a-second tick within the next 55 frames.
    void HoldSecond() { game->SecondMark = fwGetTicks(); }

    // Idle frames on the title until the demo starts; the one-second ticks
    // they took.
    int TicksUntilDemo() {
        int ticks = 0;
        for (int frames = 0; !game->DemoMode && frames < 2000; ++frames) {
            const uint32_t mark = game->SecondMark;
            Frame();
            ticks += game->SecondMark != mark ? 1 : 0;
        }
        return ticks;
    }

    // Title, new game (the handheld's select), select: a game in play on a
    // settled board.
    void StartPlaying() {
        Press(kHandheld ? TAction::Select : TAction::NewGame);
        ASSERT_EQ(TGameState::gsReady, game->State());
        Press(KeyOf(TAction::Select));
        ASSERT_EQ(TGameState::gsPlaying, game->State());
        Settle();
        ASSERT_FALSE(game->Board()->IsBusy());
        HoldSecond();
    }

    void Arrange(const std::function<int32_t(int32_t, int32_t)>& kind) {
        for (int32_t c = 0; c < game->Board()->Width; ++c)
            for (int32_t r = 0; r < game->Board()->Height; ++r)
                ASSERT_NE(nullptr, game->Board()->ChangeStone(c, r, kind(c, r)));
    }

    int32_t KindAt(int32_t col, int32_t row) const {
        return game->Board()->KindAt(game->Board()->Cells, col, row);
    }

    // Column by column, top to bottom.
    std::vector<int32_t> Kinds() const {
        std::vector<int32_t> kinds;
        for (int32_t c = 0; c < game->Board()->Width; ++c)
            for (int32_t r = 0; r < game->Board()->Height; ++r)
                kinds.push_back(KindAt(c, r));
        return kinds;
    }

    // A kept game in file as the game writes it: level and score, a timed
    // game's clock, a board of one kind.
    static void KeepFile(const std::string& file, int32_t level, int32_t score) {
        TSavedGame kept;
        kept.Session.Score = score;
        kept.Session.BeginLevel(level, 10, 8);
        kept.Kinds.assign(8, std::vector<int32_t>(10, 1));
        WriteFile(file, FormatSavedGame(kept));
    }

    // A table of ten scores that nothing below 1000000 enters.
    void FillTable() {
        for (int i = 0; i < 10; ++i)
            game->Highscores()->AddScore("BEST", 1000000 + i, 1, 1);
    }

    bool Shown(const TfwSprite* s) const { return s != nullptr && s->Shown(); }

    SDL_Surface* Surface() const { return game->GetSurface(); }
    void Draw() { game->DrawFrame(Surface()); }

    // Lines the game wrote to the log since Start.
    int LogLines() const { return Log().LinesWritten() - logBase_; }

    // The one-second tick of the main loop, in the next frame.
    void Tick() {
        game->SecondMark = fwGetTicks() - 1000;
        Frame();
    }

    TTempDir work;                 // a folder of its own also when tests share a process
    std::vector<std::string> Args; // the command line at Start
    TFakeClock clock;
    std::unique_ptr<TProbeGame> game;
    bool Taken = false;          // the last Press was let go while the game waited
    std::vector<TPlayed> Played; // every sound the game played, in order

private:
    int logBase_ = 0;
    std::vector<SDLKey> held_;
};
