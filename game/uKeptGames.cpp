// The kept games: see uKeptGames.h.
#include "uKeptGames.h"

#include "fwCatalogue.h"
#include "fwConfig.h"
#include "fwLog.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTag = "TMiniGame::LoadKeptGame";

// When file was last written, ns since 1970; 0 when it cannot be told.
int64_t WrittenNs(const std::string& file) {
    struct stat st {};
    if (stat(file.c_str(), &st) != 0)
        return 0;
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The same game but for its clock.
bool SameButClock(TSavedGame a, const TSavedGame& b) {
    a.Session.TimeLeft = b.Session.TimeLeft;
    return a == b;
}

} // namespace

std::string KeptGameFile(int32_t slot) {
    return slot == 0 ? std::string(kSaveGameFile) : "savegame-" + std::to_string(slot + 1) + ".txt";
}

void TKeptGame::Say(const std::string& file, int error) {
    // TRANSLATORS: box 237x14 (the title's bottom line, font 12; cut with "..." where
    // longer); %1 is the system's reason, in English
    Notice = N_("Game not kept: %1");
    NoticeDetail = std::strerror(error);
    std::fprintf(stderr, "tessaril: %s: %s (the game could not be kept)\n", file.c_str(),
                 std::strerror(error));
}

void TKeptGame::Read(int32_t width, int32_t height) {
    Offers.clear();
    if (kHandheld)
        return;
    for (int32_t slot = 0; slot < kKeptGameSlots; ++slot) {
        const std::string file = KeptGameFile(slot);
        if (file != claim_.Name() && fwClaimedElsewhere(file))
            continue; // another copy plays it
        TKeptOffer offer{file, {}, WrittenNs(file)};
        std::string why;
        if (ReadSavedGame(file, width, height, offer.Game, why)) {
            Offers.push_back(offer);
            continue;
        }
        if (why.empty())
            continue; // none kept there
        // Not ours to read: kept for the player to look at, out of the game's way.
        const std::string aside = SetSavedGameAside(file);
        std::string line = file;
        line += ": " + why + "; ";
        line += aside.empty() ? "it could not be set aside" : "set aside as " + aside;
        Log().Write(kTag, line);
        // TRANSLATORS: box 237x14 (the title's bottom line, font 12; cut with "..." where
        // longer); %1 is a file's name
        Notice = aside.empty() ? N_("Unreadable: %1")
                               // TRANSLATORS: box 237x14 (the title's bottom line, font 12;
                               // cut with "..." where longer); %1 is a file's name
                               : N_("Unreadable, set aside: %1");
        NoticeDetail = aside.empty() ? file : aside;
    }
    std::stable_sort(Offers.begin(), Offers.end(), [](const TKeptOffer& a, const TKeptOffer& b) {
        return a.WrittenNs > b.WrittenNs;
    });
}

bool TKeptGame::StartNew() {
    claim_.Release();
    if (kHandheld)
        return false;
    const std::vector<TKeptOffer> offers = std::move(Offers);
    Offers.clear(); // offered by the title only, read again there
    const TKeptOffer* oldest = nullptr;
    for (int32_t slot = 0; slot < kKeptGameSlots; ++slot) {
        const std::string file = KeptGameFile(slot);
        int error = 0;
        const bool kept = fwReadStoredFile(file, error).has_value() || error != 0;
        if (!kept && claim_.Take(file))
            return true;
    }
    for (const TKeptOffer& offer : offers)
        if (oldest == nullptr || offer.WrittenNs < oldest->WrittenNs)
            oldest = &offer;
    if (oldest == nullptr || !claim_.Take(oldest->File)) {
        // A folder that takes no lock file takes no game either.
        // TRANSLATORS: box 237x14 (the title's bottom line, font 12)
        Notice = N_("Game not kept: the folder is full");
        return false;
    }
    // TRANSLATORS: box 237x14 (the title's bottom line, font 12)
    Notice = N_("The oldest kept game made room");
    return true;
}

bool TKeptGame::Continue(const std::string& file) {
    claim_.Release();
    if (kHandheld || !claim_.Take(file))
        return false;
    Offers.clear(); // offered by the title only, read again there
    return true;
}

bool TKeptGame::Write(TfwDurability durability, uint32_t now) {
    if (!Playing())
        return false;
    const std::string text = FormatSavedGame(RestPoint);
    // A copy: the page applies the change again once its storage answers.
    const auto whole = [text](const std::optional<std::string>&) {
        return std::optional<std::string>(text); // the game replaces what was kept
    };
    const int error = fwChangeFile(claim_.Name(), whole, durability);
    written_ = RestPoint;
    writtenAt_ = now;
    if (error != 0) {
        Say(claim_.Name(), error);
        return false;
    }
    return true;
}

void TKeptGame::WriteAtRest(uint32_t now) {
    if (!Playing() || RestPoint == written_)
        return;
    if (!SameButClock(RestPoint, written_) || now - writtenAt_ >= kKeptClockMs)
        Write(TfwDurability::Cached, now);
}

void TKeptGame::WriteIfChanged(uint32_t now) {
    if (!(RestPoint == written_))
        Write(TfwDurability::Flushed, now);
}

void TKeptGame::End() {
    if (!Playing())
        return;
    const int error = fwChangeFile(
        claim_.Name(), [](const std::optional<std::string>&) { return std::nullopt; },
        TfwDurability::Flushed);
    if (error != 0)
        Log().Write(kTag, claim_.Name() + ": " + std::strerror(error));
    claim_.Release();
}

void TKeptGame::Release() {
    claim_.Release();
}

void TKeptGame::GiveUp() {
    claim_.Release();
    Notice = "Game left: another tab is playing it";
    Log().Write(kTag, Notice);
}
