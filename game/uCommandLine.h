// The desktop program's usage text: the command line's options (read by the
// framework's fwParseCommandLine) and the keys.
#pragma once

#include "fwCatalogue.h"
#include "uControls.h"

#include <string>

// The options, with the limits the command line holds them to, and the keys
// as controls binds them; for --help and after a refused command line. Its
// sentences are t's translations (English where it has none); the key names
// stay as the keyboard prints them.
std::string UsageText(const TfwCatalogue& t, const TControls& controls);
// The same in the language chosen ("" = automatic: the host's settings ask
// for it), as fwLoadLanguage finds it.
std::string UsageText(const std::string& language = "", const TControls& controls = TControls());
