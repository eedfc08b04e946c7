#include "uHighscore.h"

#include "fwConfig.h"
#include "fwFile.h"
#include "fwFont.h"
#include "fwGameApp.h"
#include "fwLog.h"
#include "fwStore.h"
#include "uActions.h"
#include "uTextFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;
// Day 0 of the table's dates, 1899-12-30, counted from 1970-01-01.
constexpr int64_t kDateEpochFromUnix = -25569;
// Days from 1899-12-30 to 9999-12-31, the last day a date may fall on.
constexpr double kLastDay = 2958465.0;

uint32_t RGBOf(int32_t colour) {
    return static_cast<uint32_t>(colour) & 0x00FFFFFF;
}

void PutLE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t GetLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Days since 1970-01-01 of a day of the proleptic Gregorian calendar, and back
// (H. Hinnant's civil calendar algorithms; exact for every year we meet).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

} // namespace

void EncodeHScoreRecord(const THScoreRecord& record, uint8_t (&bytes)[kHScoreRecordSize]) {
    std::memset(bytes, 0, sizeof bytes);
    PutLE32(bytes + 0, static_cast<uint32_t>(record.Category));
    PutLE32(bytes + 4, static_cast<uint32_t>(record.SubCategory));
    // The name ends at its first zero byte, if it holds one: the bytes after
    // the terminator must be zero too, or a reload and save would differ.
    const size_t n =
        std::min(record.Name.find('\0'), std::min(record.Name.size(), kHScoreNameLength));
    std::memcpy(bytes + 8, record.Name.data(), n); // bytes 8+n .. 19 stay zero
    PutLE32(bytes + 20, record.Score);
    uint64_t bits = 0;
    std::memcpy(&bits, &record.Date, sizeof bits);
    const uint32_t low = static_cast<uint32_t>(bits);
    const uint32_t high = static_cast<uint32_t>(bits >> 32);
    // The handheld's floating-point layout puts the upper word first.
    if constexpr (kHandheld) {
        PutLE32(bytes + 24, high);
        PutLE32(bytes + 28, low);
    } else {
        PutLE32(bytes + 24, low);
        PutLE32(bytes + 28, high);
    }
}

THScoreRecord DecodeHScoreRecord(const uint8_t (&bytes)[kHScoreRecordSize]) {
    THScoreRecord record;
    record.Category = static_cast<int32_t>(GetLE32(bytes + 0));
    record.SubCategory = static_cast<int32_t>(GetLE32(bytes + 4));
    size_t n = 0;
    while (n < kHScoreNameLength + 1 && bytes[8 + n] != 0)
        ++n;
    record.Name.assign(reinterpret_cast<const char*>(bytes + 8), n);
    record.Score = GetLE32(bytes + 20);
    uint64_t low, high;
    if constexpr (kHandheld) {
        high = GetLE32(bytes + 24);
        low = GetLE32(bytes + 28);
    } else {
        low = GetLE32(bytes + 24);
        high = GetLE32(bytes + 28);
    }
    const uint64_t bits = high << 32 | low;
    std::memcpy(&record.Date, &bits, sizeof bits);
    return record;
}

std::string FormatHScoreDate(double date) {
    // The negated test also catches NaN; a file can hold any bits here.
    if (!(date >= 0.0 && date < kLastDay + 1.0))
        return "----------";
    int64_t y;
    unsigned m, d;
    CivilFromDays(static_cast<int64_t>(std::floor(date)) + kDateEpochFromUnix, y, m, d);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(y), m, d);
    return text;
}

std::string PrintableHScoreName(const std::string& name) {
    std::string shown = name;
    for (char& c : shown) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u > 126)
            c = '?';
    }
    return shown;
}

double HScoreNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return 0.0;
    const auto sinceSecond = now - system_clock::from_time_t(seconds);
    double ms = static_cast<double>(duration_cast<milliseconds>(sinceSecond).count());
    if (ms < 0 || ms >= 1000)
        ms = 0;
    const int64_t day = DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                      static_cast<unsigned>(local.tm_mday)) -
                        kDateEpochFromUnix;
    // A leap second (tm_sec 60) stays within the day.
    const double secondOfDay =
        std::min(86399.0, local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) +
        ms / 1000.0;
    return static_cast<double>(day) + secondOfDay / 86400.0;
}

THScoreItem::THScoreItem(const std::string& name, uint32_t score, int32_t category,
                         int32_t subCategory)
    : Category(category), SubCategory(subCategory), Name(name), Score(score), Date(HScoreNow()) {}

