// The game: the one application object of the program. It owns the sprite
// engine, the board, the high score scenes, the image list, the play list and
// a screen for every state (uScreen.h), holds every game variable, and fills
// the frame hooks of the application. Its methods live in the module of their
// subject: start-up and shut-down in tessaril.cpp, the state machine and the
// input handed to the screens in uGameStates.cpp, the rules of a game in
// uGameRules.cpp, what the screens draw in common in uScreens.cpp, the board
// files in uBoardFile.cpp and the music play list in uPlayList.cpp.
#pragma once

#include "fwGameApp.h"
#include "fwPictureCache.h"
#include "uActions.h"
#include "uBoardFile.h"
#include "uGameGrid.h"
#include "uMediaList.h"
#include "uPlayList.h"
#include "uSaveGame.h"
#include "uSettings.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TfwAnimSequences;
class TfwFont;
class TfwResource;
class TfwSDLImage;
class TfwSDLImages;
class TfwSDLMusic;
class TfwSDLSound;
class TfwSprite;
class TfwSpriteEngine;
class THighscoreEditor;
class THighscoreManager;
class TScreen;

// How long each picture of the loading bar stands, in ms.
inline constexpr uint32_t kLoadingFrameMs = 25;

// The game's states; the values are fixed, 2 and 3 are unused.
enum class TGameState : uint8_t {
    gsTitle = 1,       // title, credits and help; the idle demo starts here
    gsReady = 4,       // a new game is dealt; waits for the select key
    gsPlaying = 5,     // play; the clock runs
    gsRetry = 6,       // a life was lost or the level restarted; select deals it again
    gsLevelDone = 7,   // all goals met; select starts the next level
    gsPaused = 8,      // the clock stops, the board is hidden
    gsGameOver = 9,    // the game has ended
    gsHighscores = 10, // the table scene is active
    gsEnterName = 11,  // the name entry scene is active
};

// The screen of every state, in the order of the screen table.
using TScreenList = std::vector<std::pair<TGameState, std::unique_ptr<TScreen>>>;

// The desktop's pause symbol in play: not drawn, or its cell that pauses or
// the one that goes on.
enum class TPauseSymbol : uint8_t { None, Pause, GoOn };

// Why the last life was lost; None while no life has been lost in the level
// being played (also after the restart key).
enum class TLifeLost : uint8_t { None, OutOfTime, NoMoves };

// The desktop's pause symbol in the play screen's heads-up row, right of the
// clock and above the goals column (picture pixels), and the larger area
// around it that answers a click; neither touches the board.
inline constexpr int32_t kPauseSymbolX = 299;
inline constexpr int32_t kPauseSymbolY = 1;
inline constexpr int32_t kPauseAreaLeft = 290;  // to the picture's right edge
inline constexpr int32_t kPauseAreaBottom = 17; // from the picture's top edge

// All text the game draws is orange.
inline constexpr uint32_t kTextColour = 0xFFFF8000;

// The desktop table's last line (picture pixels): the other table, and the
// band that answers a click on it.
inline constexpr int32_t kTableHelpY = 216;
inline constexpr int32_t kTableHelpHeight = 15;

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
};

class TMiniGame : public TfwGameApp {
    // The tests' one way to the game's variables (tests/testaccess.h).
    friend struct TMiniGameTestAccess;

public:
    explicit TMiniGame(const TfwCommandLine& commandLine = {});
    ~TMiniGame() override;

