// The player's shared files and claims in a page (fwStore.h): every tab has
// its own copy of the working folder, and the browser's storage is what they
// share. A change is applied to this tab's copy at once (the game reads it
// back in the same frame), then again, in one transaction of the browser's
// database, to what the storage holds by then; other tabs hear of it and copy
// the stored file into their folders (fwWeb.js). Claims are the browser's
// Web Locks, which a closed or reloaded tab lets go.
#include "fwStore.h"

#include "fwLog.h"

#include <emscripten.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

// The page's side, in fwWeb.js.
extern "C" {
void fwWebChangeStored(const char* name, int ticket);
int fwWebClaim(const char* name);
void fwWebUnclaim(const char* name);
int fwWebClaimed(const char* name);
int fwWebClaimLost(const char* name);
}

namespace {

// A change the storage has yet to apply: the change itself, and the bytes
// handed over and back.
struct TStoredChange {
    std::string Name;
    TfwFileChange Change;
    std::string Bytes;
    TfwChangeStoredFunc Stored; // hears the storage's answer
};

struct TStoreState {
    int NextTicket = 0;
    std::map<int, TStoredChange> Changes;
};

TStoreState& Store() {
    static TStoreState state;
    return state;
}

// Writes content as fileName in this tab's folder: whole, as a temporary
// file renamed over it. Answers 0 or the errno of the failure.
int WriteHere(const std::string& fileName, const std::string& content) {
    const std::string temp = fileName + ".tmp";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr)
        return errno != 0 ? errno : EIO;
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temp.c_str(), fileName.c_str()) != 0) {
        std::remove(temp.c_str());
        return EIO;
    }
    return 0;
}

} // namespace

int fwChangeFile(const std::string& fileName, const TfwFileChange& change, TfwDurability durability,
                 std::optional<std::string>* now, const TfwChangeStoredFunc& stored) {
    (void)durability; // the browser's database commits every change whole
    const int error =
        fwApplyFileChange(fileName, change, now, [&](const std::optional<std::string>& next) {
            if (next)
                return WriteHere(fileName, *next);
            return std::remove(fileName.c_str()) != 0 && errno != ENOENT ? errno : 0;
        });
    if (error != 0)
        return error;
    // Also when nothing changed here: this tab's copy may be behind the storage's.
    TStoreState& s = Store();
    const int ticket = s.NextTicket++;
    s.Changes[ticket] = {fileName, change, {}, stored};
    fwWebChangeStored(fileName.c_str(), ticket);
    return 0;
}

bool TfwClaim::Take(const std::string& name) {
    if (name == name_ && handle_ >= 0)
        return true;
    Release();
    if (fwWebClaim(name.c_str()) == 0)
        return false;
    handle_ = 1;
    name_ = name;
    return true;
}

void TfwClaim::Release() {
    if (handle_ >= 0)
        fwWebUnclaim(name_.c_str());
    handle_ = -1;
    name_.clear();
}

bool TfwClaim::Lost() const {
    return handle_ >= 0 && fwWebClaimLost(name_.c_str()) != 0;
}

bool fwClaimedElsewhere(const std::string& name) {
    return fwWebClaimed(name.c_str()) != 0;
}

extern "C" {

// The stored bytes of the change with that ticket: room for size bytes, which
// the page fills before it calls fwWebApplyStored. Null for no such change.
EMSCRIPTEN_KEEPALIVE uint8_t* fwWebStoredBytes(int ticket, int size) {
    const auto found = Store().Changes.find(ticket);
    if (found == Store().Changes.end())
        return nullptr;
    found->second.Bytes.assign(static_cast<size_t>(size), '\0');
    return reinterpret_cast<uint8_t*>(found->second.Bytes.data());
}

// Applies the change with that ticket to what the storage holds (the bytes
// given to fwWebStoredBytes, or no file when exists is 0): answers the new
// content's size, its bytes then at fwWebChangedBytes, or -1 to remove the
// file.
EMSCRIPTEN_KEEPALIVE int fwWebApplyStored(int ticket, int exists) {
    const auto found = Store().Changes.find(ticket);
    if (found == Store().Changes.end())
        return -1;
    TStoredChange& c = found->second;
    std::optional<std::string> stored;
    if (exists != 0)
        stored = std::move(c.Bytes);
    const std::optional<std::string> next = c.Change(stored);
    c.Bytes = next.value_or(std::string());
    return next ? static_cast<int>(c.Bytes.size()) : -1;
}

EMSCRIPTEN_KEEPALIVE const uint8_t* fwWebChangedBytes(int ticket) {
    const auto found = Store().Changes.find(ticket);
    if (found == Store().Changes.end())
        return nullptr;
    return reinterpret_cast<const uint8_t*>(found->second.Bytes.data());
}

// The storage's transaction of that change ended: committed (ok), or refused
// (a log line); the change is let go, and its caller told.
EMSCRIPTEN_KEEPALIVE void fwWebChangeDone(int ticket, int ok) {
    const auto found = Store().Changes.find(ticket);
    if (found == Store().Changes.end())
        return;
    const TfwChangeStoredFunc stored = std::move(found->second.Stored);
    if (ok == 0)
        Log().Write("fwChangeFile", found->second.Name + ": the browser's storage refused it");
    Store().Changes.erase(found);
    if (stored)
        stored(ok != 0 ? 0 : EIO);
}

} // extern "C"
