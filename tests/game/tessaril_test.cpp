// The game itself, run headless: the real TMiniGame on SDL's dummy drivers,
// stepped frame by frame as the main loop steps it, on a fake clock of one frame
// period a frame, with keys pushed as SDL events. Boards come from a fixed seed and are
// arranged stone by stone where a test needs a known position.
#include "tessaril.h"

#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwLog.h"
#include "fwSound.h"
#include "fwSprite.h"
#include "game/gamefixture.h"
#include "testutil.h"
#include "uHighscore.h"
#include "uLettering.h"
#include "uSaveGame.h"
#include "uSettings.h"
#include "uTextFile.h"
#include "uWords.h"

#include <SDL_image.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <sched.h>
#include <set>
#include <string>
#include <strings.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int32_t kStride = 26; // cell pitch on the board

// Kinds 1 to 4 tiled in 2 by 2 blocks: every row and column alternates two
// kinds, so the board holds no run and no exchange makes one.
int32_t TileKind(int32_t col, int32_t row) {
    return 1 + col % 2 + 2 * (row % 2);
}

std::string LineEnd() {
    if constexpr (kHandheld)
        return "\n";
    else
        return "\r\n";
}

// ---------------------------------------------------------------------------
// Pixels

using TSurface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

class TLock {
public:
    explicit TLock(SDL_Surface* s) : s_(SDL_MUSTLOCK(s) ? s : nullptr) {
        if (s_ != nullptr)
            SDL_LockSurface(s_);
    }
    ~TLock() {
        if (s_ != nullptr)
            SDL_UnlockSurface(s_);
    }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

private:
    SDL_Surface* s_;
};

uint32_t PixelAt(SDL_Surface* s, int x, int y) {
    return fwSurfacePixel(s, x, y);
}

// A black surface of the same size and pixel format as like.
TSurface Blank(SDL_Surface* like) {
    const SDL_PixelFormat* f = like->format;
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, like->w, like->h, f->BitsPerPixel,
                                          f->Rmask, f->Gmask, f->Bmask, f->Amask);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
    return TSurface(s, &SDL_FreeSurface);
}

// A copy of s, to compare a later picture with.
TSurface Copy(SDL_Surface* s) {
    TSurface copy = Blank(s);
    SDL_BlitSurface(s, nullptr, copy.get(), nullptr);
    return copy;
}

// How many pixels of the rectangle (x, y, w, h) differ between a and b.
int DiffCount(SDL_Surface* a, SDL_Surface* b, int x, int y, int w, int h) {
    TLock la(a), lb(b);
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (PixelAt(a, i, j) != PixelAt(b, i, j))
                ++n;
    return n;
}

void Clear(SDL_Surface* s) {
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
}

// Reference pictures: tests/screens/<build>/<name>.png. With
// TESSARIL_UPDATE_SCREENS set, the pictures are written instead of compared.
const char* const kBuildName = kHandheld ? "handheld" : "desktop";

std::string ReferencePath(const std::string& name) {
    return SourcePath(std::string("tests/screens/") + kBuildName + "/" + name + ".png");
}

// Through ImageMagick, without the time stamps that would change the file at
// every update.
bool WritePng(SDL_Surface* s, const std::string& png) {
    const std::string bmp = png + ".bmp";
    if (SDL_SaveBMP(s, bmp.c_str()) != 0)
        return false;
    const std::string command = "convert '" + bmp + "' -strip '" + png + "' && rm -f '" + bmp + "'";
    return std::system(command.c_str()) == 0;
}

// Empty when s shows the reference picture pixel for pixel. Else what differs;
// the actual picture and a difference picture (differing pixels white) are
// kept in the build folder.
std::string CompareWithReference(SDL_Surface* s, const std::string& name) {
    const std::string path = ReferencePath(name);
    if (std::getenv("TESSARIL_UPDATE_SCREENS") != nullptr)
        return WritePng(s, path) ? "" : "could not write " + path;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (loaded == nullptr)
        return "no picture " + path + " (make update-screens)";
    TSurface ref(SDL_ConvertSurface(loaded, s->format, SDL_SWSURFACE), &SDL_FreeSurface);
    SDL_FreeSurface(loaded);
    if (ref->w != s->w || ref->h != s->h)
        return "the picture's size differs";
    TSurface diff = Blank(s);
    int count = 0;
    {
        TLock ls(s), lr(ref.get());
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x)
                if (PixelAt(s, x, y) != PixelAt(ref.get(), x, y)) {
                    SDL_Rect dot = {static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
                    SDL_FillRect(diff.get(), &dot, 0xFFFFFFFF);
                    ++count;
                }
    }
    const std::string base = std::string(TESSARIL_BUILD_DIR) + "/screen-" + kBuildName + "-" + name;
    if (count == 0) { // no pictures left over from an earlier failure
        std::remove((base + "-actual.bmp").c_str());
        std::remove((base + "-diff.bmp").c_str());
        return "";
    }
    SDL_SaveBMP(s, (base + "-actual.bmp").c_str());
    SDL_SaveBMP(diff.get(), (base + "-diff.bmp").c_str());
    return std::to_string(count) + " pixels differ: " + base + "-actual.bmp, " + base + "-diff.bmp";
}

// ---------------------------------------------------------------------------
// States and keys

using TessarilStates = TessarilGame;

// Every key in every state: taken (the frame waited for the key's release)
// or not, whether anything changed when not taken, and the state after. A cell
// is two letters: 'T' taken, 'H' held and acted on, '.' nothing; then the state
// after: t title, r ready, p playing, R retry, d level done, z paused, o game
// over, h table, e name entry. On the desktop's name entry the keys type
// (k a K, w nothing, x an X) and Escape leaves without ending the program.
TEST_F(TessarilStates, EveryKeyInEveryStateIsTakenOrHeld) {
    Start();
    FillTable(); // game over takes its keys at once: no name entry follows
    game->Ctx.Moves.NewGameOf(TGameKind::Timed);
    Settle();
    struct TColumn {
        const char* Name;
        int32_t Key;
    };
    const std::vector<TColumn> columns = {{"select", KeyOf(TAction::Select)},
                                          {"pause", KeyOf(TAction::Pause)},
                                          {"quit", KeyOf(TAction::Leave)},
                                          {"volume", KeyOf(TAction::VolumeUp)},
                                          {"table", KeyOf(TAction::Highscores)},
                                          {"restart", SDLK_r},
                                          {"load", SDLK_l},
                                          {"save", SDLK_s},
                                          {"autoplay", SDLK_a},
                                          {"hint", SDLK_y},
                                          {"left", SDLK_LEFT},
                                          {"return", SDLK_RETURN},
                                          {"escape", SDLK_ESCAPE},
                                          {"k", SDLK_k},
                                          {"w", SDLK_w},
                                          {"continue", SDLK_c}};
    struct TRow {
        TGameState State;
        const char* Cells;
    };
    // Keys a handheld button gives type nothing on its name entry, and the
    // volume buttons work there.
    const char* const nameEntry = kHandheld ? ".e .e Tt He .e .e .e .e .e .e He He He .e .e .e"
                                            : "He He He He He He He He He He He He Tt He .e He";
    // On the desktop R starts a relaxed game on the title and shows the other
    // table on the table screen; the handheld has neither. The desktop's
    // title is a menu: Space and Return take its first entry, a new game.
    const char* const title = kHandheld ? "Tr .t Tt Ht Th .t .t .t .t .t .t .t Ht .t .t .t"
                                        : "Tr .t Tt Ht Th Tr .t .t .t .t .t Tr Ht .t .t .t";
    const char* const table = kHandheld ? ".h .h Tt Hh .h .h .h .h .h .h .h Hh Hh .h .h .h"
                                        : ".h .h Tt Hh .h Th .h .h .h .h .h Hh Hh .h .h .h";
    //  select pause quit volume table restart load save autoplay hint left return escape k w
    //  continue
    const TRow rows[] = {
        {TGameState::gsTitle, title},
        {TGameState::gsReady, /*     */ "Tp .r Tt Hr .r .r .r .r .r .r .r .r Hr .r .r .r"},
        {TGameState::gsPlaying, /*   */ "Tp Hz Tt Hp .p TR Tp Tp Hp Hp Hp .p Hp .p .p .p"},
        {TGameState::gsRetry, /*     */ "Tp .R Tt HR .R TR .R .R .R .R .R .R HR .R .R .R"},
        {TGameState::gsLevelDone, /* */ "Tp .d Tt Hd .d TR .d .d .d .d .d .d Hd .d .d .d"},
        {TGameState::gsPaused, /*    */ ".z Hp Tt Hz .z TR .z .z .z .z .z .z Hz .z .z .z"},
        {TGameState::gsGameOver, /*  */ "Ht .o Tt Ho .o .o .o .o .o .o .o .o Ho .o .o .o"},
        {TGameState::gsHighscores, table},
        {TGameState::gsEnterName, nameEntry},
    };
    const std::string letters = "trpRdzohe";
    const TGameState states[] = {
        TGameState::gsTitle,    TGameState::gsReady,      TGameState::gsPlaying,
        TGameState::gsRetry,    TGameState::gsLevelDone,  TGameState::gsPaused,
        TGameState::gsGameOver, TGameState::gsHighscores, TGameState::gsEnterName};
    auto snapshot = [this] {
        const THighscoreEditor& editor = *game->NameEditor();
        return std::vector<std::string>{std::to_string(static_cast<int>(game->State())),
                                        std::to_string(game->SoundVolume),
                                        std::to_string(game->AutoPlay),
                                        std::to_string(game->TimeLeft),
                                        std::to_string(game->CursorCol),
                                        std::to_string(game->Terminated),
                                        std::to_string(game->Level),
                                        std::to_string(Shown(game->Selection())),
                                        std::to_string(game->Highscores()->Finished),
                                        editor.Name,
                                        std::to_string(editor.CursorPos),
                                        std::to_string(editor.Finished)};
    };
    for (const TRow& row : rows)
        for (size_t c = 0; c < columns.size(); ++c) {
            const TColumn& column = columns[c];
            // The handheld's A and Y are the pause and table keys.
            if (std::any_of(columns.begin(), columns.begin() + static_cast<long>(c),
                            [&](const TColumn& o) { return o.Key == column.Key; }))
                continue;
            std::string cell(row.Cells + c * 3, 2);
            if (kHandheld && column.Key == SDLK_y && row.State == TGameState::gsPlaying)
                cell = "Hp"; // the handheld's table key is the hint key in play
            Settle();
            game->Highscores()->Activate();
            game->NameEditor()->SetEntry("ALEX", 500);
            game->NameEditor()->CursorPos = 3;
            game->NameEditor()->Activate();
            game->Selection()->Hide();
            game->TableShown = TGameKind::Timed;
            game->GameKind = TGameKind::Timed;
            game->Terminated = false;
            game->AutoPlay = false;
            game->DemoMode = false;
            game->SoundVolume = game->MusicVolume = 80;
            game->CursorCol = 5;
            game->TimeLeft = 60;
            game->Level = 1;
            for (int32_t slot = 0; slot < kKeptGameSlots; ++slot)
                std::remove(KeptGameFile(slot).c_str()); // the title offers no kept game
            game->SetState(row.State);
            HoldSecond();
            const auto before = snapshot();
            Press(column.Key);
            const std::string where = std::string(column.Name) + " in state " +
                                      std::to_string(static_cast<int>(row.State)) + ", expected " +
                                      cell;
            EXPECT_EQ(cell[0] == 'T', Taken) << where;
            if (cell[0] != 'T') {
                EXPECT_EQ(cell[0] == 'H', snapshot() != before) << where;
            }
            EXPECT_EQ(states[letters.find(cell[1])], game->State()) << where;
        }
}

TEST_F(TessarilStates, TitleSelectDealsANewGameAndReadyWaitsForSelect) {
    Start();
    ASSERT_EQ(TGameState::gsTitle, game->State());
    game->Score = 900; // left over from a last game
    game->Lives = 0;
    game->Level = 4;
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsReady, game->State());
    EXPECT_EQ(1, game->Level);
    EXPECT_EQ(3, game->Lives);
    EXPECT_EQ(0, game->Score);
    EXPECT_EQ(60, game->TimeLeft);
    EXPECT_TRUE(game->Board()->IsBusy()) << "the new stones fall into place";

    Frames(5);
    EXPECT_EQ(TGameState::gsReady, game->State()) << "ready waits for the select key";
    Press(TAction::Left);
    EXPECT_FALSE(Shown(game->Cursor())) << "any key in ready hides the cursor";
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_TRUE(Shown(game->Cursor()));
}

TEST_F(TessarilStates, PauseKeyTogglesPlayOnlyAndStopsTheClock) {
    Start();
    Press(TAction::Select);
    Press(TAction::Pause);
    EXPECT_EQ(TGameState::gsReady, game->State()) << "pause does nothing in ready";
    Press(TAction::Select);
    Settle();
    ASSERT_EQ(TGameState::gsPlaying, game->State());

    Press(TAction::Pause);
    ASSERT_EQ(TGameState::gsPaused, game->State());
    const int32_t time = game->TimeLeft;
    Frames(130); // more than two seconds
    EXPECT_EQ(time, game->TimeLeft) << "the clock stands while paused";
    Press(TAction::Pause);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    Frames(130);
    EXPECT_LT(game->TimeLeft, time);

    Press(TAction::Restart);
    ASSERT_EQ(TGameState::gsRetry, game->State());
    Press(TAction::Pause);
    EXPECT_EQ(TGameState::gsRetry, game->State()) << "pause does nothing in retry";
}

TEST_F(TessarilStates, QuitKeyLeavesPlayForTheTitleAndEndsTheProgramThere) {
    Start();
    StartPlaying();
    game->Score = 475;
    Frames(60); // a second of play
    game->IdleSeconds = 4;
    Press(TAction::Leave);
    EXPECT_EQ(TGameState::gsTitle, game->State());
    EXPECT_EQ(0, game->IdleSeconds);
    EXPECT_FALSE(game->Terminated);
    EXPECT_TRUE(game->Highscores()->Entries.empty()) << "a dropped game enters no score";
    EXPECT_EQ(475, game->Score) << "kept for the title's last-score line";

    Press(TAction::Leave);
    EXPECT_TRUE(game->Terminated);
}