// ---------------------------------------------------------------------------

THighscoreManager::THighscoreManager(TfwGameApp* app) : TfwCustomScene(app) {}

std::unique_ptr<THScoreItem> THighscoreManager::ItemClass(const std::string& name, uint32_t score,
                                                          int32_t category,
                                                          int32_t subCategory) const {
    return std::make_unique<THScoreItem>(name, score, category, subCategory);
}

bool THighscoreManager::IsHighscore(uint32_t score, int32_t category, int32_t subCategory) const {
    if (static_cast<int64_t>(Entries.size()) < MaxEntries)
        return true;
    int32_t counted = 0;
    for (const auto& entry : Entries) {
        if (entry->Category != category || entry->SubCategory != subCategory)
            continue;
        if (entry->Score < score)
            return true;
        if (++counted >= MaxEntries)
            return false;
    }
    return false;
}

THScoreItem* THighscoreManager::AddScore(const std::string& name, uint32_t score, int32_t category,
                                         int32_t subCategory) {
    auto item = ItemClass(name, score, category, subCategory);
    item->Own = true;
    THScoreItem* row = item.get();
    InsertEntry(std::move(item));
    return row;
}

namespace {

constexpr const char* kSaveTag = "THighscoreManager::Save";

// The whole records of a table file's bytes, in file order (a trailing
// partial record is dropped).
std::vector<THScoreRecord> DecodeHScoreFile(const std::string& bytes) {
    std::vector<THScoreRecord> records;
    uint8_t record[kHScoreRecordSize];
    for (size_t at = 0; at + sizeof record <= bytes.size(); at += sizeof record) {
        std::memcpy(record, bytes.data() + at, sizeof record);
        records.push_back(DecodeHScoreRecord(record));
    }
    return records;
}

// The first rows records (none for rows <= 0) as a table file's bytes.
std::string EncodeHScoreFile(const std::vector<THScoreRecord>& records, int32_t rows) {
    const size_t count = rows > 0 ? std::min(records.size(), static_cast<size_t>(rows)) : 0;
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        uint8_t encoded[kHScoreRecordSize];
        EncodeHScoreRecord(records[i], encoded);
        bytes.append(reinterpret_cast<const char*>(encoded), sizeof encoded);
    }
    return bytes;
}

// The whole records of a table file in file order. A missing file gives
// none; a read error writes one log line under tag and answers false.
bool ReadHScoreRecords(const std::string& fileName, const char* tag,
                       std::vector<THScoreRecord>& records) {
    int error = 0;
    const std::optional<std::string> bytes = fwReadStoredFile(fileName, error);
    if (error != 0) {
        Log().Write(tag, fileName + ": " + ErrorText(error));
        return false;
    }
    // A missing table is the normal first start: the next save creates it.
    records = DecodeHScoreFile(bytes.value_or(std::string()));
    return true;
}

bool SameRecord(const THScoreRecord& a, const THScoreRecord& b) {
    // The date by its bits: a NaN read from a file equals itself here.
    uint64_t aDate = 0, bDate = 0;
    std::memcpy(&aDate, &a.Date, sizeof aDate);
    std::memcpy(&bDate, &b.Date, sizeof bDate);
    return a.Category == b.Category && a.SubCategory == b.SubCategory && a.Name == b.Name &&
           a.Score == b.Score && aDate == bDate;
}

THScoreRecord RecordOf(const THScoreItem& item) {
    return {item.Category, item.SubCategory, item.Name, item.Score, item.Date};
}

// Before the first record with a lower score: among equal scores the older stay ahead.
void InsertRecord(std::vector<THScoreRecord>& records, const THScoreRecord& record) {
    auto at = records.begin();
    while (at != records.end() && at->Score >= record.Score)
        ++at;
    records.insert(at, record);
}

} // namespace

std::vector<THScoreRecord> ApplyOwnHScoreRows(const std::vector<THScoreRecord>& stored,
                                              const std::vector<THScoreRecord>& own,
                                              const std::vector<THScoreRecord>& withdrawn) {
    std::vector<THScoreRecord> rows;
    std::vector<bool> matched(stored.size(), false);
    std::vector<bool> gone(withdrawn.size(), false);
    for (size_t r = 0; r < stored.size(); ++r) {
        // Each withdrawn row takes its one record with it; an own row equal
        // to it is still ours.
        size_t w = 0;
        while (w < withdrawn.size() && (gone[w] || !SameRecord(stored[r], withdrawn[w])))
            ++w;
        if (w < withdrawn.size())
            gone[w] = matched[r] = true;
        else
            rows.push_back(stored[r]);
    }
    for (const THScoreRecord& row : own) {
        // Each stored record stands for one own row at most: one stored already
        // (the change asked again) is not added twice.
        size_t i = 0;
        while (i < stored.size() && (matched[i] || !SameRecord(stored[i], row)))
            ++i;
        if (i < stored.size())
            matched[i] = true;
        else
            InsertRecord(rows, row);
    }
    return rows;
}

