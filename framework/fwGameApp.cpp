// The application object: its one instance, SDL's start-up, and the media
// factories. The window, the input, the sound and the main loop are in
// fwVideo.cpp, fwInput.cpp, fwAudio.cpp and fwFrameLoop.cpp.
#include "fwGameApp.h"

#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwLog.h"
#include "fwSound.h"

#include <cstdlib>
#include <utility>

namespace {

// The one application object of the process.
TfwGameApp* instance = nullptr;

// Fails start-up: one log line with the SDL error, then the exception, which
// carries the same error as its reason.
// own replaces SDL's error where it is set.
[[noreturn]] void FailInit(const char* tag, const char* message, const char* own = nullptr) {
    const std::string reason = own != nullptr ? own : SDL_GetError();
    Log().Write(tag, reason);
    throw EfwSDLError(message, reason);
}

constexpr const char* kInitTag = "SDLApp::InitSDL";
constexpr const char* kInitFailed = "InitSDL failed";
constexpr const char* kNoDisplay = "No graphical display (DISPLAY is not set or cannot be opened)";

// Without a graphical display SDL falls back on its own to drawing in the
// text terminal with characters (aalib, caca), whose terminal library may even
// end the process when TERM names no terminal. So when no driver is named the
// desktop asks SDL for X11 alone: false without a DISPLAY at all, and one that
// cannot be opened then fails SDL_Init. A driver named in SDL_VIDEODRIVER is
// used as asked. forced tells that SDL_VIDEODRIVER was set here.
bool ChooseVideoDriver(bool& forced) {
    forced = false;
    const char* named = std::getenv("SDL_VIDEODRIVER");
    if (kHandheld || (named != nullptr && *named != '\0'))
        return true;
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return false;
    forced = setenv("SDL_VIDEODRIVER", "x11", 1) == 0;
    return true;
}

} // namespace

TfwGameApp::TfwGameApp(TfwCommandLine commandLine) : CommandLine(std::move(commandLine)) {
    if (instance != nullptr)
        throw EfwError("SDLApp already exists");
    instance = this;
    platform_ = fwMakePlatform();
    audio_ = std::make_unique<TfwAudio>(*this);
    Resources = std::make_unique<TfwResourceManager>(true);
}

TfwGameApp::~TfwGameApp() {
    if (BackBuffer != nullptr)
        SDL_FreeSurface(BackBuffer);
    BackBuffer = nullptr;
    Resources.reset();
    instance = nullptr;
    SDL_Quit();
}

TfwGameApp* TfwGameApp::Instance() {
    return instance;
}

std::string TfwGameApp::ParseOption(const std::string& arg) {
    const char* blanks = " \t\r\n\f\v";
    size_t first = arg.find_first_not_of(blanks);
    std::string s = first == std::string::npos
                        ? std::string()
                        : arg.substr(first, arg.find_last_not_of(blanks) - first + 1);
    size_t dashes = s.find_first_not_of('-');
    s.erase(0, dashes == std::string::npos ? s.size() : dashes);
    size_t slashes = s.find_first_not_of('/');
    s.erase(0, slashes == std::string::npos ? s.size() : slashes);
    if (s.find('=') == std::string::npos)
        s += "=1";
    return s;
}

EfwSDLError::EfwSDLError(const std::string& message, std::string reason)
    : EfwError(message), Reason(std::move(reason)) {}

void TfwGameApp::InitSDL() {
    StartSDL();
    OpenJoystickAndAudio();
    OpenScreen();
    // A key held from one screen into the next must not read as pressed
    // anew there (X held on leaving play would end the program on the title).
    platform_->HoldKeysWithoutRepeats();
    // The desktop is played with the mouse too; the handheld has none.
    SDL_ShowCursor(kHandheld ? SDL_DISABLE : SDL_ENABLE);
    Log().Write(kInitTag, "Done");
}

