// High scores: the table of the best scores with its file highscore.dat and its
// drawing, and the scene in which a player enters a name for a new entry.
#pragma once

#include "fwCatalogue.h"
#include "fwScene.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TfwFont;
class TfwGameApp;

// One entry of the table.
class THScoreItem {
public:
    // Date is set to now.
    THScoreItem(const std::string& name, uint32_t score, int32_t category, int32_t subCategory);
    virtual ~THScoreItem() = default;
    THScoreItem(const THScoreItem&) = delete;
    THScoreItem& operator=(const THScoreItem&) = delete;

    int32_t Category;
    int32_t SubCategory;
    std::string Name;
    uint32_t Score;
    double Date; // days since 1899-12-30, time of day as the fraction, local time
    // Made by this copy (AddScore) and not yet saved: the only rows a save
    // puts into the file from memory. Rows read from the file are the file's.
    bool Own = false;
};

// The fields of one highscore.dat record.
struct THScoreRecord {
    int32_t Category = 0;
    int32_t SubCategory = 0;
    std::string Name;
    uint32_t Score = 0;
    double Date = 0;
};

// Size in bytes of one record of highscore.dat.
inline constexpr size_t kHScoreRecordSize = 32;
// Longest name a record holds.
inline constexpr size_t kHScoreNameLength = 10;

// One record, little-endian byte by byte whatever the processor: Category at 0,
// SubCategory at 4, Name at 8 (its first 10 characters, then zeros up to 19),
// Score at 20, Date at 24. The desktop build writes the date's 8 IEEE bytes
// little-endian; the handheld build its upper 32-bit half first, each half
// little-endian.
void EncodeHScoreRecord(const THScoreRecord& record, uint8_t (&bytes)[kHScoreRecordSize]);
// The inverse: Name runs up to the first zero byte of its 11 bytes; the date's
// bits are taken as they are (NaN included).
THScoreRecord DecodeHScoreRecord(const uint8_t (&bytes)[kHScoreRecordSize]);

// What a copy's changes make of a stored table (records in file order): one
// record taken out per withdrawn row, then each own row the stored records do
// not hold placed before the first lower score (among equal scores the older
// stay ahead). Nothing else of the copy's memory goes in.
std::vector<THScoreRecord> ApplyOwnHScoreRows(const std::vector<THScoreRecord>& stored,
                                              const std::vector<THScoreRecord>& own,
                                              const std::vector<THScoreRecord>& withdrawn);

// "yyyy-mm-dd" of the day a date falls on; "----------" for a value that is no
// calendar day from 1899-12-30 to 9999-12-31 (negative, NaN, infinite, too large).
std::string FormatHScoreDate(double date);
// The name as it is shown: every byte outside 32..126 becomes '?'.
std::string PrintableHScoreName(const std::string& name);
// Now in local time as days since 1899-12-30, the time of day as the fraction.
double HScoreNow();

// The high score table. As a scene it is shown until Return is pressed; the
// game draws it through DrawTable with its own layout.
class THighscoreManager : public TfwCustomScene {
public:
    explicit THighscoreManager(TfwGameApp* app);

    std::string FileName; // set by LoadFromFile
    // Empty while the table on disk is the one shown; after a failed save,
    // what failed ("file: reason") until a save succeeds.
    std::string SaveError;
    int32_t TextColour = -1; // 0xRRGGBB of names and scores, top byte ignored; -1 is white
    int32_t MaxEntries = 10;
    // Best first. Only the first MaxEntries are drawn and saved; more can exist
    // after an insertion or after loading a longer file.
    std::vector<std::unique_ptr<THScoreItem>> Entries;

    // Makes a new entry of the table's entry class (THScoreItem here), dated now.
    virtual std::unique_ptr<THScoreItem> ItemClass(const std::string& name, uint32_t score,
                                                   int32_t category, int32_t subCategory) const;
    // Would the score enter the table of its category? A full table lets in a
    // score only above one of its entries: an equal score does not displace one.
    virtual bool IsHighscore(uint32_t score, int32_t category, int32_t subCategory) const;
    // Inserts a new entry before the first one (any category) with a lower
    // score, so among equal scores the older ones stay ahead. Answers the new
    // entry, owned by Entries.
    virtual THScoreItem* AddScore(const std::string& name, uint32_t score, int32_t category,
                                  int32_t subCategory);

