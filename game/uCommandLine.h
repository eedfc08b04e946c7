// The desktop program's usage text: the command line's options (read by the
// framework's fwParseCommandLine) and the keys.
#pragma once

#include "uControls.h"

#include <string>

// The options, with the limits the command line holds them to, and the keys
// as controls binds them; for --help and after a refused command line.
std::string UsageText(const TControls& controls = TControls());
