#include "fuzz_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string folder;

void RemoveFolder() {
    if (folder.empty() || chdir("/") != 0)
        return;
    const std::string command = "rm -rf '" + folder + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", folder.c_str());
}

} // namespace

void EnterFuzzFolder() {
    struct stat st;
    const char* tmp = std::getenv("TMPDIR");
    std::string base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm"
                       : tmp != nullptr && *tmp != '\0'                  ? tmp
                                                                         : "/tmp";
    std::string pattern = base + "/tessaril-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    FUZZ_CHECK(mkdtemp(name.data()) != nullptr, "mkdtemp " + pattern);
    folder = name.data();
    FUZZ_CHECK(chdir(folder.c_str()) == 0, "chdir " + folder);
    std::atexit(RemoveFolder);
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}
