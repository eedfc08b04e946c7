// The kept games (desktop and web): a player's unfinished games, one file a
// game in the player's folder (savegame.txt, savegame-2.txt,
// savegame-3.txt), in the lines of uSaveGame.h. A game is kept from its
// first deal to its end, written as it is played: at every rest of its board
// and at least every few seconds of play through the operating system's
// cache, and flushed to the disk at a level's start, a lost life, a continue
// and a leave. It goes once it has ended with its score stored. Copies of the
// program that share the folder (tabs of the page that share the browser's
// storage) each keep their own game beside the others', and a game one copy
// plays is not offered to another.
#pragma once

#include "fwStore.h"
#include "uSaveGame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr int32_t kKeptGameSlots = 3;
// A game kept unchanged but for its clock is written again this often (ms of play).
inline constexpr uint32_t kKeptClockMs = 5000;

// The file of a slot, 0 .. kKeptGameSlots - 1: savegame.txt, savegame-2.txt, ...
std::string KeptGameFile(int32_t slot);

// One kept game as the title offers it.
struct TKeptOffer {
    std::string File;
    TSavedGame Game;
    int64_t WrittenNs = 0; // when its file was last written, ns since 1970
};

class TKeptGame {
public:
    // The kept games the title offers (none on the handheld): every slot's
    // game that no other running copy plays, newest first.
    std::vector<TKeptOffer> Offers;
    // What the title tells the player of keeping games, until the next
    // reading: a game that could not be written (and why), a file that could
    // not be read (and where it was set aside), the oldest game dropped to
    // keep a new one. Empty: nothing to tell. In English, its place %1 for
    // NoticeDetail (a file's name, the system's reason): the title
    // translates it.
    std::string Notice;
    std::string NoticeDetail;
    // The player's game as it stood the last time its board was at rest.
    TSavedGame RestPoint;

    // Reads every slot again for a board of width x height; a file that is
    // no kept game is set aside (the log and Notice say where).
    void Read(int32_t width, int32_t height);
    // A new game takes a slot of its own: a free one, else the oldest game
    // no other copy plays is dropped (Notice says so). False when none can
    // be had (every slot in play elsewhere): the game is then not kept.
    bool StartNew();
    // The offered game in file goes on here: its slot becomes this copy's.
    bool Continue(const std::string& file);
    // The rest point written into this copy's slot now. A failure is told
    // on standard error and in Notice; false then.
    bool Write(TfwDurability durability, uint32_t now);
    // At a rest of the board: written when it changed since the last write,
    // or when only its clock did and kKeptClockMs have passed (now: ms).
    void WriteAtRest(uint32_t now);
    // Written only when it changed since the last write (the page going out
    // of sight: what is written is in the browser's storage already).
    void WriteIfChanged(uint32_t now);
    // The game ended with its score stored: its file removed, its slot let go.
    void End();
    // The game left for the title: its slot let go, its file kept.
    void Release();
    // This copy plays a game it keeps.
    bool Playing() const { return !claim_.Name().empty(); }
    // Another tab took the game this one plays a moment before this one
    // could hear of it: GiveUp lets it go unwritten, and Notice says why.
    bool Lost() const { return Playing() && claim_.Lost(); }
    void GiveUp();

private:
    TfwClaim claim_;         // this copy's slot while it plays a kept game
    TSavedGame written_;     // what was last written into it
    uint32_t writtenAt_ = 0; // when (ms)

    // A game that could not be written into file: told on the title and on
    // standard error.
    void Say(const std::string& file, int error);
};
