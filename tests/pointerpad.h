// Mouse and joystick events queued as SDL would queue them from a device; no
// device is needed, so the tests run on the dummy drivers.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstring>

inline void PushMouseButton(uint8_t button, bool down, int32_t wx, int32_t wy) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.type = event.type;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = static_cast<Uint16>(wx);
    event.button.y = static_cast<Uint16>(wy);
    SDL_PushEvent(&event);
}

inline void PushJoyButton(uint8_t button, bool down) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.type = event.type;
    event.jbutton.button = button;
    event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

inline void PushJoyHat(uint8_t value) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_JOYHATMOTION;
    event.jhat.type = event.type;
    event.jhat.value = value;
    SDL_PushEvent(&event);
}

inline void PushJoyAxis(uint8_t axis, int16_t value) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.type = event.type;
    event.jaxis.axis = axis;
    event.jaxis.value = value;
    SDL_PushEvent(&event);
}
