#include "fwGameApp.h"

#include "fwAnimation.h"
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwLog.h"
#include "fwPlatform.h"
#include "fwRest.h"
#include "fwSound.h"

#include <SDL_image.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// The one application object of the process.
TfwGameApp* instance = nullptr;

TfwTicksFunc ticksFunc;
TfwDelayFunc delayFunc;
TfwUpdateRectsFunc updateRectsFunc;

// SDL_mixer calls this on its audio thread; a rest of the main loop ends, so
// that the next frame can act on it.
void OnMusicFinished() {
    if (instance != nullptr)
        instance->MusicFinished();
    fwWake();
}

// Fails start-up: one log line with the SDL error, then the exception, which
// carries the same error as its reason.
// own replaces SDL's error where it is set.
[[noreturn]] void FailInit(const char* tag, const char* message, const char* own = nullptr) {
    const std::string reason = own != nullptr ? own : SDL_GetError();
    Log().Write(tag, reason);
    throw EfwSDLError(message, reason);
}

// The once-a-second hook's period.
constexpr uint32_t kSecondMs = 1000;

// Share of the desktop (in percent) the window may take by default.
constexpr int32_t kDesktopSharePct = 85;
// The picture's bits per pixel, and the desktop depths a window takes as its own.
constexpr int kPictureDepth = 16;
constexpr int kDeepDesktop24 = 24;
constexpr int kDeepDesktop32 = 32;
// Every 16-bit value once: a square of 256 x 256 pixels.
constexpr int32_t kPixelValueSide = 256;
using TSurfacePtr = std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)>;

// Keys the frame takes for itself: F11 alone, Return together with Alt.
constexpr SDLKey kToggleKeys[] = {SDLK_F11, SDLK_RETURN};

// Writes one picture row of w pixels scale times wider into dst, each pixel
// through lut into the window's format (P: the window pixel's storage).
template <class P>
void ScaleRow(const Uint16* src, int32_t w, int32_t scale, const Uint32* lut, Uint8* dst) {
    P* d = reinterpret_cast<P*>(dst);
    for (int32_t x = 0; x < w; ++x) {
        const P v = static_cast<P>(lut[src[x]]);
        for (int32_t k = 0; k < scale; ++k)
            *d++ = v;
    }
}

// The same for three-byte window pixels, stored low byte first.
void ScaleRow24(const Uint16* src, int32_t w, int32_t scale, const Uint32* lut, Uint8* dst) {
    for (int32_t x = 0; x < w; ++x) {
        const Uint32 v = lut[src[x]];
        for (int32_t k = 0; k < scale; ++k) {
            *dst++ = static_cast<Uint8>(v);
            *dst++ = static_cast<Uint8>(v >> 8);
            *dst++ = static_cast<Uint8>(v >> 16);
        }
    }
}

Uint16* MutablePictureRow(SDL_Surface* s, int32_t y) {
    return reinterpret_cast<Uint16*>(static_cast<Uint8*>(s->pixels) +
                                     static_cast<ptrdiff_t>(y) * s->pitch);
}

const Uint16* PictureRow(const SDL_Surface* s, int32_t y) {
    return reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(s->pixels) +
                                           static_cast<ptrdiff_t>(y) * s->pitch);
}

// First and last pixel (inclusive) where two rows of w pixels differ; false
// when they are equal.
bool RowChange(const Uint16* a, const Uint16* b, int32_t w, int32_t& first, int32_t& last) {
    if (std::memcmp(a, b, static_cast<size_t>(w) * sizeof(Uint16)) == 0)
        return false;
    first = 0;
    while (a[first] == b[first])
        ++first;
    last = w - 1;
    while (a[last] == b[last])
        --last;
    return true;
}
constexpr uint8_t kPadHat = 0;  // the one hat the pad reads
constexpr uint8_t kPadAxes = 2; // axes 0 (left-right) and 1 (up-down)

} // namespace

SDL_PixelFormat* fwPictureFormat() {
    const SDL_Surface* video = SDL_GetVideoSurface();
    if (video == nullptr)
        return nullptr;
    if (instance != nullptr && instance->BackBuffer != nullptr)
        return instance->BackBuffer->format;
    return video->format;
}

uint32_t fwGetTicks() {
    return ticksFunc ? ticksFunc() : SDL_GetTicks();
}

void fwDelay(uint32_t ms) {
    if (delayFunc)
        delayFunc(ms);
    else
        SDL_Delay(ms);
}

void fwSetClock(TfwTicksFunc ticks, TfwDelayFunc delay) {
    ticksFunc = std::move(ticks);
    delayFunc = std::move(delay);
}

void fwSetUpdateRects(TfwUpdateRectsFunc update) {
    updateRectsFunc = std::move(update);
}

