#include "fwFile.h"

#include "fwPlatform.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

struct TFileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Writes content and, when flushed, flushes it to the disk; 0 or the errno
// of the failure.
int WriteAll(std::FILE* file, const std::string& content, bool flushed) {
    if (std::fwrite(content.data(), 1, content.size(), file) != content.size())
        return errno != 0 ? errno : EIO;
    if (std::fflush(file) != 0)
        return errno;
    if (flushed && fsync(fileno(file)) != 0)
        return errno;
    return 0;
}

// Makes a rename inside the folder of fileName durable.
void SyncFolderOf(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : fileName.substr(0, slash));
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

} // namespace

int fwSaveFile(const std::string& fileName, const std::string& content, const TfwStoredFunc& stored,
               bool flushed) {
    const std::string tempName = fileName + ".tmp";
    std::unique_ptr<std::FILE, TFileClose> file(std::fopen(tempName.c_str(), "wb"));
    if (file == nullptr)
        return errno != 0 ? errno : EIO;
    int error = WriteAll(file.get(), content, flushed);
    if (std::fclose(file.release()) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(tempName.c_str(), fileName.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(tempName.c_str()); // ours: it was created above
        return error;
    }
    // Make the rename itself durable; the file is already complete either way.
    if (flushed)
        SyncFolderOf(fileName);
    fwPlatformStore(fileName, stored);
    return 0;
}

int fwRemoveFile(const std::string& fileName, const TfwStoredFunc& stored) {
    if (unlink(fileName.c_str()) != 0 && errno != ENOENT)
        return errno;
    SyncFolderOf(fileName);
    fwPlatformUnstore(fileName, stored);
    return 0;
}

int fwRenameFile(const std::string& from, const std::string& to, const TfwStoredFunc& stored) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return errno;
    SyncFolderOf(to);
    // Both changes are handed to the host's storage now (a page being left
    // may not run again); stored hears once, when both have answered.
    auto answers = std::make_shared<std::pair<int, int>>(0, 0); // answered, first error
    auto heard = [answers, stored](int error) {
        if (answers->second == 0)
            answers->second = error;
        if (++answers->first == 2 && stored)
            stored(answers->second);
    };
    fwPlatformStore(to, heard);
    fwPlatformUnstore(from, heard);
    return 0;
}

TfwFileLock::~TfwFileLock() {
    if (fd_ >= 0)
        close(fd_); // releases the lock
}
