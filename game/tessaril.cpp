#include "tessaril.h"

#include "fwAnimation.h"
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwLog.h"
#include "fwResource.h"
#include "fwSound.h"
#include "fwSprite.h"
#include "uHighscore.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>

namespace {

constexpr int32_t kBoardWidth = 10;
constexpr int32_t kBoardHeight = 8;
constexpr int32_t kCellPitch = 26; // a 24-pixel cell and a 2-pixel gap
constexpr const char* kBoardSaveFile = "puzzle1.txt";
constexpr const char* kBoardLoadFile = "puzzle.txt";
constexpr const char* kPlayListFile = "./playlist.txt";
constexpr const char* kMusicFolder = "data/musics/";

// The board as drawn: (5, 18) to (265, 240) on the screen.
const TfwRect kBoardView = {5, 18, 265, 240};

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    content = out.str();
    return !in.bad();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// One decimal integer at text[pos], after blanks; false when there is none or
// it does not fit 32 bits.
bool ReadInteger(const std::string& text, size_t& pos, int32_t& value) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    size_t digits = pos;
    int64_t v = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        v = v * 10 + (text[pos] - '0');
        if (v > 0x80000000LL)
            return false;
        ++pos;
    }
    if (pos == digits)
        return false;
    if (text[start] == '-')
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

// The lines of a text file: lines end with LF, CR LF or CR; a last line
// without an end counts too.
std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace

// --- Play list and board file helpers ---

void AddToPlayList(std::vector<std::string>& list, const std::string& entry) {
    auto less = [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    };
    auto it = std::lower_bound(list.begin(), list.end(), entry, less);
    if (it != list.end() && strcasecmp(it->c_str(), entry.c_str()) == 0)
        return;
    list.insert(it, entry);
}

std::vector<std::string> SplitPlayListLines(const std::string& content) {
    return SplitLines(content);
}

int ParseBoardFile(const std::string& content, std::vector<TBoardFileLine>& lines) {
    int lineNumber = 0;
    for (const std::string& line : SplitLines(content)) {
        ++lineNumber;
        if (std::all_of(line.begin(), line.end(), IsBlank))
            continue;
        size_t at = 0;
        TBoardFileLine entry{};
        if (!ReadInteger(line, at, entry.Col) || !ReadInteger(line, at, entry.Row) ||
            !ReadInteger(line, at, entry.Kind))
            return lineNumber;
        // The rest of the line is skipped, as it always was.
        if (entry.Kind < 1 || entry.Kind > kStoneImageCount)
            return lineNumber;
        lines.push_back(entry);
    }
    return 0;
}

// --- Construction and start-up ---

TMiniGame::TMiniGame(const std::vector<std::string>& args) : TfwGameApp(args) {
    NameEditor = std::make_unique<THighscoreEditor>(this);
    Highscores = std::make_unique<THighscoreManager>(this);
    ImageList = std::make_unique<TfwSDLImages>();
    Engine = std::make_unique<TfwSpriteEngine>(this);
    Splash = nullptr;
    LastName.clear();
    Highscores->MaxEntries = 10;
    Highscores->LoadFromFile("highscore.dat");
}

TMiniGame::~TMiniGame() {
    // The board and the cursor animations first: they refer into the engine.
    Board.reset();
    Cursor = nullptr;
    Selection = nullptr;
    Engine.reset();
    CursorAnimations.reset();
    ImageList.reset();
    PlayList.clear();
    Highscores.reset();
    NameEditor.reset();
    images_.clear();
    // The application part then frees the registry (music, sounds, fonts) and
    // shuts SDL down.
}

TfwSDLImage* TMiniGame::AddImage(TfwResourceLoader& loader, const std::string& name,
                                 const std::string& file) {
    images_.push_back(ImageList->NewImage(0));
    return loader.Add(images_.back().get(), name, file);
}