const std::vector<TfwButtonKey>& fwButtonKeys() {
    static const std::vector<TfwButtonKey> table = {
        {SDLK_UP, {0, 1, 7}},    {SDLK_LEFT, {1, 2, 3}}, {SDLK_DOWN, {3, 4, 5}},
        {SDLK_RIGHT, {5, 6, 7}}, {SDLK_RETURN, {8}},     {SDLK_SPACE, {9}},
        {SDLK_l, {10}},          {SDLK_r, {11}},         {SDLK_a, {12}},
        {SDLK_b, {13}},          {SDLK_x, {14}},         {SDLK_y, {15}},
        {SDLK_2, {16}},          {SDLK_1, {17}},
    };
    return table;
}

void fwApplyButtons(const bool (&buttons)[32], uint8_t* state, int count) {
    for (const TfwButtonKey& entry : fwButtonKeys())
        if (entry.Key < count)
            state[entry.Key] = 0;
    for (const TfwButtonKey& entry : fwButtonKeys())
        for (int button : entry.Buttons)
            if (buttons[button] && entry.Key < count)
                state[entry.Key] = 1;
}

TfwPadSet fwPadHeld(const bool (&buttons)[32], uint8_t hat, const int16_t (&axes)[2]) {
    TfwPadSet held;
    for (int button = 0; button < kfwPadButtons; ++button)
        held[static_cast<size_t>(button)] = buttons[button];
    if ((hat & SDL_HAT_LEFT) != 0 || axes[0] <= -kfwAxisDeadZone)
        held.set(kfwPadLeft);
    if ((hat & SDL_HAT_RIGHT) != 0 || axes[0] >= kfwAxisDeadZone)
        held.set(kfwPadRight);
    if ((hat & SDL_HAT_UP) != 0 || axes[1] <= -kfwAxisDeadZone)
        held.set(kfwPadUp);
    if ((hat & SDL_HAT_DOWN) != 0 || axes[1] >= kfwAxisDeadZone)
        held.set(kfwPadDown);
    return held;
}

