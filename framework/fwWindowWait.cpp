#include "fwRest.h"
#include "fwX11.h"

#include <poll.h>

bool fwWaitOnWindow(int wakeFd, uint32_t ms) {
    SDL_SysWMinfo info;
    if (!fwX11Info(info))
        return false;
    Display* display = info.info.x11.display;
    // Events Xlib has read already (with a reply, say) never show on the
    // connection again; XPending reads what the socket holds without waiting.
    // SDL's lock is not taken: it guards against an event thread, which the
    // framework does not start, and classic SDL's unlock waits for a reply
    // from the server (XSync), a round trip every rest.
    if (XPending(display) > 0)
        return true;
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int timeout = ms > static_cast<uint32_t>(INT32_MAX) ? -1 : static_cast<int>(ms);
    poll(fds, wakeFd >= 0 ? 2 : 1, timeout);
    return true;
}
