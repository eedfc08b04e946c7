// The player's shared files and claims on a desktop's or a handheld's
// folder: flock(2) locks, which the kernel drops with the process that held
// them, so a copy killed mid-change or mid-game blocks no other.
#include "fwStore.h"

#include "fwFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The lock file's suffix of a change's lock, and of a claim.
constexpr const char* kChangeLock = ".lock";
constexpr const char* kClaimLock = ".play";

// A handle holding name's claim lock, or -1 when another holds it (or it
// cannot be made).
int TryClaim(const std::string& name) {
    const int fd = open((name + kClaimLock).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    close(fd);
    return -1;
}

} // namespace

int fwChangeFile(const std::string& fileName, const TfwFileChange& change, TfwDurability durability,
                 std::optional<std::string>* now, const TfwChangeStoredFunc& /*stored*/) {
    const TfwFileLock lock(fileName + kChangeLock);
    const bool flushed = durability == TfwDurability::Flushed;
    return fwApplyFileChange(fileName, change, now, [&](const std::optional<std::string>& next) {
        return next ? fwSaveFile(fileName, *next, {}, flushed) : fwRemoveFile(fileName);
    });
}

bool TfwClaim::Take(const std::string& name) {
    if (name == name_ && handle_ >= 0)
        return true;
    Release();
    handle_ = TryClaim(name);
    if (handle_ < 0)
        return false;
    name_ = name;
    return true;
}

void TfwClaim::Release() {
    if (handle_ >= 0)
        close(handle_);
    handle_ = -1;
    name_.clear();
}

// The lock is taken or refused at once: a claim taken is never lost.
bool TfwClaim::Lost() const {
    return false;
}

bool fwClaimedElsewhere(const std::string& name) {
    if (access((name + kClaimLock).c_str(), F_OK) != 0)
        return false; // never claimed
    const int fd = TryClaim(name);
    if (fd < 0)
        return true;
    close(fd);
    return false;
}
