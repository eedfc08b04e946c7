#include "fwRest.h"

#include "fwConfig.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

TfwRestFunc restFunc;
// The wake channel: a pipe whose read end the rest waits on. Both ends never
// block, so a full pipe (wakes nobody has read yet) costs the writer nothing.
int wakeRead = -1;
int wakeWrite = -1;

[[maybe_unused]] void DrainWakes() { // the desktop's
    char buffer[64];
    while (read(wakeRead, buffer, sizeof buffer) > 0) {
    }
}

} // namespace

void fwSetRest(TfwRestFunc rest) {
    restFunc = std::move(rest);
}

void fwOpenWake() {
    if (wakeRead >= 0)
        return;
    int fds[2] = {-1, -1};
    if (pipe(fds) != 0)
        return; // no wakes: a rest then ends at its time or with input
    for (int fd : fds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    wakeRead = fds[0];
    wakeWrite = fds[1];
}

void fwWake() {
    if (wakeWrite < 0)
        return;
    const int saved = errno; // a signal handler leaves errno as it found it
    const char byte = 0;
    const ssize_t written = write(wakeWrite, &byte, 1);
    (void)written; // a full pipe wakes the rest all the same
    errno = saved;
}

void fwRest(uint32_t ms) {
    if (restFunc) {
        restFunc(ms);
        return;
    }
    if constexpr (!kHandheld) {
        // Read only after the wait: a wake that came before it ends it at once.
        if (fwWaitOnWindow(wakeRead, ms) && wakeRead >= 0)
            DrainWakes();
    }
}
