// Files saved whole and crash-safely: the high score table, the saved board
// and every other file the program writes for the player.
#pragma once

#include <string>

// Replaces fileName with content. The bytes go to fileName + ".tmp", are
// flushed to the disk and renamed over fileName, and the folder's entry is
// synced, so that a crash, a kill or a full disk leaves either the old file or
// the new one; on failure the temporary file is removed again. In the web
// build the save is done only when the browser's storage holds it as well.
// Answers 0, or the errno value of the first failure.
int fwSaveFile(const std::string& fileName, const std::string& content);

// Removes fileName; a missing file counts as removed. In the web build the
// browser's storage drops it as well. Answers 0, or the errno value of the failure.
int fwRemoveFile(const std::string& fileName);
// Renames from to to, replacing to, and makes the rename durable; in the web
// build the browser's storage follows. Answers 0, or the errno value of the failure.
int fwRenameFile(const std::string& from, const std::string& to);
