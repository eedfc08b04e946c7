#include "uTextFile.h"

#include "fwFile.h"
#include "fwLog.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

bool PathExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    content = out.str();
    return !in.bad();
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
