#include "fwWindowPlace.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace {

// SDL's X11 window; false under another driver. SDL asks its callers to hold
// its lock around Xlib calls on its display (its event thread shares it).
bool X11Info(SDL_SysWMinfo& info) {
    SDL_VERSION(&info.version);
    return SDL_GetWMInfo(&info) > 0 && info.subsystem == SDL_SYSWM_X11 &&
           info.info.x11.display != nullptr && info.info.x11.wmwindow != 0;
}

class TX11Lock {
public:
    explicit TX11Lock(const SDL_SysWMinfo& info) : info_(info) {
        if (info_.info.x11.lock_func != nullptr)
            info_.info.x11.lock_func();
    }
    ~TX11Lock() {
        if (info_.info.x11.unlock_func != nullptr)
            info_.info.x11.unlock_func();
    }
    TX11Lock(const TX11Lock&) = delete;
    TX11Lock& operator=(const TX11Lock&) = delete;

private:
    const SDL_SysWMinfo& info_;
};

// The child of the root window that holds w: the window manager's frame
// around it, or w itself on a bare X server.
Window TopLevelOf(Display* display, Window w) {
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, w, &root, &parent, &children, &count) == 0)
            return w;
        if (children != nullptr)
            XFree(children);
        if (parent == root || parent == 0)
            return w;
        w = parent;
    }
}

} // namespace

bool fwGetWindowPlace(int32_t& x, int32_t& y) {
    SDL_SysWMinfo info;
    if (!X11Info(info))
        return false;
    TX11Lock lock(info);
    Display* display = info.info.x11.display;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, TopLevelOf(display, info.info.x11.wmwindow), &attributes) ==
        0)
        return false;
    x = attributes.x;
    y = attributes.y;
    return true;
}

void fwSetWindowPlace(int32_t x, int32_t y) {
    SDL_SysWMinfo info;
    if (!X11Info(info))
        return;
    TX11Lock lock(info);
    // With the default north-west gravity a window manager puts the frame's
    // corner where the client asks, which is the corner that was read.
    XMoveWindow(info.info.x11.display, info.info.x11.wmwindow, x, y);
    XSync(info.info.x11.display, False);
}
