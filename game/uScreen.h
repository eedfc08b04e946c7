// The screens: what the game shows and answers in each of its states, one
// object a state behind one small interface. The game owns one screen per
// state (made from the table in uScreen.cpp) and hands each frame's input,
// its step, its tick and its drawing to the screen of its state. A screen
// keeps its own data and reaches the game's through its context: the
// session, the board, and the game's services.
#pragma once

#include "fwGameApp.h"
#include "uActions.h"
#include "uGameMedia.h"
#include "uGameServices.h"
#include "uGameSession.h"
#include "uMediaList.h"

#include <SDL.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class TfwFont;
class TfwPictureCache;
class TScreen;

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
    gsKeptGames = 12,  // the list of the kept games (desktop and web)
    gsOptions = 13,    // the options, from the title or the pause screen (desktop and web)
    gsControls = 14,   // the keys and pad buttons of each action (desktop and web)
    gsHowToPlay = 15,  // the pages on how to play (desktop and web)
};

// The screen of every state, in the order of the screen table.
using TScreenList = std::vector<std::pair<TGameState, std::unique_ptr<TScreen>>>;

// The state and the screen of every state. A change of state holds at once,
// for the rules and the input of the rest of the frame; the screens change at
// the frame's end: the screen of the state the frame began with leaves, the
// one of the state it ends with enters (neither when they are the same).
class TGameStates {
public:
    TGameState State() const { return state_; }
    void Set(TGameState state);
    // A screen opened over the current one (the options, the controls, how
    // to play), and the way back to the one it was opened from; Back with
    // nothing opened goes to the title. Set forgets every opener.
    void Open(TGameState state);
    void Back();
    // The state the first of the opened screens was opened from (the title,
    // the pause screen); the state itself when none is open.
    TGameState Root() const { return openers_.empty() ? state_ : openers_.front(); }
    TScreen& ScreenOf(TGameState state) const;
    TScreen& Screen() const { return ScreenOf(state_); }
    // The screens, and the one of a state without a screen (it takes
    // nothing and draws nothing).
    void SetScreens(TScreenList screens, std::unique_ptr<TScreen> none);
    // The frame's end: the change of screen asked for, made when live (the
    // board's sprites exist), else dropped. True when one was asked for.
    bool ChangeScreen(bool live);

private:
    void Change(TGameState state);

    TGameState state_ = TGameState::gsTitle; // the first state: no transition
    // The state the frame began with, once Set changed it; empty: no change.
    std::optional<TGameState> changedFrom_;
    std::vector<TGameState> openers_; // innermost last
    TScreenList screens_;
    std::unique_ptr<TScreen> none_;
};

// Everything a screen may use, owned by the game and alive as long as the
// screens are.
struct TScreenContext {
    TfwGameApp& App; // the frame's input, the picture's presentation, the program's end
    const TGameMedia& Media;
    TGameSession& Session;
    const TBoardView& View;
    TPlayMode& Mode;
    TGameStates& States;
    TGameSounds& Sounds;
    TScoreTables& Tables;
    TKeptGame& Kept;
    TPreferences& Prefs;
    TGameMoves& Moves;
    TfwPictureCache& TitlePicture; // the title at rest, drawn again only when it changes
};

class TScreen {
public:
    explicit TScreen(TScreenContext& context) : Ctx(context) {}
    virtual ~TScreen() = default;
    TScreen(const TScreen&) = delete;
    TScreen& operator=(const TScreen&) = delete;

    // The screen takes over from another, or hands over to one: at the end of
    // the frame in which the state changed.
    virtual void Enter() {}
    virtual void Leave() {}
    // The frame's own step, before its input; false ends the frame without input.
    virtual bool Step() { return true; }
    // A frame in which a key went down (after the volume keys), and one in
    // which none did.
    virtual void Keys() {}
    virtual void NoKeys() {}
    // Desktop mouse: a button going down, the left button going up; the
    // event's picture pixel holds when OnPicture.
    virtual void PointerPressed(const TfwPointerEvent& e) { (void)e; }
    virtual void PointerReleased(const TfwPointerEvent& e) { (void)e; }
    // The web page's touch screen: the finger that holds the left button
    // moved; and, once every frame after the pointer events, its time held.
    virtual void FingerMoved(const TfwPointerEvent& e) { (void)e; }
    virtual void FingerHeld() {}
    // The once-a-second tick.
    virtual void SecondElapsed() {}
    // The window lost the keyboard focus or was minimised.
    virtual void WindowDeactivated() {}
    // Every key is the screen's: the volume keys and Escape too.
    virtual bool TakesEveryKey() const { return false; }
    // The program ends, however, while the screen is shown.
    virtual void ProgramEnds() {}
    // Milliseconds from now until the screen changes by itself, as
    // TfwGameApp::UntilNextChange; by default only input changes it.
    virtual uint32_t UntilNextChange(uint32_t now) const {
        (void)now;
        return kfwNoChangeDue;
    }
    // A player's game left from this screen (for the title, or as the program
    // ends) is kept: not at all (no game is in progress here), as it stands,
    // as its level dealt again, or as the next level's start.
    enum class TKept : uint8_t { No, AsItStands, DealtAgain, NextLevel };
    virtual TKept KeptAs() const { return TKept::No; }
    // The web page went out of sight or is left, and may never run again:
    // what must not be lost is stored now. The screen stays.
    virtual void PageHidden() {}
    // The screen, and what stands over it.
    virtual void Draw(SDL_Surface* surface) { (void)surface; }
    virtual void DrawOverlay(SDL_Surface* surface) { (void)surface; }

protected:
    TScreenContext& Ctx;