TfwSprite* TMiniGame::MakeCursorSprite(int32_t z) {
    TfwSprite* sprite = Engine->AddChildOfClass<TfwSprite>();
    sprite->SetImage(CursorImage);
    sprite->Animations = CursorAnimations.get();
    sprite->FrameDelay = 200;
    sprite->Looping = true;
    sprite->SetZ(z);
    return sprite;
}

void TMiniGame::InitGame() {
    IdleSeconds = 0;
    DemoMode = false;
    MusicVolume = kHandheld ? 40 : 60;
    SoundVolume = 80;
    Colours = 6;
    Level = 1;
    Lives = 3;
    Score = 0;
    State = gsTitle;
    TimeLeft = 60;
    TrackIndex = -1;
    AutoPlay = false;
    KeySelect = kHandheld ? SDLK_b : SDLK_SPACE;
    KeyPause = kHandheld ? SDLK_a : SDLK_p;
    KeyQuit = SDLK_x;
    KeyVolumeDown = SDLK_1;
    KeyVolumeUp = SDLK_2;
    KeyHighscores = kHandheld ? SDLK_y : SDLK_h;

    Engine->SetPos(5, 18, 0);
    Board = std::make_unique<TGameGrid>(Engine.get());
    Board->SetGridSize(kBoardWidth, kBoardHeight);
    Board->SetCellSize(24, 24);

    ImageList->SetColorKey(true, 255, 0, 255);
    auto keep = [this](std::unique_ptr<TfwSDLImage> image) {
        TfwSDLImage* raw = image.get();
        if (image)
            images_.push_back(std::move(image));
        return raw;
    };
    Splash = keep(ImageList->LoadImage("SPLASH", "data/images/splash.bmp"));
    Logo = keep(ImageList->LoadImage("LOGO", "data/images/tessaril.bmp"));
    BarBlock = keep(ImageList->LoadImage("IWB", "data/images/whitesmall.bmp"));

    FillPlayList();
    Music = CreateMusic(0);
    if (Music != nullptr)
        NextTrack();
    Mix_Volume(-1, SoundVolume);

    {
        TfwResourceLoader loader;
        SoundExplode = loader.Add(CreateSound(0), "W01", "data/sounds/power8.wav");
        SoundGameOver = loader.Add(CreateSound(0), "W02", "data/sounds/gameover.wav");
        SoundNextLevel = loader.Add(CreateSound(0), "W03", "data/sounds/nextlevel.wav");
        SoundNoMoves = loader.Add(CreateSound(0), "W03", "data/sounds/nomovesleft.wav");
        SoundRestart = loader.Add(CreateSound(0), "W03", "data/sounds/restart.wav");
        SoundClick1 = loader.Add(CreateSound(0), "W04", "data/sounds/click1.wav");
        SoundClick2 = loader.Add(CreateSound(0), "W04", "data/sounds/click2.wav");
        F1 = loader.Add(CreateFont(12, 0), "F1", "data/fonts/orangefizz.ttf");
        F2 = loader.Add(CreateFont(14, 0), "F2", "data/fonts/orangefizz.ttf");
        F3 = loader.Add(CreateFont(16, 0), "F3", "data/fonts/orangefizz.ttf");
        Steps = AddImage(loader, "S1", "data/images/steps.bmp");
        Digits = AddImage(loader, "Z1", "data/images/zahlen.bmp");
        TimeLabel = AddImage(loader, "T1", "data/images/time.bmp");
        LevelLabel = AddImage(loader, "L1", "data/images/level.bmp");
        LivesLabel = AddImage(loader, "L2", "data/images/lives.bmp");
        PointsLabel = AddImage(loader, "P2", "data/images/points.bmp");
        PressKeyImage = AddImage(loader, "PK", "data/images/presskey.bmp");
        PausedImage = AddImage(loader, "GP", "data/images/gamepaused.bmp");
        GameOverImage = AddImage(loader, "GO", "data/images/gameover.bmp");
        MarkerImage = AddImage(loader, "P25", "data/images/p25.bmp");
        StoneImages.fill(nullptr);
        static const char* const kColourFiles[9] = {"dblue",  "green", "orange",  "purple", "red",
                                                    "yellow", "blue",  "magenta", "white"};
        for (int k = 0; k < 9; ++k)
            StoneImages[k] = AddImage(loader, "I" + std::to_string(k + 1),
                                      std::string("data/images/") + kColourFiles[k] + ".bmp");
        StoneImages[29] = AddImage(loader, "I10", "data/images/frame.bmp");
        CursorImage = AddImage(loader, "C1", "data/images/cursor.bmp");
        StoneImages[9] = AddImage(loader, "E1", "data/images/wetime.bmp");
        StoneImages[10] = AddImage(loader, "B1", "data/images/bomb.bmp");
        StoneImages[19] = AddImage(loader, "F1", "data/images/frame.bmp");
        loader.LoadAll([this](int32_t done, int32_t total) { LoadProgress(done, total); });
    }

    if (Splash != nullptr)
        Splash->SetAlpha(160);

    CursorAnimations = std::make_unique<TfwAnimSequences>();
    TfwAnimSequence* frames = CursorAnimations->Add();
    frames->AddFrame(0, 0, 28, 28);
    frames->AddFrame(28, 0, 28, 28);
    Cursor = MakeCursorSprite(10);
    Cursor->Show();
    Selection = MakeCursorSprite(9);
    Selection->Hide();

    NameEditor->TextColour = static_cast<int32_t>(kTextColour);
    NameEditor->NameFont = F3;
    NameEditor->ScoreFont = F2;
    NameEditor->HelpFont = F1;
}