TEST_F(TessarilStates, AutoplaySwitchAndAnAutoplayedLevelEnd) {
    Start();
    StartPlaying();
    Press(kHandheld ? TAction::Pause : TAction::AutoPlay);
    if constexpr (kHandheld) {
        // The A button is the handheld's pause key; that build has no switch.
        EXPECT_FALSE(game->AutoPlay);
        EXPECT_EQ(TGameState::gsPaused, game->State());
        Press(TAction::Pause);
        ASSERT_EQ(TGameState::gsPlaying, game->State());
        game->AutoPlay = true;
    } else {
        EXPECT_TRUE(game->AutoPlay);
        Press(TAction::AutoPlay);
        EXPECT_FALSE(game->AutoPlay);
        Press(TAction::AutoPlay);
        ASSERT_TRUE(game->AutoPlay);
    }

    // Without the demo, autoplay goes on to the next level by itself.
    for (int k = 1; k <= game->Colours; ++k)
        game->Goals[k] = 0;
    int frames = 0;
    while (game->State() == TGameState::gsPlaying && frames < 200) {
        Frame(); // the move autoplay may have started runs out first
        ++frames;
    }
    ASSERT_EQ(TGameState::gsLevelDone, game->State());
    game->AutoPlay = false;
    Settle();
    game->AutoPlay = true;
    Press(TAction::VolumeUp);
    EXPECT_EQ(TGameState::gsLevelDone, game->State())
        << "no no-key step in a frame where a key went down";
    Frame();
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(2, game->Level);
    EXPECT_TRUE(game->AutoPlay);
    EXPECT_FALSE(game->DemoMode);
    EXPECT_TRUE(Shown(game->Cursor()));
}

TEST_F(TessarilStates, RestartKeyAndRetryWaitingForAnIdleBoard) {
    Start();
    if constexpr (kHandheld) { // the desktop's R starts a relaxed game there
        Press(TAction::Restart);
        EXPECT_EQ(TGameState::gsTitle, game->State()) << "no game to restart on the title";
    }

    Press(TAction::Select);
    Press(TAction::Select); // in play, stones still falling
    ASSERT_TRUE(game->Board()->IsBusy());
    Press(TAction::Restart);
    ASSERT_EQ(TGameState::gsRetry, game->State());
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsRetry, game->State()) << "select is ignored while the board is busy";
    Settle();
    HoldSecond();
    game->Score = 300;
    game->Lives = 2;
    game->TimeLeft = 12;
    game->Goals[1] = 0;
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(60, game->TimeLeft);
    EXPECT_EQ(3, game->Goals[1]);
    EXPECT_EQ(300, game->Score);
    EXPECT_EQ(2, game->Lives);
    EXPECT_TRUE(Shown(game->Cursor()));
    EXPECT_FALSE(Shown(game->Selection()));
    EXPECT_TRUE(game->Board()->IsBusy()) << "the level is dealt again";
    game->Score = 450; // this attempt's points
    Press(TAction::Restart);
    EXPECT_EQ(300, game->Score) << "a restart keeps the score the level was dealt with";
}

TEST_F(TessarilStates, LevelDoneWaitsForSelectThenStartsTheNextLevel) {
    Start();
    StartPlaying();
    for (int k = 1; k <= game->Colours; ++k)
        game->Goals[k] = 0;
    TButtonSprite* top = game->Board()->StoneAt(0, 0);
    const int32_t topY = top->Y;
    Frame();
    ASSERT_EQ(TGameState::gsLevelDone, game->State());
    EXPECT_FALSE(Shown(game->Cursor()));
    EXPECT_TRUE(game->Board()->IsBusy()) << "the stones fall out";
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsLevelDone, game->State()) << "ignored while the stones fall";
    EXPECT_EQ(56, Settle()) << "57 frames of falling";
    EXPECT_EQ(topY + 224, top->Y) << "the top row ends below the board";
    Press(TAction::Pause);
    EXPECT_EQ(TGameState::gsLevelDone, game->State()) << "pause does nothing in level done";
    const bool musicPlayed = Mix_PlayingMusic() != 0;
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(2, game->Level);
    EXPECT_EQ(65, game->TimeLeft);
    EXPECT_EQ(4, game->Goals[1]);
    EXPECT_TRUE(Shown(game->Cursor()));
    if (musicPlayed) {
        EXPECT_EQ(MIX_FADING_OUT, Mix_FadingMusic()) << "the level's track fades out";
    }
    Mix_HaltMusic();
}

TEST_F(TessarilStates, GameOverReturnsToTheTitleBySelect) {
    Start();
    FillTable();
    StartPlaying();
    game->Lives = 0;
    Frame();
    ASSERT_EQ(TGameState::gsGameOver, game->State());
    Frames(3);
    EXPECT_EQ(TGameState::gsGameOver, game->State());
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsTitle, game->State());
}

TEST_F(TessarilStates, TableKeyShowsTheTableAndReturnGoesBackToAFreshIdleCount) {
    Start();
    game->IdleSeconds = 7;
    Press(TAction::Highscores);
    ASSERT_EQ(TGameState::gsHighscores, game->State());
    EXPECT_FALSE(game->Highscores()->Finished);
    game->IdleSeconds = 7;
    Frames(120);
    EXPECT_EQ(7, game->IdleSeconds) << "the idle count runs on the title only";
    Press(TAction::Confirm);
    Frame();
    EXPECT_EQ(TGameState::gsTitle, game->State());
    EXPECT_EQ(0, game->IdleSeconds) << "a return to the title starts it afresh";
    EXPECT_TRUE(game->Highscores()->Finished);
    game->IdleSeconds = 7;
    Press(SDLK_q); // a key the title does not use
    EXPECT_EQ(0, game->IdleSeconds) << "so does any key on the title";
}

TEST_F(TessarilStates, GameOverComesFirstAndTheNameEntryTakesOnlyKeysPressedOnIt) {
    Start();
    StartPlaying();
    game->Score = 500;
    game->Lives = 0;
    // The hint key and Up held as the game ends.
    SetKeyDown(ActionKey(TAction::Hint), true);
    PushKeyDown(ActionKey(TAction::Hint));
    SetKeyDown(ActionKey(TAction::Up), true);
    Frame();
    ASSERT_EQ(TGameState::gsGameOver, game->State()) << "\"GAME OVER\" before the name entry";
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsGameOver, game->State()) << "it takes no keys";
    PassGameOver();
    ASSERT_EQ(TGameState::gsEnterName, game->State());
    Press(TAction::Right);
    EXPECT_EQ("", game->NameEditor()->Name) << "Up, held from play, changes nothing";
    EXPECT_EQ(2, game->NameEditor()->CursorPos);
    SetKeyDown(ActionKey(TAction::Up), false);
    SetKeyDown(ActionKey(TAction::Hint), false);
    Frame();
    Press(TAction::Up);
    EXPECT_EQ(" A        ", game->NameEditor()->Name) << "pressed again, it does";
}

TEST_F(TessarilStates, FinishedNameEntryAddsAndSavesTheEntryAndShowsTheTable) {
    Start(); // no highscore.dat: every score enters
    StartPlaying();
    game->Score = 500;
    game->Lives = 0;
    Frame();
    PassGameOver();
    ASSERT_EQ(TGameState::gsEnterName, game->State());
    EXPECT_EQ(500, game->NameEditor()->Score);
    EXPECT_FALSE(game->NameEditor()->Finished);
    Press(TAction::Up);
    Press(TAction::Up);
    const std::string name = game->NameEditor()->Name;
    EXPECT_FALSE(name.empty());
    Press(TAction::Confirm);
    Frame();
    ASSERT_EQ(TGameState::gsHighscores, game->State());
    ASSERT_EQ(1u, game->Highscores()->Entries.size());
    EXPECT_EQ(name, game->Highscores()->Entries[0]->Name);
    EXPECT_EQ(500u, game->Highscores()->Entries[0]->Score);
    EXPECT_TRUE(FileExists("highscore.dat"));
    EXPECT_EQ(name, game->LastName);
    EXPECT_FALSE(game->Highscores()->Finished);

    // The next entry starts from the name last entered.
    Press(TAction::Confirm);
    Frame();
    ASSERT_EQ(TGameState::gsTitle, game->State());
    StartPlaying();
    game->Score = 50;
    game->Lives = 0;
    Frame();
    PassGameOver();
    ASSERT_EQ(TGameState::gsEnterName, game->State());
    EXPECT_EQ(name, game->NameEditor()->Name);
    EXPECT_EQ(50, game->NameEditor()->Score);
}

TEST_F(TessarilStates, QuitKeyInTheNameEntryDropsTheEntryUnsaved) {
    Start();
    StartPlaying();
    game->Score = 500;
    game->Lives = 0;
    Frame();
    PassGameOver();
    ASSERT_EQ(TGameState::gsEnterName, game->State());
    Press(kHandheld ? TAction::Leave : TAction::Cancel);
    EXPECT_EQ(TGameState::gsTitle, game->State());
    EXPECT_FALSE(game->Terminated);
    EXPECT_TRUE(game->Highscores()->Entries.empty());
    Frames(3);
    EXPECT_EQ("", ReadFile("highscore.dat")) << "the row stored at the game's end withdrawn";
}

// The desktop's name entry takes typed characters, many in one frame: the
// first replaces the name the entry opened with (BOB, cursor at 3), small
// letters are capitals, W and others outside the set do nothing, the first
// Backspace clears the offered name and later ones blank leftwards. Every end of the program stores
// the name as it stands.
TEST_F(TessarilStates, TypedNamesAreStoredAlsoWhenTheProgramEnds) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld's names are built with the pad";
    Start();
    // The window's close button; a signal in the main loop (a closed terminal: SIGHUP).
    enum TEnd { byReturn, byClose, bySigterm, bySighup };
    struct TCase {
        const char* Typed;
        const char* Name;
        int32_t Cursor;
        TEnd End = byReturn;
    };
    const TCase cases[] = {
        {"alex", "ALEX      ", 5},
        {"a\bb", "B         ", 2},
        {"w", "BOB", 3},
        {"\bbe\b", "B         ", 2}, // the offered name cleared, then blanked as typed
        {"x1.-: 0", "X1.-: 0   ", 8},
        {"Q", "Q         ", 2},
        {"abcdefghijkl", "ABCDEFGHIL", 10},
        {"sam", "SAM       ", 4, byClose},
        {"tom", "TOM       ", 4, bySigterm},
        {"hup", "HUP       ", 4, bySighup},
    };
    int32_t score = 100;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        game->LastName = "BOB";
        game->NameEditor()->CursorPos = 3;
        game->Score = score += 100;
        game->GameOver();
        PassGameOver();
        ASSERT_EQ(TGameState::gsEnterName, game->State());
        for (const char* t = c.Typed; *t != 0; ++t)
            PushKeyDown(static_cast<SDLKey>(*t)); // 'Q': with Shift held
        Frame();
        EXPECT_EQ(c.Name, game->NameEditor()->Name);
        EXPECT_EQ(c.Cursor, game->NameEditor()->CursorPos);
        EXPECT_EQ(80, game->SoundVolume) << "1 types a 1 here";
        if (c.End == byReturn) {
            Press(TAction::Confirm);
            Frame();
        } else if (c.End == byClose) {
            PushQuit();
            Frame();
            ASSERT_TRUE(game->Terminated);
            game->DoneGame(); // as the main loop ends
        } else {
            bool raised = false;
            const int signal = c.End == bySigterm ? SIGTERM : SIGHUP;
            clock.OnDelay = [&raised, signal] { raised = raised || std::raise(signal) == 0; };
            game->Run();
            EXPECT_EQ(TGameState::gsHighscores, game->State());
            Stop(); // the run has closed the audio: the next row starts the program again
            Start(false);
        }
        THighscoreManager table(nullptr);
        table.LoadFromFile("highscore.dat");
        EXPECT_TRUE(std::any_of(table.Entries.begin(), table.Entries.end(),
                                [&](const auto& e) { return e->Name == c.Name; }));
    }
}

// The web page hidden on the name entry (it may close now) stores the score
// under the name as it stands, in one row however often; the entry stays
// open, and its save updates that row, or leaving it takes the row out.
TEST_F(TessarilStates, APageHiddenOnTheNameEntryStoresItsScoreInOneRow) {
    Start();
    for (const bool saved : {true, false}) {
        SCOPED_TRACE(saved ? "saved" : "left unsaved");
        game->Score = 500;
        game->GameOver();
        PassGameOver();
        game->PageHidden();
        Press(TAction::Up);
        game->PageHidden();
        EXPECT_EQ(TGameState::gsEnterName, game->State());
        THighscoreManager stored(nullptr);
        stored.LoadFromFile("highscore.dat");
        ASSERT_EQ(1u, stored.Entries.size());
        EXPECT_EQ(game->NameEditor()->Name, stored.Entries[0]->Name);
        Press(saved ? TAction::Confirm : kHandheld ? TAction::Leave : TAction::Cancel);
        Frame();
        EXPECT_EQ(saved ? 1u : 0u, game->Highscores()->Entries.size());
        // A save reads the file's rows back: the file goes too.
        game->Highscores()->Entries.clear();
        std::remove("highscore.dat");
    }
}

TEST_F(TessarilStates, CursorStaysWithinTheSelectedCellAndItsNeighbours) {
    Start();
    StartPlaying();
    // Tiles with one exchange: (5,4) and (6,4) make 2 2 2 in row 4; (5,4) and
    // (5,5) make nothing.
    Arrange(TileKind);
    ASSERT_NE(nullptr, game->Board()->ChangeStone(8, 4, 2));
    ASSERT_NE(nullptr, game->Board()->ChangeStone(9, 4, 5));
    ASSERT_TRUE(game->Board()->IsValidSwap(5, 4, 6, 4));
    ASSERT_FALSE(game->Board()->IsValidSwap(5, 4, 5, 5));
    ASSERT_EQ(5, game->CursorCol);
    ASSERT_EQ(4, game->CursorRow);

    auto cursorAt = [&](int32_t col, int32_t row) {
        return game->CursorCol == col && game->CursorRow == row;
    };
    Press(TAction::Select);
    ASSERT_TRUE(Shown(game->Selection()));
    EXPECT_EQ(5, game->SelCol);
    EXPECT_EQ(4, game->SelRow);
    Press(TAction::Right);
    EXPECT_TRUE(cursorAt(6, 4));
    Press(TAction::Right);
    EXPECT_TRUE(cursorAt(6, 4)) << "two cells away";
    Press(TAction::Down);
    EXPECT_TRUE(cursorAt(6, 4)) << "diagonal to the selection";
    Press(TAction::Left);
    Press(TAction::Left);
    EXPECT_TRUE(cursorAt(4, 4));
    Press(TAction::Up);
    EXPECT_TRUE(cursorAt(4, 4));
    Press(TAction::Right);
    Press(TAction::Up);
    EXPECT_TRUE(cursorAt(5, 3));
    Press(TAction::Up);
    EXPECT_TRUE(cursorAt(5, 3));
    Press(TAction::Down);
    ASSERT_TRUE(cursorAt(5, 4));

    Press(TAction::Select);
    EXPECT_FALSE(Shown(game->Selection())) << "select on the selected cell drops it";
    EXPECT_FALSE(game->Board()->IsBusy());
    Press(TAction::Right);
    Press(TAction::Right);
    EXPECT_TRUE(cursorAt(7, 4)) << "free again without a selection";
    Press(TAction::Left);
    Press(TAction::Left);

    // A neighbour without a run: out and back, the marker gone.
    Press(TAction::Select);
    Press(TAction::Down);
    ASSERT_TRUE(cursorAt(5, 5));
    Press(TAction::Select);
    EXPECT_FALSE(Shown(game->Selection()));
    EXPECT_TRUE(game->Board()->IsBusy());
    Settle();
    EXPECT_EQ(2, KindAt(5, 4));
    EXPECT_EQ(4, KindAt(5, 5));
    EXPECT_EQ(0, game->Score);
    ASSERT_EQ(TGameState::gsPlaying, game->State());

    // A neighbour with a run: exchanged and cleared, the marker gone.
    Press(TAction::Up);
    Press(TAction::Select);
    Press(TAction::Right);
    ASSERT_TRUE(cursorAt(6, 4));
    Press(TAction::Select);
    EXPECT_FALSE(Shown(game->Selection()));
    ASSERT_TRUE(game->Board()->IsBusy());

    // A select key going down while the board is busy is lost, also when it
    // is still held once the board is idle.
    SetKeyDown(ActionKey(TAction::Select), true);
    PushKeyDown(ActionKey(TAction::Select));
    Frame();
    Settle();
    Frames(2);
    SetKeyDown(ActionKey(TAction::Select), false);
    Frame();
    EXPECT_FALSE(Shown(game->Selection()));
    EXPECT_GE(game->Score, 75);
}

