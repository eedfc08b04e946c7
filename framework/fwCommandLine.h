// The program's command line, read once into what it asks for: the window's
// scale and fullscreen, which the application frame reads, and the seed the
// game deals its boards from. The program prints its usage for Help and
// refuses a line with an Error; nothing reads the arguments again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest seed an option may give (seeds are 32-bit).
inline constexpr int64_t kfwMaxSeed = UINT32_MAX;
// Window scales an option may ask for: up to an 8K window.
inline constexpr int32_t kfwMaxScale = 16;
// "N" with 1 <= N <= kfwMaxScale, in decimal digits alone; false otherwise.
bool fwParseScale(const std::string& text, int32_t& scale);
// A whole number of at most maxDigits decimal digits (nothing else, no sign);
// false otherwise. maxDigits is at most 18.
bool fwParseWhole(const std::string& text, size_t maxDigits, int64_t& value);

struct TfwCommandLine {
    bool Help = false;      // --help or -h: print the usage and end
    std::string Error;      // one line naming what was refused; empty when all is good
    int32_t Scale = 0;      // 1 .. kfwMaxScale; 0 when not given
    int8_t Fullscreen = -1; // 1 fullscreen, 0 a window, -1 not given
    int64_t Seed = -1;      // 0 .. kfwMaxSeed: every board dealt from it; -1 not given
};

// Reads the arguments (without the program's own path). Options take one or
// two leading dashes; a value follows "=" or comes as the next argument:
// --scale N, --scale=N and -scale=N are the same. --fullscreen alone means
// fullscreen=1. The first refused argument ends the reading.
TfwCommandLine fwParseCommandLine(const std::vector<std::string>& args);
