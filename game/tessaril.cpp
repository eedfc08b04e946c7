// Start-up and shut-down of the game: the owned objects and bindings, the
// start values, the media list loaded behind the loading screen, the cursor
// sprites, and the program body.
#include "tessaril.h"

#include "fwAnimation.h"
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwLog.h"
#include "fwResource.h"
#include "fwSound.h"
#include "fwSprite.h"
#include "uCommandLine.h"
#include "uHighscore.h"
#include "uScreen.h"

#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int32_t kBoardWidth = 10;
constexpr int32_t kBoardHeight = 8;
constexpr int32_t kCellSize = 24;
// The board's top left corner on the screen.
constexpr int32_t kBoardLeft = 5;
constexpr int32_t kBoardTop = 18;
// The cursor image holds two frames of this size side by side, shown this long each.
constexpr int32_t kCursorFrameSize = 28;
constexpr uint32_t kCursorFrameMs = 200;
// The cursor is drawn over the selection marker.
constexpr int32_t kCursorZ = 10;
constexpr int32_t kSelectionZ = 9;
constexpr int32_t kSelectionSequence = 1; // of the cursor picture's sequences
constexpr uint8_t kSplashAlpha = 160;
// The window's icon: the desktop entry's icon, copied into the media tree.
constexpr const char* kWindowIcon = "data/images/icon.png";

} // namespace

TMiniGame::TMiniGame(const TfwCommandLine& commandLine) : TfwGameApp(commandLine) {
    imageList_ = std::make_unique<TfwSDLImages>();
    engine_ = std::make_unique<TfwSpriteEngine>(this);
    view_.Engine = engine_.get();
    states_.SetScreens(MakeScreens(context_), std::make_unique<TScreen>(context_));
    WindowTitle = "Tessaril";
    WindowIconFile = kWindowIcon;
    LoadSettings();
    SpeakLanguage(prefs_.Language);
    SetBindings(prefs_.Controls.FrameBindings());
}

TMiniGame::~TMiniGame() {
    // The board and the cursor animations first: they refer into the engine.
    board_.reset();
    view_ = {};
    engine_.reset();
    cursorAnimations_.reset();
    imageList_.reset();
    playList_.clear();
    images_.clear();
    // The tables are members: they go with the game, before the application part.
    // The application part then frees the registry (music, sounds, fonts) and
    // shuts SDL down.
}

TfwSDLImage* TMiniGame::AddImage(TfwResourceLoader& loader, const std::string& name,
                                 const std::string& file) {
    images_.push_back(imageList_->NewImage(0));
    return loader.Add(images_.back().get(), name, file);
}

TfwSprite* TMiniGame::MakeCursorSprite(int32_t z) {
    TfwSprite* sprite = engine_->AddChildOfClass<TfwSprite>();
    sprite->SetImage(media_.CursorImage);
    sprite->Animations = cursorAnimations_.get();
    sprite->FrameDelay = kCursorFrameMs;
    sprite->Looping = true;
    sprite->SetZ(z);
    return sprite;
}

void TMiniGame::InitGame() {
    RestoreVolumes();
    MakeBoard();
    imageList_->SetColorKey(true, 255, 0, 255);
    LoadLoadingScreen();
    FillPlayList();
    music_ = CreateMusic(0);
    if (music_ != nullptr)
        NextTrack();
    if (!Silent)
        Mix_Volume(-1, sounds_.Effects);
    QueueMedia();
    FinishStart();
}

void TMiniGame::MakeBoard() {
    engine_->SetPos(kBoardLeft, kBoardTop, 0);
    board_ = std::make_unique<TGameGrid>(engine_.get());
    board_->SetGridSize(kBoardWidth, kBoardHeight);
    board_->SetCellSize(kCellSize, kCellSize);
    view_.Board = board_.get();
    // -seed=N deals every board from N: a game that can be played again.
    if (CommandLine.Error.empty() && CommandLine.Seed >= 0)
        board_->FixSeed(static_cast<uint32_t>(CommandLine.Seed));
}

std::optional<uint32_t> TMiniGame::StartStep() {
    if (!mediaLoader_)
        return std::nullopt;
    if (mediaLoader_->LoadNext([this](int32_t done, int32_t total) { LoadProgress(done, total); }))
        return kLoadingFrameMs;
    mediaLoader_.reset();
    UseLoadedMedia();
    return std::nullopt;
}

