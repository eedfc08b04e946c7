// The game: the one application object of the program. It owns the sprite
// engine, the board, the high score scenes, the image list and the play list,
// holds every game variable, and fills the frame hooks of the application:
// state machine and keys, the rules of a game, the screens, the music play
// list and the board files.
#pragma once

#include "fwGameApp.h"
#include "uGameGrid.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TfwAnimSequences;
class TfwFont;
class TfwSDLImage;
class TfwSDLImages;
class TfwSDLMusic;
class TfwSDLSound;
class TfwSprite;
class TfwSpriteEngine;
class THighscoreEditor;
class THighscoreManager;

// The game's states; 2 and 3 are unused.
enum TGameState : uint8_t {
    gsTitle = 1,
    gsReady = 4,
    gsPlaying = 5,
    gsRetry = 6,
    gsLevelDone = 7,
    gsPaused = 8,
    gsGameOver = 9,
    gsHighscores = 10,
    gsEnterName = 11,
};

// All text the game draws is orange.
inline constexpr uint32_t kTextColour = 0xFFFF8000;

// The music play list: kept sorted without regard to case, an entry equal to
// one present (without regard to case) is not added again.
void AddToPlayList(std::vector<std::string>& list, const std::string& entry);
// The lines of a play list file, taken whole; an empty line is an empty entry.
std::vector<std::string> SplitPlayListLines(const std::string& content);

// One line of a board file: column, row, stone kind.
struct TBoardFileLine {
    int32_t Col;
    int32_t Row;
    int32_t Kind;
};
// Reads a board file's text (lines end with LF, CR LF or CR). Every line holds three integers (more
// text after them is ignored) with a kind of 1 to 32; blank lines are skipped. On a bad line the
// lines before it are in lines and the result is its 1-based number; 0 when the whole text is good.
int ParseBoardFile(const std::string& content, std::vector<TBoardFileLine>& lines);

class TMiniGame : public TfwGameApp {
public:
    explicit TMiniGame(const std::vector<std::string>& args = {});
    ~TMiniGame() override;

    // Owned objects, made by the constructor.
    std::unique_ptr<TfwSpriteEngine> Engine;
    std::unique_ptr<TfwSDLImages> ImageList;
    std::vector<std::string> PlayList;
    std::unique_ptr<THighscoreManager> Highscores;
    std::unique_ptr<THighscoreEditor> NameEditor;
    // Made by InitGame.
    std::unique_ptr<TGameGrid> Board;
    std::unique_ptr<TfwAnimSequences> CursorAnimations;
    TfwSprite* Cursor = nullptr;    // the engine's
    TfwSprite* Selection = nullptr; // the engine's
    TfwSDLMusic* Music = nullptr;   // the registry's

    // Pictures (the game owns them; the image list only registers them).
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
    TfwSDLImage* MarkerImage = nullptr;
    TfwSDLImage* CursorImage = nullptr;
    TStoneImages StoneImages{}; // entry k-1: picture of stone kind k

    // Sounds and fonts (the registry's).
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

    // Game variables.
    uint8_t State = gsTitle;
    int32_t Score = 0;
    int32_t Lives = 3;
    int32_t Level = 1;
    int32_t TimeLeft = 60; // seconds
    int32_t Colours = 6;
    std::array<int32_t, 33> Goals{}; // indexed by stone kind 1 .. 32
    int32_t CursorCol = 0;
    int32_t CursorRow = 0;
    int32_t SelCol = -1;
    int32_t SelRow = -1;
    bool AutoPlay = false;
    bool DemoMode = false;
    int32_t IdleSeconds = 0;
    int32_t SoundVolume = 80; // 0 .. 128
    int32_t MusicVolume = 60; // 0 .. 128
    std::string LastName;
    int32_t TrackIndex = -1;
    int32_t KeySelect = SDLK_SPACE;
    int32_t KeyPause = SDLK_p;
    int32_t KeyQuit = SDLK_x;
    int32_t KeyVolumeDown = SDLK_1;
    int32_t KeyVolumeUp = SDLK_2;
    int32_t KeyHighscores = SDLK_h;
    // Told of every sound the game is about to play and its volume (0 .. 128),
    // also of a sound that failed to load; empty in the game, set by tests.
    std::function<void(const TfwSDLSound* sound, int32_t volume)> OnPlaySound;

    // Application hooks.
    void InitGame() override;
    void SecondElapsed(uint32_t elapsed) override;
    void UpdateFrame(SDL_Surface* surface) override;
    void DrawFrame(SDL_Surface* surface) override;
    void ProcessFrame(SDL_Surface* surface) override;
    // Mixer thread: only raises a flag that the next frame acts on.
    void MusicFinished() override;

    // Loading screen: the progress event of the start-up batch.
    void LoadProgress(int32_t done, int32_t total);

    // State machine and input.
    void SetState(uint8_t state);
    void HandleKeys();

    // Rules.
    void NewGame();
    void StartLevel(int32_t n);
    void GameOver();
    void DropAllStones();
    bool AllGoalsMet() const;
    void ShowHint();
    void StoneRemoved(TButtonSprite* stone);
    void StonesCleared(int32_t count);
    void RemoveMarker(TfwPosModifier* modifier);

    // Screens.
    // Digits of text from the digit strip; characters below "0" leave a gap.
    void DrawNumber(SDL_Surface* surface, int32_t x, int32_t y, const std::string& text,
                    bool rightAligned);

    // Board files: puzzle1.txt written, puzzle.txt read.
    void SaveBoardFile();
    void LoadBoardFile();

    // Music play list.
    void FindMusicFiles(const std::string& folder, std::vector<std::string>& list);
    void FillPlayList();
    void NextTrack();

    // The help lines of the title screen in this build.
    static std::array<const char*, 3> HelpLines();

private:
    void PlayKeys();
    void NoKeyStep();
    void TryStone(); // the select key in play
    void MakeSelection(int32_t col, int32_t row);
    void PlaySound(TfwSDLSound* sound, int32_t volume);
    int32_t LoudVolume() const { return MusicVolume * 5 / 4; } // MusicVolume * 1.25, truncated
    void SetVolumes();
    void StepVolumes(int32_t step); // both volumes by step, then applied
    void DrawBackground(SDL_Surface* surface);
    void DrawTitle(SDL_Surface* surface);
    void DrawGame(SDL_Surface* surface);
    void DrawOverlay(SDL_Surface* surface);
    TfwSDLImage* AddImage(class TfwResourceLoader& loader, const std::string& name,
                          const std::string& file);
    TfwSprite* MakeCursorSprite(int32_t z);

    std::vector<std::unique_ptr<TfwSDLImage>> images_; // every picture the game loaded
    std::atomic<bool> musicEnded_{false};
};

// The program body: runs the game inside the guard that logs an escaping
// error's message. The process's exit code.
int TessarilMain(const std::vector<std::string>& args);