void TMiniGame::LoadProgress(int32_t done, int32_t total) {
    const int32_t blocks = (total > 0 ? done * 24 / total : 0) + 1;
    if (Splash == nullptr)
        return;
    SDL_Surface* surface = GetSurface();
    Splash->Draw(surface, 0, 0);
    if (Logo != nullptr)
        Logo->Draw(surface, 5, 5);
    if (BarBlock != nullptr)
        for (int32_t i = 0; i < blocks; ++i)
            BarBlock->Draw(surface, 5 + i * BarBlock->Width(), 210);
    Flip();
    SDL_Event dropped;
    SDL_PollEvent(&dropped);
    fwDelay(25);
}

// --- State machine and input ---

void TMiniGame::SetState(uint8_t state) {
    if (state == State)
        return;
    State = state;
    if (state == gsTitle)
        IdleSeconds = 0;
}

void TMiniGame::SetVolumes() {
    Mix_VolumeMusic(MusicVolume);
    Mix_Volume(-1, SoundVolume);
}

void TMiniGame::StepVolumes(int32_t step) {
    // The two volumes move together, and only while both stay in 0 .. 128.
    const int32_t sound = SoundVolume + step;
    const int32_t music = MusicVolume + step;
    if (sound >= 0 && sound <= MIX_MAX_VOLUME && music >= 0 && music <= MIX_MAX_VOLUME) {
        SoundVolume = sound;
        MusicVolume = music;
    }
    SetVolumes();
}

void TMiniGame::PlaySound(TfwSDLSound* sound, int32_t volume) {
    if (OnPlaySound)
        OnPlaySound(sound, volume);
    if (sound != nullptr)
        sound->Play(volume);
}