TEST_F(TessarilStates, VolumeKeysMoveBothVolumesTogetherWithin0And128) {
    Start();
    EXPECT_EQ(80, game->SoundVolume);
    EXPECT_EQ(kHandheld ? 40 : 60, game->MusicVolume);
    game->MusicVolume = 60;
    Press(TAction::VolumeDown);
    EXPECT_EQ(79, game->SoundVolume);
    EXPECT_EQ(59, game->MusicVolume);
    EXPECT_EQ(59, Mix_VolumeMusic(-1));
    EXPECT_EQ(79, Mix_Volume(0, -1));
    Press(TAction::VolumeUp);
    EXPECT_EQ(80, game->SoundVolume);
    EXPECT_EQ(60, game->MusicVolume);

    game->SoundVolume = 0;
    Press(TAction::VolumeDown);
    EXPECT_EQ(0, game->SoundVolume);
    EXPECT_EQ(60, game->MusicVolume) << "the volumes move together or not at all";
    EXPECT_EQ(0, Mix_Volume(0, -1));

    game->SoundVolume = 5;
    game->MusicVolume = 128;
    Press(TAction::VolumeUp);
    EXPECT_EQ(5, game->SoundVolume);
    EXPECT_EQ(128, game->MusicVolume);

    game->SoundVolume = 127;
    game->MusicVolume = 50;
    Press(TAction::VolumeUp);
    Press(TAction::VolumeUp);
    EXPECT_EQ(128, game->SoundVolume);
    EXPECT_EQ(51, game->MusicVolume);
}

// Focus lost or minimised: a player's game in play pauses, on the desktop,
// also with the player's autoplay or after a left demo (only the demo flag);
// the demo itself (both) plays on.
TEST_F(TessarilStates, LeavingTheWindowPausesAPlayersGameInPlayAndNothingElse) {
    Start();
    StartPlaying();
    using S = TGameState;
    const Uint8 F = SDL_APPINPUTFOCUS, M = SDL_APPACTIVE; // lost: minimised
    struct TCase {
        S From;
        bool Demo, AutoPlay;
        Uint8 What, Gain;
        S To; // on the desktop; the handheld's state never changes
    };
    const TCase cases[] = {{S::gsPlaying, false, false, F, 0, S::gsPaused},
                           {S::gsPlaying, false, false, M, 0, S::gsPaused},
                           {S::gsPlaying, false, false, F | M, 0, S::gsPaused},
                           {S::gsPlaying, false, true, F, 0, S::gsPaused},
                           {S::gsPlaying, true, false, F, 0, S::gsPaused},
                           {S::gsPlaying, false, false, SDL_APPMOUSEFOCUS, 0, S::gsPlaying},
                           {S::gsPlaying, false, false, F | M, 1, S::gsPlaying},
                           {S::gsPaused, false, false, F | M, 1, S::gsPaused},
                           {S::gsPaused, false, false, F, 0, S::gsPaused},
                           {S::gsPlaying, true, true, F | M, 0, S::gsPlaying},
                           {S::gsTitle, false, false, F, 0, S::gsTitle},
                           {S::gsReady, false, false, M, 0, S::gsReady},
                           {S::gsRetry, false, false, F, 0, S::gsRetry},
                           {S::gsLevelDone, false, false, F, 0, S::gsLevelDone},
                           {S::gsGameOver, false, false, M, 0, S::gsGameOver}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        game->SetState(c.From);
        game->DemoMode = c.Demo;
        game->AutoPlay = c.AutoPlay;
        HoldSecond();
        SDL_Event e = {};
        e.type = SDL_ACTIVEEVENT;
        e.active.state = c.What;
        e.active.gain = c.Gain;
        ASSERT_EQ(0, SDL_PushEvent(&e));
        Frame();
        EXPECT_EQ(kHandheld ? c.From : c.To, game->State());
    }
    game->AutoPlay = game->DemoMode = false;
}

// The demo starts after eleven idle seconds on the title and is an attract
// mode: a key, a click or a pad button ends it and is not passed on, and so
// do its level won and its time run out. Each end leaves nothing behind: the
// title shows the player's last score, the next demo comes after eleven idle
// seconds again, and a player's autoplay later is the player's game.
TEST_F(TessarilStates, EveryEndOfTheDemoReturnsToTheTitleAndLeavesNoTrace) {
    Start();
    game->Score = 1250;       // the player's last game
    if constexpr (!kHandheld) // kept by the player, untouched by the demo
        KeepFile(KeptGameFile(2), 4, 900);
    auto winLevel = [&] { // goals of one stone each
        for (int k = 1; k <= 32; ++k)
            game->Goals[k] = 1;
        int32_t levelScore = 0;
        for (int frames = 0; frames < 3000 && game->State() != TGameState::gsTitle; ++frames) {
            Frame();
            ASSERT_NE(TGameState::gsRetry, game->State()) << "the demo lost a life";
            if (game->State() == TGameState::gsLevelDone)
                levelScore = game->Score;
        }
        EXPECT_GE(levelScore, 6 * 3 * 25 + 250) << "a run of every colour and the bonus";
    };
    struct TCase {
        const char* Name;
        bool Desktop; // the handheld has no mouse, and its buttons are keys
        std::function<void()> End;
    };
    const TCase cases[] = {
        {"level won", false, winLevel},
        {"select key", false, [&] { Press(TAction::Select); }},
        {"quit key", false, [&] { Press(TAction::Leave); }},
        {"click", true, [&] { PushMouseButton(SDL_BUTTON_LEFT, true, 50, 50); }},
        {"pad button", true,
         [&] {
             PushJoyButton(0, true);
             PushJoyButton(0, false);
         }},
        {"time up", false,
         [&] {
             game->TimeLeft = 0;
             Settle();
         }},
    };
    for (const TCase& c : cases) {
        if (c.Desktop && kHandheld)
            continue;
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(11, TicksUntilDemo());
        ASSERT_EQ(TGameState::gsPlaying, game->State());
        EXPECT_TRUE(game->AutoPlay);
        EXPECT_EQ(0, game->IdleSeconds);
        Frames(40);
        c.End();
        Frame(); // a key still held after its frame does nothing more
        EXPECT_EQ(TGameState::gsTitle, game->State()) << "the input is not passed on";
        EXPECT_FALSE(game->DemoMode);
        EXPECT_FALSE(game->AutoPlay);
        EXPECT_FALSE(game->Terminated);
        EXPECT_FALSE(Shown(game->Cursor()));
        EXPECT_FALSE(Shown(game->Selection()));
        EXPECT_EQ(1250, game->Score);
        EXPECT_EQ(!kHandheld, !game->Kept.empty());
        EXPECT_FALSE(PathExists(kSaveGameFile)) << "the demo writes no game";
        EXPECT_EQ(1, game->Level);
        EXPECT_TRUE(game->Highscores()->Entries.empty());
    }

    // The player's own autoplay goes on to the next level and ends in the name entry.
    StartPlaying();
    if constexpr (kHandheld)
        game->AutoPlay = true;
    else
        Press(TAction::AutoPlay);
    ASSERT_TRUE(game->AutoPlay);
    for (int k = 1; k <= game->Colours; ++k)
        game->Goals[k] = 0;
    for (int frames = 0; game->Level == 1 && frames < 400; ++frames)
        Frame();
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(2, game->Level);
    game->Lives = 0;
    Settle();
    Frame();
    PassGameOver();
    EXPECT_EQ(TGameState::gsEnterName, game->State());
}

// ---------------------------------------------------------------------------
// Rules

using TessarilRules = TessarilGame;

TEST_F(TessarilRules, LevelTimeColoursAndGoals) {
    Start();
    struct {
        int32_t level, time, colours, goal;
    } const cases[] = {
        {1, 60, 6, 3}, {5, 80, 6, 7}, {6, 85, 7, 8}, {10, 105, 7, 12}, {11, 110, 8, 13}};
    for (const auto& c : cases) {
        game->StartLevel(c.level);
        Settle();
        EXPECT_EQ(c.level, game->Level);
        EXPECT_EQ(c.time, game->TimeLeft) << "level " << c.level;
        EXPECT_EQ(c.colours, game->Colours) << "level " << c.level;
        EXPECT_EQ(c.colours, game->Board()->ColourCount) << "level " << c.level;
        for (int k = 1; k <= 32; ++k)
            EXPECT_EQ(c.goal, game->Goals[k]) << "level " << c.level << " kind " << k;
        std::set<int32_t> dealt;
        for (int32_t kind : Kinds())
            dealt.insert(kind);
        EXPECT_EQ(1, *dealt.begin());
        EXPECT_EQ(c.colours, *dealt.rbegin()) << "level " << c.level;
        EXPECT_EQ(-1, game->SelCol);
        EXPECT_EQ(5, game->CursorCol);
        EXPECT_EQ(4, game->CursorRow);
    }
}

TEST_F(TessarilRules, RunOfFiveScores125AndStopsItsGoalAtZero) {
    Start();
    StartPlaying();
    Arrange(TileKind);
    for (int32_t c = 0; c < 5; ++c)
        game->Board()->ChangeStone(c, 7, 5);
    game->Goals[5] = 2;
    game->Score = 0;
    int frames = 0;
    while (game->Score == 0 && frames < 100) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(125, game->Score);
    EXPECT_EQ(0, game->Goals[5]);
    EXPECT_EQ(3, game->Goals[1]);

    // A +25 marker rises from the middle of each removed stone.
    std::set<int32_t> markers;
    for (int i = 0; i < game->Engine()->ChildCount(); ++i) {
        auto* s = dynamic_cast<TfwSprite*>(game->Engine()->GetChild(i));
        if (s != nullptr && s->Image == game->Media().MarkerImage && Shown(s)) {
            markers.insert(s->X);
            EXPECT_LE(s->Y, 7 * kStride + 12 - 5);
            EXPECT_GE(s->Y, 7 * kStride + 12 - 5 - 4);
        }
    }
    EXPECT_EQ((std::set<int32_t>{7, 33, 59, 85, 111}), markers);
    EXPECT_TRUE(game->Board()->IsBusy()) << "the refill, not the markers";
}

// Each of the seven sounds at its volume: the sound volume for the clicks and
// the explosion, 5/4 of the music volume (truncated) for the three loud ones,
// 60 for the restart.
TEST_F(TessarilRules, EverySoundPlaysAtItsVolume) {
    Start();
    FillTable();
    StartPlaying();
    game->SoundVolume = 70;
    game->MusicVolume = 53;
    auto expect = [&](const std::vector<TPlayed>& sounds, const char* what) {
        EXPECT_TRUE(sounds == Played) << what << ": " << Played.size() << " sounds";
        Played.clear();
    };
    auto again = [&] { // the level dealt again and in play
        Settle();
        Press(TAction::Select);
        Settle();
        Played.clear();
    };
    Played.clear();
    for (TAction arrow : {TAction::Left, TAction::Right, TAction::Up, TAction::Down})
        Press(arrow);
    expect(std::vector<TPlayed>(4, {game->Media().SoundClick1, 70}), "a click per cursor move");
    game->CursorCol = 0;
    Press(TAction::Left);
    expect({}, "no click where the cursor cannot move");
    Press(TAction::Select);
    expect({{game->Media().SoundClick2, 70}}, "select");

    Press(TAction::Select);
    Arrange(TileKind);
    game->Board()->ChangeStone(0, 1, 1);
    Played.clear();
    Frame();
    expect({{game->Media().SoundExplode, 70}}, "a run explodes");
    Settle();
    Played.clear();
    for (int k = 1; k <= game->Colours; ++k)
        game->Goals[k] = 0;
    Frame();
    expect({{game->Media().SoundNextLevel, 66}}, "level done");
    again();
    Arrange(TileKind);
    Frame();
    expect({{game->Media().SoundNoMoves, 66}}, "no move left");
    again();
    game->TimeLeft = 0;
    Frame();
    expect({{game->Media().SoundRestart, 60}}, "time out");
    again();
    game->Lives = 0;
    Frame();
    expect({{game->Media().SoundGameOver, 66}}, "game over");
}

TEST_F(TessarilRules, RemovedStonesOfOtherKindsScoreWithoutCountingGoals) {
    Start();
    StartPlaying();
    TButtonSprite* special = game->Board()->ChangeStone(0, 0, 10);
    ASSERT_NE(nullptr, special);
    game->Score = 0;
    game->StoneRemoved(special);
    EXPECT_EQ(25, game->Score);
    EXPECT_EQ(2, game->Goals[10]);
    for (int k = 1; k <= 6; ++k)
        EXPECT_EQ(3, game->Goals[k]);

    TButtonSprite* stone = game->Board()->StoneAt(1, 0);
    ASSERT_NE(nullptr, stone);
    stone->Kind = -1;
    game->StoneRemoved(stone);
    EXPECT_EQ(25, game->Score) << "a stone without a kind is ignored";
}

