// Small text-file helpers shared by the board files and the music play list.
#pragma once

#include <string>
#include <vector>

// The path names something that exists (a file or a folder).
bool PathExists(const std::string& path);
// The whole file, byte for byte; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);
// The lines of a text: lines end with LF, CR LF or CR; a last line without an
// end counts too, an empty one after the last line end does not.
std::vector<std::string> SplitLines(const std::string& content);