void TMiniGame::UseLoadedMedia() {
    RequirePictures();
    if (media_.Splash != nullptr)
        media_.Splash->SetAlpha(kSplashAlpha);
    MakeCursorSprites();
    THighscoreEditor& editor = *tables_.Editor();
    editor.TextColour = static_cast<int32_t>(kTextColour);
    editor.NameFont = media_.F3;
    editor.ScoreFont = media_.F2;
    editor.HelpFont = media_.F1;
    kept_.Read(board_->Width, board_->Height);
}

void TMiniGame::RequirePictures() const {
    // One missing picture costs a log line and the game goes on; without any
    // there is nothing to show, and the player is told so.
    for (const auto& image : images_)
        if (image->Loaded)
            return;
    throw EfwError("No picture of the game could be loaded from data/images (the data folder "
                   "is missing, unreadable or empty)");
}

void TMiniGame::WindowDeactivated() {
    states_.Screen().WindowDeactivated();
}

void TMiniGame::PreferencesChanged() {
    SetBindings(prefs_.Controls.FrameBindings());
    sounds_.Apply();
    SaveSettings();
}

void TMiniGame::PageHidden() {
    // The page may not come back: the game is kept as if left, and plays on
    // from there when it does.
    KeepGame(true);
    states_.Screen().PageHidden();
}

void TMiniGame::DoneGame() {
    // However the program ends, a player's game is kept and a name being
    // entered is stored as it stands.
    KeepGame();
    states_.Screen().ProgramEnds();
    SaveSettings();
}

void TMiniGame::LoadLoadingScreen() {
    // Loaded at once, without the loader: the loading screen itself shows them.
    auto keep = [this](std::unique_ptr<TfwSDLImage> image) {
        TfwSDLImage* raw = image.get();
        if (image)
            images_.push_back(std::move(image));
        return raw;
    };
    media_.Splash = keep(imageList_->LoadImage(kSplashImage.Name, kSplashImage.File));
    media_.Logo = keep(imageList_->LoadImage(kLogoImage.Name, kLogoImage.File));
    media_.BarBlock = keep(imageList_->LoadImage(kBarBlockImage.Name, kBarBlockImage.File));
}

void TMiniGame::QueueMedia() {
    mediaLoader_ = std::make_unique<TfwResourceLoader>();
    media_.StoneImages.fill(nullptr);
    std::array<TfwResource*, kMediaCount> media{};
    for (const TMediaItem& item : kMediaList) {
        // The handheld's pictures carry their words: it letters nothing.
        const bool lettering = item.Id >= miFontBanner && item.Id <= miFontTiny;
        if (!(kHandheld && lettering))
            media[item.Id] = AddMedia(*mediaLoader_, item);
    }
    UseMedia(media);
}

TfwResource* TMiniGame::AddMedia(TfwResourceLoader& loader, const TMediaItem& item) {
    switch (item.Kind) {
    case TMediaKind::Sound:
        return loader.Add(CreateSound(0), item.Name, Platform().SoundFile(item.File));
    case TMediaKind::Font:
        return loader.Add(CreateFont(item.FontSize, 0), item.Name, item.File);
    case TMediaKind::Image:
        return AddImage(loader, item.Name, item.File);
    }
    return nullptr;
}

namespace {

// The fonts of the media list, and on the desktop and the web the lettering
// in them (the handheld's pictures carry their words).
void UseFonts(const std::array<TfwResource*, kMediaCount>& media, TGameMedia& out,
              std::unique_ptr<TLettering>& lettering) {
    auto font = [&media](TMediaId id) { return static_cast<TfwFont*>(media[id]); };
    out.F1 = font(miFontSmall);
    out.F2 = font(miFontMedium);
    out.F3 = font(miFontLarge);
    out.FontBanner = font(miFontBanner);
    out.FontLine = font(miFontLine);
    out.FontLabel = font(miFontLabel);
    out.FontTiny = font(miFontTiny);
    if constexpr (!kHandheld) {
        lettering = std::make_unique<TLettering>(std::vector<TfwFont*>{
            out.FontBanner, out.F3, out.F2, out.F1, out.FontLine, out.FontLabel, out.FontTiny});
        out.Lettering = lettering.get();
    }
}

} // namespace

