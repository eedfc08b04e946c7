#include "fwGameApp.h"

#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwLog.h"
#include "fwSound.h"

#include <SDL_mixer.h>

namespace {

// The one application object of the process.
TfwGameApp* instance = nullptr;

TfwTicksFunc ticksFunc;
TfwDelayFunc delayFunc;

// SDL_mixer calls this on its audio thread.
void OnMusicFinished() {
    if (instance != nullptr)
        instance->MusicFinished();
}

// Fails start-up: one log line with the SDL error, then the exception.
[[noreturn]] void FailInit(const char* tag, const char* message) {
    Log().Write(tag, SDL_GetError());
    throw EfwError(message);
}

constexpr int kKeyLimit = 512;
constexpr int32_t kPictureWidth = 320;
constexpr int32_t kPictureHeight = 240;
constexpr uint8_t kPadHat = 0;  // the one hat the pad reads
constexpr uint8_t kPadAxes = 2; // axes 0 (left-right) and 1 (up-down)

} // namespace

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

const std::vector<TfwButtonKey>& fwPadButtonKeys() {
    static const std::vector<TfwButtonKey> table = {
        {SDLK_SPACE, {0}}, {SDLK_x, {1}}, {SDLK_y, {2}}, {SDLK_h, {3}},      {SDLK_1, {4}},
        {SDLK_2, {5}},     {SDLK_r, {6}}, {SDLK_p, {7}}, {SDLK_RETURN, {7}},
    };
    return table;
}

TfwKeySet fwPadKeys(const bool (&buttons)[32], uint8_t hat, const int16_t (&axes)[2]) {
    TfwKeySet keys;
    for (const TfwButtonKey& entry : fwPadButtonKeys())
        for (int button : entry.Buttons)
            if (buttons[button])
                keys.set(entry.Key);
    if ((hat & SDL_HAT_LEFT) != 0 || axes[0] <= -kfwAxisDeadZone)
        keys.set(SDLK_LEFT);
    if ((hat & SDL_HAT_RIGHT) != 0 || axes[0] >= kfwAxisDeadZone)
        keys.set(SDLK_RIGHT);
    if ((hat & SDL_HAT_UP) != 0 || axes[1] <= -kfwAxisDeadZone)
        keys.set(SDLK_UP);
    if ((hat & SDL_HAT_DOWN) != 0 || axes[1] >= kfwAxisDeadZone)
        keys.set(SDLK_DOWN);
    return keys;
}

TfwGameApp::TfwGameApp(const std::vector<std::string>& args) {
    if (instance != nullptr)
        throw EfwError("SDLApp already exists");
    instance = this;
    Resources = std::make_unique<TfwResourceManager>(true);
    for (const std::string& arg : args)
        Options.push_back(ParseOption(arg));
}

TfwGameApp::~TfwGameApp() {
    if (BackBuffer != nullptr)
        SDL_FreeSurface(BackBuffer);
    BackBuffer = nullptr;
    Options.clear();
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

void TfwGameApp::InitSDL() {
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        FailInit("SDLApp::InitSDL", "InitSDL failed");

    JoystickCount = SDL_NumJoysticks();
    if (JoystickCount > 0)
        Joystick = SDL_JoystickOpen(0);

    const int chunkSize = kHandheld ? 1024 : 2048;
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, chunkSize) == -1)
        FailInit("SDLApp::InitSDL", "InitSDL:Audio failed");
    Mix_VolumeMusic(25);
    Mix_Volume(-1, 37);
    Mix_HookMusicFinished(OnMusicFinished);

    VideoInfo = SDL_GetVideoInfo();
    if (VideoInfo == nullptr)
        FailInit("SDLApp::InitSDL - SDL_GetVideoInfo", "InitSDL:Video failed");

    VideoFlags =
        kHandheld ? SDL_SWSURFACE : SDL_HWSURFACE | SDL_HWACCEL | SDL_HWPALETTE | SDL_DOUBLEBUF;
    Screen = SDL_SetVideoMode(320, 240, 16, VideoFlags);
    if (Screen == nullptr)
        FailInit("SDLApp::InitSDL", "InitSDL failed");
    SDL_SetClipRect(Screen, nullptr);
    if (UseBackBuffer)
        BackBuffer = SDL_DisplayFormat(Screen);
    // The desktop is played with the mouse too; the handheld has none.
    SDL_ShowCursor(kHandheld ? SDL_DISABLE : SDL_ENABLE);
    Log().Write("SDLApp::InitSDL", "Done");
}

void TfwGameApp::Init(bool doInitSDL) {
    if (doInitSDL)
        InitSDL();
    InitGame();
}

void TfwGameApp::ClearScreen() {
    SDL_Surface* s = GetSurface();
    if (s != nullptr)
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
}

void TfwGameApp::Flip() {
    if (BackBuffer != nullptr)
        SDL_BlitSurface(BackBuffer, nullptr, Screen, nullptr);
    if (Screen != nullptr)
        SDL_Flip(Screen);
}