TEST_F(TessarilRules, CompletingLevel3Adds750) {
    Start();
    StartPlaying();
    game->StartLevel(3);
    Settle();
    ASSERT_EQ(TGameState::gsPlaying, game->State());
    game->Score = 1000;
    for (int k = 1; k <= game->Colours; ++k)
        game->Goals[k] = 0; // the goals beyond the colours in play stay open
    Frame();
    EXPECT_EQ(TGameState::gsLevelDone, game->State());
    EXPECT_EQ(1750, game->Score);
    EXPECT_FALSE(Shown(game->Cursor()));
    EXPECT_EQ(3, game->Level);
    EXPECT_EQ("Level 3 complete. Score 1750.", game->Announced()); // for screen readers
}

TEST_F(TessarilRules, NoMoveLeftCostsALifeAndTheLastOneEndsTheGame) {
    Start();
    FillTable();
    StartPlaying();
    game->Lives = 2;
    Arrange(TileKind);
    ASSERT_FALSE(game->Board()->HasMoves());
    Frame();
    ASSERT_EQ(TGameState::gsRetry, game->State());
    EXPECT_EQ(1, game->Lives);
    EXPECT_EQ("No moves left: a life lost. 1 life left.", game->Announced());
    EXPECT_FALSE(Shown(game->Cursor()));
    EXPECT_TRUE(game->Board()->IsBusy()) << "the stones fall out";
    Settle();
    Press(TAction::Select);
    ASSERT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ("Level 1: 3 stones of each of 6 colours in 60 seconds.", game->Announced());
    Settle();

    game->AutoPlay = true;
    Arrange(TileKind);
    Frame();
    EXPECT_EQ(TGameState::gsGameOver, game->State()) << "no retry pause after the last life";
    EXPECT_EQ(0, game->Lives);
    EXPECT_EQ("Game over. Score 0.", game->Announced());
    EXPECT_FALSE(game->AutoPlay);
}

TEST_F(TessarilRules, LastLifeWithAQualifyingScoreGoesToTheNameEntry) {
    Start();
    StartPlaying();
    game->Lives = 1;
    game->Score = 300;
    Arrange(TileKind);
    Frame();
    PassGameOver();
    EXPECT_EQ(TGameState::gsEnterName, game->State());
    EXPECT_EQ(0, game->Lives);
    EXPECT_EQ(300, game->NameEditor()->Score);
    EXPECT_FALSE(game->NameEditor()->Finished);
}

TEST_F(TessarilRules, HintCostsTenSecondsDownToZeroAndTheLifeGoesAtTheNextCheck) {
    Start();
    StartPlaying();
    int32_t c1 = -1, r1 = -1, c2 = -1, r2 = -1;
    ASSERT_TRUE(game->Board()->FindMove(1, c1, r1, c2, r2));
    game->TimeLeft = 25;
    Press(TAction::Hint);
    EXPECT_EQ(15, game->TimeLeft);
    EXPECT_GT(game->Board()->StoneAt(c1, r1)->BlinkCycles, 0);
    EXPECT_GT(game->Board()->StoneAt(c2, r2)->BlinkCycles, 0);

    HoldSecond();
    game->TimeLeft = 7;
    Press(TAction::Hint);
    EXPECT_EQ(0, game->TimeLeft);
    EXPECT_EQ(3, game->Lives) << "taken at the next check, not in the key's frame";
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    Frame();
    EXPECT_EQ(2, game->Lives);
    EXPECT_EQ(TGameState::gsRetry, game->State());
    EXPECT_TRUE(Shown(game->Cursor())) << "a time-out leaves the cursor shown";
    if constexpr (kHandheld)
        return;
    // The relaxed game: a hint costs 100 points down to 0, and no clock runs out.
    game->SetState(TGameState::gsTitle);
    Press(TAction::Relaxed);
    Press(TAction::Select);
    Settle();
    game->Score = 150;
    for (int32_t score : {50, 0}) {
        Press(TAction::Hint);
        EXPECT_EQ(score, game->Score);
    }
    Tick();
    EXPECT_EQ(60, game->TimeLeft);
    game->TimeLeft = 0;
    Frame();
    EXPECT_EQ(TGameState::gsPlaying, game->State());
}

TEST_F(TessarilRules, TimeOutWaitsForTheIdleBoard) {
    Start();
    StartPlaying();
    game->TimeLeft = -3; // run out while stones were moving
    game->Board()->ChangeStone(0, 0, 1);
    game->DropAllStones();
    ASSERT_TRUE(game->Board()->IsBusy());
    Frame();
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(3, game->Lives);
    Settle();
    EXPECT_EQ(TGameState::gsRetry, game->State());
    EXPECT_EQ(2, game->Lives);
}

TEST_F(TessarilRules, LevelsDealtOnABusyBoardEndWithEveryStoneInItsCell) {
    Start();
    FillTable();
    auto stonesOnEngine = [&] {
        int n = 0;
        for (int i = 0; i < game->Engine()->ChildCount(); ++i)
            if (dynamic_cast<TButtonSprite*>(game->Engine()->GetChild(i)) != nullptr)
                ++n;
        return n;
    };
    auto everyStoneInPlace = [&] {
        for (int32_t c = 0; c < 10; ++c)
            for (int32_t r = 0; r < 8; ++r) {
                TButtonSprite* stone = game->Board()->StoneAt(c, r);
                if (stone == nullptr || stone->X != c * kStride || stone->Y != r * kStride)
                    return false;
            }
        return true;
    };

    // A new game while the last one's stones still fall out.
    StartPlaying();
    game->Lives = 2;
    Arrange(TileKind);
    Frame();
    ASSERT_EQ(TGameState::gsRetry, game->State());
    Frames(5);
    ASSERT_TRUE(game->Board()->IsBusy());
    Press(TAction::Leave);
    Press(TAction::Select);
    ASSERT_EQ(TGameState::gsReady, game->State());
    Settle();
    EXPECT_EQ(80, stonesOnEngine());
    EXPECT_TRUE(everyStoneInPlace());

    // A board file loaded while two stones are being exchanged.
    Press(TAction::Select);
    Settle();
    ASSERT_EQ(TGameState::gsPlaying, game->State());
    Arrange(TileKind);
    game->Board()->ChangeStone(8, 4, 2);
    game->Board()->ChangeStone(9, 4, 5);
    WriteFile("puzzle.txt", "0 0 9\n9 7 9\n");
    Press(TAction::Select);
    Press(TAction::Right);
    Press(TAction::Select);
    Frames(4);
    ASSERT_TRUE(game->Board()->IsBusy());
    Press(TAction::LoadBoard);
    Settle();
    EXPECT_EQ(80, stonesOnEngine());
    EXPECT_TRUE(everyStoneInPlace());
    EXPECT_EQ(9, KindAt(0, 0));
    EXPECT_EQ(9, KindAt(9, 7));
    EXPECT_EQ(TGameState::gsPlaying, game->State());
}

// ---------------------------------------------------------------------------
// Screens

using TessarilScreens = TessarilGame;

// Every screen the game draws, from a fixed seed, against its reference
// picture: the loading bar at 1 and 25 blocks, the title without and with a
// last score, the table (also with its notice of a failed save), the name entry, and the game
// screen in each of its states.
TEST_F(TessarilScreens, EveryScreenMatchesItsReferencePicture) {
    Start();
    SDL_Surface* s = Surface();
    auto check = [&](const char* name, bool draw = true) {
        if (draw)
            Draw();
        EXPECT_EQ("", CompareWithReference(s, name)) << name;
    };
    Clear(s);
    game->LoadProgress(0, 34);
    check("loading-1", false);
    game->LoadProgress(34, 34);
    check("loading-25", false);
    check("title");
    // Without a sound device the desktop's title says so instead of a volume.
    game->Silent = true;
    check(kHandheld ? "title" : "title-silent");
    game->Silent = false;
    game->Score = 1250;
    check("title-last-score");
    if constexpr (!kHandheld) { // the kept game's entry takes the last credit's place
        game->Kept = {TKeptOffer{}};
        game->Kept[0].Game.Session.Level = 7;
        game->Kept[0].Game.Session.Score = 4200;
        check("title-continue");
        // Three kept games, the list of them, and a game that could not be kept.
        game->Kept.resize(3);
        game->Kept[1].Game.Session.Kind = TGameKind::Relaxed;
        for (TKeptOffer& offer : game->Kept)
            offer.WrittenNs = 1796817600LL * 1000000000; // noon, 2026-12-09 (UTC)
        game->Ctx.Kept.Notice = "Game not kept: %1";
        game->Ctx.Kept.NoticeDetail = "No space left on device";
        check("title-kept-more");
        game->Ctx.Kept.Notice.clear();
        game->SetState(TGameState::gsKeptGames);
        Frame();
        check("kept-games");
        game->SetState(TGameState::gsTitle);
        Frame();
        game->Kept.clear();
    }

    game->Highscores()->AddScore("ALICE", 4200, 1, 1);
    game->Highscores()->AddScore("BOB", 1300, 1, 1);
    for (auto& entry : game->Highscores()->Entries)
        entry->Date = 45678.5; // 2025-01-22, whatever today is
    Press(TAction::Highscores);
    ASSERT_EQ(TGameState::gsHighscores, game->State());
    check("table");
    game->Highscores()->SaveError = "highscore.dat: No space left on device";
    check("table-unsaved");
    game->Highscores()->SaveError.clear();
    if constexpr (!kHandheld) {
        game->RelaxedHighscores()->AddScore("CAROL", 0, 1, 1);
        game->RelaxedHighscores()->Entries[0]->Date = 45678.5;
        Press(TAction::OtherTable);
        check("table-relaxed");
        Press(TAction::OtherTable);
    }
    Press(TAction::Confirm);
    Frame();

    Press(TAction::Select);
    Frames(20);
    check("ready-stones-falling");
    Settle();
    check("ready");
    Press(TAction::Select);
    Settle();
    HoldSecond();
    game->StoneRemoved(game->Board()->StoneAt(2, 2)); // a +25 marker
    Press(TAction::Select);                           // the selection marker
    Frames(3);
    check("selected"); // under the cursor, yet told from it
    Press(TAction::Right);
    Frames(3);
    game->Score = 123450;
    game->TimeLeft = 65;
    check("playing");
    if constexpr (!kHandheld) {
        game->GameKind = TGameKind::Relaxed; // no clock
        check("playing-relaxed");
        game->GameKind = TGameKind::Timed;
    }
    Press(TAction::Pause);
    check("paused");
    Press(TAction::Pause);
    Press(TAction::Select); // the selection dropped

    game->StartLevel(11);
    Settle();
    game->Goals[3] = 0;
    game->TimeLeft = 600;
    check("level-11");
    game->TimeLeft = -5;
    check("time-below-zero");

    game->TimeLeft = 60;
    game->AutoPlay = true;
    Frames(3);
    check("autoplay");
    game->AutoPlay = false;
    Settle();
    for (int k = 1; k <= game->Colours; ++k)
        game->Goals[k] = 0;
    Frame();
    Settle();
    ASSERT_EQ(TGameState::gsLevelDone, game->State());
    check("level-done");
    Press(TAction::Select);
    Settle();
    Press(TAction::Restart);
    check("retry"); // level 12 dealt again
    Press(TAction::Select);
    Settle();
    game->TimeLeft = 0;
    Frame();
    Settle();
    check("retry-out-of-time");
    Press(TAction::Select);
    Settle();
    Arrange([](int32_t c, int32_t r) { return 1 + c % 2 + 2 * (r % 2); }); // no move
    Frame();
    Settle();
    check("retry-no-moves");
    Press(TAction::Select);
    Settle();
    game->SetState(TGameState::gsGameOver);
    check("game-over");

    game->SetState(TGameState::gsPlaying);
    game->Score = 5000;
    game->Lives = 0;
    Frame();
    check("game-over-before-name"); // the score enters the table a second later
    PassGameOver();
    ASSERT_EQ(TGameState::gsEnterName, game->State());
    Press(TAction::Up);
    check("name-entry");
}

// The options opened from the pause screen, and the controls from there:
// the game is kept as the pause screen keeps it, and Escape goes back step
// by step to the pause screen.
TEST_F(TessarilStates, OptionsFromThePauseScreenKeepTheGameAndGoBackToIt) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld has no options";
    Start();
    StartPlaying();
    Press(TAction::Pause);
    Press(TAction::PausedOptions);
    ASSERT_EQ(TGameState::gsOptions, game->State());
    game->Ctx.States.Open(TGameState::gsControls);
    Frame();
    EXPECT_EQ(TScreen::TKept::AsItStands, game->Ctx.States.Screen().KeptAs());
    Press(TAction::MenuBack);
    EXPECT_EQ(TGameState::gsOptions, game->State());
    Press(TAction::MenuBack);
    EXPECT_EQ(TGameState::gsPaused, game->State());
    EXPECT_FALSE(game->Terminated) << "Escape goes back, and ends nothing";
}

// The title, a game under its ready overlay and the table in German, Polish
// and Russian (desktop and web): the longer words and the Cyrillic letters
// stay inside the picture and clear of each other.
TEST_F(TessarilScreens, ScreensInOtherLanguagesMatchTheirReferencePictures) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld speaks English";
    Start();
    SDL_Surface* s = Surface();
    game->Highscores()->AddScore("ALICE", 4200, 1, 1);
    for (auto& entry : game->Highscores()->Entries)
        entry->Date = 45678.5;
    for (const char* language : {"de", "pl", "ru"}) {
        game->SpeakLanguage(language);
        ASSERT_EQ(language, game->Language);
        const auto check = [&](const std::string& name) {
            Draw();
            EXPECT_EQ("", CompareWithReference(s, name + "-" + language)) << name;
        };
        game->Kept = {TKeptOffer{}, TKeptOffer{}};
        game->Kept[0].Game.Session.Level = 7;
        game->Kept[0].Game.Session.Score = 4200;
        check("title");
        game->Kept.clear();
        Press(TAction::Highscores);
        ASSERT_EQ(TGameState::gsHighscores, game->State());
        check("table");
        Press(TAction::Confirm);
        Frame();
        Press(TAction::Select);
        Settle();
        ASSERT_EQ(TGameState::gsReady, game->State());
        check("ready");
        Press(TAction::Leave);
        Frame();
        ASSERT_EQ(TGameState::gsTitle, game->State());
    }
}

