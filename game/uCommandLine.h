// The desktop program's usage text: the command line's options (read by the
// framework's fwParseCommandLine) and the keys.
#pragma once

#include <string>

// The options, with the limits the command line holds them to, and the keys;
// for --help and after a refused command line.
std::string UsageText();