TfwGameApp::TfwGameApp(TfwCommandLine commandLine) : CommandLine(std::move(commandLine)) {
    if (instance != nullptr)
        throw EfwError("SDLApp already exists");
    instance = this;
    platform_ = fwMakePlatform();
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

namespace {

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

// Counts what the mixer hands the device, on the audio thread (where the
// device may outrun time).
void CountMixed(void* app, Uint8* stream, int bytes) {
    (void)stream;
    static_cast<TfwGameApp*>(app)->AudioMixed += static_cast<uint64_t>(bytes);
}

} // namespace

void TfwGameApp::InitSDL() {
    // Audio starts on its own below: a machine without a sound device plays
    // silent.
    bool forcedDriver = false;
    if (!ChooseVideoDriver(forcedDriver))
        FailInit("SDLApp::InitSDL", "InitSDL failed", kNoDisplay);
    const int started = SDL_Init(platform_->InitFlags());
    if (forcedDriver)
        unsetenv("SDL_VIDEODRIVER"); // the environment as the player gave it
    if (started < 0)
        FailInit("SDLApp::InitSDL", "InitSDL failed", forcedDriver ? kNoDisplay : nullptr);
    if constexpr (!kHandheld)
        SDL_EnableUNICODE(1); // typed characters, for the name entry

    JoystickCount = SDL_NumJoysticks();
    if (JoystickCount > 0)
        Joystick = SDL_JoystickOpen(0);

    Silent = !OpenAudio();
    if (Silent)
        Log().Write("SDLApp::InitSDL", SDL_GetError());

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
        FailInit("SDLApp::InitSDL", "InitSDL failed");
    SDL_SetClipRect(Screen, nullptr);
    if constexpr (!kHandheld) {
        if (BackBuffer == nullptr)
            FailInit("SDLApp::InitSDL", "InitSDL failed");
    } else if (UseBackBuffer) {
        BackBuffer = SDL_DisplayFormat(Screen);
    }
    // A key held from one screen into the next must not read as pressed
    // anew there (X held on leaving play would end the program on the title).
    platform_->HoldKeysWithoutRepeats();
    // The desktop is played with the mouse too; the handheld has none.
    SDL_ShowCursor(kHandheld ? SDL_DISABLE : SDL_ENABLE);
    Log().Write("SDLApp::InitSDL", "Done");
}

int32_t TfwGameApp::FitScale(int32_t width, int32_t height) {
    return std::max<int32_t>(1, std::min(width / kPictureWidth, height / kPictureHeight));
}

void TfwGameApp::ReadVideoOptions() {
    const int32_t fit =
        FitScale(DesktopWidth * kDesktopSharePct / 100, DesktopHeight * kDesktopSharePct / 100);
    WindowScale = StartScale >= 1 && StartScale <= kfwMaxScale ? StartScale : fit;
    if (!CommandLine.Error.empty()) {
        Log().Write("SDLApp::InitSDL", "command line refused (" + CommandLine.Error +
                                           "); using scale " + std::to_string(WindowScale));
    } else {
        if (CommandLine.Fullscreen >= 0)
            Fullscreen = CommandLine.Fullscreen == 1;
        if (CommandLine.Scale >= 1 && CommandLine.Scale <= kfwMaxScale)
            WindowScale = CommandLine.Scale;
    }
    FitScaleToDesktop();
}

// A window larger than the whole desktop could not be seen whole: the scale
// is cut to the largest that fits, and the player who asked for it is told.
int32_t TfwGameApp::CutToDesktop(int32_t scale, int32_t desktopWidth, int32_t desktopHeight) {
    if (desktopWidth < kPictureWidth || desktopHeight < kPictureHeight)
        return scale; // the driver tells no size
    return std::min(scale, FitScale(desktopWidth, desktopHeight));
}

void TfwGameApp::FitScaleToDesktop() {
    const int32_t most = CutToDesktop(WindowScale, DesktopWidth, DesktopHeight);
    if (most == WindowScale)
        return;
    const std::string line = "scale " + std::to_string(WindowScale) + " is larger than the " +
                             std::to_string(DesktopWidth) + " x " + std::to_string(DesktopHeight) +
                             " desktop; using scale " + std::to_string(most);
    std::fprintf(stderr, "%s\n", line.c_str());
    Log().Write("SDLApp::InitSDL", line);
    WindowScale = most;
}

// Before the first mode is set: SDL hands the icon to the window manager
// only with the window's creation.
void TfwGameApp::ShowTitleAndIcon() {
    if (!WindowTitle.empty())
        SDL_WM_SetCaption(WindowTitle.c_str(), WindowTitle.c_str());
    if (WindowIconFile.empty() || !platform_->ShowsWindowIcon())
        return;
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> icon(IMG_Load(WindowIconFile.c_str()),
                                                              SDL_FreeSurface);
    if (icon == nullptr) {
        Log().Write("SDLApp::InitSDL", WindowIconFile + ": " + SDL_GetError());
        return;
    }
    SetWindowIcon(icon.get());
}

void TfwGameApp::SetWindowIcon(SDL_Surface* icon) {
    // No mask: SDL makes one from the picture's alpha channel.
    SDL_WM_SetIcon(icon, nullptr);
}

// The window at WindowScale, or fullscreen at the desktop's size with the
// largest scale that fits, centred on black. Screen is nullptr on failure.
void TfwGameApp::SetVideoMode() {
    int32_t width = WindowWidth > 0 ? WindowWidth : kPictureWidth * WindowScale;
    int32_t height = WindowHeight > 0 ? WindowHeight : kPictureHeight * WindowScale;
    VideoFlags = SDL_SWSURFACE; // no double buffer: SDL_UpdateRects sends parts
    if (!Fullscreen)
        VideoFlags |= SDL_RESIZABLE;
    if (Fullscreen) {
        VideoFlags |= SDL_FULLSCREEN;
        if (DesktopWidth >= kPictureWidth && DesktopHeight >= kPictureHeight) {
            width = DesktopWidth;
            height = DesktopHeight;
        }
    }
    const int depth = WindowDepth();
    Screen = SDL_SetVideoMode(width, height, depth, VideoFlags);
    if (Screen == nullptr && depth != kPictureDepth)
        Screen = SDL_SetVideoMode(width, height, kPictureDepth, VideoFlags);
    if (Screen == nullptr)
        return;
    Scale = FitScale(Screen->w, Screen->h);
    // A mode smaller than the picture (never asked for) shows its top left.
    PictureX = std::max(0, (Screen->w - kPictureWidth * Scale) / 2);
    PictureY = std::max(0, (Screen->h - kPictureHeight * Scale) / 2);
    SDL_FillRect(Screen, nullptr, SDL_MapRGB(Screen->format, 0, 0, 0));
    if (BackBuffer == nullptr) {
        // The picture keeps a 16-bit window's format (565 in a deeper
        // window), which every image is converted to (fwPictureFormat), so
        // blits onto it stay direct.
        const SDL_PixelFormat* f = Screen->format;
        const bool same = f->BytesPerPixel == 2;
        BackBuffer = SDL_CreateRGBSurface(SDL_SWSURFACE, kPictureWidth, kPictureHeight, 16,
                                          same ? f->Rmask : 0xF800, same ? f->Gmask : 0x07E0,
                                          same ? f->Bmask : 0x001F, 0);
        if (BackBuffer == nullptr)
            return;
    }
    if (!MapWindowPixels())
        Screen = nullptr;
    PresentAll = true;
}

// A window of the picture's 16 bits on a 24- or 32-bit desktop is one SDL
// converts whole on every update, most of what a moving picture costs: the
// window takes the desktop's depth, and the scaling writes its pixels.
int TfwGameApp::WindowDepth() const {
    if (kDesktopDepthWindow && (DesktopDepth == kDeepDesktop24 || DesktopDepth == kDeepDesktop32))
        return DesktopDepth;
    return kPictureDepth;
}

bool TfwGameApp::MapWindowPixels() {
    const SDL_PixelFormat* f = BackBuffer->format;
    TSurfacePtr all(SDL_CreateRGBSurface(SDL_SWSURFACE, kPixelValueSide, kPixelValueSide,
                                         kPictureDepth, f->Rmask, f->Gmask, f->Bmask, 0),
                    SDL_FreeSurface);
    if (all == nullptr)
        return false;
    for (int32_t y = 0; y < kPixelValueSide; ++y)
        for (int32_t x = 0; x < kPixelValueSide; ++x)
            MutablePictureRow(all.get(), y)[x] = static_cast<Uint16>(y * kPixelValueSide + x);
    // SDL's blit, as it would have copied a 16-bit window onto this display.
    TSurfacePtr shown(SDL_ConvertSurface(all.get(), Screen->format, SDL_SWSURFACE),
                      SDL_FreeSurface);
    if (shown == nullptr)
        return false;
    const int bpp = shown->format->BytesPerPixel;
    WindowPixel.resize(static_cast<size_t>(kPixelValueSide) * kPixelValueSide);
    for (int32_t y = 0; y < kPixelValueSide; ++y) {
        const Uint8* row =
            static_cast<const Uint8*>(shown->pixels) + static_cast<ptrdiff_t>(y) * shown->pitch;
        for (int32_t x = 0; x < kPixelValueSide; ++x) {
            Uint32 v = 0; // low byte first, as ScaleRow24 stores it back
            for (int b = bpp - 1; b >= 0; --b)
                v = (v << 8) | row[x * bpp + b];
            WindowPixel[static_cast<size_t>(y) * kPixelValueSide + x] = v;
        }
    }
    return true;
}

void TfwGameApp::ToggleFullscreen() {
    if (!platform_->SwitchesFullscreen() || Screen == nullptr)
        return;
    if (!Fullscreen)
        PlaceKnown = platform_->WindowPlace(PlaceX, PlaceY);
    ChangeVideoMode("ToggleFullscreen", [this] { Fullscreen = !Fullscreen; });
    // SDL 1.2 opens the window again wherever the window manager likes.
    if (!Fullscreen && PlaceKnown)
        platform_->PlaceWindow(PlaceX, PlaceY);
}

void TfwGameApp::ResizeWindow(int32_t width, int32_t height) {
    if (kHandheld || Screen == nullptr || Fullscreen)
        return;
    // Smaller than the picture would cut it: the window keeps at least its size.
    width = std::max(width, kPictureWidth);
    height = std::max(height, kPictureHeight);
    if (width == Screen->w && height == Screen->h)
        return;
    ChangeVideoMode("ResizeWindow", [this, width, height] {
        WindowWidth = width;
        WindowHeight = height;
        WindowScale = FitScale(width, height);
    });
}

void TfwGameApp::ChangeVideoMode(const std::string& name, const std::function<void()>& change) {
    const bool fullscreen = Fullscreen;
    const int32_t scale = WindowScale;
    const int32_t width = WindowWidth;
    const int32_t height = WindowHeight;
    change();
    SetVideoMode();
    if (Screen != nullptr)
        return;
    Log().Write("SDLApp::" + name, SDL_GetError());
    Fullscreen = fullscreen; // back to the mode that worked
    WindowScale = scale;
    WindowWidth = width;
    WindowHeight = height;
    SetVideoMode();
    if (Screen == nullptr)
        throw EfwError(name + " failed");
}

bool TfwGameApp::WindowToPicture(int32_t wx, int32_t wy, int32_t& px, int32_t& py) const {
    const int32_t dx = wx - PictureX;
    const int32_t dy = wy - PictureY;
    if (Scale < 1 || dx < 0 || dy < 0 || dx / Scale >= kPictureWidth ||
        dy / Scale >= kPictureHeight)
        return false;
    px = dx / Scale;
    py = dy / Scale;
    return true;
}

bool TfwGameApp::OpenAudio() {
    const int chunkSize = kHandheld ? 1024 : 2048;
    if (!platform_->OpenAudioSubsystem() || Mix_OpenAudio(22050, AUDIO_S16LSB, 2, chunkSize) == -1)
        return false;
    Mix_VolumeMusic(25);
    Mix_Volume(-1, 37);
    Mix_HookMusicFinished(OnMusicFinished);
    if (platform_->AudioMayOutrunTime()) {
        AudioOpenedAt = SDL_GetTicks();
        AudioMixed = 0;
        Mix_SetPostMix(CountMixed, this);
    }
    return true;
}

bool fwAudioOutrunsTime(uint64_t mixedBytes, uint32_t elapsedMs) {
    const uint64_t elapsed = elapsedMs;
    return mixedBytes / kfwAudioBytesPerMs >
           elapsed + elapsed / kfwAudioDriftDivisor + kfwAudioLeadLimitMs;
}

// A device that takes sound as fast as it is given (ALSA's null device) lets
// SDL's audio thread mix without pause, a whole core. Such a device is left for
// SDL's dummy one, which takes sound at the pace it plays: silent, as that
// device was, and every sound and the music go on as before.
void TfwGameApp::PaceAudio() {
    if (!platform_->AudioMayOutrunTime())
        return;
    if (Silent || AudioPaced || !fwAudioOutrunsTime(AudioMixed, SDL_GetTicks() - AudioOpenedAt))
        return;
    AudioPaced = true;
    const char* driver = SDL_getenv("SDL_AUDIODRIVER");
    const std::string given = driver != nullptr ? driver : "";
    char name[32] = "";
    SDL_AudioDriverName(name, sizeof name);
    const int musicVolume = Mix_VolumeMusic(-1);
    const int soundVolume = Mix_Volume(0, -1);
    const bool music = Mix_PlayingMusic() != 0;
    Mix_HookMusicFinished(nullptr); // a halt is no end of a track
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    bool opened = OpenAudio();
    if (driver != nullptr)
        setenv("SDL_AUDIODRIVER", given.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    if (!opened) { // back to the device that worked, spinning or not
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        opened = OpenAudio();
    }
    Log().Write("SDLApp::PaceAudio",
                std::string("The sound device (") + name +
                    ") takes sound faster than it plays it; " +
                    (opened ? "sound goes on silent" : "it could not be opened again"));
    if (!opened) {
        Silent = true; // no mixer function that needs an open device is called again
        return;
    }
    Mix_VolumeMusic(musicVolume);
    Mix_Volume(-1, soundVolume);
    if (music)
        MusicFinished(); // the halted track: the game goes on to the next
}

void TfwGameApp::Rest() {
    if constexpr (kHandheld)
        return;
    // The pad gives no file descriptor to wait on: it is polled every frame.
    if (!quietFrame_ || Joystick != nullptr)
        return;
    const uint32_t now = fwGetTicks();
    const uint32_t ms = QuietFor(now);
    if (ms == 0)
        return;
    // Events SDL has read already would never wake the wait.
    SDL_Event event;
    SDL_PumpEvents();
    if (SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0)
        return;
    fwRest(ms);
}

uint32_t TfwGameApp::QuietFor(uint32_t now) const {
    if (Terminated || fwEndRequested())
        return 0;
    for (uint8_t k : Keys)
        if (k != 0)
            return 0; // a held key counts every frame
    const uint32_t sinceMark = now - SecondMark;
    if (sinceMark >= kSecondMs)
        return 0;
    // The once-a-second hook keeps its pace: the game's clock and idle count.
    return std::min(UntilNextChange(now), kSecondMs - sinceMark);
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

void TfwGameApp::ClearScreen() {
    SDL_Surface* s = GetSurface();
    if (s == nullptr)
        return;
    const Uint32 black = SDL_MapRGB(s->format, 0, 0, 0);
    // Every frame starts here: the desktop's picture, black being 0, is
    // cleared with memset, several times faster than SDL's fill of 16-bit
    // pixels. The same pixels: the clip rectangle, as SDL_FillRect fills it.
    if (kHandheld || s != BackBuffer || black != 0 || SDL_MUSTLOCK(s) ||
        s->format->BytesPerPixel != 2) {
        SDL_FillRect(s, nullptr, black);
        return;
    }
    const SDL_Rect& clip = s->clip_rect;
    for (int32_t y = clip.y; y < clip.y + clip.h; ++y)
        std::memset(MutablePictureRow(s, y) + clip.x, 0, static_cast<size_t>(clip.w) * 2);
}

void TfwGameApp::Flip() {
    if (!kHandheld && BackBuffer != nullptr && Screen != nullptr &&
        BackBuffer->w == kPictureWidth && BackBuffer->h == kPictureHeight &&
        BackBuffer->format->BytesPerPixel == 2) {
        Present();
        return;
    }
    if (BackBuffer != nullptr)
        SDL_BlitSurface(BackBuffer, nullptr, Screen, nullptr);
    if (Screen != nullptr)
        SDL_Flip(Screen);
}

// Sends what changed since the last presented picture, scaled into the window:
// one rectangle per band of changed rows, as wide as the changes in it.
// Nothing when nothing changed; the whole window after a mode change or expose.
void TfwGameApp::Present() {
    const size_t size = static_cast<size_t>(kPictureWidth) * kPictureHeight;
    const bool all = PresentAll || Presented.size() != size;
    Presented.resize(size);
    PresentAll = false;
    std::vector<SDL_Rect> rects;
    bool open = false;
    for (int32_t y = 0; y < kPictureHeight; ++y) {
        const Uint16* now = PictureRow(BackBuffer, y);
        Uint16* last = &Presented[static_cast<size_t>(y) * kPictureWidth];
        int32_t first = 0;
        int32_t end = kPictureWidth - 1;
        if (!all && !RowChange(now, last, kPictureWidth, first, end)) {
            open = false;
            continue;
        }
        std::memcpy(last, now, kPictureWidth * sizeof(Uint16));
        if (!open) {
            rects.push_back(fwMakeRect(first, y, end - first + 1, 1));
            open = true;
            continue;
        }
        SDL_Rect& r = rects.back();
        const int32_t x0 = std::min<int32_t>(r.x, first);
        const int32_t x1 = std::max<int32_t>(r.x + r.w - 1, end);
        r = fwMakeRect(x0, r.y, x1 - x0 + 1, r.h + 1);
    }
    if (rects.empty())
        return;
    pictureSent_ = true;
    ScaleIntoWindow(rects);
    if (all)
        rects.assign(1, fwMakeRect(0, 0, Screen->w, Screen->h)); // the border too
    if (updateRectsFunc)
        updateRectsFunc(Screen, static_cast<int>(rects.size()), rects.data());
    else
        SDL_UpdateRects(Screen, static_cast<int>(rects.size()), rects.data());
}

// Scales the picture rectangles into the window surface and turns them into
// window rectangles.
void TfwGameApp::ScaleIntoWindow(std::vector<SDL_Rect>& rects) {
    const bool lock = SDL_MUSTLOCK(Screen);
    if (lock && SDL_LockSurface(Screen) < 0)
        return;
    const int bpp = Screen->format->BytesPerPixel;
    const size_t pitch = Screen->pitch;
    for (SDL_Rect& r : rects) {
        // Cut to the window, in picture pixels.
        const int32_t w = std::min<int32_t>(r.w, (Screen->w - PictureX) / Scale - r.x);
        const int32_t h = std::min<int32_t>(r.h, (Screen->h - PictureY) / Scale - r.y);
        r.w = static_cast<Uint16>(std::max(0, w));
        r.h = static_cast<Uint16>(std::max(0, h));
        const size_t bytes = static_cast<size_t>(r.w) * Scale * bpp;
        for (int32_t y = r.y; y < r.y + r.h; ++y) {
            Uint8* dst = static_cast<Uint8*>(Screen->pixels) +
                         static_cast<size_t>(PictureY + y * Scale) * pitch +
                         static_cast<size_t>(PictureX + r.x * Scale) * bpp;
            const Uint16* src = PictureRow(BackBuffer, y) + r.x;
            if (bpp == 2)
                ScaleRow<Uint16>(src, r.w, Scale, WindowPixel.data(), dst);
            else if (bpp == 4)
                ScaleRow<Uint32>(src, r.w, Scale, WindowPixel.data(), dst);
            else if (bpp == 3)
                ScaleRow24(src, r.w, Scale, WindowPixel.data(), dst);
            for (int32_t k = 1; k < Scale; ++k)
                std::memcpy(dst + k * pitch, dst, bytes);
        }
        r = fwMakeRect(PictureX + r.x * Scale, PictureY + r.y * Scale, r.w * Scale, r.h * Scale);
    }
    if (lock)
        SDL_UnlockSurface(Screen);
}

void TfwGameApp::PollEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        HandleEvent(event);
}

void TfwGameApp::Run() {
    platform_->Run(*this);
}

void TfwGameApp::CloseAudio() {
    if (!Silent)
        Mix_CloseAudio();
}

void TfwGameApp::StartLoop() {
    Terminated = false;
    FrameCount = 0;
    SecondMark = fwGetTicks();
    FrameTime = 0;
}

void TfwGameApp::RunIteration() {
    BeginIteration();
    DoFrame();
    EndIteration();
}

void TfwGameApp::BeginIteration() {
    iterationStart_ = fwGetTicks();
    UpdateKeys();
    PollEvents();
    // What a frame's input changes shows in the next frame: it is no rest yet.
    iterationInput_ = AnyKeyPressed() || !PointerEvents.empty() || !TypedChars.empty();
    pictureSent_ = false;
}

void TfwGameApp::EndIteration() {
    FrameTime = fwGetTicks() - iterationStart_;
    quietFrame_ = !iterationInput_ && !pictureSent_;
    if ((KeyPressed(SDLK_ESCAPE, false) && EscapeEndsProgram()) || fwEndRequested())
        Quit();
}

void TfwGameApp::DoFrame() {
    ComputeFrame();
    ShowFrame();
    fwDelay(1); // give the processor away once per frame
    CountFrame();
}

void TfwGameApp::ComputeFrame() {
    SDL_Surface* s = GetSurface();
    UpdateFrame(s);
    DrawFrame(s);
    ProcessFrame(s);
}

void TfwGameApp::ShowFrame() {
    PointerEvents.clear();
    TypedChars.clear();
    Flip();
}

void TfwGameApp::CountFrame() {
    ++FrameCount;
    uint32_t elapsed = fwGetTicks() - SecondMark;
    if (elapsed >= kSecondMs) {
        FPS = static_cast<float>(FrameCount) * 1000.0f / static_cast<float>(elapsed);
        FrameCount = 0;
        // A fresh reading: lateness is not carried into the next interval.
        SecondMark = fwGetTicks();
        SecondElapsed(elapsed);
    }
    EndFrame();
}

void TfwGameApp::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        if (KeyPressed(SDLK_ESCAPE, false) && EscapeEndsProgram())
            Quit();
        // The window manager's close key; in fullscreen SDL holds the
        // keyboard, so the frame answers it as the window's close.
        if (!kHandheld && event.key.keysym.sym == SDLK_F4 && (event.key.keysym.mod & KMOD_ALT)) {
            Quit();
            break;
        }
        if (!kHandheld && TakeToggleKey(event.key.keysym)) {
            ToggleFullscreen();
            break;
        }
        if (static_cast<int>(event.key.keysym.sym) < kfwKeyLimit)
            Keys[event.key.keysym.sym] = 1;
        if (!kHandheld)
            QueueTyped(event.key.keysym);
        if (event.key.which != kfwTouchDevice)
            TouchPlayer = false;
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
    case SDL_JOYHATMOTION:
    case SDL_JOYAXISMOTION:
        HandleJoystick(event);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (!kHandheld)
            HandleMouseButton(event.button);
        break;
    case SDL_MOUSEMOTION:
        if (!kHandheld && event.motion.which == kfwTouchDevice)
            HandleTouchMotion(event.motion);
        break;
    case SDL_QUIT:
        Terminated = true;
        break;
    case SDL_VIDEOEXPOSE:
        PresentAll = true;
        break;
    case SDL_VIDEORESIZE:
        ResizeWindow(event.resize.w, event.resize.h);
        break;
    case SDL_ACTIVEEVENT:
        if (!kHandheld && event.active.gain == 0 &&
            (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0)
            WindowDeactivated();
        break;
    default:
        break;
    }
}

void TfwGameApp::HandleJoystick(const SDL_Event& event) {
    const TfwPadSet before = PadHeld();
    switch (event.type) {
    case SDL_JOYBUTTONDOWN:
        if (event.jbutton.button <= 31)
            JoyButtons[event.jbutton.button] = true;
        break;
    case SDL_JOYBUTTONUP:
        if (event.jbutton.button <= 31)
            JoyButtons[event.jbutton.button] = false;
        break;
    case SDL_JOYHATMOTION:
        if (!kHandheld && event.jhat.which == 0 && event.jhat.hat == kPadHat)
            JoyHat = event.jhat.value;
        break;
    case SDL_JOYAXISMOTION:
        if (!kHandheld && event.jaxis.which == 0 && event.jaxis.axis < kPadAxes)
            JoyAxes[event.jaxis.axis] = event.jaxis.value;
        break;
    default:
        break;
    }
    if (kHandheld)
        return; // its buttons reach the keys through fwApplyButtons only
    // A control that went down reads 1 in this frame, as a key-down event makes a key.
    const TfwPadSet pressed = PadHeld() & ~before;
    for (int c = 0; c < kfwPadControls; ++c)
        if (pressed[static_cast<size_t>(c)])
            PadCounts[c] = 1;
}

void TfwGameApp::HandleMouseButton(const SDL_MouseButtonEvent& button) {
    TfwPointerEvent e;
    e.Button = button.button;
    e.Down = button.type == SDL_MOUSEBUTTONDOWN;
    e.Touch = button.which == kfwTouchDevice;
    e.OnPicture = WindowToPicture(button.x, button.y, e.X, e.Y);
    if (e.Touch && e.Down)
        TouchPlayer = true;
    PointerEvents.push_back(e);
}

void TfwGameApp::HandleTouchMotion(const SDL_MouseMotionEvent& motion) {
    TfwPointerEvent e;
    e.Moved = true;
    e.Touch = true;
    e.OnPicture = WindowToPicture(motion.x, motion.y, e.X, e.Y);
    PointerEvents.push_back(e);
}

// Backspace is queued as its control character whether or not the library
// fills in the character of that key.
void TfwGameApp::QueueTyped(const SDL_keysym& key) {
    if (key.unicode != 0)
        TypedChars.push_back(key.unicode);
    else if (key.sym == SDLK_BACKSPACE)
        TypedChars.push_back(kfwBackspace);
}

TfwPadSet TfwGameApp::PadHeld() const {
    if (kHandheld)
        return {};
    return fwPadHeld(JoyButtons, JoyHat, JoyAxes);
}

void TfwGameApp::SetBindings(std::vector<TfwBinding> bindings) {
    bindings_ = std::move(bindings);
}

uint8_t TfwGameApp::ActionCount(int32_t action) const {
    if (action < 0 || action >= kfwActionLimit)
        return 0;
    if (startedActions_[static_cast<size_t>(action)])
        return 1;
    // The youngest of its keys and controls: one going down while another is
    // held starts the action afresh.
    uint8_t count = 0;
    auto youngest = [&count](uint8_t c) {
        if (c != 0 && (count == 0 || c < count))
            count = c;
    };
    for (const TfwBinding& b : bindings_) {
        if (b.Action != action)
            continue;
        if (b.Key >= 0 && b.Key < kfwKeyLimit)
            youngest(Keys[b.Key]);
        if (b.PadControl >= 0 && b.PadControl < kfwPadControls)
            youngest(PadCounts[b.PadControl]);
    }
    return count;
}

bool TfwGameApp::ActionPressed(int32_t action, bool waitRelease) {
    if (ActionCount(action) == 0)
        return false;
    if (waitRelease && !WaitInFrame) {
        startedActions_.reset(static_cast<size_t>(action));
        // As KeyPressed: its keys and controls read as released for the rest
        // of the frame, and the page's loop holds the frame's end until they are.
        for (const TfwBinding& b : bindings_) {
            if (b.Action != action)
                continue;
            if (b.Key >= 0 && b.Key < kfwKeyLimit && Keys[b.Key] != 0) {
                Keys[b.Key] = 0;
                AwaitedKeys.set(static_cast<size_t>(b.Key));
            }
            if (b.PadControl >= 0 && b.PadControl < kfwPadControls &&
                PadCounts[b.PadControl] != 0) {
                PadCounts[b.PadControl] = 0;
                AwaitedPad.set(static_cast<size_t>(b.PadControl));
            }
        }
        return true;
    }
    while (waitRelease) {
        UpdateKeys();
        PollEvents();
        if (ActionCount(action) == 0)
            break;
        fwDelay(1);
    }
    return true;
}

void TfwGameApp::StartAction(int32_t action) {
    if (action >= 0 && action < kfwActionLimit)
        startedActions_.set(static_cast<size_t>(action));
}

void TfwGameApp::UpdateKeys() {
    int count = 0;
    Uint8* state = SDL_GetKeyState(&count);
    KeyCount = count;
    if (state == nullptr)
        return;
    if (kHandheld && JoystickCount > 0 && Joystick != nullptr)
        fwApplyButtons(JoyButtons, state, count);
    startedActions_.reset();
    const int n = count < kfwKeyLimit ? count : kfwKeyLimit;
    for (int i = 0; i < n; ++i) {
        const bool down = state[i] == 1;
        Keys[i] = down ? static_cast<uint8_t>(Keys[i] + 1) : 0; // wraps 255 -> 0
        if (IgnoredKeys[i]) {
            IgnoredKeys[i] = down;
            Keys[i] = 0;
        }
    }
    const TfwPadSet pad = PadHeld();
    for (int c = 0; c < kfwPadControls; ++c) {
        const auto at = static_cast<size_t>(c);
        PadCounts[c] = pad[at] ? static_cast<uint8_t>(PadCounts[c] + 1) : 0;
        if (IgnoredPad[at]) {
            IgnoredPad[at] = pad[at];
            PadCounts[c] = 0;
        }
    }
    // A key the frame took stays up for the game until it is released.
    for (SDLKey key : kToggleKeys) {
        if (!TakenKeys[key])
            continue;
        if (key >= count || state[key] != 1)
            TakenKeys[key] = false;
        Keys[key] = 0;
    }
}

// F11, and Return with Alt held, toggle fullscreen; the game never sees them.
bool TfwGameApp::TakeToggleKey(const SDL_keysym& key) {
    const bool toggle =
        key.sym == SDLK_F11 || (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT) != 0);
    if (toggle) {
        TakenKeys[key.sym] = true;
        Keys[key.sym] = 0;
    }
    return toggle;
}