    // The frame's actions (uActions.h), counted as keys are: is the action
    // going or held (with waitRelease: then let go)? Start starts one in this
    // frame, for a click or a tap.
    bool Pressed(TAction action, bool waitRelease) const;
    void Start(TAction action) const;
    // The keys several screens share; each answers whether it took its key.
    bool LeaveGameKey(); // the quit key: back to the title
    bool RestartKey();   // deal the level again, through retry, with the score it was dealt with
    bool PauseKey(TGameState next);
};

// The desktop's pause symbol in play: not drawn, or its cell that pauses or
// the one that goes on.
enum class TPauseSymbol : uint8_t { None, Pause, GoOn };

// The desktop's pause symbol in the play screen's heads-up row, right of the
// clock and above the goals column (picture pixels), and the larger area
// around it that answers a click; neither touches the board.
inline constexpr int32_t kPauseSymbolX = 299;
inline constexpr int32_t kPauseSymbolY = 1;
inline constexpr int32_t kPauseAreaLeft = 290;  // to the picture's right edge
inline constexpr int32_t kPauseAreaBottom = 17; // from the picture's top edge

// A finger held still on a stone in play this long (ms) asks for the hint.
inline constexpr uint32_t kHintHoldMs = 600;

// The desktop table's last line (picture pixels): the other table, and the
// band that answers a click on it.
inline constexpr int32_t kTableHelpY = 216;
inline constexpr int32_t kTableHelpHeight = 15;

// The screens of a game in progress: the board with its heads-up row and
// goals column, under the overlay of the state.
class TBoardScreen : public TScreen {
public:
    using TScreen::TScreen;
    void Draw(SDL_Surface* surface) override;
    void DrawOverlay(SDL_Surface* surface) override;
    // A left click on the picture is the select key, the confirm of most of them.
    void PointerPressed(const TfwPointerEvent& e) override;
    // The board shown: 0 while a stone blinks, else the cursor's next frame.
    uint32_t UntilNextChange(uint32_t now) const override;

protected:
    // The overlay picture (none: Image nullptr), its lettering's id and the
    // number drawn into it (-1 none).
    struct TOverlay {
        TfwSDLImage* Image = nullptr;
        TMediaId Id = kMediaCount;
        int32_t Number = -1;
    };
    virtual TOverlay Overlay() const { return {}; }
    virtual bool BoardShown() const { return true; }
    // The desktop's pause symbol: none, or which of its two cells.
    virtual TPauseSymbol PauseSymbolShown() const { return TPauseSymbol::None; }
};

// The screen of a state, made for a context; each screen's file defines its own.
template <TGameState S> std::unique_ptr<TScreen> MakeScreen(TScreenContext& context);

// The screens of every state, from the one table.
TScreenList MakeScreens(TScreenContext& context);

// What the screens draw in common (uScreens.cpp).
// The splash and the logo, under the title and the high score screens.
void DrawBackground(SDL_Surface* surface, const TGameMedia& media);
// The game screen: heads-up row, goals column, pause symbol, and the board when shown.
void DrawGame(SDL_Surface* surface, const TScreenContext& context, bool boardShown,
              TPauseSymbol symbol);
// Digits of text from a strip of digit cells, left-aligned from x;
// characters below "0" leave a gap.
void DrawDigits(SDL_Surface* surface, TfwSDLImage* strip, const TDigitCells& cells, int32_t x,
                int32_t y, const std::string& text);
// The heads-up row of a session, and with goals its goals column, as play
// draws them (for pages that show them).
void DrawHeadsUpOf(SDL_Surface* surface, const TGameMedia& media, const TfwCatalogue& t,
                   const TGameSession& session, bool goals);
// text cut into lines no wider than width pixels in font, at its blanks (a
// word wider than width stands alone).
std::vector<std::string> WrapText(const TfwFont* font, const std::string& text, int32_t width);
// One line on standard error, "tessaril: text", beside the log's.
void ReportToPlayer(const std::string& text);

// The title's lines (uTitleScreen.cpp).
// The title menu's entries (desktop and web), in the menu's order, and the
// menu as it stands: Continue while a game is kept, Kept games while several
// are, Quit where the program ends (not in a page). A line starts with its
// shortcut's name ("C - Continue level 7, timed (score 4200)"), except for a
// player by touch, who taps it.
enum class TMenuEntry : uint8_t {
    Continue,
    KeptGames,
    NewGame,
    Relaxed,
    Highscores,
    Options,
    HowToPlay,
    Quit
};
struct TMenuLine {
    TMenuEntry Entry;
    TAction Shortcut;
    std::string Text;
};
// Its texts are t's translations.
std::vector<TMenuLine> TitleMenu(const TfwCatalogue& t, const std::vector<TKeptOffer>& kept,
                                 const TControls& controls, bool quits, bool touch);
// The handheld title's help lines (it has no menu).
std::vector<std::string> TitleHelpLines(const TControls& controls);
// The desktop title's key lines for play, or the taps, swipes and held
// fingers of play by touch.
std::vector<std::string> TitleKeyLines(const TfwCatalogue& t, const TControls& controls,
                                       bool touch);
