// The game: the one application object of the program. It owns the sprite
// engine, the board, the session of the game being played, the game's
// services (uGameServices.h), the image list, the play list and a screen for
// every state (uScreen.h), and fills the frame hooks of the application. Its
// methods live in the module of their subject: start-up and shut-down in
// tessaril.cpp, the input handed to the screens in uGameStates.cpp, the rules
// of a game in uGameRules.cpp, the kept game in uKeptGame.cpp, the loading
// screen and the frame's drawing in uScreens.cpp, the board files in
// uBoardFile.cpp, the music play list in uPlayList.cpp and the settings in
// uSettings.cpp.
#pragma once

#include "fwGameApp.h"
#include "fwPictureCache.h"
#include "uBoardFile.h"
#include "uGameGrid.h"
#include "uGameMedia.h"
#include "uGameServices.h"
#include "uGameSession.h"
#include "uLettering.h"
#include "uMediaList.h"
#include "uPlayList.h"
#include "uSaveGame.h"
#include "uScreen.h"
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
class TfwResource;
class TfwResourceLoader;
class TfwSprite;
class TfwSDLImages;
class TfwSDLMusic;
class TfwSpriteEngine;

// How long each picture of the loading bar stands, in ms.
inline constexpr uint32_t kLoadingFrameMs = 25;

class TMiniGame : public TfwGameApp, private TGameMoves {
public:
    explicit TMiniGame(const TfwCommandLine& commandLine = {});
    ~TMiniGame() override;

    // What the screens see: the session, the board and the game's services.
    TScreenContext& Context() { return context_; }
    const TScreenContext& Context() const { return context_; }
    // The game being played or last played.
    TGameSession& Session() { return session_; }
    const TGameSession& Session() const { return session_; }
    TGameState State() const { return states_.State(); }
    // Made by InitGame (nullptr before).
    TGameGrid* Board() const { return board_.get(); }
    // The loaded media.
    const TGameMedia& Media() const { return media_; }
    TfwSDLMusic* Music() const { return music_; } // the registry's; nullptr when silent
    const std::vector<std::string>& PlayList() const { return playList_; }
    int32_t TrackIndex() const { return trackIndex_; }
    // settings.txt as read, with what this run changed.
    const TSettings& Settings() const { return settings_; }
    // The last text told to screen readers (the web page's live region).
    const std::string& Announced() const { return announced_; }

    // Application hooks.
    // Readies the game and queues its media; the desktop loads them here,
    // behind the loading bar, the page's loop through StartStep.
    void InitGame() override;
    // One step of the media's load: draws the loading bar, which then stands
    // kLoadingFrameMs; after the last the game readies what uses the media.
    std::optional<uint32_t> StartStep() override;
    void SecondElapsed(uint32_t elapsed) override;
    void UpdateFrame(SDL_Surface* surface) override;
    // The change of screen the frame asked for.
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
    // The play list's next track, from its start after the last.
    void NextTrack();

    // Rules the frame hooks apply, open to the test harnesses.
    // Deals level n and, in a player's game, keeps it as the level's start.
    void StartLevel(int32_t n);
    // A stone taken off the board: its points, its goal and its +25 marker.
    void StoneRemoved(TButtonSprite* stone);
    // Every stone falls off the board, as at a level's end.
    void DropAllStones();
    // The game ended: nothing is kept, the game over screen follows.
    void GameOver();

private:
    // The moves the screens make (uGameServices.h).
    void NewGameOf(TGameKind kind) override;
    void ContinueGame(const TKeptOffer& offer) override;
    void LeaveForTitle() override;
    void StartNextLevel() override;
    void RestartLevel() override;
    void DealAgain() override;
    void EnterName() override;
    void StartDemo() override;
    void TryStone() override;
    bool PlayRules() override;
    void Hint() override;
    void SaveBoardFile() override;
    void LoadBoardFile() override;
    bool InputThisFrame() const override;
    void PreferencesChanged() override;

    // Start-up.
    void LoadLoadingScreen();
    void QueueMedia();
    void UseLoadedMedia();
    // Throws EfwError when not one picture of the game could be loaded.
    void RequirePictures() const;
    void MakeBoard();
    void MakeCursorSprites();
    TfwSprite* MakeCursorSprite(int32_t z);
    TfwSDLImage* AddImage(TfwResourceLoader& loader, const std::string& name,
                          const std::string& file);
    // One item of the media list added to the loader, made by the factory of its kind.
    TfwResource* AddMedia(TfwResourceLoader& loader, const TMediaItem& item);
    // The loaded media (by list position) to the members that use them.
    void UseMedia(const std::array<TfwResource*, kMediaCount>& media);