void TMiniGame::HandleKeys() {
    if (!AnyKeyPressed()) {
        NoKeyStep();
        return;
    }
    if (State == gsEnterName && NameEditor && NameEditor->HandleInput())
        return;
    if (State == gsHighscores && Highscores && Highscores->HandleInput())
        return;
    if (KeyPressed(SDLK_r, true)) {
        SetState(gsRetry);
        return;
    }
    if (KeyPressed(SDLK_l, true)) {
        LoadBoardFile();
        Cursor->Show();
        Selection->Hide();
        return;
    }
    if (KeyPressed(SDLK_s, true)) {
        SaveBoardFile();
        return;
    }
    // The handheld's A button is the pause key; the fixed autoplay switch
    // would shadow it there, so that build goes without it.
    if (!kHandheld && KeyPressed(SDLK_a, false)) {
        AutoPlay = !AutoPlay;
        return;
    }
    if (KeyPressed(KeyPause, false)) {
        if (State == gsPaused)
            SetState(gsPlaying);
        else if (State == gsPlaying)
            SetState(gsPaused);
    }
    if (KeyPressed(KeyVolumeDown, false))
        StepVolumes(-1);
    if (KeyPressed(KeyVolumeUp, false))
        StepVolumes(1);
    if (KeyPressed(KeyQuit, true)) {
        if (State == gsTitle)
            Quit();
        else
            SetState(gsTitle);
    }
    switch (State) {
    case gsTitle:
        if (KeyPressed(KeySelect, true)) {
            NewGame();
            SetState(gsReady);
        } else if (KeyPressed(KeyHighscores, true)) {
            Highscores->Activate();
            SetState(gsHighscores);
        }
        break;
    case gsReady:
        Cursor->Hide();
        if (KeyPressed(KeySelect, true)) {
            SetState(gsPlaying);
            Cursor->Show();
        }
        break;
    case gsRetry:
        if (Board->IsBusy() || !KeyPressed(KeySelect, true))
            break;
        StartLevel(Level);
        Selection->Hide();
        Cursor->Show();
        SetState(gsPlaying);
        break;
    case gsLevelDone:
        if (Board->IsBusy() || !KeyPressed(KeySelect, true))
            break;
        if (Music != nullptr)
            Music->Stop(500);
        StartLevel(Level + 1);
        Cursor->Show();
        SetState(gsPlaying);
        break;
    case gsPlaying:
        PlayKeys();
        break;
    case gsGameOver:
        if (KeyPressed(KeySelect, false))
            SetState(gsTitle);
        break;
    default:
        break;
    }
}

void TMiniGame::TryStone() {
    if (Selection->State == 1) {
        if (SelCol == CursorCol && SelRow == CursorRow) {
            Selection->Hide();
        } else {
            if (Board->IsValidSwap(SelCol, SelRow, CursorCol, CursorRow))
                Board->Swap(SelCol, SelRow, CursorCol, CursorRow);
            else
                Board->RejectSwap(SelCol, SelRow, CursorCol, CursorRow);
            Selection->Hide();
        }
        return;
    }
    MakeSelection(CursorCol, CursorRow);
}

void TMiniGame::MakeSelection(int32_t col, int32_t row) {
    SelCol = col;
    SelRow = row;
    Selection->Show();
}

void TMiniGame::PlayKeys() {
    if (KeyPressed(KeySelect, false)) {
        if (Board->IsBusy())
            return;
        KeyPressed(KeySelect, true);
        PlaySound(SoundClick2, SoundVolume);
        TryStone();
        return;
    }
    int32_t col = CursorCol;
    int32_t row = CursorRow;
    if (KeyPressed(SDLK_y, false) && !Board->IsBusy()) {
        TimeLeft = std::max(TimeLeft - 10, 0);
        ShowHint();
    }
    if (KeyPressed(SDLK_LEFT, false) && col > 0) {
        PlaySound(SoundClick1, SoundVolume);
        --col;
    }
    if (KeyPressed(SDLK_RIGHT, false) && col < Board->Width - 1) {
        PlaySound(SoundClick1, SoundVolume);
        ++col;
    }
    if (KeyPressed(SDLK_UP, false) && row > 0) {
        PlaySound(SoundClick1, SoundVolume);
        --row;
    }
    if (KeyPressed(SDLK_DOWN, false) && row < Board->Height - 1) {
        PlaySound(SoundClick1, SoundVolume);
        ++row;
    }
    // With a stone selected the cursor stays on it or a neighbour.
    if (Selection->State == 1 && std::abs(SelCol - col) + std::abs(SelRow - row) > 1)
        return;
    CursorCol = col;
    CursorRow = row;
}