    // Remembers fileName and appends the file's whole records in file order (a
    // trailing partial record is ignored). A missing file adds nothing. A read
    // error writes one log line and adds nothing; false then.
    bool LoadFromFile(const std::string& fileName);
    // Writes the first MaxEntries entries through a temporary file in the same
    // folder that then replaces fileName, so the file on disk is always the old
    // table or the new one. A failure writes one log line, leaves the old file
    // as it was, sets SaveError and answers false.
    bool SaveToFile(const std::string& fileName);
    // Takes in what another copy of the game saved to FileName since this
    // table was read: the table becomes the file's records with this table's
    // own changes not yet saved applied (ApplyOwnHScoreRows); rows the file
    // no longer holds go. A missing file keeps this table's own rows alone.
    // False, the table unchanged, when the file cannot be read (one log line).
    bool Reload();
    // With FileName set: one change of the stored table (fwChangeFile: read
    // again under its lock, in a page one transaction of the browser's
    // storage) that applies only this table's own changes: its rows not yet
    // saved added, its withdrawn rows taken out (ApplyOwnHScoreRows), the
    // first MaxEntries kept. Rows read from the file are never written back
    // from memory, so two copies of the game (two tabs) keep each other's
    // scores and a row another withdrew or renamed stays gone. The table is
    // then what was stored. True when nothing was to do; false with
    // SaveError and one log line on failure (a page's storage refusing later
    // sets SaveError then).
    bool Save();

    // Per entry from topY down by lineHeight: the name at nameX in TextColour,
    // the score ending 20 pixels before dateX in TextColour, the date at dateX
    // in white. Nothing without a font.
    void DrawTable(SDL_Surface* surface, TfwFont* font, int32_t nameX, int32_t dateX, int32_t topY,
                   int32_t lineHeight) const;

    // Return finishes the scene.
    bool HandleInput() override;

    // Takes row (one of Entries) out of the table, and out of the file at the
    // next Save, which would otherwise read it back from there.
    void Withdraw(const THScoreItem* row);

private:
    // Entries taken out since the last Save: Reload drops their records.
    std::vector<std::unique_ptr<THScoreItem>> withdrawn_;

    std::vector<THScoreRecord> OwnRecords() const;
    std::vector<THScoreRecord> WithdrawnRecords() const;
    // Entries become records, in order; an entry equal to one is kept as the
    // same object, and an own entry equal to none stays after them.
    void Adopt(const std::vector<THScoreRecord>& records);

    // A new entry of ItemClass holding the record's fields, its date included.
    std::unique_ptr<THScoreItem> ItemOf(const THScoreRecord& record) const;
    // Before the first entry with a lower score: among equal scores the older stay ahead.
    void InsertEntry(std::unique_ptr<THScoreItem> item);
};

// The name entry scene: Up and Down step the character under the cursor
// through Charset, Left and Right move the cursor over 10 places, Return
// finishes; on the desktop the name is typed as well (Type). The game reads
// Name and Score when Finished is set. On the desktop the game gives it the
// mouse as keys: the wheel as Up and Down, a click on the confirm line as
// Return; a click on a place moves the cursor there.
class THighscoreEditor : public TfwCustomScene {
public:
    explicit THighscoreEditor(TfwGameApp* app);

    // The capitals without W, the digits 1 to 9 and 0, ".", "-", ":" and space.
    static constexpr const char* Charset = "ABCDEFGHIJKLMNOPQRSTUVXYZ1234567890.-: ";
    static constexpr int32_t kCharsetLength = 39;
    static constexpr int32_t kNameLength = 10;

    std::string Name;
    int32_t CursorPos = 1; // 1-based, 1..10; kept from one editing to the next
    int32_t Score = -1;
    TfwFont* NameFont = nullptr;  // not owned
    TfwFont* ScoreFont = nullptr; // not owned
    TfwFont* HelpFont = nullptr;  // not owned
    int32_t TextColour = -1;      // 0xRRGGBB, top byte ignored; -1 is white
    // The help lines name taps and the phone's keyboard (a player by touch).
    bool TouchWords = false;
    // The words' language; nullptr: English (the handheld's). Not owned.
    const TfwCatalogue* Words = nullptr;

    // Starts an editing with this name and score; CursorPos stays.
    void SetEntry(const std::string& name, int32_t score);
    // One typed character (a UTF-16 code unit): one of Charset, a small
    // letter taken as its capital, overwrites the character at the cursor and
    // moves the cursor right; the first, before any other key changed the
    // name or moved the cursor, replaces the name the editing began with.
    // Backspace (8) at that moment clears that name; after it, it blanks the
    // character left of the cursor and moves there. False for anything else,
    // which changes nothing.
    bool Type(uint16_t c);
    // The name's place (1 .. kNameLength) drawn at screen pixel (x, y), its
    // character and cursor; 0 for none.
    static int32_t PlaceAt(int32_t x, int32_t y);
    // Whether screen pixel (x, y) is on the help line that names Return.
    static bool OnConfirmLine(int32_t x, int32_t y);
    // The cursor to place (1 .. kNameLength), as Left and Right move it.
    void MoveCursorTo(int32_t place);

    void EnterScene() override;
    // One action per call, the first that applies: Up/Down change the
    // character, else Left, else Right moves, else Return finishes. False when
    // none of these keys is down.
    bool HandleInput() override;
    // The score line, the name with its cursor and the help lines; each part
    // only when its font is set.
    void Draw(SDL_Surface* surface) override;

private:
    bool edited_ = false; // a key changed the name or moved the cursor since SetEntry
    void PadName();
    void DrawHelp(SDL_Surface* surface, uint32_t colour);
};
