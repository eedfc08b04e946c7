// The player's settings file: one "name=value" a line. Names the program does
// not know (from a newer version, say) are kept and written back unchanged.
#pragma once

// The settings settings.txt keeps beside the bindings: the two volumes,
// fullscreen, the window's scale, the last name entered, whether leaving
// the window pauses and the language chosen.
inline constexpr int kSettingCount = 7;

#include "uControls.h"

#include <string>
#include <utility>
#include <vector>

class TSettings {
public:
    // Takes the lines of a settings file, in order; a later line of the same
    // name replaces the earlier value. A line without "=" or without a name
    // is written to the log as one line naming it (fileName; none when
    // empty), and left out.
    void Parse(const std::string& content, const std::string& fileName);
    // Every setting as "name=value" lines, in the order first seen or set.
    std::string Format() const;
    // The value of name; false when there is none.
    bool Get(const std::string& name, std::string& value) const;
    void Set(const std::string& name, const std::string& value);
    void Remove(const std::string& name);

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

// The bindings settings.txt in the working folder holds (the defaults where
// it holds none), for the usage text.
TControls StoredControls();
// The language settings.txt in the working folder names ("" = automatic),
// for the usage text.
std::string StoredLanguage();
