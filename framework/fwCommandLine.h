// The desktop program's command line: what the player may ask for on it, and
// the usage text that lists the options and the keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TCommandLine {
    bool Help = false;      // --help or -h: print the usage and end
    std::string Error;      // one line naming what was refused; empty when all is good
    int32_t Scale = 0;      // 1 .. kfwMaxScale; 0 when not given
    int8_t Fullscreen = -1; // 1 fullscreen, 0 a window, -1 not given
    int64_t Seed = -1;      // 0 .. 2^32 - 1: every board dealt from it; -1 not given

    // The application's option lines for what was given ("scale=N",
    // "fullscreen=0|1", "seed=N").
    std::vector<std::string> OptionLines() const;
};

// Reads the arguments (without the program's own path). Options take one or
// two leading dashes; a value follows "=" or comes as the next argument:
// --scale N, --scale=N and -scale=N are the same. --fullscreen alone means
// fullscreen=1. The first refused argument ends the reading.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The options and the keys, for --help and after a refused command line.
const char* UsageText();