    // Input: this frame's pointer events (desktop and web), then its keys,
    // handed to the screen of the state; the volume keys every screen shares.
    void HandlePointer();
    void HandleKeys();
    void VolumeKeys();

    // Rules.
    // A new game of a kind; its level 1 dealt.
    void NewGame(TGameKind kind);
    // A level's variables and the cursor, without the board's deal.
    void BeginLevel(int32_t n);
    void MakeSelection(int32_t col, int32_t row);
    void LevelComplete();
    void NoMoveLeft();
    bool TimeUp();   // false when it ended the game
    bool LoseLife(); // true while lives remain; the last one ends the game
    void EndGame();
    void AutoPlayMove();
    void ShowHint();
    void RemoveMarker(TfwPosModifier* modifier);
    // Puts the cursor or the marker over a cell at the board's pitch, and animates it.
    void PlaceOnCell(TfwSprite* sprite, int32_t col, int32_t row);
    // Tells screen readers what happened; the demo tells nothing.
    void Announce(const std::string& text);

    // The kept game (desktop and web).
    // The board at rest in play: the point a kept game returns to.
    void RememberRestPoint();
    // At a rest of the board in play: a player's game written when it
    // changed; a game the player handed to autoplay no longer kept.
    void KeepAtRest();
    // The game as it stands written and flushed: a level's start, a lost
    // life. Only a player's own game.
    void KeepNow();
    // A player's game being left from ready, play, pause, retry or level
    // done (or the program ending, the page hidden): written and flushed for
    // the title to offer. Left on retry it is kept as that
    // level dealt again, on level done as the next level's start, both on
    // their ready overlay. Nothing from the demo; an autoplayed game drops it.
    void KeepGame(bool pageHidden = false);
    // In one of the states a player's game is left from.
    bool InGame() const;

    // Music: the next track once the mixer has reported the end of one.
    void FillPlayList();
    void NextTrackIfEnded();

    // Settings (desktop only; the handheld keeps none): settings.txt in the
    // working folder. LoadSettings, before InitSDL, reads the file and sets
    // the window's; RestoreVolumes, in InitGame, the volumes. SaveSettings
    // writes the file when a setting changed since the start of the run.
    void LoadSettings();
    void RestoreVolumes();
    void SaveSettings();
    bool SettingNumber(int index, int32_t low, int32_t high, int32_t& value);
    std::array<std::string, kSettingCount> SettingValues() const;

    std::unique_ptr<TfwSpriteEngine> engine_;
    TfwPictureCache titlePicture_;
    std::unique_ptr<TfwSDLImages> imageList_;
    std::vector<std::string> playList_;
    TSettings settings_;
    std::unique_ptr<TGameGrid> board_;
    std::unique_ptr<TfwAnimSequences> cursorAnimations_;
    TfwSDLMusic* music_ = nullptr;          // the registry's
    std::unique_ptr<TLettering> lettering_; // desktop and web: lettering in media_'s fonts
    TGameMedia media_;
    TGameSession session_;
    TGameSounds sounds_{*this};
    TScoreTables tables_{this};
    TKeptGame kept_;
    TPreferences prefs_;
    TPlayMode mode_;
    TBoardView view_;
    TGameStates states_;
    TScreenContext context_{*this,   media_,  session_, view_,  mode_, states_,
                            sounds_, tables_, kept_,    prefs_, *this, titlePicture_};
    int32_t trackIndex_ = -1;
    std::string announced_;
    std::vector<std::unique_ptr<TfwSDLImage>> images_; // every picture the game loaded
    std::unique_ptr<TfwResourceLoader> mediaLoader_;   // the media still loading
    std::atomic<bool> musicEnded_{false};
    bool screenChanged_ = false;  // the last frame changed the screen: the next draws the new one
    int32_t scoreBeforeDemo_ = 0; // the player's last score, shown again after the demo
    std::string settingsWritten_; // the settings file's text as last read or written
    std::array<std::string, kSettingCount> settingsAtStart_; // SettingValues when play began
    std::array<bool, kSettingCount> settingsChanged_{};      // changed at some moment of the run
    TControls controlsAtStart_;    // the bindings as the settings gave them
    bool controlsChanged_ = false; // the player changed a binding in this run
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