// The language option (desktop and web): Automatic, then each language by
// its own name; a step speaks the next at once, and settings.txt keeps it.
TEST_F(TessarilGame, TheLanguageOptionSpeaksAtOnceAndIsKept) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld has no options";
    Start();
    EXPECT_EQ(kfwEnglish, game->Language);
    Press(TAction::Options);
    ASSERT_EQ(TGameState::gsOptions, game->State());
    for (int i = 0; i < 3; ++i) // up from the first row: Back, Controls, Language
        Press(TAction::MenuUp);
    Press(TAction::MenuRight); // Automatic -> Deutsch
    EXPECT_EQ("de", game->Language);
    EXPECT_EQ("Optionen", game->Catalogue.Translate("Options"));
    Press(TAction::MenuLeft);
    Press(TAction::MenuLeft); // past Automatic to the last, Русский
    EXPECT_EQ("ru", game->Language);
    Press(TAction::MenuBack);
    std::string settings;
    ASSERT_TRUE(ReadWholeFile("settings.txt", settings));
    EXPECT_NE(std::string::npos, settings.find("language=ru\n")) << settings;
    Stop();
    // The next start speaks it, and --help too.
    Start(false);
    EXPECT_EQ("ru", game->Language);
    EXPECT_EQ("ru", StoredLanguage());
}

// The menus' screens (desktop and web): the options, the controls list
// waiting for the pause key's new key, and every page of how to play.
TEST_F(TessarilScreens, MenuScreensMatchTheirReferencePictures) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld has no menus";
    Start();
    SDL_Surface* s = Surface();
    auto check = [&](const std::string& name) {
        Draw();
        EXPECT_EQ("", CompareWithReference(s, name)) << name;
    };
    Press(TAction::Options);
    ASSERT_EQ(TGameState::gsOptions, game->State());
    check("options");
    game->Ctx.States.Open(TGameState::gsControls);
    Frame();
    for (int row = 0; row < 6; ++row)
        Press(TAction::MenuDown);
    Press(TAction::MenuTake);
    check("controls-waiting");
    Press(SDLK_ESCAPE);
    game->SetState(TGameState::gsTitle);
    Frame();
    Press(TAction::HowToPlay);
    for (int page = 1; page <= 7; ++page) {
        check("how-to-play-" + std::to_string(page));
        Press(TAction::MenuRight);
    }
    EXPECT_EQ(TGameState::gsTitle, game->State()) << "past the last page";
    // The pause key bound to J: the pause screen's overlay names it.
    ASSERT_EQ(TControls::TBind::Bound, game->Ctx.Prefs.Controls.BindKey(TAction::Pause, SDLK_j));
    game->Ctx.Moves.PreferencesChanged();
    StartPlaying();
    Press(SDLK_j);
    ASSERT_EQ(TGameState::gsPaused, game->State());
    check("paused-pause-on-j");
}

// ---------------------------------------------------------------------------
// Start-up

using TessarilStartup = TessarilGame;

TEST_F(TessarilStartup, FullMediaListLoadsWithoutALogLine) {
    Start();
    EXPECT_EQ(1, LogLines()) << Log().LastLine();
    EXPECT_EQ("SDLApp::InitSDL: Done", Log().LastLine());
    EXPECT_EQ(TGameState::gsTitle, game->State());

    for (TfwSDLImage* image :
         {game->Media().Splash, game->Media().Logo, game->Media().BarBlock, game->Media().Steps,
          game->Media().Digits, game->Media().TimeLabel, game->Media().LevelLabel,
          game->Media().LivesLabel, game->Media().PointsLabel, game->Media().PressKeyImage,
          game->Media().PausedImage, game->Media().GameOverImage, game->Media().MarkerImage,
          game->Media().CursorImage}) {
        ASSERT_NE(nullptr, image);
        EXPECT_TRUE(image->Loaded) << image->FileName;
    }
    for (TfwSDLSound* sound :
         {game->Media().SoundExplode, game->Media().SoundGameOver, game->Media().SoundNextLevel,
          game->Media().SoundNoMoves, game->Media().SoundRestart, game->Media().SoundClick1,
          game->Media().SoundClick2}) {
        ASSERT_NE(nullptr, sound);
        EXPECT_TRUE(sound->Loaded);
    }
    EXPECT_EQ("W01", game->Media().SoundExplode->Name);
    EXPECT_EQ("data/sounds/power8.wav", game->Media().SoundExplode->FileName);
    EXPECT_EQ("W04", game->Media().SoundClick2->Name);
    EXPECT_EQ("data/sounds/click2.wav", game->Media().SoundClick2->FileName);
    EXPECT_EQ("data/sounds/restart.wav", game->Media().SoundRestart->FileName);
    for (TfwFont* font : {game->Media().F1, game->Media().F2, game->Media().F3})
        ASSERT_NE(nullptr, font);
    EXPECT_EQ(12, game->Media().F1->Size);
    EXPECT_EQ(16, game->Media().F3->Size);

    const std::vector<std::pair<int, const char*>> stones = {
        {1, "dblue"},  {2, "green"},  {3, "orange"},  {4, "purple"}, {5, "red"},
        {6, "yellow"}, {7, "blue"},   {8, "magenta"}, {9, "white"},  {10, "wetime"},
        {11, "bomb"},  {20, "frame"}, {30, "frame"}};
    std::set<int> filled;
    for (const auto& [kind, file] : stones) {
        TfwSDLImage* image = game->Media().StoneImages[static_cast<size_t>(kind - 1)];
        ASSERT_NE(nullptr, image) << "kind " << kind;
        EXPECT_TRUE(image->Loaded);
        EXPECT_EQ(std::string("data/images/") + file + ".bmp", image->FileName);
        filled.insert(kind);
    }
    EXPECT_NE(game->Media().StoneImages[19], game->Media().StoneImages[29]) << "two frame pictures";
    EXPECT_EQ("I10", game->Media().StoneImages[29]->Name);
    EXPECT_EQ("F1", game->Media().StoneImages[19]->Name);
    EXPECT_EQ("Z1", game->Media().Digits->Name);
    EXPECT_EQ("data/images/zahlen.bmp", game->Media().Digits->FileName);
    EXPECT_EQ("data/images/steps.bmp", game->Media().Steps->FileName);
    EXPECT_EQ("data/images/cursor.bmp", game->Media().CursorImage->FileName);
    for (int kind = 1; kind <= 32; ++kind) {
        if (filled.count(kind) == 0) {
            EXPECT_EQ(nullptr, game->Media().StoneImages[static_cast<size_t>(kind - 1)]) << kind;
        }
    }

    EXPECT_EQ(160, game->Media().Splash->GetAlpha());
    EXPECT_EQ(5, game->Engine()->X);
    EXPECT_EQ(18, game->Engine()->Y);
    EXPECT_EQ(10, game->Board()->Width);
    EXPECT_EQ(8, game->Board()->Height);
    EXPECT_EQ(24, game->Board()->CellWidth);
    ASSERT_NE(nullptr, game->Cursor());
    ASSERT_NE(nullptr, game->Selection());
    EXPECT_TRUE(Shown(game->Cursor()));
    EXPECT_FALSE(Shown(game->Selection()));
    EXPECT_EQ(10, game->Cursor()->Z);
    EXPECT_EQ(9, game->Selection()->Z);
    EXPECT_EQ(game->Media().CursorImage, game->Cursor()->Image);

    ASSERT_NE(nullptr, game->Music());
    EXPECT_EQ("data/musics/track1.ogg", game->Music()->FileName);
    EXPECT_TRUE(game->Music()->IsPlaying());
    EXPECT_EQ(0, game->TrackIndex());
    Frames(30);
    EXPECT_EQ(1, LogLines()) << Log().LastLine();
}

TEST_F(TessarilStartup, StartsWithoutTableFileAndWithoutMusic) {
    LinkDataParts({"images", "sounds", "fonts"}); // no music
    Start(false);
    EXPECT_EQ(1, LogLines()) << Log().LastLine();
    EXPECT_TRUE(game->PlayList().empty());
    EXPECT_TRUE(game->Highscores()->Entries.empty());
    ASSERT_NE(nullptr, game->Music());
    EXPECT_FALSE(game->Music()->Loaded);
    EXPECT_FALSE(Mix_PlayingMusic());
    StartPlaying();
    Frames(60);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EndTrack();
    Frames(2);
    EXPECT_EQ(1, LogLines()) << Log().LastLine();
}

// -seed=N deals every board from N; without it the boards are seeded by the clock.
TEST_F(TessarilStartup, SeedOptionFixesTheBoardsSeed) {
    LinkData();
    const struct {
        std::vector<std::string> Args;
        bool Fixed;
        uint32_t Seed;
    } cases[] = {{{"-seed=77"}, true, 77},
                 {{"-scale=1", "-seed=4294967295"}, true, 4294967295u},
                 {{"--seed", "5"}, true, 5},
                 {{"-scale=1"}, false, 0}};
    for (const auto& c : cases) {
        TMiniGame g(fwParseCommandLine(c.Args));
        g.Init(true);
        ASSERT_EQ(c.Fixed, static_cast<bool>(g.Board()->SeedSource)) << c.Args.back();
        if (c.Fixed) {
            EXPECT_EQ(c.Seed, g.Board()->SeedSource()) << c.Args.back();
        }
        g.DoneGame();
        Mix_CloseAudio();
    }
}

// ---------------------------------------------------------------------------
// Board files

using TessarilBoardFiles = TessarilGame;

TEST_F(TessarilBoardFiles, SaveWritesEveryStoneInColumnOrder) {
    Start();
    StartPlaying();
    Press(TAction::SaveBoard);
    const std::string text = ReadFile("puzzle1.txt");
    std::string expected;
    for (int32_t c = 0; c < 10; ++c)
        for (int32_t r = 0; r < 8; ++r)
            expected += std::to_string(c) + " " + std::to_string(r) + " " +
                        std::to_string(KindAt(c, r)) + LineEnd();
    EXPECT_EQ(expected, text);
    size_t lines = 0;
    for (size_t at = text.find(LineEnd()); at != std::string::npos;
         at = text.find(LineEnd(), at + 1))
        ++lines;
    EXPECT_EQ(80u, lines);
    EXPECT_EQ(0u, text.rfind("0 0 ", 0));
    EXPECT_EQ(TGameState::gsPlaying, game->State());
}

TEST_F(TessarilBoardFiles, OneLineChangesOneStone) {
    Start();
    StartPlaying();
    const std::vector<int32_t> before = Kinds();
    Press(TAction::LoadBoard); // no puzzle.txt: nothing at all
    EXPECT_FALSE(game->Board()->IsBusy());
    EXPECT_EQ(before, Kinds());

    WriteFile("puzzle.txt", "4 3 7\n");
    game->TimeLeft = 12;
    game->Score = 100;
    Press(TAction::LoadBoard);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(60, game->TimeLeft) << "the level starts again";
    EXPECT_EQ(100, game->Score);
    EXPECT_TRUE(Shown(game->Cursor()));
    EXPECT_FALSE(Shown(game->Selection()));
    Settle();
    std::vector<int32_t> after = Kinds();
    EXPECT_EQ(7, after[4 * 8 + 3]);
    EXPECT_EQ(game->Media().StoneImages[6], game->Board()->StoneAt(4, 3)->Image);
    after[4 * 8 + 3] = before[4 * 8 + 3];
    EXPECT_EQ(before, after) << "the same seed deals the same 79 others";
}

TEST_F(TessarilBoardFiles, SavedBoardLoadsBackCellByCell) {
    Start();
    StartPlaying();
    const std::vector<int32_t> saved = Kinds();
    Press(TAction::SaveBoard);
    fs::copy_file("puzzle1.txt", "puzzle.txt");
    game->Board()->FixSeed(kSeed + 77);
    game->StartLevel(1);
    Settle();
    ASSERT_NE(saved, Kinds());
    Press(TAction::LoadBoard);
    EXPECT_EQ(saved, Kinds());
    Settle();
    EXPECT_EQ(saved, Kinds());
    EXPECT_EQ(1, LogLines()) << Log().LastLine();
}

TEST_F(TessarilBoardFiles, MalformedFilesKeepTheGameRunning) {
    Start();
    StartPlaying();
    struct {
        const char* text;
        int logLines;
        bool secondApplied; // the line "1 1 8" after "0 0 7"
    } const cases[] = {
        {"0 0 7\n1 1 8\n5 5\n2 2 9\n", 1, true},
        {"0 0 7\nnot a stone\n2 2 9\n", 1, false},
        {"0 0 7\n1 1 8\n3 3 0\n2 2 9\n", 1, true},
        {"0 0 7\n1 1 8\n3 3 33\n2 2 9\n", 1, true},
        {"0 0 7\n1 1 8\n\n", 0, true},
        {"0 0 7\r\n1 1 8\r\n   \r\n", 0, true},
        {"0 0 7\n1 1 8   ", 0, true},
        {"0 0 7\n1 1 8", 0, true},
        {"0 0 7\n\n1 1 8\n", 0, true},
    };
    for (const auto& c : cases) {
        Settle();
        WriteFile("puzzle.txt", c.text);
        const int lines = LogLines();
        Press(TAction::LoadBoard);
        EXPECT_EQ(c.logLines, LogLines() - lines) << '"' << c.text << '"';
        EXPECT_EQ(7, KindAt(0, 0)) << '"' << c.text << '"';
        if (c.secondApplied) {
            EXPECT_EQ(8, KindAt(1, 1)) << '"' << c.text << '"';
        }
        EXPECT_NE(9, KindAt(2, 2)) << "nothing after the bad line: " << c.text;
        EXPECT_FALSE(game->Terminated);
        EXPECT_EQ(TGameState::gsPlaying, game->State());
    }
}

TEST_F(TessarilBoardFiles, AFailedSaveIsLoggedAndPlayGoesOn) {
    Start();
    StartPlaying();
    ASSERT_EQ(0, mkdir("puzzle1.txt", 0755)); // cannot be opened for writing
    const int lines = LogLines();
    testing::internal::CaptureStderr();
    Press(TAction::SaveBoard);
    EXPECT_EQ("tessaril: puzzle1.txt: Is a directory (the board could not be saved)\n",
              testing::internal::GetCapturedStderr());
    EXPECT_EQ(1, LogLines() - lines);
    EXPECT_FALSE(game->Terminated);
    Frames(5);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
}

// A private mount namespace with a tmpfs of four pages on folder: a disk
// that fills up, which refuses writes also to root. Without the right to
// mount, a user namespace of one's own is tried.
bool MountTinyDisk(const std::string& folder) {
    if (unshare(CLONE_NEWNS) != 0) {
        const std::string uid = "0 " + std::to_string(getuid()) + " 1";
        const std::string gid = "0 " + std::to_string(getgid()) + " 1";
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !WriteFile("/proc/self/setgroups", "deny") || !WriteFile("/proc/self/uid_map", uid) ||
            !WriteFile("/proc/self/gid_map", gid))
            return false;
    }
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") == 0;
}

