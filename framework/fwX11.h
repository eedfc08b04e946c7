// SDL's X11 window and display, for the desktop modules that talk to the X
// server under SDL (the window's place, the main loop's rest). Desktop build
// only: it needs Xlib.
#pragma once

#include <SDL.h>
#include <SDL_syswm.h>

// SDL's X11 window; false under another driver or before a window is open.
inline bool fwX11Info(SDL_SysWMinfo& info) {
    SDL_VERSION(&info.version);
    return SDL_GetWMInfo(&info) > 0 && info.subsystem == SDL_SYSWM_X11 &&
           info.info.x11.display != nullptr && info.info.x11.wmwindow != 0;
}

// SDL asks its callers to hold its lock around Xlib calls on its display (its
// event thread, where there is one, shares it). Held for the object's life.
class TfwX11Lock {
public:
    explicit TfwX11Lock(const SDL_SysWMinfo& info) : info_(info) {
        if (info_.info.x11.lock_func != nullptr)
            info_.info.x11.lock_func();
    }
    ~TfwX11Lock() {
        if (info_.info.x11.unlock_func != nullptr)
            info_.info.x11.unlock_func();
    }
    TfwX11Lock(const TfwX11Lock&) = delete;
    TfwX11Lock& operator=(const TfwX11Lock&) = delete;

private:
    const SDL_SysWMinfo& info_;
};
