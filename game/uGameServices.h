// The game's services: what the screens and the rules share besides the
// session and the board. Each is a small object the game owns; a screen gets
// references to them (uScreen.h) and never the game itself.
#pragma once

#include "fwConfig.h"
#include "uControls.h"
#include "uKeptGames.h"
#include "uSaveGame.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TfwGameApp;
class TfwSDLSound;
class TfwSprite;
class TfwSpriteEngine;
class TGameGrid;
class THighscoreEditor;
class THighscoreManager;
class THScoreItem;

// The effects the game plays and the two volumes, each 0 .. 128.
class TGameSounds {
public:
    explicit TGameSounds(const TfwGameApp& app) : app_(app) {}

    int32_t Effects = 80;
    int32_t Music = kHandheld ? 40 : 60;
    // Told of every sound the game is about to play and its volume, also of
    // a sound that failed to load (nullptr); empty in the game, set by tests.
    std::function<void(const TfwSDLSound* sound, int32_t volume)> OnPlay;

    void Play(TfwSDLSound* sound, int32_t volume);
    void Play(TfwSDLSound* sound) { Play(sound, Effects); }
    // The louder sounds of a level's or a game's end: the music's volume * 1.25, truncated.
    int32_t Loud() const { return Music * 5 / 4; }
    // Both volumes by step, only while both stay in 0 .. 128, then applied.
    void Step(int32_t step);
    // The volumes to the mixer; nothing while the program is silent.
    void Apply() const;

private:
    const TfwGameApp& app_;
};

// The high score tables: the timed game's (highscore.dat), the relaxed
// game's (highscore-relaxed.dat; none on the handheld), the name entry's
// editor, the table the table screen shows and the name the entry offers.
class TScoreTables {
public:
    explicit TScoreTables(TfwGameApp* app);
    ~TScoreTables();

    THighscoreManager* Timed() const { return timed_.get(); }
    THighscoreManager* Relaxed() const { return relaxed_.get(); }
    // The table of a kind of game (the timed one where there is no other).
    THighscoreManager* Of(TGameKind kind) const;
    THighscoreManager* ShownTable() const { return Of(Shown); }
    THighscoreEditor* Editor() const { return editor_.get(); }
    // Would the table of kind take score?
    bool Takes(TGameKind kind, int32_t score) const;
    // The row of the game that has just ended, in the table of kind, under
    // name, saved: a new row the first time, the same row (its name changed,
    // its date kept) after. False when the save failed (the table's
    // SaveError says why).
    bool StoreRow(TGameKind kind, const std::string& name, int32_t score);
    // That row taken out of its table again, saved (the name entry left
    // without a name).
    void WithdrawRow(TGameKind kind);
    // The row stays as stored; the next game's row is a new one.
    void FinishRow() { row_ = nullptr; }
    bool RowStored() const { return row_ != nullptr; }

    TGameKind Shown = TGameKind::Timed;
    std::string LastName; // offered by the name entry; kept in settings.txt on the desktop

private:
    std::unique_ptr<THighscoreManager> timed_;
    std::unique_ptr<THighscoreManager> relaxed_;
    std::unique_ptr<THighscoreEditor> editor_;
    THScoreItem* row_ = nullptr; // StoreRow's row, owned by its table; nullptr: none
};

// Who plays the game being played, and the title's idle count.
struct TPlayMode {
    bool Demo = false;     // the idle title's demo, which plays itself
    bool AutoPlay = false; // the game plays itself (the player's switch, or the demo)
    int32_t IdleSeconds = 0;
    // A player's own game (no demo, no autoplay) in a build that keeps games.
    bool KeepsGame() const { return !kHandheld && !Demo && !AutoPlay; }
};

// The board as the screens see it: the sprite engine, the board on it, the
// cursor and the selection marker (the engine's); nullptr before the game's
// start-up made them.
struct TBoardView {
    TfwSpriteEngine* Engine = nullptr;
    TGameGrid* Board = nullptr;
    TfwSprite* Cursor = nullptr;
    TfwSprite* Selection = nullptr;
};

// The player's choices the options screen makes, kept with the settings
// (desktop and web; the handheld keeps its defaults).
struct TPreferences {
    TControls Controls;
    bool PauseWhenAway = true; // the window losing the focus pauses a game in play
    std::string Language;      // the language chosen (fwLanguage.h's names), "" = automatic
};

// The moves of the game that the screens make: the game's answers to a
// player's choices, each a rule of more than the session alone.
class TGameMoves {
public:
    virtual ~TGameMoves() = default;
    // From the title: a new game of the kind, kept beside the kept ones; a
    // kept game continued on its ready overlay, its stones at rest.
    virtual void NewGameOf(TGameKind kind) = 0;
    virtual void ContinueGame(const TKeptOffer& offer) = 0;
    // Leaving a game, the demo's or the player's, for the title: a player's
    // game is kept, autoplay and the demo end, the idle count starts again,
    // and the title shows the player's last score.
    virtual void LeaveForTitle() = 0;
    virtual void StartNextLevel() = 0;
    // The restart key: the level dealt again through retry, with the score it
    // was last dealt with.
    virtual void RestartLevel() = 0;
    // Retry's select: the level dealt again, and play.
    virtual void DealAgain() = 0;
    // The name entry for the session's score, offering the last name.
    virtual void EnterName() = 0;
    // The idle title's demo: a new game that plays itself.
    virtual void StartDemo() = 0;
    // The select key in play, on the cursor's cell.
    virtual void TryStone() = 0;
    // Rules of a frame of play; false: the frame ends without input.
    virtual bool PlayRules() = 0;
    // The hint, paid for, shown on the board.
    virtual void Hint() = 0;
    // Board files: puzzle1.txt written, puzzle.txt read.
    virtual void SaveBoardFile() = 0;
    virtual void LoadBoardFile() = 0;
    // A key, a pad button or a mouse button went down in this frame.
    virtual bool InputThisFrame() const = 0;
    // The preferences, the volumes or the window changed: the bindings follow
    // at once, and the settings are written.
    virtual void PreferencesChanged() = 0;
};
