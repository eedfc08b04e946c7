#include "fwWindowPlace.h"

#include "fwX11.h"

#include <X11/XKBlib.h>

namespace {

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
    if (!fwX11Info(info))
        return false;
    TfwX11Lock lock(info);
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
    if (!fwX11Info(info))
        return;
    TfwX11Lock lock(info);
    // With the default north-west gravity a window manager puts the frame's
    // corner where the client asks, which is the corner that was read.
    XMoveWindow(info.info.x11.display, info.info.x11.wmwindow, x, y);
    XSync(info.info.x11.display, False);
}

bool fwHoldKeysWithoutRepeats() {
    SDL_SysWMinfo info;
    if (!fwX11Info(info))
        return false;
    TfwX11Lock lock(info);
    Bool supported = False;
    XkbSetDetectableAutoRepeat(info.info.x11.display, True, &supported);
    return supported == True;
}