bool THighscoreManager::LoadFromFile(const std::string& fileName) {
    FileName = fileName;
    std::vector<THScoreRecord> records;
    const bool ok = ReadHScoreRecords(fileName, "THighscoreManager::LoadFromFile", records);
    for (const THScoreRecord& record : records)
        Entries.push_back(ItemOf(record));
    return ok;
}

std::unique_ptr<THScoreItem> THighscoreManager::ItemOf(const THScoreRecord& record) const {
    auto item = ItemClass(record.Name, record.Score, record.Category, record.SubCategory);
    item->Date = record.Date;
    return item;
}

std::vector<THScoreRecord> THighscoreManager::OwnRecords() const {
    std::vector<THScoreRecord> own;
    for (const auto& entry : Entries)
        if (entry->Own)
            own.push_back(RecordOf(*entry));
    return own;
}

std::vector<THScoreRecord> THighscoreManager::WithdrawnRecords() const {
    std::vector<THScoreRecord> withdrawn;
    for (const auto& entry : withdrawn_)
        withdrawn.push_back(RecordOf(*entry));
    return withdrawn;
}

void THighscoreManager::Adopt(const std::vector<THScoreRecord>& records) {
    // An entry equal to a record stays the same object: the game may hold
    // it (the row just stored).
    std::vector<std::unique_ptr<THScoreItem>> old = std::move(Entries);
    Entries.clear();
    for (const THScoreRecord& record : records) {
        const auto same = std::find_if(old.begin(), old.end(), [&record](const auto& e) {
            return e != nullptr && SameRecord(record, RecordOf(*e));
        });
        Entries.push_back(same != old.end() ? std::move(*same) : ItemOf(record));
    }
    // An own row the table did not take stays, below the rows that count.
    for (auto& item : old)
        if (item != nullptr && item->Own)
            InsertEntry(std::move(item));
}

bool THighscoreManager::Reload() {
    std::vector<THScoreRecord> records;
    if (!ReadHScoreRecords(FileName, "THighscoreManager::Reload", records))
        return false;
    Adopt(ApplyOwnHScoreRows(records, OwnRecords(), WithdrawnRecords()));
    return true;
}

void THighscoreManager::InsertEntry(std::unique_ptr<THScoreItem> item) {
    auto at = Entries.begin();
    while (at != Entries.end() && (*at)->Score >= item->Score)
        ++at;
    Entries.insert(at, std::move(item));
}

bool THighscoreManager::SaveToFile(const std::string& fileName) {
    // The new table replaces the old one in one rename (WriteFileSafely), so a
    // crash, a kill or a full disk never leaves a truncated table.
    std::vector<THScoreRecord> records;
    for (const auto& entry : Entries)
        records.push_back(RecordOf(*entry));
    // The page's storage may refuse the table later: the table says so then.
    if (!WriteFileSafely(fileName, EncodeHScoreFile(records, MaxEntries),
                         "THighscoreManager::SaveToFile", &SaveError,
                         [this](const std::string& failure) { SaveError = failure; }))
        return false;
    SaveError.clear();
    return true;
}

bool THighscoreManager::Save() {
    if (FileName.empty())
        return true;
    // Copies: the page applies the change again to what its storage holds
    // once that answers, maybe after another copy's change.
    const std::vector<THScoreRecord> own = OwnRecords();
    const std::vector<THScoreRecord> withdrawn = WithdrawnRecords();
    const int32_t rows = MaxEntries;
    const auto change = [own, withdrawn, rows](const std::optional<std::string>& stored) {
        const std::vector<THScoreRecord> table =
            ApplyOwnHScoreRows(DecodeHScoreFile(stored.value_or(std::string())), own, withdrawn);
        if (!stored && table.empty())
            return stored; // nothing to keep, nothing to make
        return std::optional<std::string>(EncodeHScoreFile(table, rows));
    };
    const std::string fileName = FileName;
    const auto refused = [this, fileName](int error) {
        if (error != 0)
            SaveError = fileName + ": " + ErrorText(error);
    };
    std::optional<std::string> now;
    if (const int error = fwChangeFile(FileName, change, TfwDurability::Flushed, &now, refused)) {
        SaveError = FileName + ": " + ErrorText(error);
        Log().Write(kSaveTag, SaveError);
        return false;
    }
    withdrawn_.clear();
    Adopt(DecodeHScoreFile(now.value_or(std::string())));
    for (const auto& entry : Entries)
        entry->Own = false; // the file holds them now, or the table did not take them
    SaveError.clear();
    return true;
}