void TfwGameApp::PollEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        HandleEvent(event);
}

void TfwGameApp::Run() {
    Terminated = false;
    FrameCount = 0;
    SecondMark = fwGetTicks();
    FrameTime = 0;
    while (!Terminated) {
        uint32_t t0 = fwGetTicks();
        UpdateKeys();
        PollEvents();
        DoFrame();
        FrameTime = fwGetTicks() - t0;
        if (FrameTime < 18)
            fwDelay(18 - FrameTime); // a slow frame is not made up for
        if (KeyPressed(SDLK_ESCAPE, false))
            Quit();
    }
    DoneGame();
    Mix_CloseAudio();
}

void TfwGameApp::DoFrame() {
    SDL_Surface* s = GetSurface();
    UpdateFrame(s);
    DrawFrame(s);
    ProcessFrame(s);
    PointerEvents.clear();
    Flip();
    fwDelay(1); // give the processor away once per frame
    ++FrameCount;
    uint32_t elapsed = fwGetTicks() - SecondMark;
    if (elapsed >= 1000) {
        FPS = static_cast<float>(FrameCount) * 1000.0f / static_cast<float>(elapsed);
        FrameCount = 0;
        // A fresh reading: lateness is not carried into the next interval.
        SecondMark = fwGetTicks();
        SecondElapsed(elapsed);
    }
}

void TfwGameApp::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        if (KeyPressed(SDLK_ESCAPE, false))
            Terminated = true;
        if (event.key.keysym.sym < kKeyLimit)
            Keys[event.key.keysym.sym] = 1;
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
    case SDL_QUIT:
        Terminated = true;
        break;
    default:
        break;
    }
}

void TfwGameApp::HandleJoystick(const SDL_Event& event) {
    const TfwKeySet before = PadKeys();
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
    // A pad key that went down reads 1 in this frame, as a key-down event makes it.
    const TfwKeySet pressed = PadKeys() & ~before;
    for (int key = 0; key < kKeyLimit; ++key)
        if (pressed[key])
            PressKey(static_cast<uint16_t>(key));
}

void TfwGameApp::HandleMouseButton(const SDL_MouseButtonEvent& button) {
    TfwPointerEvent e;
    e.Button = button.button;
    e.Down = button.type == SDL_MOUSEBUTTONDOWN;
    e.OnPicture = WindowToPicture(button.x, button.y, e.X, e.Y);
    PointerEvents.push_back(e);
}

void TfwGameApp::PressKey(uint16_t key) {
    if (key < kKeyLimit)
        Keys[key] = 1;
}

bool TfwGameApp::WindowToPicture(int32_t wx, int32_t wy, int32_t& px, int32_t& py) const {
    if (wx < PictureX || wy < PictureY)
        return false;
    px = (wx - PictureX) / Scale;
    py = (wy - PictureY) / Scale;
    return px < kPictureWidth && py < kPictureHeight;
}

TfwKeySet TfwGameApp::PadKeys() const {
    if (kHandheld)
        return {};
    return fwPadKeys(JoyButtons, JoyHat, JoyAxes);
}

void TfwGameApp::UpdateKeys() {
    int count = 0;
    Uint8* state = SDL_GetKeyState(&count);
    KeyCount = count;
    if (state == nullptr)
        return;
    if (kHandheld && JoystickCount > 0 && Joystick != nullptr)
        fwApplyButtons(JoyButtons, state, count);
    const TfwKeySet pad = PadKeys();
    const int n = count < kKeyLimit ? count : kKeyLimit;
    for (int i = 0; i < n; ++i) {
        const bool down = state[i] == 1 || pad[static_cast<size_t>(i)];
        Keys[i] = down ? static_cast<uint8_t>(Keys[i] + 1) : 0; // wraps 255 -> 0
    }
}

bool TfwGameApp::KeyPressed(uint16_t key, bool waitRelease) {
    if (key >= kKeyLimit || Keys[key] == 0)
        return false;
    while (waitRelease) {
        UpdateKeys();
        PollEvents();
        if (Keys[key] == 0)
            break;
        fwDelay(1);
    }
    return true;
}

bool TfwGameApp::AnyKeyPressed() const {
    for (uint8_t k : Keys)
        if (k == 1)
            return true;
    return false;
}

TfwFont* TfwGameApp::CreateFont(int32_t size, int32_t tag) {
    return Resources->Adopt(std::make_unique<TfwFont>(size, tag));
}

TfwSDLImage* TfwGameApp::CreateImage(TfwSDLImages* images, int32_t tag) {
    return Resources->Adopt(std::make_unique<TfwSDLImage>(images, tag));
}

TfwSDLMusic* TfwGameApp::CreateMusic(int32_t tag) {
    return Resources->Adopt(std::make_unique<TfwSDLMusic>(tag));
}

TfwSDLSound* TfwGameApp::CreateSound(int32_t tag) {
    return Resources->Adopt(std::make_unique<TfwSDLSound>(tag));
}
