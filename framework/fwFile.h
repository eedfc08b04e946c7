// Files saved whole and crash-safely: the high score table, the saved board
// and every other file the program writes for the player.
#pragma once

#include <functional>
#include <string>

// Hears whether the browser's storage holds a saved file: 0, or EIO.
using TfwStoredFunc = std::function<void(int error)>;

// Replaces fileName with content. The bytes go to fileName + ".tmp", are
// flushed to the disk and renamed over fileName, and the folder's entry is
// synced, so that a crash, a kill or a full disk leaves either the old file or
// the new one; on failure the temporary file is removed again. Answers 0, or
// the errno value of the first failure. In the web build the save is done only
// when the browser's storage holds it as well (fwPlatformStore), which it
// confirms later: stored then hears the outcome (never on the desktop, nor
// after a failure).
// Without flushed the bytes and the rename stay in the operating system's
// cache: a crash of the program loses nothing, a power cut may.
int fwSaveFile(const std::string& fileName, const std::string& content,
               const TfwStoredFunc& stored = {}, bool flushed = true);

// Removes fileName; a missing file counts as removed. Answers 0, or the errno
// value of the failure. In the web build the browser's storage drops it as
// well, which it confirms later to stored, as fwSaveFile's.
int fwRemoveFile(const std::string& fileName, const TfwStoredFunc& stored = {});
// Renames from to to, replacing to, and makes the rename durable. Answers 0,
// or the errno value of the failure. In the web build the browser's storage
// follows (to stored as to, from dropped); stored hears the first refusal,
// or 0 once both are confirmed.
int fwRenameFile(const std::string& from, const std::string& to, const TfwStoredFunc& stored = {});

// An exclusive lock on the file lockName (made when missing), held while the
// object lives: two copies of the program that share the folder take turns.
// Where the file cannot be made (a read-only folder) there is nothing to
// guard, and no lock is taken; nor in a page, whose copy of the folder no
// other copy shares. The constructor is the platform's (fwPlatform.h).
class TfwFileLock {
public:
    explicit TfwFileLock(const std::string& lockName);
    ~TfwFileLock();
    TfwFileLock(const TfwFileLock&) = delete;
    TfwFileLock& operator=(const TfwFileLock&) = delete;

private:
    int fd_ = -1; // the lock file, open while the lock is held; -1: none
};
