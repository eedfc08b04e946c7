// The player's input: SDL's events and key state counted into the keys, the
// pad's controls, the pointer's events and the typed characters of a frame,
// and the game's actions read from them through its bindings.
#include "fwGameApp.h"

#include "fwConfig.h"
#include "fwFrameLoop.h"

#include <utility>

namespace {

// Keys the frame takes for itself: F11 alone, Return together with Alt.
constexpr SDLKey kToggleKeys[] = {SDLK_F11, SDLK_RETURN};
constexpr uint8_t kPadHat = 0;  // the one hat the pad reads
constexpr uint8_t kPadAxes = 2; // axes 0 (left-right) and 1 (up-down)

} // namespace

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

void TfwGameApp::PollEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        HandleEvent(event);
}

void TfwGameApp::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        HandleKeyDown(event.key);
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

void TfwGameApp::HandleKeyDown(const SDL_KeyboardEvent& key) {
    if (KeyPressed(SDLK_ESCAPE, false) && EscapeEndsProgram())
        Quit();
    // The window manager's close key; in fullscreen SDL holds the
    // keyboard, so the frame answers it as the window's close.
    if (!kHandheld && key.keysym.sym == SDLK_F4 && (key.keysym.mod & KMOD_ALT)) {
        Quit();
        return;
    }
    if (!kHandheld && TakeToggleKey(key.keysym)) {
        ToggleFullscreen();
        return;
    }
    if (static_cast<int>(key.keysym.sym) < kfwKeyLimit)
        Keys[key.keysym.sym] = 1;
    if (!kHandheld)
        QueueTyped(key.keysym);
    if (key.which != kfwTouchDevice)
        TouchPlayer = false;
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
