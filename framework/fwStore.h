// The player's files shared with other copies of the program (and, in a
// page, with other tabs): every change reads what is stored again, under a
// lock held from the read to the rename, and applies only its own change to
// it, so that no copy writes back what another has changed meanwhile. And
// claims: a name one running copy holds while it uses what the name stands
// for (a kept game being played), which a copy that dies lets go.
#pragma once

#include <functional>
#include <optional>
#include <string>

// How far a change is written before fwChangeFile returns: into the
// operating system's cache (a crash of the program loses nothing, a power
// cut may), or flushed to the disk as well.
enum class TfwDurability { Cached, Flushed };

// What a change makes of a stored file: given what is stored now (nullopt:
// there is no such file), the new content (nullopt: the file is removed). It
// may be asked more than once, also after fwChangeFile returned (a page asks
// it again of the browser's storage), so it holds copies of what it uses,
// and must apply only its own change.
using TfwFileChange =
    std::function<std::optional<std::string>(const std::optional<std::string>& stored)>;

// Hears whether the page's storage took a change: 0, or EIO (never on the
// desktop, nor after a failure fwChangeFile answered).
using TfwChangeStoredFunc = std::function<void(int error)>;

// Reads fileName again under its lock (fileName + ".lock"), applies change
// and, when that changes anything, writes the result whole and crash-safely
// (a temporary file renamed over it) or removes the file. Answers 0, or the
// errno of the first failure (nothing is changed then). now, when given,
// receives what is stored afterwards. A page's storage answers later: stored
// hears it then.
int fwChangeFile(const std::string& fileName, const TfwFileChange& change, TfwDurability durability,
                 std::optional<std::string>* now = nullptr, const TfwChangeStoredFunc& stored = {});

// What every host's fwChangeFile does between its lock and its storage:
// reads fileName, applies change and, when that changes anything, hands the
// result to write (nullopt: remove the file), which answers 0 or an errno.
// Answers 0 or the errno of the read or of write; now as fwChangeFile's.
int fwApplyFileChange(const std::string& fileName, const TfwFileChange& change,
                      std::optional<std::string>* now,
                      const std::function<int(const std::optional<std::string>& next)>& write);

// Reads fileName whole: nullopt when there is none; error gets 0, or the
// errno of a failure to read one that exists (then nullopt too).
std::optional<std::string> fwReadStoredFile(const std::string& fileName, int& error);

// A claim on name, held from a successful Take until Release, the claim's
// end or the process's end. Only one running copy holds a name at a time.
class TfwClaim {
public:
    TfwClaim() = default;
    ~TfwClaim() { Release(); }
    TfwClaim(const TfwClaim&) = delete;
    TfwClaim& operator=(const TfwClaim&) = delete;

    // Claims name (letting go of any name held before); false when another
    // running copy holds it, or it cannot be claimed.
    bool Take(const std::string& name);
    void Release();
    const std::string& Name() const { return name_; } // empty while none is held
    // Did another running copy win the name after Take answered (a page's
    // tabs learn it only later)? The name is not this copy's then: the
    // caller gives it up with Release, writing nothing more.
    bool Lost() const;

private:
    std::string name_;
    int handle_ = -1; // the host's handle of the claim
};

// Does a running copy hold a claim on name? This copy's own claims count
// too: a caller asks of a name its own claim does not hold.
bool fwClaimedElsewhere(const std::string& name);
