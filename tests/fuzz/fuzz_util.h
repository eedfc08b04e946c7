// Shared by the fuzz targets: a failed promise is a finding (message, then
// abort, which libFuzzer reports with the input), and a private working
// folder on a memory file system where there is one.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, message)                                                             \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "FUZZ CHECK FAILED at %s:%d: %s\n  %s\n", __FILE__, __LINE__,     \
                         #condition, std::string(message).c_str());                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Makes a fresh folder (under /dev/shm when it exists, so that the fsync of
// every save costs nothing) the working directory; removed at exit.
void EnterFuzzFolder();
// Writes bytes to path, replacing it; false on failure.
bool WriteBytes(const std::string& path, const void* data, size_t size);
std::string ReadBytes(const std::string& path);
