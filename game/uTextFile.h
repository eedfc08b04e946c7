// Small file helpers shared by the board files, the music play list, the
// high score table and the settings.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The path names something that exists (a file or a folder).
bool PathExists(const std::string& path);
// The whole file, byte for byte; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);
// The lines of a text: lines end with LF, CR LF or CR; a last line without an
// end counts too, an empty one after the last line end does not.
std::vector<std::string> SplitLines(const std::string& content);
// Replaces fileName with content crash-safely (fwSaveFile: a crash, a kill or
// a full disk leaves either the old file or the new one). A failure writes one log line under tag
// naming the file and its error (also put into *failure when given), removes the temporary file and
// answers false. In the web build the browser's storage may still refuse the
// file later: failedLater then hears the same text (after the log line).
bool WriteFileSafely(const std::string& fileName, const std::string& content, const char* tag,
                     std::string* failure = nullptr,
                     const std::function<void(const std::string& failure)>& failedLater = {});
