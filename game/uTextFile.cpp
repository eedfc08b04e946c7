#include "uTextFile.h"

#include "fwFile.h"
#include "fwLog.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

bool PathExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Read through C's stdio: the streams of the C++ library would add their
// whole machinery (locales, formatting) to the web page's download.
bool ReadWholeFile(const std::string& path, std::string& content) {
    const std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!in)
        return false;
    content.clear();
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0)
        content.append(buffer, got);
    return std::ferror(in.get()) == 0;
}

std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool WriteFileSafely(const std::string& fileName, const std::string& content, const char* tag,
                     std::string* failure,
                     const std::function<void(const std::string& failure)>& failedLater) {
    const auto stored = [fileName, failedLater](int error) {
        if (error != 0 && failedLater)
            failedLater(fileName + ": " + std::strerror(error));
    };
    const int error = fwSaveFile(fileName, content, stored);
    if (error == 0)
        return true;
    const std::string text = fileName + ": " + std::strerror(error);
    Log().Write(tag, text);
    if (failure != nullptr)
        *failure = text;
    return false;
}