void TMiniGame::NoKeyStep() {
    if (!AutoPlay || State != gsLevelDone || Board->IsBusy())
        return;
    if (DemoMode) {
        SetState(gsTitle);
        DemoMode = false;
        AutoPlay = false;
        Cursor->Hide();
        Selection->Hide();
    } else {
        if (Music != nullptr)
            Music->Stop(500);
        StartLevel(Level + 1);
        Cursor->Show();
        SetState(gsPlaying);
    }
}

// --- The rules: frames and seconds ---

void TMiniGame::MusicFinished() {
    musicEnded_.store(true);
}

void TMiniGame::UpdateFrame(SDL_Surface* surface) {
    (void)surface;
    // The mixer reported the end of a track on its own thread; the next one
    // starts here, on the main thread.
    if (musicEnded_.exchange(false))
        NextTrack();
    if (Cursor != nullptr) {
        Cursor->X = CursorCol * kCellPitch - 2;
        Cursor->Y = CursorRow * kCellPitch - 2;
        Cursor->Animate();
    }
    if (Selection != nullptr && Selection->State == 1) {
        Selection->X = SelCol * kCellPitch - 2;
        Selection->Y = SelRow * kCellPitch - 2;
        Selection->Animate();
    }
    if (Board)
        Board->UpdateModifiers(0);
}

void TMiniGame::ProcessFrame(SDL_Surface* surface) {
    (void)surface;
    if (!Board) {
        Quit();
        return;
    }
    if (State == gsPlaying) {
        Board->CheckBoard();
        if (!Board->IsBusy()) {
            if (Lives < 1) {
                AutoPlay = false;
                GameOver();
                return;
            }
            if (TimeLeft > 0) {
                if (AllGoalsMet()) {
                    DropAllStones();
                    PlaySound(SoundNextLevel, LoudVolume());
                    Score += Level * 250;
                    SetState(gsLevelDone);
                    Cursor->Hide();
                    return;
                }
                if (!Board->HasMoves()) {
                    --Lives;
                    if (Lives > 0) {
                        DropAllStones();
                        PlaySound(SoundNoMoves, LoudVolume());
                        SetState(gsRetry);
                        Cursor->Hide();
                    } else {
                        AutoPlay = false;
                        GameOver();
                    }
                    return;
                }
                if (AutoPlay) {
                    int32_t c1 = 0, r1 = 0, c2 = 0, r2 = 0;
                    if (Board->FindMove(1, c1, r1, c2, r2)) {
                        CursorCol = c1;
                        CursorRow = r1;
                        MakeSelection(c2, r2);
                        TryStone();
                    } else {
                        AutoPlay = false;
                    }
                }
            } else {
                --Lives;
                if (Lives < 1) {
                    AutoPlay = false;
                    GameOver();
                    return;
                }
                PlaySound(SoundRestart, 60);
                DropAllStones();
                SetState(gsRetry);
            }
        }
    } else if (State == gsEnterName && NameEditor && NameEditor->Finished) {
        State = gsHighscores;
        if (Highscores) {
            Highscores->AddScore(NameEditor->Name, static_cast<uint32_t>(NameEditor->Score), 1, 1);
            Highscores->Save();
            Highscores->Activate();
            LastName = NameEditor->Name;
        }
    } else if (State == gsHighscores && Highscores && Highscores->Finished) {
        Highscores->Deactivate();
        State = gsTitle;
    }
    HandleKeys();
}

void TMiniGame::SecondElapsed(uint32_t elapsed) {
    (void)elapsed;
    if (State == gsPlaying)
        --TimeLeft;
    if (!DemoMode && State == gsTitle) {
        ++IdleSeconds;
        if (IdleSeconds > 10) {
            NewGame();
            IdleSeconds = 0;
            SetState(gsPlaying);
            AutoPlay = true;
            DemoMode = true;
        }
    }
}

void TMiniGame::NewGame() {
    AutoPlay = false;
    Level = 1;
    Lives = 3;
    Score = 0;
    Colours = 6;
    TimeLeft = 60;
    StartLevel(1);
}