    // Owned objects: made by the constructor, the board, the cursor sprites
    // and the music by InitGame (nullptr before).
    TfwSpriteEngine* Engine() const { return engine_.get(); }
    // The title at rest, drawn again only when it changes.
    TfwPictureCache& TitlePicture() { return titlePicture_; }
    TfwSDLImages* ImageList() const { return imageList_.get(); }
    const std::vector<std::string>& PlayList() const { return playList_; }
    // The timed game's table (highscore.dat), the relaxed game's
    // (highscore-relaxed.dat; none on the handheld), and the name entry's editor.
    THighscoreManager* Highscores() const { return highscores_.get(); }
    THighscoreManager* RelaxedHighscores() const { return relaxedHighscores_.get(); }
    THighscoreEditor* NameEditor() const { return nameEditor_.get(); }
    // settings.txt as read, with what this run changed.
    const TSettings& Settings() const { return settings_; }
    TGameGrid* Board() const { return board_.get(); }
    TfwSprite* Cursor() const { return cursor_; }       // the engine's
    TfwSprite* Selection() const { return selection_; } // the engine's
    TfwSDLMusic* Music() const { return music_; }       // the registry's
    // The loaded media.
    const TGameMedia& Media() const { return media_; }

    // Game variables, read.
    TGameState State() const { return state_; }
    TGameKind GameKind() const { return gameKind_; }     // of the game being played or last played
    TGameKind TableShown() const { return tableShown_; } // the table screen's table
    const std::optional<TSavedGame>& KeptGame() const {
        return keptGame_;
    } // the player's unfinished game the title offers to continue; none on the handheld
    int32_t Score() const { return score_; }
    int32_t Lives() const { return lives_; }
    int32_t Level() const { return level_; }
    int32_t TimeLeft() const { return timeLeft_; }   // seconds
    TLifeLost LifeLost() const { return lifeLost_; } // the retry and game over screens tell it
    int32_t Colours() const { return colours_; }
    const std::array<int32_t, 33>& Goals() const { return goals_; } // indexed by stone kind 1 .. 32
    int32_t CursorCol() const { return cursorCol_; }
    int32_t CursorRow() const { return cursorRow_; }
    int32_t SelCol() const { return selCol_; }
    int32_t SelRow() const { return selRow_; }
    bool AutoPlay() const { return autoPlay_; }
    bool DemoMode() const { return demoMode_; }
    int32_t IdleSeconds() const { return idleSeconds_; }
    int32_t SoundVolume() const { return soundVolume_; } // 0 .. 128
    int32_t MusicVolume() const { return musicVolume_; } // 0 .. 128
    const std::string& LastName() const {
        return lastName_;
    } // offered by the name entry; kept in settings.txt on the desktop
    int32_t TrackIndex() const { return trackIndex_; }
    // What the screens change of them.
    void SetTableShown(TGameKind kind) { tableShown_ = kind; }
    void SetCursorCell(int32_t col, int32_t row) {
        cursorCol_ = col;
        cursorRow_ = row;
    }
    void SetAutoPlay(bool on) { autoPlay_ = on; }
    void SetIdleSeconds(int32_t seconds) { idleSeconds_ = seconds; }
    void SetLastName(const std::string& name) { lastName_ = name; }
    // The timed game's clock, one second on.
    void CountDownSecond() { --timeLeft_; }
    // Told of every sound the game is about to play and its volume (0 .. 128),
    // also of a sound that failed to load; empty in the game, set by tests.
    std::function<void(const TfwSDLSound* sound, int32_t volume)> OnPlaySound;

    // Application hooks.
    // Readies the game and queues its media; the desktop loads them here,
    // behind the loading bar, the page's loop through StartStep.
    void InitGame() override;
    // One step of the media's load: draws the loading bar, which then stands
    // kLoadingFrameMs; after the last the game readies what uses the media.
    std::optional<uint32_t> StartStep() override;
    void SecondElapsed(uint32_t elapsed) override;
    void UpdateFrame(SDL_Surface* surface) override;
    // The change of screen SetState asked for in the frame.
    void EndFrame() override;
    void DrawFrame(SDL_Surface* surface) override;
    void ProcessFrame(SDL_Surface* surface) override;
    // Mixer thread: only raises a flag that the next frame acts on.
    void MusicFinished() override;
    // Leaving the window pauses a player's game in play; the demo runs on.
    void WindowDeactivated() override;
    // The end of the program, however it came: a player's game is kept, a
    // name being entered is stored, then the settings.
    void DoneGame() override;
    // The web page went out of sight or is left: the screen stores what must
    // not be lost (a name being entered, as it stands; a player's game is
    // kept as if it were left).
    void PageHidden() override;
    // Not while the desktop's name entry is shown: Escape leaves it unsaved there.
    bool EscapeEndsProgram() const override;
    // 0 in the demo, while stones move and when a track has ended; else the
    // answer of the state's screen (the title's idle count runs on the seconds).
    uint32_t UntilNextChange(uint32_t now) const override;