// Writes a file until the disk refuses more.
void FillDisk() {
    std::FILE* f = std::fopen("filler", "wb");
    ASSERT_NE(nullptr, f);
    const std::string block(512, 'x');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
    }
    std::fclose(f);
}

// Saves into a full disk: each says so on standard error, the table screen
// shows the notice, the old table stays, and the game goes on.
TEST_F(TessarilBoardFiles, SavesIntoAFullDiskAreReportedAndTheGameGoesOn) {
    ASSERT_EQ(0, mkdir("disk", 0755));
    ASSERT_TRUE(MountTinyDisk("disk")) << "no private mount: " << std::strerror(errno);
    ASSERT_EQ(0, chdir("disk"));
    THighscoreManager old(nullptr);
    old.AddScore("OLD", 9000, 1, 1);
    ASSERT_TRUE(old.SaveToFile("highscore.dat"));
    const std::string oldTable = ReadFile("highscore.dat");
    Start();
    StartPlaying();
    std::remove(kSaveGameFile); // its end at game over would make room
    FillDisk();
    testing::internal::CaptureStderr();
    Press(TAction::SaveBoard);
    game->Score = 500;
    game->Lives = 0;
    Frame();
    PassGameOver();
    ASSERT_EQ(TGameState::gsEnterName, game->State());
    Press(TAction::Confirm);
    Frame();
    // The row is stored at the game's end and again under the entered name
    // (the handheld stores it once, when the name has been entered).
    const std::string tableFull =
        "tessaril: highscore.dat: No space left on device (the high scores could not be saved)\n";
    EXPECT_EQ("tessaril: puzzle1.txt: No space left on device (the board could not be saved)\n" +
                  tableFull + (kHandheld ? "" : tableFull),
              testing::internal::GetCapturedStderr());
    ASSERT_EQ(TGameState::gsHighscores, game->State());
    EXPECT_EQ(2u, game->Highscores()->Entries.size()) << "the table shows the new entry";
    EXPECT_EQ("highscore.dat: No space left on device", game->Highscores()->SaveError);
    EXPECT_EQ(oldTable, ReadFile("highscore.dat"));
    Press(TAction::Confirm);
    Frame();
    EXPECT_EQ(TGameState::gsTitle, game->State());
    Stop();
    ASSERT_EQ(0, chdir(".."));
    umount2("disk", MNT_DETACH);
}

TEST(TessarilBoardFileParser, AcceptsLinesOfThreeIntegersWithAKindOf1To32) {
    std::vector<TBoardFileLine> lines;
    auto parse = [&](const std::string& text) {
        lines.clear();
        return ParseBoardFile(text, lines);
    };
    EXPECT_EQ(0, parse(""));
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(0, parse("4 3 7"));
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(4, lines[0].Col);
    EXPECT_EQ(3, lines[0].Row);
    EXPECT_EQ(7, lines[0].Kind);
    EXPECT_EQ(0, parse("  4\t3  32 and more text\r\n9 7 1\r\n"));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(32, lines[0].Kind);
    EXPECT_EQ(9, lines[1].Col);
    EXPECT_EQ(0, parse("12 40 5\n")) << "cells off the board are the board's to ignore";
    EXPECT_EQ(1u, lines.size());
    EXPECT_EQ(0, parse("1 2 3\n\n\n4 5 6\n\n"));
    EXPECT_EQ(2u, lines.size());

    EXPECT_EQ(2, parse("1 2 3\n4 5\n6 7 8\n")) << "two numbers";
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(3, lines[0].Kind);
    EXPECT_EQ(1, parse("1 1 0\n"));
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(1, parse("1 1 33\n"));
    EXPECT_EQ(1, parse("1 1 -4\n"));
    EXPECT_EQ(3, parse("1 1 1\n2 2 2\nx 2 3\n"));
    EXPECT_EQ(2u, lines.size());
    EXPECT_EQ(1, parse("99999999999 1 1\n")) << "too large for any cell";
    EXPECT_EQ(1, parse("1 1 4294967297\n")) << "not kind 1 by wrapping";
    EXPECT_EQ(0, parse("1 2 3\r4 5 6\r")) << "line ends of CR alone";
    EXPECT_EQ(2u, lines.size());
    EXPECT_EQ(2, parse("1 2 3\rbad\r7 7 7\r"));
    EXPECT_EQ(1u, lines.size());
}

// ---------------------------------------------------------------------------
// The kept game (desktop and web)

using TessarilKeptGame = TessarilGame;

// A player's game left from ready, pause (over a program's end, a cascade
// under way), retry or level done is kept as the title offers it and
// continued on its ready overlay, its stones at rest; a game left under
// autoplay or ended keeps nothing.
TEST_F(TessarilKeptGame, EachWayOfLeavingKeepsWhatContinuingNeeds) {
    Start();
    if constexpr (kHandheld) {
        StartPlaying();
        Press(TAction::Leave);
        EXPECT_FALSE(PathExists(kSaveGameFile)) << "the handheld keeps no game";
        return;
    }
    auto play = [&] {
        Press(TAction::Select);
        Settle();
    };
    auto cascadeThenEnd = [&] {
        play();
        game->Score = 450;
        game->TimeLeft = 42;
        Frame(); // at rest
        int32_t c1 = 0, r1 = 0, c2 = 0, r2 = 0;
        ASSERT_TRUE(game->Board()->FindMove(1, c1, r1, c2, r2));
        game->Board()->Swap(c1, r1, c2, r2);
        Frames(20); // stones cleared, their gaps open
        game->Score = 999;
        Press(TAction::Pause);
        Press(SDLK_ESCAPE);
        Stop();
        Start(false);
    };
    struct {
        const char* How;
        std::function<void()> Leave;
        bool Kept;
        int32_t Level = 0, Lives = 0, Score = 0, Time = 0;
        int32_t Dealt = 0; // the score a restart of the continued level goes back to
    } const cases[] = {
        {"X on the ready overlay", [&] { Press(TAction::Leave); }, true, 1, 3, 0, 60},
        {"Escape in pause", cascadeThenEnd, true, 1, 3, 450, 42},
        {"X on retry",
         [&] {
             play();
             game->TimeLeft = 0;
             Frame();
             Press(TAction::Leave);
         },
         true, 1, 2, 0, 60},
        {"X on level done",
         [&] {
             play();
             game->Goals.fill(0);
             Frame();
             Press(TAction::Leave);
         },
         true, 2, 3, 250, 65, 250},
        {"X under autoplay",
         [&] {
             play();
             Press(TAction::AutoPlay);
             Press(TAction::Leave);
         },
         false},
        {"the last life lost",
         [&] {
             FillTable();
             play();
             game->Lives = 1;
             game->TimeLeft = 0;
             Frame();
         },
         false},
    };
    for (const auto& c : cases) {
        for (int32_t slot = 0; slot < kKeptGameSlots; ++slot)
            std::remove(KeptGameFile(slot).c_str()); // the case before kept its game again
        game->SetState(TGameState::gsTitle);
        Frame();
        Press(kHandheld ? TAction::Select : TAction::NewGame);
        Settle();
        c.Leave();
        ASSERT_EQ(c.Kept, !game->Kept.empty()) << c.How;
        EXPECT_EQ(c.Kept, PathExists(kSaveGameFile)) << c.How;
        if (!c.Kept)
            continue;
        const TSavedGame kept = game->Kept.front().Game;
        Press(TAction::Continue);
        EXPECT_EQ(TGameState::gsReady, game->State()) << c.How;
        EXPECT_FALSE(game->Board()->IsBusy()) << c.How;
        EXPECT_TRUE(PathExists(kSaveGameFile)) << c.How << ": kept while it is played";
        std::vector<int32_t> kinds;
        for (int32_t col = 0; col < 10; ++col)
            for (int32_t row = 0; row < 8; ++row)
                kinds.push_back(kept.Kinds[static_cast<size_t>(row)][static_cast<size_t>(col)]);
        EXPECT_EQ(kinds, Kinds()) << c.How;
        EXPECT_EQ(kept.RandomState, game->Board()->Rand.State()) << c.How;
        EXPECT_EQ(std::vector<int32_t>({c.Level, c.Lives, c.Score, c.Time}),
                  std::vector<int32_t>({game->Level, game->Lives, game->Score, game->TimeLeft}))
            << c.How;
        Press(TAction::Select);
        Press(TAction::Restart);
        EXPECT_EQ(c.Dealt, game->Score) << c.How;
        Press(TAction::Leave);
    }
}

// A file that is no kept game is named in the log and set aside under a
// name not yet taken; the title offers nothing.
TEST_F(TessarilKeptGame, TheClockRunPastZeroKeepsAGameThatCanBeRead) {
    if constexpr (kHandheld)
        return;
    Start();
    StartPlaying();
    game->TimeLeft = -1; // a second ticked while the stones still fell
    Frame();             // at rest: out of time, the life lost kept at once
    ASSERT_EQ(TGameState::gsRetry, game->State());
    TSavedGame kept;
    std::string why;
    ASSERT_TRUE(ReadSavedGame(kSaveGameFile, 10, 8, kept, why)) << why;
    EXPECT_EQ(2, kept.Session.Lives);
    EXPECT_EQ(0, kept.Session.TimeLeft);
}

TEST_F(TessarilKeptGame, AFileThatIsNoKeptGameIsSetAside) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld reads no kept game";
    WriteFile("savegame.txt.bad", "older");
    const std::string foreign = "sound_volume=80\r\nscale=3\r\n";
    WriteFile(kSaveGameFile, foreign);
    Start();
    EXPECT_TRUE(game->Kept.empty());
    EXPECT_FALSE(PathExists(kSaveGameFile));
    EXPECT_EQ("older", ReadFile("savegame.txt.bad"));
    EXPECT_EQ(foreign, ReadFile("savegame.txt.bad2"));
    EXPECT_EQ(2, LogLines());
    EXPECT_NE(std::string::npos, Log().LastLine().find("savegame.txt: not a saved game"));
    EXPECT_NE(std::string::npos, Log().LastLine().find("set aside as savegame.txt.bad2"));
}

// ---------------------------------------------------------------------------
// Music play list

using TessarilMusic = TessarilGame;

TEST(TessarilPlayList, SortedWithoutCaseAndFirstOfEqualNamesKept) {
    std::vector<std::string> list;
    for (const char* entry : {"B.ogg", "a.ogg", "c.ogg", "A.ogg", "b.OGG", ""})
        AddToPlayList(list, entry);
    EXPECT_EQ((std::vector<std::string>{"", "a.ogg", "B.ogg", "c.ogg"}), list);

    EXPECT_EQ((std::vector<std::string>{"a.ogg", "A.ogg"}), SplitPlayListLines("a.ogg\nA.ogg\n"));
    EXPECT_EQ((std::vector<std::string>{"", "x.ogg"}), SplitPlayListLines("\nx.ogg\n"));
    EXPECT_EQ((std::vector<std::string>{" a b.ogg "}), SplitPlayListLines(" a b.ogg "));
    EXPECT_EQ((std::vector<std::string>{"a.ogg", "b.ogg"}),
              SplitPlayListLines("a.ogg\r\nb.ogg\r\n"))
        << "a play list written with CR LF names the files, not names ending in CR";
}

TEST_F(TessarilMusic, FolderSearchFindsOggFilesInNameOrder) {
    Start();
    ASSERT_EQ(0, mkdir("m", 0755));
    for (const char* name : {"B.ogg", "a.ogg", "notes.txt", "c.ogg.bak"})
        WriteFile(std::string("m/") + name, "");
    std::vector<std::string> list;
    FindMusicFiles("m", list);
    EXPECT_EQ((std::vector<std::string>{"m/a.ogg", "m/B.ogg"}), list);
    list.clear();
    FindMusicFiles("m/", list);
    EXPECT_EQ((std::vector<std::string>{"m/a.ogg", "m/B.ogg"}), list);
    list.clear();
    FindMusicFiles("nowhere/", list);
    EXPECT_TRUE(list.empty());
}

// A data tree whose musics/ holds copies of the repository's tracks.
void MusicFolder(const std::vector<std::pair<const char*, const char*>>& tracks) {
    ASSERT_EQ(0, mkdir("data", 0755));
    for (const char* part : {"images", "sounds", "fonts"})
        ASSERT_EQ(0, symlink(SourcePath(std::string("data/") + part).c_str(),
                             (std::string("data/") + part).c_str()));
    ASSERT_EQ(0, mkdir("data/musics", 0755));
    for (const auto& [name, source] : tracks)
        fs::copy_file(SourcePath(std::string("data/musics/") + source),
                      std::string("data/musics/") + name);
}

TEST_F(TessarilMusic, TracksPlayInNameOrderWithoutCaseAndAlternate) {
    MusicFolder({{"B.ogg", "track1.ogg"}, {"a.ogg", "track2.ogg"}});
    Start(false);
    EXPECT_EQ((std::vector<std::string>{"data/musics/a.ogg", "data/musics/B.ogg"}),
              game->PlayList());
    EXPECT_EQ("data/musics/a.ogg", game->Music()->FileName);
    EXPECT_EQ(0, game->TrackIndex());
    EXPECT_TRUE(game->Music()->IsPlaying());

    const char* order[] = {"data/musics/B.ogg", "data/musics/a.ogg", "data/musics/B.ogg"};
    for (int i = 0; i < 3; ++i) {
        EndTrack();
        Frame();
        EXPECT_EQ(order[i], game->Music()->FileName);
        EXPECT_EQ((i + 1) % 2, game->TrackIndex());
        EXPECT_TRUE(game->Music()->IsPlaying());
        Frames(3);
        EXPECT_EQ(order[i], game->Music()->FileName) << "one end, one change";
    }
    // Called directly, too, the list goes round.
    game->NextTrack();
    EXPECT_EQ("data/musics/a.ogg", game->Music()->FileName);
    EXPECT_EQ(0, game->TrackIndex());
    game->NextTrack();
    EXPECT_EQ("data/musics/B.ogg", game->Music()->FileName);
    EXPECT_EQ(1, game->TrackIndex());
    EXPECT_TRUE(game->Music()->IsPlaying());
    EXPECT_EQ(1, LogLines()) << Log().LastLine();
}

TEST_F(TessarilMusic, CompletedLevelFadesToTheOtherTrack) {
    Start();
    ASSERT_EQ("data/musics/track1.ogg", game->Music()->FileName);
    StartPlaying();
    for (int k = 1; k <= 6; ++k)
        game->Goals[k] = 0;
    Frame();
    ASSERT_EQ(TGameState::gsLevelDone, game->State());
    Settle();
    Press(TAction::Select);
    ASSERT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(MIX_FADING_OUT, Mix_FadingMusic());
    EndTrack(); // the fade's end, without waiting for it
    Frame();
    EXPECT_EQ("data/musics/track2.ogg", game->Music()->FileName);
    EXPECT_EQ(1, game->TrackIndex());
    EXPECT_TRUE(game->Music()->IsPlaying());
}