void TMiniGame::StartLevel(int32_t n) {
    SelCol = -1;
    SelRow = -1;
    Level = n;
    TimeLeft = (n - 1) * 5 + 60;
    CursorCol = Board->Width / 2;
    CursorRow = Board->Height / 2;
    Goals.fill(0);
    for (int k = 1; k <= kStoneImageCount; ++k)
        Goals[k] = n + 2;
    Colours = n > 10 ? 8 : n > 5 ? 7 : 6;
    Cursor->Hide();
    Selection->Hide();
    Board->OnStoneRemoved = [this](TButtonSprite* stone) { StoneRemoved(stone); };
    Board->OnStonesExploded = [this](int32_t count) { StonesCleared(count); };
    // The board discards the animations of the stones it frees, so a level
    // can start while stones still move.
    Board->NewBoard(StoneImages, Colours);
}

void TMiniGame::StoneRemoved(TButtonSprite* stone) {
    if (stone == nullptr || stone->Kind < 0 || stone->Kind > kStoneImageCount)
        return;
    Goals[stone->Kind] = std::max(Goals[stone->Kind] - 1, 0);
    Score += 25;
    TfwSprite* marker = Engine->AddChildOfClass<TfwSprite>();
    if (marker == nullptr)
        return;
    marker->SetImage(MarkerImage);
    const int32_t w = StoneImages[0] != nullptr ? StoneImages[0]->Width() : 0;
    const int32_t h = StoneImages[0] != nullptr ? StoneImages[0]->Height() : 0;
    marker->SetPos(stone->X + w / 2 - 5, stone->Y + h / 2 - 5, 0);
    marker->Show();
    TmodNonLocking* rise = Board->AddModifier(std::make_unique<TmodNonLocking>(marker, 240, 0, -1));
    rise->OnFinish = [this](TfwPosModifier* m) { RemoveMarker(m); };
}

void TMiniGame::RemoveMarker(TfwPosModifier* modifier) {
    if (modifier != nullptr && modifier->Target != nullptr)
        Engine->RemoveSprite(modifier->Target);
}

void TMiniGame::StonesCleared(int32_t count) {
    (void)count;
    PlaySound(SoundExplode, SoundVolume);
}

void TMiniGame::DropAllStones() {
    for (int32_t col = 0; col < Board->Width; ++col)
        for (int32_t row = 0; row < Board->Height; ++row)
            if (TButtonSprite* stone = Board->StoneAt(col, row))
                Board->AddModifier(std::make_unique<TmodButtonMoving>(stone, 112, 0, 2));
}

bool TMiniGame::AllGoalsMet() const {
    for (int32_t k = 1; k <= Colours && k <= kStoneImageCount; ++k)
        if (Goals[k] > 0)
            return false;
    return true;
}

void TMiniGame::ShowHint() {
    int32_t c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    if (!Board->FindMove(1, c1, r1, c2, r2))
        return;
    if (TButtonSprite* a = Board->StoneAt(c1, r1))
        a->Blink(true);
    if (TButtonSprite* b = Board->StoneAt(c2, r2))
        b->Blink(true);
}

void TMiniGame::GameOver() {
    SetState(gsGameOver);
    PlaySound(SoundGameOver, LoudVolume());
    if (Highscores && Highscores->IsHighscore(static_cast<uint32_t>(Score), 1, 1)) {
        SetState(gsEnterName);
        NameEditor->SetEntry(LastName, Score);
        NameEditor->Activate();
    }
}

// --- Screens ---

std::array<const char*, 3> TMiniGame::HelpLines() {
    if constexpr (kHandheld)
        return {"'B'  - Start game / select stone", "Cursor keys - move cursor", "'X' - Quit game"};
    else
        return {"SPACE - Start game / select stone", "Cursor keys - move cursor",
                "'x' - Quit game"};
}