    // Loading screen: the progress event of the start-up batch.
    void LoadProgress(int32_t done, int32_t total);

    // State machine and input.
    // Changes the state at once, for the rules and the input of the rest of
    // the frame; the screens change at the frame's end: the screen of the
    // state the frame began with leaves, the one of the state it ends with
    // enters (neither when they are the same).
    void SetState(TGameState state);
    // The screen of a state, from the screen table.
    TScreen& ScreenOf(TGameState state) const;
    void HandleKeys();
    // Desktop mouse: this frame's pointer events, taken just before the keys,
    // handed to the screen of the state. A finger held still on a stone in
    // play for kHintHoldMs asks for the hint.
    void HandlePointer();
    // A key, a pad button or a mouse button went down in this frame.
    bool InputThisFrame() const;
    static constexpr uint32_t kHintHoldMs = 600;
    // Tells screen readers what happened (the web page's live region); the
    // last text told stays in Announced. The demo tells nothing.
    void Announce(const std::string& text);
    const std::string& Announced() const { return announced_; }
    // Moves of the game the screens make.
    // Leaving a game, the demo's or the player's, for the title: autoplay and
    // the demo end, the idle count starts again, and the title shows the
    // player's last score.
    void LeaveForTitle();
    void StartNextLevel();
    // The level dealt again through retry, with the score it was last dealt
    // with (its first deal, or the deal after a lost life): a restart never pays.
    void RestartLevel();
    // The name entry for Score, offering LastName.
    void EnterName();
    // The idle title's demo: a new game that plays itself.
    void StartDemo();
    // The select key in play, on the cursor's cell.
    void TryStone();
    void MakeSelection(int32_t col, int32_t row);
    void PlaySound(TfwSDLSound* sound, int32_t volume);
    // Rules of a frame of play; false: the frame ends without input.
    bool PlayRules();
    // One line on standard error, "tessaril: text", beside the log's.
    static void ReportToPlayer(const std::string& text);

    // Rules.
    void NewGame();
    // Deals level n and, in a player's game, keeps it as the level's start.
    void StartLevel(int32_t n);
    // A level's variables and the cursor, without the board's deal.
    void BeginLevel(int32_t n);
    // The board at rest in play: the point a kept game returns to.
    void RememberRestPoint();
    // A player's own game (no demo, no autoplay) in a build that keeps games.
    bool KeepsThisGame() const;
    // The hint's price: seconds in the timed game, points in the relaxed one.
    void PayForHint();

    // The kept game (desktop and web). LoadKeptGame reads savegame.txt at
    // start; a file that is no kept game is named in the log and set aside.
    void LoadKeptGame();
    // From the title: a new game of the kind, dropping the kept one; the kept
    // game continued on its ready overlay, its stones at rest (file removed).
    void NewGameOf(TGameKind kind);
    void ContinueGame();
    // A player's game being left from ready, play, pause, retry or level
    // done: written for the title to offer. Left on retry it is kept as that
    // level dealt again, on level done as the next level's start, both on
    // their ready overlay. Nothing from the demo; an autoplayed game drops it.
    void KeepGame();
    // The game ended (game over): nothing is kept.
    void DropKeptGame();
    // The table of a kind of game.
    THighscoreManager* TableOf(TGameKind kind) const;
    void GameOver();
    // Would the table take Score?
    bool ScoreEntersTable() const;
    void DropAllStones();
    bool AllGoalsMet() const;
    void ShowHint();
    void StoneRemoved(TButtonSprite* stone);
    void StonesCleared(int32_t count);
    void RemoveMarker(TfwPosModifier* modifier);