TEST_F(TessarilMusic, PlayListFileKeepsTheFirstOfEqualNames) {
    LinkData();
    fs::copy_file(SourcePath("data/musics/track2.ogg"), "a.ogg");
    WriteFile("playlist.txt", "a.ogg\nA.ogg\n");
    Start(false);
    EXPECT_EQ((std::vector<std::string>{"a.ogg"}), game->PlayList());
    EXPECT_EQ("a.ogg", game->Music()->FileName);
    EXPECT_TRUE(game->Music()->IsPlaying());
}

TEST_F(TessarilMusic, OneTrackPlaysOnce) {
    LinkData();
    fs::copy_file(SourcePath("data/musics/track1.ogg"), "one.ogg");
    WriteFile("playlist.txt", "one.ogg\n");
    Start(false);
    ASSERT_EQ("one.ogg", game->Music()->FileName);
    ASSERT_TRUE(game->Music()->IsPlaying());
    EndTrack();
    Frames(3);
    EXPECT_EQ(0, game->TrackIndex());
    EXPECT_FALSE(game->Music()->IsPlaying()) << "the one track is found loaded: nothing starts";
    game->NextTrack();
    EXPECT_FALSE(game->Music()->IsPlaying());
    EXPECT_EQ(0, game->TrackIndex());
}

TEST_F(TessarilMusic, EmptyFirstLineSilencesTheMusic) {
    LinkData();
    fs::copy_file(SourcePath("data/musics/track1.ogg"), "t.ogg");
    WriteFile("playlist.txt", "\nt.ogg\n");
    Start(false);
    EXPECT_EQ((std::vector<std::string>{"", "t.ogg"}), game->PlayList());
    EXPECT_EQ(0, game->TrackIndex());
    EXPECT_FALSE(game->Music()->Loaded);
    EXPECT_FALSE(Mix_PlayingMusic());
    Frames(60);
    EXPECT_FALSE(Mix_PlayingMusic()) << "nothing starts the music again";
    EXPECT_EQ(0, game->TrackIndex());
    EXPECT_EQ(1, LogLines()) << Log().LastLine();
}

} // namespace

TEST_F(TessarilStates, CursorAndMarkerSitOnTheirCellsAtTheBoardsPitch) {
    Start();
    StartPlaying();
    Press(TAction::Select); // the marker on (5, 4)
    Press(TAction::Right);  // the cursor on (6, 4)
    for (auto [cell, pitch] : {std::pair{24, 26}, std::pair{30, 32}}) {
        SCOPED_TRACE(cell);
        game->Board()->SetCellSize(cell, cell);
        Frame();
        // Drawn 2 pixels up and left of the cell.
        EXPECT_EQ(6 * pitch - 2, game->Cursor()->X);
        EXPECT_EQ(4 * pitch - 2, game->Cursor()->Y);
        EXPECT_EQ(5 * pitch - 2, game->Selection()->X);
        EXPECT_EQ(4 * pitch - 2, game->Selection()->Y);
    }
}

TEST(TessarilMedia, OverlayPicturesAreThisBuildsSet) {
    const std::string source = TESSARIL_SOURCE_DIR;
    const std::string ownRoot = source + (kHandheld ? "/data-handheld/" : "/data/");
    const std::string handheldRoot = source + "/data-handheld/";
    const std::string dataRoot = source + "/data/";
    for (const TOverlayLettering& overlay : kDesktopOverlays) {
        const std::string file = std::string(kMediaList[overlay.Id].File).substr(5);
        const std::string loaded = ReadFile(SourcePath("data/" + file));
        EXPECT_FALSE(loaded.empty()) << file;
        EXPECT_TRUE(loaded == ReadFile(ownRoot + file)) << file << " is not this build's";
        EXPECT_FALSE(ReadFile(handheldRoot + file) == ReadFile(dataRoot + file))
            << file << ": the two sets are the same";
    }
}

// The keys a text names: the word after "PRESS" and the word before
// " OR CLICK" (overlays), else the names before " - " of a help line, one or
// several joined by " or " or "/" ("SPACE", "'X'", "Arrow keys"). Names of
// the mouse (a click, the wheel) name no key; a name that is no key of the
// keyboard gives SDLK_UNKNOWN.
std::set<int32_t> NamedKeys(const std::string& text) {
    std::vector<std::string> names;
    auto wordBefore = [&text](size_t end) {
        const size_t start = text.rfind(' ', end - 1);
        return text.substr(start == std::string::npos ? 0 : start + 1,
                           end - (start == std::string::npos ? 0 : start + 1));
    };
    const size_t press = text.find("PRESS ");
    if (press != std::string::npos)
        names.push_back(text.substr(press + 6, text.find(' ', press + 6) - press - 6));
    const size_t orClick = text.find(" OR CLICK");
    if (orClick != std::string::npos && press == std::string::npos)
        names.push_back(wordBefore(orClick));
    const size_t dash = text.find(" - ");
    if (dash != std::string::npos && press == std::string::npos && orClick == std::string::npos) {
        std::string part = text.substr(0, dash);
        for (const char* joint : {" or ", "/"})
            for (size_t at; (at = part.find(joint)) != std::string::npos;) {
                names.push_back(part.substr(0, at));
                part = part.substr(at + std::strlen(joint));
            }
        names.push_back(part);
    }
    std::set<int32_t> keys;
    for (std::string name : names) {
        name.erase(
            std::remove_if(name.begin(), name.end(), [](char c) { return c == '\'' || c == ' '; }),
            name.end());
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower == "cursorkeys" || lower == "arrowkeys") {
            keys.insert({SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT});
            continue;
        }
        if (lower.find("click") != std::string::npos || lower == "wheel")
            continue;
        int32_t found = SDLK_UNKNOWN;
        for (int32_t k = SDLK_FIRST + 1; k < SDLK_LAST; ++k)
            if (lower == SDL_GetKeyName(static_cast<SDLKey>(k)))
                found = k;
        keys.insert(found);
    }
    return keys;
}

// The keys this build can produce: the handheld's buttons stand for a fixed
// set of keys; the desktop's keyboard has every key SDL names.
bool BuildHasKey(int32_t key) {
    if constexpr (kHandheld) {
        for (const TfwButtonKey& entry : fwButtonKeys())
            if (entry.Key == key)
                return true;
        return false;
    }
    return key != SDLK_UNKNOWN;
}

// The overlay pictures' lettering and the title's help lines are the only
// texts that name keys: each names the key of its action in this build's key
// table, and that key is one the build has.
TEST_F(TessarilScreens, ScreensNameOnlyTheKeysOfThisBuild) {
    Start();
    const TControls controls;
    // The handheld's overlays carry their words; the others' are lettered.
    std::vector<TOverlayLettering> overlays(kHandheldOverlays.begin(), kHandheldOverlays.end());
    std::vector<TOverlayWords> lettered;
    for (const TOverlayLettering& o : kDesktopOverlays)
        lettered.push_back(OverlayWords(TfwCatalogue(), o.Id, 2,
                                        [&controls](TAction a) { return controls.KeyLabel(a); }));
    if constexpr (!kHandheld)
        for (size_t i = 0; i < overlays.size(); ++i)
            overlays[i] = {kDesktopOverlays[i].Id, lettered[i].Big.c_str(),
                           lettered[i].Small.c_str()};
    const auto help = TitleHelpLines(controls);
    const auto keyLines = TitleKeyLines(TfwCatalogue(), controls, false);
    const std::set<int32_t> none, select{KeyOf(TAction::Select)}, pause{KeyOf(TAction::Pause)},
        quit{KeyOf(TAction::Leave)}, table{KeyOf(TAction::Highscores)}, hint{SDLK_y},
        fullscreen{SDLK_F11}, cursor{SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
    // Each overlay: its big lettering names no key, its second line the key
    // that goes on from it.
    const std::pair<TMediaId, std::set<int32_t>> overlayKeys[] = {
        {miPressKey, select},     {miLevelDoneImage, select}, {miOutOfTimeImage, select},
        {miNoMovesImage, select}, {miPaused, pause},          {miGameOverImage, select},
    };
    std::vector<std::pair<std::string, std::set<int32_t>>> texts;
    ASSERT_EQ(std::size(overlayKeys), overlays.size());
    for (size_t i = 0; i < overlays.size(); ++i) {
        ASSERT_EQ(overlayKeys[i].first, overlays[i].Id);
        texts.emplace_back(overlays[i].Big, none);
        texts.emplace_back(overlays[i].Small, overlayKeys[i].second);
    }
    if constexpr (kHandheld) {
        texts.insert(texts.end(), {{help[0], select}, {help[1], cursor}, {help[2], quit}});
        (void)table;
        EXPECT_TRUE(keyLines.empty());
    } else {
        for (const TMenuLine& line :
             TitleMenu(TfwCatalogue(), {TKeptOffer{}, TKeptOffer{}}, controls, true, false))
            texts.emplace_back(line.Text, std::set<int32_t>{controls.Key(line.Shortcut)});
        const std::set<int32_t> expected[] = {select, cursor, pause, hint, fullscreen};
        ASSERT_EQ(std::size(expected), keyLines.size());
        for (size_t i = 0; i < keyLines.size(); ++i)
            texts.emplace_back(keyLines[i], expected[i]);
    }
    for (const auto& [text, keys] : texts) {
        const std::set<int32_t> named = NamedKeys(text);
        EXPECT_EQ(keys, named) << '"' << text << '"';
        for (int32_t key : named)
            EXPECT_TRUE(BuildHasKey(key)) << '"' << text << "\" names a key this build lacks";
    }
}

// The lettered overlays (desktop and web): each line of each overlay fits
// between the gems even naming a long key (shrunk to a smaller size if need
// be), and with this build's keys keeps its own size.
TEST_F(TessarilScreens, OverlayLinesFitBetweenTheGems) {
    Start();
    if constexpr (kHandheld) {
        EXPECT_EQ(nullptr, game->Media().Lettering); // its pictures carry their words
        return;
    }
    TLettering& lettering = *game->Media().Lettering;
    const int32_t room = kOverlayWidth - 2 * kOverlayLetteringMargin;
    const int32_t bigSize = kMediaList[miFontBanner].FontSize;
    const int32_t lineSize = kMediaList[miFontLine].FontSize;
    const TKeyNamer longKey = [](TAction) { return std::string("left shift"); };
    for (const TOverlayLettering& o : kDesktopOverlays) {
        const TOverlayWords own = OverlayWords(TfwCatalogue(), o.Id, 3,
                                               [](TAction a) { return TControls().KeyLabel(a); });
        const TOverlayWords longest = OverlayWords(TfwCatalogue(), o.Id, 99, longKey);
        EXPECT_NE(std::string::npos, longest.Small.find("LEFT SHIFT")) << longest.Small;
        for (const auto& [text, size, style, shrinks] :
             {std::tuple{own.Big, bigSize, kGoldLettering, false},
              {own.Small, lineSize, kLineLettering, false},
              {longest.Big, bigSize, kGoldLettering, true},
              {longest.Small, lineSize, kLineLettering, true}}) {
            TfwFont* font = lettering.FontFor(text, size, room, style);
            ASSERT_NE(nullptr, font) << text;
            EXPECT_LE(TLettering::Width(*font, text, style), room) << text;
            if (!shrinks) {
                EXPECT_EQ(size, font->Size) << text;
            }
        }
    }
    // A line too long for every size: the smallest.
    const std::string endless(80, 'W');
    EXPECT_EQ(kMediaList[miFontTiny].FontSize,
              lettering.FontFor(endless, bigSize, room, kGoldLettering)->Size);
}

// The lettering is composed when its words change, not every frame: the
// pause overlay and the heads-up labels drawn again compose nothing; the next
// level's ready overlay composes its two lines once.
TEST_F(TessarilScreens, LetteringIsComposedOncePerChange) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld's overlays carry their words";
    Start();
    StartPlaying();
    Press(TAction::Pause);
    ASSERT_EQ(TGameState::gsPaused, game->State());
    Draw();
    const TLettering& lettering = *game->Media().Lettering;
    const size_t composed = lettering.Composed();
    EXPECT_GE(composed, 6u); // four labels, two lines
    Draw();
    Draw();
    EXPECT_EQ(composed, lettering.Composed());
    Press(TAction::Pause);
    game->StartLevel(2);
    game->SetState(TGameState::gsReady);
    Settle();
    Draw();
    Draw();
    EXPECT_EQ(composed + 2, lettering.Composed()); // LEVEL 2, and the ready line
}

TEST_F(TessarilScreens, InPlayWithOnlyTheCursorAnimatingOnlyItsRectangleIsSent) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld sends its whole screen";
    Start();
    StartPlaying();
    std::vector<std::vector<SDL_Rect>> sent;
    fwSetUpdateRects([&](SDL_Surface*, int n, SDL_Rect* r) { sent.emplace_back(r, r + n); });
    TfwRect bounds, cursor;
    game->Cursor()->GetBounds(bounds);
    game->Cursor()->ToScreen(bounds, cursor);
    int flips = 0;
    for (int frame = 0; frame < 60; ++frame) {
        HoldSecond(); // the clock on the display stands still
        sent.clear();
        Frame();
        ASSERT_LE(sent.size(), 1u);
        if (sent.empty())
            continue;
        ++flips;
        for (const SDL_Rect& r : sent[0]) {
            EXPECT_GE(r.x, cursor.Left);
            EXPECT_GE(r.y, cursor.Top);
            EXPECT_LE(r.x + r.w, cursor.Right);
            EXPECT_LE(r.y + r.h, cursor.Bottom);
        }
    }
    fwSetUpdateRects(nullptr);
    // 60 frames of 19 ms or more: five or six changes of a 200 ms animation.
    EXPECT_GE(flips, 5);
    EXPECT_LE(flips, 6);
}

TEST_F(TessarilScreens, TheTitleKeptBetweenFramesEqualsTheTitleDrawnAfresh) {
    Start();
    ASSERT_EQ(TGameState::gsTitle, game->State());
    SDL_Surface* s = Surface();
    auto afresh = [&] {
        game->Ctx.TitlePicture.Clear();
        Draw();
        return Copy(s);
    };
    // Each change of what the title shows, then a frame with nothing changed.
    const std::vector<std::function<void()>> changes = {
        [] {},
        [&] { game->SoundVolume = 64; },
        [&] { game->Score = 1250; },
        [&] { SDL_SetAlpha(game->Media().Splash->Surface, SDL_SRCALPHA, 90); },
    };
    TSurface last = Copy(s);
    for (size_t i = 0; i < changes.size(); ++i) {
        changes[i]();
        for (int frame = 0; frame < 2; ++frame) {
            Draw();
            TSurface shown = Copy(s);
            EXPECT_EQ(0, DiffCount(shown.get(), afresh().get(), 0, 0, 320, 240))
                << "change " << i << ", frame " << frame;
            if (i > 0 && frame == 0) {
                EXPECT_GT(DiffCount(shown.get(), last.get(), 0, 0, 320, 240), 0) << i;
            }
            last = std::move(shown);
        }
    }
    EXPECT_TRUE(game->Ctx.TitlePicture.Holds());
}