void TMiniGame::DrawNumber(SDL_Surface* surface, int32_t x, int32_t y, const std::string& text,
                           bool rightAligned) {
    // A digit strip that failed to load draws nothing: blitting its empty
    // surface would log a failure for every digit of every frame.
    if (Digits == nullptr || Digits->Surface == nullptr)
        return;
    const std::string shown = text.substr(0, 31);
    const int32_t n = static_cast<int32_t>(shown.size());
    for (int32_t i = 0; i < n; ++i) {
        const int32_t c = static_cast<unsigned char>(shown[static_cast<size_t>(i)]);
        if (c < 48)
            continue; // blanks and signs leave a gap
        const int32_t at = rightAligned ? x - (n - i) * 6 : x + i * 6;
        Digits->Draw(surface, at, y, (c - 48) * 6, 0, 6, 14);
    }
}

void TMiniGame::DrawBackground(SDL_Surface* surface) {
    if (Splash != nullptr)
        Splash->Draw(surface, 0, 0);
    if (Logo != nullptr)
        Logo->Draw(surface, 5, 5);
}

void TMiniGame::DrawTitle(SDL_Surface* surface) {
    DrawBackground(surface);
    auto text = [&](TfwFont* font, int32_t x, int32_t y, const std::string& s) {
        if (font != nullptr)
            font->DrawText(surface, x, y, s, kTextColour);
    };
    text(F1, 5, 44, "Tessaril - Version 0.5");
    text(F3, 5, 64, "Written by ");
    text(F3, 15, 82, "Orvin Tasker (Programming / GP2XWIZ)");
    text(F3, 15, 100, "Mabel Quorne (Programming / Art)");
    text(F3, 15, 118, "The Internet (Sound)");
    text(F1, 250, 220, "Volume: " + std::to_string(SoundVolume));
    if (Score > 0)
        text(F2, 15, 154, "Last Score: " + std::to_string(Score));
    const auto help = HelpLines();
    text(F2, 15, 172, help[0]);
    text(F2, 15, 186, help[1]);
    text(F2, 15, 200, help[2]);
}

void TMiniGame::DrawGame(SDL_Surface* surface) {
    if (F3 != nullptr) {
        auto label = [&](TfwSDLImage* image, int32_t x) {
            if (image != nullptr)
                image->Draw(surface, x, 3);
        };
        label(PointsLabel, 5);
        DrawNumber(surface, 85, 2, std::to_string(Score), true);
        label(LivesLabel, 100);
        DrawNumber(surface, 130, 2, std::to_string(Lives), false);
        label(LevelLabel, 150);
        DrawNumber(surface, 180, 2, std::to_string(Level), false);
        label(TimeLabel, 200);
        char time[32];
        std::snprintf(time, sizeof time, "%2d:%.2d", TimeLeft / 60, TimeLeft % 60);
        DrawNumber(surface, 260, 2, time, true);
        for (int32_t i = 1; i <= Colours && i <= kStoneImageCount; ++i) {
            TfwSDLImage* stone = StoneImages[static_cast<size_t>(i - 1)];
            const int32_t h = stone != nullptr ? stone->Height() : 0;
            DrawNumber(surface, 292, (h + 2) * (i - 1) + 23, std::to_string(Goals[i]), true);
            if (stone != nullptr)
                stone->Draw(surface, 295, (h + 2) * (i - 1) + 18);
        }
    }
    if (State != gsPaused && Engine)
        Engine->DrawAll(surface, kBoardView);
}

void TMiniGame::DrawOverlay(SDL_Surface* surface) {
    if (!Board || Board->IsBusy())
        return;
    TfwSDLImage* overlay = nullptr;
    switch (State) {
    case gsReady:
    case gsRetry:
    case gsLevelDone:
        overlay = PressKeyImage;
        break;
    case gsPaused:
        overlay = PausedImage;
        break;
    case gsGameOver:
        overlay = GameOverImage;
        break;
    default:
        break;
    }
    if (overlay != nullptr)
        overlay->Draw(surface, 10, 110);
}

