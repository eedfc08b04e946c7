// Fuzz target: the highscore.dat reader. The input is the file. It is loaded
// with the game's LoadFromFile; then each entry is compared with the record
// decoded here independently, the score test and the insertion are checked
// against their rules, and the table is saved, loaded again and compared.

#include "fuzz_util.h"
#include "uHighscore.h"

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

uint32_t LE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t DateBits(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

// A record's date field as the desktop build stores it: 8 bytes, little-endian.
uint64_t RecordDateBits(const uint8_t* record) {
    return uint64_t(LE32(record + 24)) | uint64_t(LE32(record + 28)) << 32;
}

// The name a record keeps of a name handed to the table: its first 10
// characters, and of those the part before a zero byte.
std::string StoredName(const std::string& name) {
    std::string kept = name.substr(0, kHScoreNameLength);
    return kept.substr(0, kept.find('\0'));
}

// The qualifying rule: room in the table, or a score above one of the first
// MaxEntries entries of its category (an equal score does not displace one).
bool QualifiesByRule(const THighscoreManager& t, uint32_t score, int32_t cat, int32_t sub) {
    if (static_cast<int64_t>(t.Entries.size()) < t.MaxEntries)
        return true;
    int32_t counted = 0;
    for (const auto& e : t.Entries) {
        if (e->Category != cat || e->SubCategory != sub)
            continue;
        if (counted >= t.MaxEntries)
            return false;
        if (e->Score < score)
            return true;
        ++counted;
    }
    return false;
}

void CheckDateText(double date) {
    const std::string text = FormatHScoreDate(date);
    FUZZ_CHECK(text.size() == 10, "date text \"" + text + "\"");
    if (text == "----------")
        return;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 4 || i == 7;
        FUZZ_CHECK(dash ? text[i] == '-' : (text[i] >= '0' && text[i] <= '9'),
                   "date text \"" + text + "\"");
    }
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    FUZZ_CHECK(month >= 1 && month <= 12 && day >= 1 && day <= 31, "date text \"" + text + "\"");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_CHECK(WriteBytes("highscore.dat", data, size), "input not written");

    THighscoreManager table(nullptr);
    FUZZ_CHECK(table.LoadFromFile("highscore.dat"), "a readable file did not load");
    FUZZ_CHECK(table.FileName == "highscore.dat", "FileName " + table.FileName);

    // Every whole record, in file order; a partial last record is dropped.
    const size_t records = size / kHScoreRecordSize;
    FUZZ_CHECK(table.Entries.size() == records, std::to_string(table.Entries.size()) +
                                                    " entries from " + std::to_string(size) +
                                                    " bytes");
    for (size_t i = 0; i < records; ++i) {
        const uint8_t* r = data + i * kHScoreRecordSize;
        const THScoreItem& e = *table.Entries[i];
        size_t nameLength = 0;
        while (nameLength < 11 && r[8 + nameLength] != 0)
            ++nameLength;
        FUZZ_CHECK(e.Category == static_cast<int32_t>(LE32(r)), "category");
        FUZZ_CHECK(e.SubCategory == static_cast<int32_t>(LE32(r + 4)), "sub-category");
        FUZZ_CHECK(e.Name == std::string(reinterpret_cast<const char*>(r + 8), nameLength),
                   "name of record " + std::to_string(i));
        FUZZ_CHECK(e.Score == LE32(r + 20), "score");
        FUZZ_CHECK(DateBits(e.Date) == RecordDateBits(r), "date bits");
        CheckDateText(e.Date);
        const std::string shown = PrintableHScoreName(e.Name);
        FUZZ_CHECK(shown.size() == e.Name.size(), "printable name length");
        for (char c : shown)
            FUZZ_CHECK(c >= 32 && c <= 126, "unprintable byte shown");
    }

    // The score test, for scores around those in the table.
    std::set<uint32_t> scores = {0, 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    for (const auto& e : table.Entries) {
        scores.insert(e->Score);
        scores.insert(e->Score + 1);
        scores.insert(e->Score - 1);
    }
    std::vector<std::pair<int32_t, int32_t>> categories = {{1, 1}};
    if (!table.Entries.empty())
        categories.emplace_back(table.Entries[0]->Category, table.Entries[0]->SubCategory);
    for (uint32_t s : scores)
        for (const auto& c : categories)
            FUZZ_CHECK(table.IsHighscore(s, c.first, c.second) ==
                           QualifiesByRule(table, s, c.first, c.second),
                       "IsHighscore " + std::to_string(s));

    // An insertion: before the first lower score, the others in their order.
    const std::string name(reinterpret_cast<const char*>(data), size < 12 ? size : 12);
    const uint32_t score = size >= 4 ? LE32(data + size - 4) : static_cast<uint32_t>(size);
    std::vector<const THScoreItem*> before;
    for (const auto& e : table.Entries)
        before.push_back(e.get());
    table.AddScore(name, score, 1, 1);
    FUZZ_CHECK(table.Entries.size() == before.size() + 1, "AddScore count");
    size_t at = 0;
    while (at < before.size() && table.Entries[at].get() == before[at])
        ++at;
    FUZZ_CHECK(table.Entries[at]->Name == name && table.Entries[at]->Score == score,
               "the new entry");
    for (size_t i = at; i < before.size(); ++i)
        FUZZ_CHECK(table.Entries[i + 1].get() == before[i], "order after the new entry");
    for (size_t i = 0; i < at; ++i)
        FUZZ_CHECK(table.Entries[i]->Score >= score, "a lower score ahead of the new entry");
    FUZZ_CHECK(at == before.size() || before[at]->Score < score, "inserted too late");

    // Saved and loaded again: the first MaxEntries entries, field by field.
    FUZZ_CHECK(table.SaveToFile("saved.dat"), "save failed");
    const std::string saved = ReadBytes("saved.dat");
    const size_t kept = table.Entries.size() < 10 ? table.Entries.size() : 10;
    FUZZ_CHECK(saved.size() == kept * kHScoreRecordSize,
               "saved " + std::to_string(saved.size()) + " bytes");
    THighscoreManager again(nullptr);
    FUZZ_CHECK(again.LoadFromFile("saved.dat"), "saved file did not load");
    FUZZ_CHECK(again.Entries.size() == kept, "reloaded count");
    for (size_t i = 0; i < kept; ++i) {
        const THScoreItem& a = *table.Entries[i];
        const THScoreItem& b = *again.Entries[i];
        FUZZ_CHECK(a.Category == b.Category && a.SubCategory == b.SubCategory &&
                       a.Score == b.Score && DateBits(a.Date) == DateBits(b.Date),
                   "reloaded record " + std::to_string(i));
        FUZZ_CHECK(b.Name == StoredName(a.Name), "reloaded name " + std::to_string(i));
    }
    // Saving what was loaded writes the same bytes again.
    FUZZ_CHECK(again.SaveToFile("again.dat"), "second save failed");
    FUZZ_CHECK(ReadBytes("again.dat") == saved, "a second save differs");
    return 0;
}