void THighscoreManager::Withdraw(const THScoreItem* row) {
    const auto at = std::find_if(Entries.begin(), Entries.end(),
                                 [row](const auto& e) { return e.get() == row; });
    if (at == Entries.end())
        return;
    withdrawn_.push_back(std::move(*at));
    Entries.erase(at);
}

void THighscoreManager::DrawTable(SDL_Surface* surface, TfwFont* font, int32_t nameX, int32_t dateX,
                                  int32_t topY, int32_t lineHeight) const {
    if (font == nullptr)
        return;
    const uint32_t colour = RGBOf(TextColour);
    const size_t count =
        MaxEntries > 0 ? std::min(Entries.size(), static_cast<size_t>(MaxEntries)) : 0;
    int32_t y = topY;
    for (size_t i = 0; i < count; ++i) {
        const THScoreItem& entry = *Entries[i];
        font->DrawText(surface, nameX, y, PrintableHScoreName(entry.Name), colour);
        const std::string score = std::to_string(entry.Score);
        font->DrawText(surface, dateX - 20 - font->TextWidth(score), y, score, colour);
        font->DrawText(surface, dateX, y, FormatHScoreDate(entry.Date), kWhite);
        y += lineHeight;
    }
}

bool THighscoreManager::HandleInput() {
    if (App == nullptr || !App->ActionPressed(ActionId(TAction::Confirm), false))
        return false;
    Finished = true;
    return true;
}

// ---------------------------------------------------------------------------

THighscoreEditor::THighscoreEditor(TfwGameApp* app) : TfwCustomScene(app) {
    Finished = false;
}

void THighscoreEditor::SetEntry(const std::string& name, int32_t score) {
    Name = name;
    Score = score;
    edited_ = false;
}

void THighscoreEditor::PadName() {
    if (Name.size() < static_cast<size_t>(kNameLength))
        Name.resize(kNameLength, ' ');
}

bool THighscoreEditor::Type(uint16_t c) {
    CursorPos = std::max(1, std::min(kNameLength, CursorPos));
    if (c == kfwBackspace) {
        // The first Backspace over the offered name clears it all, so that
        // what is typed next is the whole name.
        if (!edited_) {
            edited_ = true;
            Name.clear();
            CursorPos = 1;
            return true;
        }
        if (CursorPos == 1)
            return true;
        PadName();
        --CursorPos;
        Name[static_cast<size_t>(CursorPos - 1)] = ' ';
        return true;
    }
    const char typed = c < 128 ? static_cast<char>(std::toupper(c)) : '\0';
    if (typed == '\0' || std::strchr(Charset, typed) == nullptr)
        return false;
    if (!edited_) { // the first character typed starts a new name
        Name.clear();
        CursorPos = 1;
        edited_ = true;
    }
    PadName();
    Name[static_cast<size_t>(CursorPos - 1)] = typed;
    if (CursorPos < kNameLength)
        ++CursorPos;
    return true;
}

void THighscoreEditor::EnterScene() {
    Finished = false;
    edited_ = false;
}

bool THighscoreEditor::HandleInput() {
    if (App == nullptr)
        return false;
    // CursorPos is a public field: keep it on the name whatever was stored.
    CursorPos = std::max(1, std::min(kNameLength, CursorPos));
    const bool up = App->ActionPressed(ActionId(TAction::MenuUp), false);
    const bool down = App->ActionPressed(ActionId(TAction::MenuDown), false);
    if (up || down) {
        PadName();
        char& c = Name[static_cast<size_t>(CursorPos - 1)];
        const char* found = std::strchr(Charset, c);
        // strchr also finds the terminating zero: a zero byte is not in the set.
        int32_t i = (found != nullptr && c != '\0') ? static_cast<int32_t>(found - Charset) + 1 : 0;
        if (up)
            ++i;
        if (down)
            --i;
        if (i < 1)
            i = kCharsetLength;
        if (i > kCharsetLength)
            i = 1;
        c = Charset[i - 1];
    } else if (App->ActionPressed(ActionId(TAction::MenuLeft), false)) {
        if (CursorPos > 1)
            --CursorPos;
    } else if (App->ActionPressed(ActionId(TAction::MenuRight), false)) {
        if (CursorPos < kNameLength)
            ++CursorPos;
    } else if (App->ActionPressed(ActionId(TAction::Confirm), false)) {
        Finished = true;
        return true;
    } else {
        return false;
    }
    edited_ = true;
    return true;
}