void TMiniGame::DrawFrame(SDL_Surface* surface) {
    ClearScreen();
    switch (State) {
    case gsTitle:
        DrawTitle(surface);
        break;
    case gsHighscores:
        DrawBackground(surface);
        if (Highscores && Engine)
            Highscores->DrawTable(surface, F1, 50, 230, 60, 15);
        break;
    case gsEnterName:
        DrawBackground(surface);
        if (NameEditor && Engine)
            NameEditor->Draw(surface);
        break;
    case gsReady:
    case gsPlaying:
    case gsRetry:
    case gsLevelDone:
    case gsPaused:
    case gsGameOver:
        DrawGame(surface);
        DrawOverlay(surface);
        break;
    default:
        break;
    }
}

// --- Board files ---

void TMiniGame::SaveBoardFile() {
    std::string text;
    for (int32_t col = 0; col < Board->Width; ++col)
        for (int32_t row = 0; row < Board->Height; ++row)
            if (TButtonSprite* stone = Board->StoneAt(col, row))
                text += std::to_string(col) + " " + std::to_string(row) + " " +
                        std::to_string(stone->Kind) + kLineEnd;
    std::FILE* file = std::fopen(kBoardSaveFile, "wb");
    bool ok = file != nullptr;
    if (ok)
        ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr && std::fclose(file) != 0)
        ok = false;
    // A board that cannot be saved is reported; play goes on.
    if (!ok)
        Log().Write("TMiniGame::SaveBoardFile",
                    std::string(kBoardSaveFile) + ": " + std::strerror(errno));
}

void TMiniGame::LoadBoardFile() {
    if (!FileExists(kBoardLoadFile))
        return;
    StartLevel(Level);
    std::string content;
    if (!ReadWholeFile(kBoardLoadFile, content)) {
        Log().Write("TMiniGame::LoadBoardFile",
                    std::string(kBoardLoadFile) + ": " + std::strerror(errno));
        return;
    }
    std::vector<TBoardFileLine> lines;
    const int bad = ParseBoardFile(content, lines);
    for (const TBoardFileLine& line : lines)
        Board->ChangeStone(line.Col, line.Row, line.Kind);
    // A malformed line ends the load, not the game.
    if (bad != 0)
        Log().Write("TMiniGame::LoadBoardFile", std::string(kBoardLoadFile) + " line " +
                                                    std::to_string(bad) +
                                                    ": expected column, row and kind 1 to 32");
}

// --- Music play list ---

void TMiniGame::FindMusicFiles(const std::string& folder, std::vector<std::string>& list) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    errno = 0;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ogg") == 0)
            AddToPlayList(list, prefix + name);
    }
    // readdir ends with nullptr on errors as at the end: tell them apart.
    if (errno != 0)
        Log().Write("TMiniGame::FindMusicFiles", folder + ": " + std::strerror(errno));
    closedir(dir);
}

void TMiniGame::FillPlayList() {
    PlayList.clear();
    std::string content;
    if (FileExists(kPlayListFile) && ReadWholeFile(kPlayListFile, content)) {
        for (const std::string& line : SplitPlayListLines(content))
            AddToPlayList(PlayList, line);
    } else {
        FindMusicFiles(kMusicFolder, PlayList);
    }
}

void TMiniGame::NextTrack() {
    ++TrackIndex;
    if (TrackIndex >= static_cast<int32_t>(PlayList.size()))
        TrackIndex = 0;
    if (PlayList.empty() || Music == nullptr)
        return;
    const std::string& entry = PlayList[static_cast<size_t>(TrackIndex)];
    if (!FileExists(entry))
        return;
    if (entry == Music->FileName)
        return;
    Music->LoadFromFile("M1", entry);
    Music->Play(MusicVolume, false, 0);
}

// --- Program body ---

int TessarilMain(const std::vector<std::string>& args) {
    try {
        RunApp<TMiniGame>(args);
    } catch (const EfwError& e) {
        // The program ends quietly; the log holds the reason.
        Log().Write(e.what());
    }
    return 0;
}