bool TfwGameApp::FilesKept() const {
    return platform_->FilesKept();
}

bool TfwGameApp::KeyPressed(uint16_t key, bool waitRelease) {
    if (key >= kfwKeyLimit || Keys[key] == 0)
        return false;
    // A page's frame cannot wait: the key reads as released for the rest of
    // the frame, and the page's loop holds the frame's end until it is.
    if (waitRelease && !WaitInFrame) {
        Keys[key] = 0;
        AwaitedKeys.set(key);
        return true;
    }
    while (waitRelease) {
        UpdateKeys();
        PollEvents();
        if (Keys[key] == 0)
            break;
        fwDelay(1);
    }
    return true;
}

bool TfwGameApp::AwaitsRelease() {
    if (AwaitedKeys.none() && AwaitedPad.none())
        return false;
    UpdateKeys();
    PollEvents();
    for (int key = 0; key < kfwKeyLimit; ++key)
        if (AwaitedKeys[key] && Keys[key] == 0)
            AwaitedKeys.reset(key);
    for (int c = 0; c < kfwPadControls; ++c)
        if (AwaitedPad[static_cast<size_t>(c)] && PadCounts[c] == 0)
            AwaitedPad.reset(static_cast<size_t>(c));
    return AwaitedKeys.any() || AwaitedPad.any();
}

void TfwGameApp::IgnoreHeldKeys() {
    for (int key = 0; key < kfwKeyLimit; ++key)
        if (Keys[key] != 0) {
            IgnoredKeys[key] = true;
            Keys[key] = 0;
        }
    for (int c = 0; c < kfwPadControls; ++c)
        if (PadCounts[c] != 0) {
            IgnoredPad.set(static_cast<size_t>(c));
            PadCounts[c] = 0;
        }
    startedActions_.reset();
}

bool TfwGameApp::AnyKeyPressed() const {
    for (uint8_t k : Keys)
        if (k == 1)
            return true;
    for (uint8_t c : PadCounts)
        if (c == 1)
            return true;
    return startedActions_.any();
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

bool fwParseScale(const std::string& text, int32_t& scale) {
    int64_t n = 0;
    if (!fwParseWhole(text, 2, n) || n < 1 || n > kfwMaxScale)
        return false;
    scale = static_cast<int32_t>(n);
    return true;
}

bool fwParseWhole(const std::string& text, size_t maxDigits, int64_t& value) {
    if (text.empty() || text.size() > maxDigits ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoll(text);
    return true;
}