namespace {

// The name entry's layout: place i of the name at x = kNameLeft + i * kNamePitch.
constexpr int32_t kNameLeft = 50;
constexpr int32_t kNamePitch = 15;
constexpr int32_t kNameTop = 100;
constexpr int32_t kNameBottom = 125; // below the cursor line
constexpr int32_t kHelpLeft = 65;
constexpr int32_t kConfirmTop = 150;
constexpr int32_t kConfirmRight = 240;
constexpr int32_t kHelpLineHeight = 15;

} // namespace

int32_t THighscoreEditor::PlaceAt(int32_t x, int32_t y) {
    if (y < kNameTop || y >= kNameBottom || x < kNameLeft + kNamePitch)
        return 0;
    const int32_t place = (x - kNameLeft) / kNamePitch;
    return place <= kNameLength ? place : 0;
}

void THighscoreEditor::MoveCursorTo(int32_t place) {
    CursorPos = std::max(1, std::min(kNameLength, place));
    edited_ = true; // typing then goes on from there
}

bool THighscoreEditor::OnConfirmLine(int32_t x, int32_t y) {
    return x >= kHelpLeft && x < kConfirmRight && y >= kConfirmTop &&
           y < kConfirmTop + kHelpLineHeight;
}

void THighscoreEditor::Draw(SDL_Surface* surface) {
    const uint32_t colour = RGBOf(TextColour);
    if (ScoreFont != nullptr) {
        const TfwCatalogue english;
        // TRANSLATORS: box 100x16 (the name entry, left of the score, font 14)
        ScoreFont->DrawText(surface, 65, 70, (Words ? *Words : english).Translate("Your Score:"),
                            colour);
        const std::string score = std::to_string(Score);
        ScoreFont->DrawText(surface, 215 - ScoreFont->TextWidth(score), 70, score, colour);
    }
    if (NameFont != nullptr) {
        const std::string shown = PrintableHScoreName(Name);
        for (int32_t i = 1; i <= kNameLength; ++i) {
            const int32_t x = kNameLeft + kNamePitch * i;
            if (i == CursorPos)
                NameFont->DrawText(surface, x, 105, std::string("_"), kWhite);
            const size_t at = static_cast<size_t>(i - 1);
            const char c = at < shown.size() ? shown[at] : ' ';
            NameFont->DrawText(surface, x, 100, std::string(1, c), colour);
        }
    }
    if (HelpFont != nullptr)
        DrawHelp(surface, colour);
}

void THighscoreEditor::DrawHelp(SDL_Surface* surface, uint32_t colour) {
    const TfwCatalogue english;
    const TfwCatalogue& t = Words != nullptr ? *Words : english;
    std::vector<std::string> lines;
    if (TouchWords) // the first line stays the one a tap saves by
        lines = {   // TRANSLATORS: box 250x15 (a help line of the name entry, font 12)
                 t.Translate("Enter or tap here - save score"),
                 // TRANSLATORS: box 250x15 (a help line of the name entry, font 12)
                 t.Translate("Keyboard - type the name"),
                 // TRANSLATORS: box 250x15 (a help line of the name entry, font 12)
                 t.Translate("Tap a place - move the cursor")};
    else if (kHandheld)
        lines = {"Enter - save score", "X - Quit without saving score",
                 "Up/Down - Change characters", "Left/Right - Change character position"};
    else         // the desktop names its mouse too; its X types an X, Escape leaves there
        lines = {// TRANSLATORS: box 250x15 (a help line of the name entry, font 12)
                 t.Translate("Enter or click here - save score"),
                 // TRANSLATORS: box 250x15 (a help line of the name entry, font 12)
                 t.Translate("Esc - Quit without saving score"),
                 // TRANSLATORS: box 250x15 (a help line of the name entry, font 12)
                 t.Translate("Up/Down or wheel - Change characters"),
                 // TRANSLATORS: box 250x15 (a help line of the name entry, font 12)
                 t.Translate("Left/Right or click - Change character position")};
    for (size_t i = 0; i < lines.size(); ++i)
        HelpFont->DrawText(surface, kHelpLeft,
                           kConfirmTop + static_cast<int32_t>(i) * kHelpLineHeight, lines[i],
                           colour);
}