    // Screens.
    // The splash and the logo, under the title and the high score screens.
    void DrawBackground(SDL_Surface* surface);
    // The game screen: heads-up row, goals column, pause symbol, and the board when shown.
    void DrawGame(SDL_Surface* surface, bool boardShown, TPauseSymbol symbol);
    // Digits of text from the digit strip; characters below "0" leave a gap.
    void DrawNumber(SDL_Surface* surface, int32_t x, int32_t y, const std::string& text,
                    bool rightAligned);
    // The same from any strip of digit cells, left-aligned from x.
    static void DrawDigits(SDL_Surface* surface, TfwSDLImage* strip, const TDigitCells& cells,
                           int32_t x, int32_t y, const std::string& text);

    // Board files: puzzle1.txt written, puzzle.txt read.
    void SaveBoardFile();
    void LoadBoardFile();

    // Music play list.
    void FindMusicFiles(const std::string& folder, std::vector<std::string>& list);
    void FillPlayList();
    void NextTrack();

    // Settings (desktop only; the handheld keeps none): settings.txt in the
    // working folder. LoadSettings, before InitSDL, reads the file and sets
    // the window's; RestoreVolumes, in InitGame, the volumes. SaveSettings
    // writes the file when a setting changed since the start of the run.
    static constexpr int kSettingCount = 5;
    void LoadSettings();
    void RestoreVolumes();
    void SaveSettings();

    // The help lines of the title screen in this build; on the desktop they
    // are the title's entries from teStart on (TTitleEntry order) that answer
    // a click. touch: the words for a player by touch (TouchPlayer), who taps instead.
    static std::vector<std::string> HelpLines(bool touch = false);
    // The desktop title's further lines: the keys and the mouse in play, or
    // the taps, swipes and held fingers of play by touch.
    static std::vector<std::string> KeyLines(bool touch = false);
    enum TTitleEntry : int32_t { teContinue, teStart, teRelaxed, teHighscores, teQuit };
    struct TTitleLine {
        int32_t Entry; // a TTitleEntry; the handheld's lines are none (-1)
        std::string Text;
    };
    // The title's lines as drawn now, top to bottom: on the desktop and the
    // web the kept game's entry first when there is one, then HelpLines.
    std::vector<TTitleLine> TitleLines() const;
    // The actions of this frame (uActions.h), counted as keys are: is the
    // action going or held (with waitRelease: then let go)? StartAction
    // starts one in this frame, for a click or a tap.
    bool ActionPressed(TAction action, bool waitRelease) {
        return TfwGameApp::ActionPressed(ActionId(action), waitRelease);
    }
    void StartAction(TAction action) { TfwGameApp::StartAction(ActionId(action)); }

private:
    // Start-up.
    void SetStartValues();
    void LoadLoadingScreen();
    void QueueMedia();
    void UseLoadedMedia();
    // Throws EfwError when not one picture of the game could be loaded.
    void RequirePictures() const;
    void MakeCursorSprites();
    TfwSDLImage* AddImage(class TfwResourceLoader& loader, const std::string& name,
                          const std::string& file);
    // One item of the media list added to the loader, made by the factory of its kind.
    TfwResource* AddMedia(class TfwResourceLoader& loader, const TMediaItem& item);
    // The loaded media (by list position) to the members that use them.
    void UseMedia(const std::array<TfwResource*, kMediaCount>& media);
    TfwSprite* MakeCursorSprite(int32_t z);
    void VolumeKeys();
    void SetVolumes();
    void StepVolumes(int32_t step); // both volumes by step, then applied
    // The screen change SetState asked for: leave, then enter.
    void ChangeScreen();

    void KeepLevelStart();
    // In one of the states a player's game is left from.
    bool InGame() const;