void TfwGameApp::StartSDL() {
    bool forcedDriver = false;
    if (!ChooseVideoDriver(forcedDriver))
        FailInit(kInitTag, kInitFailed, kNoDisplay);
    // Audio starts on its own (OpenJoystickAndAudio): a machine without a
    // sound device plays silent.
    const int started = SDL_Init(platform_->InitFlags());
    if (forcedDriver)
        unsetenv("SDL_VIDEODRIVER"); // the environment as the player gave it
    if (started < 0)
        FailInit(kInitTag, kInitFailed, forcedDriver ? kNoDisplay : nullptr);
    if constexpr (!kHandheld)
        SDL_EnableUNICODE(1); // typed characters, for the name entry
}

void TfwGameApp::OpenJoystickAndAudio() {
    JoystickCount = SDL_NumJoysticks();
    if (JoystickCount > 0)
        Joystick = SDL_JoystickOpen(0);

    Silent = !audio_->Open();
    if (Silent)
        Log().Write(kInitTag, SDL_GetError());
}

void TfwGameApp::OpenScreen() {
    VideoInfo = SDL_GetVideoInfo();
    if (VideoInfo == nullptr)
        FailInit("SDLApp::InitSDL - SDL_GetVideoInfo", "InitSDL:Video failed");

    if constexpr (kHandheld) {
        VideoFlags = SDL_SWSURFACE;
        Screen = SDL_SetVideoMode(kPictureWidth, kPictureHeight, 16, VideoFlags);
    } else {
        DesktopWidth = VideoInfo->current_w;
        DesktopHeight = VideoInfo->current_h;
        DesktopDepth = VideoInfo->vfmt != nullptr ? VideoInfo->vfmt->BitsPerPixel : 0;
        ReadVideoOptions();
        ShowTitleAndIcon();
        SetVideoMode();
    }
    if (Screen == nullptr)
        FailInit(kInitTag, kInitFailed);
    SDL_SetClipRect(Screen, nullptr);
    if constexpr (!kHandheld) {
        if (BackBuffer == nullptr)
            FailInit(kInitTag, kInitFailed);
    } else if (UseBackBuffer) {
        BackBuffer = SDL_DisplayFormat(Screen);
    }
}

void TfwGameApp::Init(bool doInitSDL) {
    if (doInitSDL)
        InitSDL();
    InitGame();
}

void TfwGameApp::FinishStart() {
    if (!platform_->CallsMayWait())
        return;
    while (const auto shown = StartStep())
        fwDelay(*shown);
}

void TfwGameApp::Quit() {
    if (platform_->ProgramEnds())
        Terminated = true;
}

bool TfwGameApp::FilesKept() const {
    return platform_->FilesKept();
}

bool TfwGameApp::PlayerMayQuit() const {
    return platform_->ProgramEnds();
}

bool TfwGameApp::PlayerMaySwitchFullscreen() const {
    return platform_->SwitchesFullscreen();
}

TfwFont* TfwGameApp::CreateFont(int32_t size, int32_t tag) {
    return Resources->Adopt(std::make_unique<TfwFont>(size, tag));
}

TfwSDLImage* TfwGameApp::CreateImage(TfwSDLImages* images, int32_t tag) {
    return Resources->Adopt(std::make_unique<TfwSDLImage>(images, tag));
}

TfwSDLMusic* TfwGameApp::CreateMusic(int32_t tag) {
    if (Silent)
        return nullptr;
    return Resources->Adopt(std::make_unique<TfwSDLMusic>(tag));
}

TfwSDLSound* TfwGameApp::CreateSound(int32_t tag) {
    if (Silent)
        return nullptr;
    return Resources->Adopt(std::make_unique<TfwSDLSound>(tag));
}

void TfwGameApp::SpeakLanguage(const std::string& chosen) {
    Catalogue.Clear();
    Language = kfwEnglish;
    if constexpr (kHandheld)
        return;
    std::vector<std::string> problems;
    Language = fwLoadLanguage(chosen, Platform().PreferredLanguages(), kfwCatalogueFolder,
                              Catalogue, problems);
    for (const std::string& problem : problems)
        Log().Write("TfwGameApp::SpeakLanguage", problem);
    Platform().LanguageSpoken(Language);
}
