#include "uTextFile.h"

#include "fwLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Writes content and flushes it to the disk; 0 or the errno of the failure.
int WriteAndSync(std::FILE* file, const std::string& content) {
    if (std::fwrite(content.data(), 1, content.size(), file) != content.size())
        return errno != 0 ? errno : EIO;
    if (std::fflush(file) != 0)
        return errno;
    if (fsync(fileno(file)) != 0)
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

namespace {

void ReportWriteFailure(const char* tag, const std::string& text, std::string* failure) {
    Log().Write(tag, text);
    if (failure != nullptr)
        *failure = text;
}

} // namespace

bool WriteFileSafely(const std::string& fileName, const std::string& content, const char* tag,
                     std::string* failure) {
    const std::string tempName = fileName + ".tmp";
    std::FILE* file = std::fopen(tempName.c_str(), "wb");
    if (file == nullptr) {
        ReportWriteFailure(tag, tempName + ": " + std::strerror(errno), failure);
        return false;
    }
    int error = WriteAndSync(file, content);
    if (std::fclose(file) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(tempName.c_str(), fileName.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ReportWriteFailure(tag, fileName + ": " + std::strerror(error), failure);
        unlink(tempName.c_str()); // ours: it was created above
        return false;
    }
    // Make the rename itself durable; the file is already complete either way.
    SyncFolderOf(fileName);
    return true;
}