void TMiniGame::UseMedia(const std::array<TfwResource*, kMediaCount>& media) {
    auto sound = [&media](TMediaId id) { return static_cast<TfwSDLSound*>(media[id]); };
    auto image = [&media](TMediaId id) { return static_cast<TfwSDLImage*>(media[id]); };
    media_.SoundExplode = sound(miSoundExplode);
    media_.SoundGameOver = sound(miSoundGameOver);
    media_.SoundNextLevel = sound(miSoundNextLevel);
    media_.SoundNoMoves = sound(miSoundNoMoves);
    media_.SoundRestart = sound(miSoundRestart);
    media_.SoundClick1 = sound(miSoundClick1);
    media_.SoundClick2 = sound(miSoundClick2);
    UseFonts(media, media_, lettering_);
    media_.Steps = image(miSteps);
    media_.Digits = image(miDigits);
    media_.TimeLabel = image(miTimeLabel);
    media_.LevelLabel = image(miLevelLabel);
    media_.LivesLabel = image(miLivesLabel);
    media_.PointsLabel = image(miPointsLabel);
    media_.PressKeyImage = image(miPressKey);
    media_.PausedImage = image(miPaused);
    media_.GameOverImage = image(miGameOverImage);
    media_.LevelDoneImage = image(miLevelDoneImage);
    media_.OutOfTimeImage = image(miOutOfTimeImage);
    media_.NoMovesImage = image(miNoMovesImage);
    media_.OverlayDigits = image(miOverlayDigits);
    media_.PauseSymbol = image(miPauseSymbol);
    media_.MarkerImage = image(miMarker);
    media_.CursorImage = image(miCursor);
    for (const TMediaItem& item : kMediaList)
        if (item.StoneKind > 0)
            media_.StoneImages[item.StoneKind - 1] = image(item.Id);
}

void TMiniGame::MakeCursorSprites() {
    cursorAnimations_ = std::make_unique<TfwAnimSequences>();
    TfwAnimSequence* frames = cursorAnimations_->Add();
    frames->AddFrame(0, 0, kCursorFrameSize, kCursorFrameSize);
    frames->AddFrame(kCursorFrameSize, 0, kCursorFrameSize, kCursorFrameSize);
    // The selection has a steady frame of its own, right of the cursor's two,
    // so a stone selected by keys under the cursor shows that it is.
    cursorAnimations_->Add()->AddFrame(2 * kCursorFrameSize, 0, kCursorFrameSize, kCursorFrameSize);
    view_.Cursor = MakeCursorSprite(kCursorZ);
    view_.Cursor->Show();
    view_.Selection = MakeCursorSprite(kSelectionZ);
    view_.Selection->Sequence = kSelectionSequence;
    view_.Selection->Hide();
}

// --- Program body ---

namespace {

constexpr int kExitNormal = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2; // a command line the program refused

// A run ended by an error: its message goes to the log and, for the player
// who started the program, to standard error with SDL's reason where known.
int ReportFailure(const std::exception& e) {
    Log().Write(e.what());
    std::string line = std::string("tessaril: ") + e.what();
    if (const auto* sdl = dynamic_cast<const EfwSDLError*>(&e); sdl && !sdl->Reason.empty())
        line += ": " + sdl->Reason;
    std::fprintf(stderr, "%s\n", line.c_str());
    return kExitFailed;
}

} // namespace

int RunGuarded(const std::function<void()>& body) {
    try {
        body();
    } catch (const EfwError& e) {
        return ReportFailure(e);
    } catch (const std::exception& e) {
        return ReportFailure(e); // from the standard library (allocation, containers)
    }
    return kExitNormal;
}

int TessarilMain(const std::vector<std::string>& args) {
    TfwCommandLine line; // the handheld takes no options: its launcher gives none
    if constexpr (!kHandheld) {
        line = fwParseCommandLine(args);
        if (!line.Error.empty()) {
            std::fprintf(stderr, "tessaril: %s\n%s", line.Error.c_str(),
                         UsageText(StoredLanguage(), StoredControls()).c_str());
            return kExitUsage;
        }
        if (line.Help) {
            std::fputs(UsageText(StoredLanguage(), StoredControls()).c_str(), stdout);
            return kExitNormal;
        }
    }
    return RunGuarded([&line] { RunApp<TMiniGame>(line); });
}