// Runs the program expecting a failed start: exit code 1, and SDL's reason in
// the log and on standard error. A start that succeeds after all is ended by
// Escape at its first delay, so such a fault fails instead of hanging.
std::string ExpectFailedStart() {
    const size_t logged = ReadFile("log.txt").size(); // by earlier starts in this process
    uint32_t now = 1000;
    fwSetClock([&] { return now; },
               [&](uint32_t ms) {
                   now += ms;
                   PushKeyDown(SDLK_ESCAPE);
               });
    testing::internal::CaptureStderr();
    const int code = TessarilMain({});
    const std::string err = testing::internal::GetCapturedStderr();
    fwSetClock({}, {});
    EXPECT_EQ(1, code);
    const std::string log = ReadFile("log.txt").substr(logged);
    const std::string tag = "SDLApp::InitSDL: ";
    if (log.rfind(tag, 0) != 0) {
        ADD_FAILURE() << log;
        return "";
    }
    std::string reason = log.substr(tag.size(), log.find(LineEnd()) - tag.size());
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(tag + reason + LineEnd() + "InitSDL failed" + LineEnd(), log);
    EXPECT_EQ("tessaril: InitSDL failed: " + reason + "\n", err);
    return reason;
}

TEST(TessarilProgram, AFailedStartEndsWithExitCode1AndTheReasonOnStderr) {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    ExpectFailedStart();
}

// Left to itself without a display, SDL would draw the desktop game in the
// terminal's characters.
TEST(TessarilProgram, WithoutAGraphicalDisplayTheStartFailsInsteadOfDrawingInTheTerminal) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld draws on its own screen";
    struct TCase {
        const char* Display; // nullptr: not set
        const char* Term;
    };
    // A terminal library ends the process itself on a TERM it does not know.
    const TCase cases[] = {
        {nullptr, "xterm"}, {nullptr, nullptr}, {"", "unknown"}, {":97", nullptr}};
    unsetenv("SDL_VIDEODRIVER");
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string("DISPLAY=") + (c.Display ? c.Display : "(unset)") +
                     " TERM=" + (c.Term ? c.Term : "(unset)"));
        c.Display ? setenv("DISPLAY", c.Display, 1) : unsetenv("DISPLAY");
        c.Term ? setenv("TERM", c.Term, 1) : unsetenv("TERM");
        EXPECT_EQ("No graphical display (DISPLAY is not set or cannot be opened)",
                  ExpectFailedStart());
        EXPECT_EQ(nullptr, std::getenv("SDL_VIDEODRIVER")) << "the environment as it was";
    }
}

// Without one picture of the game there is nothing to show: exit code 1 and
// one line on standard error. A single missing medium is only logged.
TEST_F(TessarilStartup, ADataFolderWithoutPicturesEndsTheStartWithExitCode1) {
    clock.OnDelay = [] { PushKeyDown(SDLK_ESCAPE); }; // a start that goes on ends
    auto soundsOnly = [] { LinkDataParts({"sounds", "fonts"}); };
    // No data folder, an empty one, one of sounds and font only, data a file.
    const std::function<void()> cases[] = {[] {}, [] { LinkDataParts({}); }, soundsOnly,
                                           [] { WriteFile("data", "x"); }};
    for (const auto& make : cases) {
        SCOPED_TRACE(&make - cases);
        make();
        testing::internal::CaptureStderr();
        const int code = TessarilMain({});
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(1, code);
        EXPECT_EQ("tessaril: No picture of the game could be loaded from data/images (the data "
                  "folder is missing, unreadable or empty)\n",
                  err);
        fs::remove_all("data");
    }
}

TEST(TessarilProgram, EscapeEndsWithExitCode0AndNothingOnStderr) {
    ASSERT_EQ(0, symlink(SourcePath("data").c_str(), "data"));
    constexpr int kLoadingDelays = 40; // the loading screen waits once per medium
    uint32_t now = 1000;
    int delays = 0;
    fwSetClock([&] { return now; },
               [&](uint32_t ms) {
                   now += ms;
                   if (++delays > kLoadingDelays)
                       PushKeyDown(SDLK_ESCAPE);
               });
    testing::internal::CaptureStderr();
    const int code = TessarilMain({});
    const std::string err = testing::internal::GetCapturedStderr();
    fwSetClock({}, {});
    EXPECT_EQ(0, code);
    EXPECT_EQ("", err);
    EXPECT_GT(delays, kLoadingDelays) << "the main loop ran";
    EXPECT_EQ("SDLApp::InitSDL: Done" + LineEnd(), ReadFile("log.txt"));
}

TEST_F(TessarilStartup, TheWindowIsTitledAndCarriesTheDesktopEntrysIcon) {
    Start();
    char* title = nullptr;
    char* iconTitle = nullptr;
    SDL_WM_GetCaption(&title, &iconTitle);
    if constexpr (kHandheld) {
        EXPECT_EQ(0, game->IconSize) << "the handheld has no window";
        return;
    }
    ASSERT_NE(nullptr, title);
    EXPECT_STREQ("Tessaril", title);
    EXPECT_EQ(64, game->IconSize);
    EXPECT_TRUE(game->IconBeforeWindow) << "SDL takes the icon only with the window's creation";
    EXPECT_EQ(1, LogLines()) << Log().LastLine();
    // The same picture as the desktop entry's icon.
    const std::string entry = ReadFile(SourcePath("dist/icons/hicolor/64x64/apps/tessaril.png"));
    EXPECT_FALSE(entry.empty());
    EXPECT_EQ(entry, ReadFile("data/images/icon.png"));
}

TEST(TessarilProgram, HelpEndsAtOnceAndARefusedCommandLineEndsWithExitCode2) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld's launcher gives no options";
    TTempDir work;
    struct TCase {
        std::vector<std::string> Args;
        int Code;
        std::string Out, Err; // the first line of each; "" for nothing at all
    };
    const TCase cases[] = {
        {{"--help"}, 0, "Usage: tessaril [options]", ""},
        {{"--bogus"}, 2, "", "tessaril: unknown option '--bogus'"},
        {{"-scale=0"}, 2, "", "tessaril: bad scale '0': a whole number from 1 to 16"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Args[0]);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int code = TessarilMain(c.Args);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(c.Code, code);
        EXPECT_EQ(c.Out, out.substr(0, out.find('\n')));
        EXPECT_EQ(c.Err, err.substr(0, err.find('\n')));
        // The usage follows the reason, and names the keys too.
        const std::string told = c.Code == 0 ? out : err;
        EXPECT_NE(std::string::npos, told.find("Usage: tessaril [options]\n"));
        EXPECT_NE(std::string::npos, told.find("F11, Alt+Return"));
        EXPECT_FALSE(FileExists("log.txt")) << "the game did not start";
    }
}

TEST_F(TessarilStartup, WithoutASoundDeviceAGameIsPlayedSilentAfterOneLogLine) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    Start();
    ASSERT_TRUE(game->Silent);
    const std::string log = ReadFile("log.txt");
    const std::string done = "SDLApp::InitSDL: Done" + LineEnd();
    ASSERT_GT(log.size(), done.size());
    EXPECT_EQ(0u, log.rfind("SDLApp::InitSDL: ", 0)) << log;
    EXPECT_EQ(log.size() - done.size(), log.find(done)) << "the audio line, then Done: " << log;
    EXPECT_EQ(2, LogLines());
    for (TfwSDLSound* sound :
         {game->Media().SoundExplode, game->Media().SoundGameOver, game->Media().SoundNextLevel,
          game->Media().SoundNoMoves, game->Media().SoundRestart, game->Media().SoundClick1,
          game->Media().SoundClick2})
        EXPECT_EQ(nullptr, sound);
    EXPECT_EQ(nullptr, game->Music());

    // The desktop's title says the sound is off, whatever the volume keys do;
    // the handheld's keeps showing its volume.
    SDL_Surface* s = Surface();
    Draw();
    EXPECT_EQ("", CompareWithReference(s, kHandheld ? "title" : "title-silent"));
    TSurface before = Copy(s);
    Press(TAction::VolumeDown);
    EXPECT_EQ(79, game->SoundVolume);
    Draw();
    EXPECT_EQ(kHandheld, DiffCount(s, before.get(), 250, 220, 70, 14) > 0) << "the volume line";

    // A run scores, the level completes and the next one starts: every rule
    // that would sound or change the music.
    StartPlaying();
    Arrange(TileKind);
    for (int32_t c = 0; c < 3; ++c)
        game->Board()->ChangeStone(c, 7, 5);
    game->Score = 0;
    for (int k = 1; k <= game->Colours; ++k)
        game->Goals[k] = k == 5 ? 3 : 0;
    for (int frames = 0; game->State() == TGameState::gsPlaying && frames < 400; ++frames)
        Frame();
    EXPECT_EQ(75 + 250, game->Score);
    ASSERT_EQ(TGameState::gsLevelDone, game->State());
    Settle();
    Press(TAction::Select);
    EXPECT_EQ(TGameState::gsPlaying, game->State());
    EXPECT_EQ(2, game->Level);
    Frames(30);
    EXPECT_EQ(2, LogLines()) << Log().LastLine();
    PushQuit();
    game->Run(); // to its end
    EXPECT_EQ(0, MixerCalls()) << "the mixer without a device divides by its 0 channels";
}

// The main loop's rest between frames, through the rest seam: what the loop
// asks to sleep, after which frame and on which screen.
class TessarilRest : public TessarilGame {
protected:
    struct TRest {
        uint32_t Ms;
        int Frames; // frames run before the rest
        TGameState State;
    };
    void SetUp() override {
        if constexpr (kHandheld)
            GTEST_SKIP() << "the handheld keeps its loop: it never rests";
        fwSetRest([this](uint32_t ms) {
            Rests.push_back({ms, game->Frames, game->State()});
            if (OnRest)
                OnRest(ms);
        });
    }
    void TearDown() override {
        fwSetRest(nullptr);
        TessarilGame::TearDown();
    }
    // A frame, then the loop's rest: the milliseconds it slept, or 0 for none.
    uint32_t FrameAndRest() {
        Rests.clear();
        Frame();
        game->Rest();
        return Rests.empty() ? 0 : Rests[0].Ms;
    }
    std::vector<TRest> Rests;
    std::function<void(uint32_t ms)> OnRest;
};

TEST_F(TessarilRest, TheTitleSleepsToTheNextSecondAndAKeyWakesItForOneFrame) {
    Start();
    int32_t idleAtSecond = -1; // before the key, which starts the idle count afresh
    OnRest = [this, &idleAtSecond](uint32_t ms) {
        if (Rests.size() == 1) {
            clock.Now += ms; // nothing came: slept through
        } else if (Rests.size() == 2) {
            idleAtSecond = game->IdleSeconds;
            PushKeyDown(ActionKey(TAction::VolumeUp)); // a tap, mid-rest
        } else
            game->Quit();
    };
    const int32_t volume = game->SoundVolume;
    int keyAt = 0; // the frame that took the key
    clock.OnDelay = [&] {
        if (keyAt == 0 && game->SoundVolume != volume)
            keyAt = game->Frames;
    };
    game->Run();
    ASSERT_EQ(3u, Rests.size());
    // 1000 ms to the second, less two frames: the first shows the title, the
    // second finds nothing new.
    EXPECT_EQ(964u, Rests[0].Ms);
    EXPECT_EQ(2, Rests[0].Frames);
    // The second came: one frame (not the 54 slept through) ran its tick,
    // taking the new mark after its 1 ms yield.
    EXPECT_EQ(983u, Rests[1].Ms);
    EXPECT_EQ(3, Rests[1].Frames);
    EXPECT_EQ(1, idleAtSecond);
    // The key woke the loop: the very next frame took it, the one after drew
    // the new volume, a third found nothing new.
    EXPECT_EQ(4, keyAt);
    EXPECT_EQ(6, Rests[2].Frames);
}

TEST_F(TessarilRest, NoRestWhileAKeyIsHeldAnEventWaitsOrSomethingMoves) {
    Start();
    Frame(); // the title shown
    HoldSecond();
    const uint32_t toSecond = game->SecondMark + 1000 - (fwGetTicks() + kFrameMs);
    EXPECT_EQ(toSecond, FrameAndRest()) << "the title at rest";
    PushKeyDown(SDLK_q); // Q means nothing on the title
    Rests.clear();
    game->Rest();
    EXPECT_TRUE(Rests.empty()) << "an event waits in SDL";
    Frame();
    SetKeyDown(SDLK_q, true);
    EXPECT_EQ(0u, FrameAndRest()) << "a key is held";
    SetKeyDown(SDLK_q, false);
    Frame();
    game->MusicFinished();
    Rests.clear();
    game->Rest();
    EXPECT_TRUE(Rests.empty()) << "a track ended: the next frame starts the next one";
    EXPECT_NE(0u, FrameAndRest());

    Press(TAction::Select);
    ASSERT_EQ(TGameState::gsReady, game->State());
    EXPECT_EQ(0u, FrameAndRest()) << "the stones fall in";
    Settle();
    Frame(); // the overlay over the settled board
    HoldSecond();
    EXPECT_EQ(toSecond, FrameAndRest()) << "the ready screen at rest";
    Press(TAction::Select);
    EXPECT_EQ(0u, FrameAndRest()) << "play: the clock counts";
    Press(TAction::Pause);
    ASSERT_EQ(TGameState::gsPaused, game->State());
    EXPECT_EQ(0u, FrameAndRest()) << "the frame that draws the pause screen";
    HoldSecond();
    EXPECT_EQ(toSecond, FrameAndRest()) << "the pause screen";
    Press(TAction::Pause);
    game->TimeLeft = 0;
    Frame();
    ASSERT_EQ(TGameState::gsRetry, game->State());
    EXPECT_EQ(0u, FrameAndRest()) << "the stones drop out";
    Settle();
    Frame(); // the overlay over the empty board
    ASSERT_TRUE(Shown(game->Cursor()));
    const uint32_t rest = FrameAndRest();
    EXPECT_GT(rest, 0u);
    EXPECT_LE(rest, 200u) << "the cursor's next frame";
}