    // Rules of a frame of play.
    void LevelComplete();
    void NoMoveLeft();
    bool TimeUp();   // false when it ended the game
    bool LoseLife(); // true while lives remain; the last one ends the game
    void EndGame();
    void AutoPlayMove();
    // Puts the cursor or the marker over a cell at the board's pitch, and animates it.
    void PlaceOnCell(TfwSprite* sprite, int32_t col, int32_t row);
    int32_t LoudVolume() const { return musicVolume_ * 5 / 4; } // MusicVolume * 1.25, truncated

    // Screens.
    void DrawHeadsUp(SDL_Surface* surface);
    void DrawGoals(SDL_Surface* surface);
    void DrawPauseSymbol(SDL_Surface* surface, TPauseSymbol symbol);

    // Music: the next track once the mixer has reported the end of one.
    void NextTrackIfEnded();

    bool SettingNumber(int index, int32_t low, int32_t high, int32_t& value);
    std::array<std::string, kSettingCount> SettingValues() const;

    std::unique_ptr<TfwSpriteEngine> engine_;
    TfwPictureCache titlePicture_;
    std::unique_ptr<TfwSDLImages> imageList_;
    std::vector<std::string> playList_;
    std::unique_ptr<THighscoreManager> highscores_;
    std::unique_ptr<THighscoreManager> relaxedHighscores_;
    std::unique_ptr<THighscoreEditor> nameEditor_;
    TSettings settings_;
    std::unique_ptr<TGameGrid> board_;
    std::unique_ptr<TfwAnimSequences> cursorAnimations_;
    TfwSprite* cursor_ = nullptr;
    TfwSprite* selection_ = nullptr;
    TfwSDLMusic* music_ = nullptr;
    TGameMedia media_;
    TGameState state_ = TGameState::gsTitle;
    TGameKind gameKind_ = TGameKind::Timed;
    TGameKind tableShown_ = TGameKind::Timed;
    std::optional<TSavedGame> keptGame_;
    int32_t score_ = 0;
    int32_t lives_ = 3;
    int32_t level_ = 1;
    int32_t timeLeft_ = 60;
    TLifeLost lifeLost_ = TLifeLost::None;
    int32_t colours_ = 6;
    std::array<int32_t, 33> goals_{};
    int32_t cursorCol_ = 0;
    int32_t cursorRow_ = 0;
    int32_t selCol_ = -1;
    int32_t selRow_ = -1;
    bool autoPlay_ = false;
    bool demoMode_ = false;
    int32_t idleSeconds_ = 0;
    int32_t soundVolume_ = 80;
    int32_t musicVolume_ = 60;
    std::string lastName_;
    int32_t trackIndex_ = -1;
    std::string announced_;
    std::vector<std::unique_ptr<TfwSDLImage>> images_; // every picture the game loaded
    std::unique_ptr<TfwResourceLoader> MediaLoader;    // the media still loading
    std::atomic<bool> musicEnded_{false};
    bool screenChanged_ = false;  // the last frame changed the screen: the next draws the new one
    int32_t scoreBeforeDemo_ = 0; // the player's last score, shown again after the demo
    int32_t scoreAtDeal_ = 0;     // Score when the level was last dealt
    TSavedGame restPoint_;        // the player's game the last time its board was at rest
    TScreenList screens_;         // one for every state, from the screen table
    std::unique_ptr<TScreen> noScreen_; // a state without a screen takes nothing, draws nothing
    // The state the frame began with, once SetState changed it; empty: no change.
    std::optional<TGameState> changedFrom_;
    std::string settingsWritten_; // the settings file's text as last read or written
    std::array<std::string, kSettingCount> settingsAtStart_; // SettingValues when play began
    std::array<bool, kSettingCount> settingsChanged_{};      // changed at some moment of the run
};

// The program body's guard: runs body; an EfwError or any other std::exception
// that escapes it has its message written to the log as a one-part line and,
// with SDL's reason where there is one, to standard error as
// "tessaril: message: reason". Other thrown objects pass on. The exit code:
// 0 for a normal end, 1 for a failure.
int RunGuarded(const std::function<void()>& body);

// The program body: runs the game through RunApp inside RunGuarded. The
// process's exit code.
int TessarilMain(const std::vector<std::string>& args);
