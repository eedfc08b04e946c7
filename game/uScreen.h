// The screens: what the game shows and answers in each of its states, one
// object a state behind one small interface. The game owns one screen per
// state (made from the table in uScreen.cpp) and hands each frame's input,
// its step, its tick and its drawing to the screen of its state. A screen
// keeps its own data; the game's belongs to the game.
#pragma once

#include "tessaril.h"

#include <SDL.h>

#include <memory>

class TScreen {
public:
    explicit TScreen(TMiniGame& game) : Game(game) {}
    virtual ~TScreen() = default;
    TScreen(const TScreen&) = delete;
    TScreen& operator=(const TScreen&) = delete;

    // The screen takes over from another, or hands over to one: at the end of
    // the frame in which SetState named the new state.
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
    TMiniGame& Game;

    // The keys several screens share; each answers whether it took its key.
    bool LeaveGameKey(); // the quit key: back to the title
    bool RestartKey();   // deal the level again, through retry, with the score it was dealt with
    bool PauseKey(TGameState next);
};

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

// The screen of a state, made for game; each screen's file defines its own.
template <TGameState S> std::unique_ptr<TScreen> MakeScreen(TMiniGame& game);

// The screens of every state, from the one table.
TScreenList MakeScreens(TMiniGame& game);
