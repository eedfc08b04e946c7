// The player's shared files, as every host reads them: the host's own
// fwChangeFile and claims are its platform's (fwStoreNative.cpp for the
// desktop and the handheld; the page's in its own folder).
#include "fwStore.h"

#include <cerrno>
#include <cstdio>

std::optional<std::string> fwReadStoredFile(const std::string& fileName, int& error) {
    error = 0;
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        if (errno != ENOENT)
            error = errno;
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, got);
    if (std::ferror(file))
        error = errno != 0 ? errno : EIO;
    std::fclose(file); // read-only: nothing can be lost on close
    if (error != 0)
        return std::nullopt;
    return content;
}

int fwApplyFileChange(const std::string& fileName, const TfwFileChange& change,
                      std::optional<std::string>* now,
                      const std::function<int(const std::optional<std::string>& next)>& write) {
    int error = 0;
    const std::optional<std::string> stored = fwReadStoredFile(fileName, error);
    if (error != 0)
        return error;
    const std::optional<std::string> next = change(stored);
    if (next != stored)
        error = write(next);
    if (now != nullptr)
        *now = error == 0 ? next : stored;
    return error;
}
