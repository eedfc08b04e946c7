#include "uControls.h"
#include "uHighscore.h"

#include "fwConfig.h"
#include "fwFont.h"
#include "fwGameApp.h"
#include "fwLog.h"
#include "testutil.h"
#include "uActions.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The game's font when the media tree has it, else a system font.
std::string TestFontPath() {
    std::string own = SourcePath("data/fonts/orangefizz.ttf");
    if (FileExists(own))
        return own;
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

// A font that records every text it is asked to draw; its face is opened
// directly so that TextWidth measures real text.
struct TDrawn {
    int32_t X, Y;
    std::string Text;
    uint32_t Color;
};

class TRecordingFont : public TfwFont {
public:
    explicit TRecordingFont(int32_t size = 12) : TfwFont(size, 0) {
        if (TTF_WasInit() == 0)
            TTF_Init();
        Font = TTF_OpenFont(TestFontPath().c_str(), size);
        Opened = Font != nullptr;
    }
    ~TRecordingFont() override {
        if (Font != nullptr)
            TTF_CloseFont(Font);
        Font = nullptr;
    }
    using TfwFont::DrawText;
    void DrawText(SDL_Surface*, int32_t x, int32_t y, const std::string& text,
                  uint32_t color) override {
        Drawn.push_back({x, y, text, color});
    }
    // The width SDL_ttf itself reports, for the expectations.
    int32_t TrueWidth(const std::string& text) const {
        int w = 0, h = 0;
        if (Font == nullptr || TTF_SizeText(Font, text.c_str(), &w, &h) != 0)
            return -1;
        return w;
    }
    std::vector<TDrawn> Drawn;
};

std::string Bytes(const uint8_t* p, size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

THScoreRecord Record(const std::string& name, uint32_t score, double date, int32_t category = 1,
                     int32_t sub = 1) {
    THScoreRecord r;
    r.Category = category;
    r.SubCategory = sub;
    r.Name = name;
    r.Score = score;
    r.Date = date;
    return r;
}

std::string EncodedFile(const std::vector<THScoreRecord>& records) {
    std::string out;
    for (const auto& r : records) {
        uint8_t b[kHScoreRecordSize];
        EncodeHScoreRecord(r, b);
        out += Bytes(b, sizeof b);
    }
    return out;
}

void Fill(THighscoreManager& table, const std::vector<uint32_t>& scores) {
    for (uint32_t s : scores)
        table.Entries.push_back(table.ItemClass("P" + std::to_string(s), s, 1, 1));
}

std::vector<uint32_t> Scores(const THighscoreManager& table) {
    std::vector<uint32_t> out;
    for (const auto& e : table.Entries)
        out.push_back(e->Score);
    return out;
}

// Can this process create files in a folder whose write bits are off? (root can)
bool WritesIgnorePermissions(const std::string& folder) {
    const std::string probe = folder + "/probe";
    std::FILE* f = std::fopen(probe.c_str(), "wb");
    if (f == nullptr)
        return false;
    std::fclose(f);
    unlink(probe.c_str());
    return true;
}

void SaveSnapshot(SDL_Surface* surface, const std::string& name) {
    SDL_SaveBMP(surface, (name + ".bmp").c_str());
    if (const char* dir = std::getenv("TESSARIL_SNAPSHOT_DIR"))
        SDL_SaveBMP(surface, (std::string(dir) + "/" + name + ".bmp").c_str());
}

} // namespace

// --- records and dates -----------------------------------------------------

TEST(HScoreRecord, FieldsSitAtTheirOffsetsLittleEndian) {
    uint8_t b[kHScoreRecordSize];
    EncodeHScoreRecord(Record("AB", 0x80000001u, 45000.5, -2, 0x01020304), b);
    const uint8_t head[] = {0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 'A',  'B',  0,    0,
                            0,    0,    0,    0,    0,    0,    0,    0,    0x01, 0x00, 0x00, 0x80};
    EXPECT_EQ(Bytes(b, 24), Bytes(head, sizeof head));
    // 45000.5 is the IEEE double 0x40E5F91000000000.
    const uint8_t desktop[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0xF9, 0xE5, 0x40};
    const uint8_t handheld[] = {0x10, 0xF9, 0xE5, 0x40, 0x00, 0x00, 0x00, 0x00};
    if constexpr (kHandheld) {
        EXPECT_EQ(Bytes(b + 24, 8), Bytes(handheld, 8));
    } else {
        EXPECT_EQ(Bytes(b + 24, 8), Bytes(desktop, 8));
    }
    THScoreRecord back = DecodeHScoreRecord(b);
    EXPECT_EQ(back.Category, -2);
    EXPECT_EQ(back.SubCategory, 0x01020304);
    EXPECT_EQ(back.Name, "AB");
    EXPECT_EQ(back.Score, 0x80000001u);
    EXPECT_EQ(back.Date, 45000.5);
}

TEST(HScoreRecord, NameIsCutToTenAndReadToTheFirstZero) {
    uint8_t b[kHScoreRecordSize];
    EncodeHScoreRecord(Record("ABCDEFGHIJKL", 1, 0), b);
    EXPECT_EQ(Bytes(b + 8, 12), std::string("ABCDEFGHIJ\0\0", 12));
    EXPECT_EQ(DecodeHScoreRecord(b).Name, "ABCDEFGHIJ");
    // A foreign file may fill all 11 bytes; byte 19 still ends the name.
    std::memset(b + 8, 'Z', 12);
    EXPECT_EQ(DecodeHScoreRecord(b).Name, std::string(11, 'Z'));
    b[10] = 0;
    EXPECT_EQ(DecodeHScoreRecord(b).Name, "ZZ");
    // A name holding a zero byte ends there: nothing after it reaches the file.
    EncodeHScoreRecord(Record(std::string("AB\0CD", 5), 1, 0), b);
    EXPECT_EQ(Bytes(b + 8, 12), std::string("AB\0\0\0\0\0\0\0\0\0\0", 12));
}

TEST(HScoreRecord, WellFormedRecordsRoundTripByteExact) {
    std::mt19937 rng(7);
    for (int n = 0; n < 200; ++n) {
        uint8_t b[kHScoreRecordSize];
        for (auto& x : b)
            x = static_cast<uint8_t>(rng());
        // Well formed: a zero-terminated name of up to 10 bytes, zeros after it.
        const size_t len = rng() % 11;
        for (size_t i = 0; i < 12; ++i) {
            if (i >= len)
                b[8 + i] = 0;
            else if (b[8 + i] == 0)
                b[8 + i] = 1;
        }
        uint8_t again[kHScoreRecordSize];
        EncodeHScoreRecord(DecodeHScoreRecord(b), again);
        ASSERT_EQ(Bytes(again, 32), Bytes(b, 32)) << "record " << n;
    }
}

TEST(HScoreDate, FormatsCalendarDaysAndRefusesTheRest) {
    EXPECT_EQ(FormatHScoreDate(0.0), "1899-12-30");
    EXPECT_EQ(FormatHScoreDate(60.0), "1900-02-28");
    EXPECT_EQ(FormatHScoreDate(36585.75), "2000-02-29");
    EXPECT_EQ(FormatHScoreDate(45000.5), "2023-03-15");
    EXPECT_EQ(FormatHScoreDate(45000.99999), "2023-03-15");
    EXPECT_EQ(FormatHScoreDate(2958465.999), "9999-12-31");
    const std::string none = "----------";
    EXPECT_EQ(FormatHScoreDate(2958466.0), none);
    EXPECT_EQ(FormatHScoreDate(-0.5), none);
    EXPECT_EQ(FormatHScoreDate(-1e300), none);
    EXPECT_EQ(FormatHScoreDate(1e300), none);
    EXPECT_EQ(FormatHScoreDate(std::numeric_limits<double>::quiet_NaN()), none);
    EXPECT_EQ(FormatHScoreDate(std::numeric_limits<double>::infinity()), none);
    EXPECT_EQ(FormatHScoreDate(-std::numeric_limits<double>::infinity()), none);
}

TEST(HScoreDate, NowIsTodayInLocalTime) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::time_t t = std::time(nullptr);
        const double now = HScoreNow();
        std::tm local{};
        localtime_r(&t, &local);
        char today[16];
        std::strftime(today, sizeof today, "%Y-%m-%d", &local);
        const double fraction = now - std::floor(now);
        const double expected =
            (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) / 86400.0;
        if (std::time(nullptr) / 60 != t / 60)
            continue; // a minute turned over between the readings; once more
        EXPECT_EQ(FormatHScoreDate(now), today);
        EXPECT_NEAR(fraction, expected, 2.0 / 86400.0);
        return;
    }
}

// --- the table -------------------------------------------------------------
// Tests that touch files work in a TTempDir of their own, so they also hold
// when several run in one process.

TEST(HighscoreTable, ShortTableTakesALowScoreAtTheEnd) {
    THighscoreManager table(nullptr);
    Fill(table, {1000, 800, 500});
    EXPECT_TRUE(table.IsHighscore(300, 1, 1));
    EXPECT_TRUE(table.IsHighscore(0, 1, 1));
    table.AddScore("NEW", 300, 1, 1);
    EXPECT_EQ(Scores(table), (std::vector<uint32_t>{1000, 800, 500, 300}));
    EXPECT_EQ(table.Entries[3]->Name, "NEW");
}

TEST(HighscoreTable, FullTableNeedsMoreThanItsLastAndSavesOnlyTen) {
    TTempDir work;
    THighscoreManager table(nullptr);
    Fill(table, {1000, 900, 800, 800, 700, 700, 600, 600, 500, 500});
    EXPECT_FALSE(table.IsHighscore(500, 1, 1));
    EXPECT_FALSE(table.IsHighscore(0, 1, 1));
    EXPECT_TRUE(table.IsHighscore(501, 1, 1));
    EXPECT_TRUE(table.IsHighscore(5000, 1, 1));
    table.AddScore("NEW", 501, 1, 1);
    EXPECT_EQ(Scores(table),
              (std::vector<uint32_t>{1000, 900, 800, 800, 700, 700, 600, 600, 501, 500, 500}));
    ASSERT_TRUE(table.SaveToFile("highscore.dat"));
    EXPECT_EQ(ReadFile("highscore.dat").size(), 10 * kHScoreRecordSize);
    THighscoreManager back(nullptr);
    back.LoadFromFile("highscore.dat");
    EXPECT_EQ(Scores(back),
              (std::vector<uint32_t>{1000, 900, 800, 800, 700, 700, 600, 600, 501, 500}));
    EXPECT_EQ(back.Entries[8]->Name, "NEW");
}

TEST(HighscoreTable, FullTableCountsOnlyItsOwnCategory) {
    THighscoreManager table(nullptr);
    for (uint32_t s : {900u, 800u, 700u, 600u, 500u}) {
        table.Entries.push_back(table.ItemClass("ONE", s, 1, 1));
        table.Entries.push_back(table.ItemClass("TWO", s - 50, 2, 1));
    }
    // Category 1 has five entries, all higher: the list ends before ten are counted.
    EXPECT_FALSE(table.IsHighscore(100, 1, 1));
    EXPECT_TRUE(table.IsHighscore(501, 1, 1));
    // Category 2's lowest is 450: 460 beats it, and a category nobody has is refused.
    EXPECT_TRUE(table.IsHighscore(460, 2, 1));
    EXPECT_FALSE(table.IsHighscore(460, 2, 2));
}

TEST(HighscoreTable, EqualScoresKeepTheirOrderAndANewOneGoesAfter) {
    THighscoreManager table(nullptr);
    table.AddScore("FIRST", 700, 1, 1);
    table.AddScore("LOW", 100, 1, 1);
    table.AddScore("SECOND", 700, 1, 1);
    table.AddScore("THIRD", 700, 1, 1);
    table.AddScore("TOP", 900, 1, 1);
    ASSERT_EQ(table.Entries.size(), 5u);
    const char* names[] = {"TOP", "FIRST", "SECOND", "THIRD", "LOW"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(table.Entries[i]->Name, names[i]);
}

TEST(HighscoreTable, ScoresFromTwoToTheThirtyFirstRankAndPrintUnsigned) {
    THighscoreManager table(nullptr);
    Fill(table, {2147483647u, 1000, 900, 800, 700, 600, 500, 400, 300, 4294967294u});
    EXPECT_TRUE(table.IsHighscore(2147483648u, 1, 1));
    table.AddScore("BIG", 2147483648u, 1, 1);
    table.AddScore("MAX", 4294967295u, 1, 1);
    EXPECT_EQ(table.Entries[0]->Name, "MAX");
    EXPECT_EQ(table.Entries[1]->Name, "BIG");
    EXPECT_EQ(table.Entries[2]->Score, 2147483647u);

    TRecordingFont font;
    table.DrawTable(nullptr, &font, 50, 230, 60, 15);
    ASSERT_GE(font.Drawn.size(), 6u);
    EXPECT_EQ(font.Drawn[1].Text, "4294967295");
    EXPECT_EQ(font.Drawn[4].Text, "2147483648");
}

TEST(HighscoreTable, SaveAndLoadKeepEveryFieldAndCutLongNames) {
    TTempDir work;
    THighscoreManager table(nullptr);
    table.AddScore("ABCDEFGHIJKL", 3000, 1, 1);
    table.AddScore("B", 2000, -7, 65536);
    table.Entries[1]->Date = 45000.123456789;
    const double addedDate = table.Entries[0]->Date;
    ASSERT_TRUE(table.SaveToFile("scores.dat"));
    EXPECT_FALSE(FileExists("scores.dat.tmp"));
    THighscoreManager back(nullptr);
    EXPECT_TRUE(back.LoadFromFile("scores.dat"));
    EXPECT_EQ(back.FileName, "scores.dat");
    ASSERT_EQ(back.Entries.size(), 2u);
    EXPECT_EQ(back.Entries[0]->Name, "ABCDEFGHIJ");
    EXPECT_EQ(back.Entries[0]->Date, addedDate);
    EXPECT_EQ(back.Entries[1]->Name, "B");
    EXPECT_EQ(back.Entries[1]->Category, -7);
    EXPECT_EQ(back.Entries[1]->SubCategory, 65536);
    EXPECT_EQ(back.Entries[1]->Score, 2000u);
    EXPECT_EQ(back.Entries[1]->Date, 45000.123456789);
}

TEST(HighscoreTable, NewEntriesAreDatedNow) {
    THighscoreManager table(nullptr);
    const double before = HScoreNow();
    table.AddScore("NOW", 1, 1, 1);
    const double after = HScoreNow();
    EXPECT_GE(table.Entries[0]->Date, before);
    EXPECT_LE(table.Entries[0]->Date, after);
}

TEST(HighscoreTable, LoadAppendsWholeRecordsInFileOrder) {
    TTempDir work;
    std::string file = EncodedFile({Record("LOW", 10, 1.0), Record("HIGH", 99, 2.0)});
    file += std::string(1, '\x7f'); // 65 bytes: the last byte is no record
    WriteFile("highscore.dat", file);
    THighscoreManager table(nullptr);
    Fill(table, {500});
    EXPECT_TRUE(table.LoadFromFile("highscore.dat"));
    // Appended after what was there, neither sorted nor cut.
    EXPECT_EQ(Scores(table), (std::vector<uint32_t>{500, 10, 99}));
    EXPECT_EQ(table.Entries[2]->Name, "HIGH");
    EXPECT_EQ(table.Entries[2]->Date, 2.0);
}

TEST(HighscoreTable, LoadKeepsMoreThanTenButSavesTen) {
    TTempDir work;
    std::vector<THScoreRecord> records;
    for (uint32_t i = 0; i < 12; ++i)
        records.push_back(Record("R" + std::to_string(i), 100 - i, i));
    WriteFile("highscore.dat", EncodedFile(records));
    THighscoreManager table(nullptr);
    table.LoadFromFile("highscore.dat");
    EXPECT_EQ(table.Entries.size(), 12u);
    // Scores 100 .. 89: the ten that count end with 91; the 11th (90) is not
    // in the table and does not let 91 in.
    EXPECT_FALSE(table.IsHighscore(91, 1, 1));
    EXPECT_TRUE(table.IsHighscore(92, 1, 1));
    ASSERT_TRUE(table.Save());
    records.resize(10);
    EXPECT_EQ(ReadFile("highscore.dat"), EncodedFile(records));
}

TEST(HighscoreTable, MissingFileGivesAnEmptyTableAndSaveCreatesIt) {
    TTempDir work;
    THighscoreManager table(nullptr);
    EXPECT_TRUE(table.Save()); // no file name yet: nothing written
    EXPECT_FALSE(FileExists("highscore.dat"));
    const int lines = Log().LinesWritten();
    EXPECT_TRUE(table.LoadFromFile("highscore.dat"));
    EXPECT_EQ(Log().LinesWritten(), lines);
    EXPECT_TRUE(table.Entries.empty());
    EXPECT_EQ(table.FileName, "highscore.dat");
    table.AddScore("ME", 77, 1, 1);
    ASSERT_TRUE(table.Save());
    EXPECT_EQ(ReadFile("highscore.dat").size(), kHScoreRecordSize);
}

TEST(HighscoreTable, TwoCopiesInOneFolderKeepEachOthersScores) {
    TTempDir work;
    // Both read the table at their start; each then saves an entry of its own.
    WriteFile("highscore.dat", EncodedFile({Record("OLD", 500, 1.0), Record("LOW", 100, 2.0)}));
    THighscoreManager a(nullptr), b(nullptr);
    a.LoadFromFile("highscore.dat");
    b.LoadFromFile("highscore.dat");
    a.AddScore("AAA", 300, 1, 1);
    ASSERT_TRUE(a.Save());
    b.AddScore("BBB", 300, 1, 1);
    b.AddScore("CCC", 700, 1, 1);
    ASSERT_TRUE(b.Save());
    THighscoreManager disk(nullptr);
    disk.LoadFromFile("highscore.dat");
    // Each record once; the equal scores in the order they were saved.
    EXPECT_EQ(Scores(disk), (std::vector<uint32_t>{700, 500, 300, 300, 100}));
    EXPECT_EQ(disk.Entries[2]->Name, "AAA");
    EXPECT_EQ(Scores(b), Scores(disk)) << "the table shown is the merged one";
    // A row one copy withdraws does not come back from the other's memory.
    a.Withdraw(a.Entries[1].get()); // AAA, its own
    ASSERT_TRUE(a.Save());
    b.AddScore("DDD", 50, 1, 1);
    ASSERT_TRUE(b.Save());
    EXPECT_EQ(Scores(b), (std::vector<uint32_t>{700, 500, 300, 100, 50}));
    EXPECT_EQ(b.Entries[2]->Name, "BBB");
}

// A save's change, as a page applies it again to whatever its storage holds
// by then: only this copy's own rows go in or out, and applied twice it
// changes nothing more.
TEST(HighscoreTable, ASavesChangeAppliesOnlyItsOwnRows) {
    const THScoreRecord mine = Record("ME", 200, 3.0);
    const THScoreRecord renamed = Record("MEG", 200, 3.0);
    const THScoreRecord other = Record("OTHER", 300, 1.0);
    const std::vector<THScoreRecord> own{renamed}, withdrawn{mine};
    const auto names = [](const std::vector<THScoreRecord>& rows) {
        std::string all;
        for (const THScoreRecord& r : rows)
            all += r.Name + " ";
        return all;
    };
    const std::vector<THScoreRecord> once =
        ApplyOwnHScoreRows({other, mine, Record("LOW", 10, 2.0)}, own, withdrawn);
    EXPECT_EQ(names(once), "OTHER MEG LOW ");
    EXPECT_EQ(names(ApplyOwnHScoreRows(once, own, withdrawn)), "OTHER MEG LOW ");
    // Another copy took OTHER out and put NEW in meanwhile: neither undone.
    EXPECT_EQ(names(ApplyOwnHScoreRows({Record("NEW", 900, 4.0), mine}, own, withdrawn)),
              "NEW MEG ");
}

TEST(HighscoreTable, OddRecordsSurviveALoadAndSaveByteExact) {
    TTempDir work;
    // A name with bytes outside ASCII and a NaN date are shown sanitised but
    // stored as they came.
    uint8_t b[kHScoreRecordSize];
    EncodeHScoreRecord(Record(std::string("\x01\xe9\xff", 3), 5, 0), b);
    const uint64_t nanBits = 0x7FF8DEADBEEF0001ull;
    std::memcpy(b + 24, &nanBits, 8); // some bit pattern; only its round trip counts
    const std::string original = Bytes(b, sizeof b);
    WriteFile("highscore.dat", original);
    THighscoreManager table(nullptr);
    table.LoadFromFile("highscore.dat");
    TRecordingFont font;
    table.DrawTable(nullptr, &font, 50, 230, 60, 15);
    ASSERT_EQ(font.Drawn.size(), 3u);
    EXPECT_EQ(font.Drawn[0].Text, "???");
    EXPECT_EQ(font.Drawn[2].Text, "----------");
    ASSERT_TRUE(table.Save());
    EXPECT_EQ(ReadFile("highscore.dat"), original);
}

TEST(HighscoreTable, RandomFilesOfAnyLengthLoad) {
    TTempDir work;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        const size_t length = rng() % 201;
        std::string bytes(length, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        WriteFile("random.dat", bytes);
        THighscoreManager table(nullptr);
        ASSERT_TRUE(table.LoadFromFile("random.dat")) << "seed " << seed;
        ASSERT_EQ(table.Entries.size(), length / kHScoreRecordSize) << "seed " << seed;
        TRecordingFont font;
        table.DrawTable(nullptr, &font, 50, 230, 60, 15);
        for (const TDrawn& d : font.Drawn)
            for (char c : d.Text)
                ASSERT_TRUE(c >= 32 && c <= 126) << "seed " << seed;
        table.IsHighscore(static_cast<uint32_t>(rng()), 1, 1);
        table.AddScore("X", static_cast<uint32_t>(rng()), 1, 1);
        ASSERT_TRUE(table.SaveToFile("random.dat"));
    }
}

TEST(HighscoreTable, ReadErrorIsLoggedOnceAndTheGameGoesOn) {
    TTempDir work;
    ASSERT_EQ(mkdir("highscore.dat", 0755), 0); // opens, but every read fails
    THighscoreManager table(nullptr);
    Fill(table, {42});
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(table.LoadFromFile("highscore.dat"));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_EQ(Log().LastLine().rfind("THighscoreManager::LoadFromFile: ", 0), 0u)
        << Log().LastLine();
    EXPECT_NE(Log().LastLine().find(std::strerror(EISDIR)), std::string::npos);
    EXPECT_EQ(Scores(table), (std::vector<uint32_t>{42}));
}

TEST(HighscoreTable, FailedSaveLeavesTheOldFileAndLogsOnce) {
    TTempDir work;
    ASSERT_EQ(mkdir("ro", 0755), 0);
    const std::string old = EncodedFile({Record("OLD", 1234, 45000.0)});
    WriteFile("ro/highscore.dat", old);
    ASSERT_EQ(chmod("ro", 0555), 0);
    if (WritesIgnorePermissions("ro")) {
        // Running as root: make the temporary file impossible instead.
        ASSERT_EQ(chmod("ro", 0755), 0);
        ASSERT_EQ(mkdir("ro/highscore.dat.tmp", 0755), 0);
    }
    THighscoreManager table(nullptr);
    table.LoadFromFile("ro/highscore.dat");
    table.AddScore("NEW", 99999, 1, 1);
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(table.Save());
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_EQ(Log().LastLine().rfind("THighscoreManager::Save: ro/highscore.dat: ", 0), 0u)
        << Log().LastLine();
    EXPECT_EQ(table.SaveError.rfind("ro/highscore.dat: ", 0), 0u) << table.SaveError;
    EXPECT_EQ(ReadFile("ro/highscore.dat"), old);
    EXPECT_EQ(table.Entries.size(), 2u); // the game keeps its table in memory
    chmod("ro", 0755);
}

TEST(HighscoreTable, FailedReplaceRemovesTheTemporaryFile) {
    TTempDir work;
    // The temporary file is written, but it cannot take the place of a folder.
    ASSERT_EQ(mkdir("highscore.dat", 0755), 0);
    THighscoreManager table(nullptr);
    table.AddScore("NEW", 5, 1, 1);
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(table.SaveToFile("highscore.dat"));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_EQ(Log().LastLine().rfind("THighscoreManager::SaveToFile: ", 0), 0u);
    EXPECT_FALSE(FileExists("highscore.dat.tmp"));
    struct stat st {};
    ASSERT_EQ(stat("highscore.dat", &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(HighscoreTable, SaveReplacesAStaleTemporaryFile) {
    TTempDir work;
    WriteFile("highscore.dat.tmp", std::string(100, 'x')); // left by a crash
    THighscoreManager table(nullptr);
    table.AddScore("NEW", 5, 1, 1);
    ASSERT_TRUE(table.SaveToFile("highscore.dat"));
    EXPECT_EQ(ReadFile("highscore.dat").size(), kHScoreRecordSize);
    EXPECT_FALSE(FileExists("highscore.dat.tmp"));
}

namespace {
class TStampedItem : public THScoreItem {
public:
    using THScoreItem::THScoreItem;
};
class TStampedTable : public THighscoreManager {
public:
    using THighscoreManager::THighscoreManager;
    std::unique_ptr<THScoreItem> ItemClass(const std::string& name, uint32_t score,
                                           int32_t category, int32_t sub) const override {
        return std::make_unique<TStampedItem>(name, score, category, sub);
    }
};
} // namespace

TEST(HighscoreTable, DerivedTablesGetTheirOwnEntries) {
    TTempDir work;
    WriteFile("highscore.dat", EncodedFile({Record("A", 1, 0)}));
    TStampedTable table(nullptr);
    table.LoadFromFile("highscore.dat");
    table.AddScore("B", 2, 1, 1);
    ASSERT_EQ(table.Entries.size(), 2u);
    for (const auto& e : table.Entries)
        EXPECT_NE(dynamic_cast<TStampedItem*>(e.get()), nullptr);
}

TEST(HighscoreTable, DrawTableLaysOutNamesScoresAndDates) {
    THighscoreManager table(nullptr);
    table.MaxEntries = 2;
    table.Entries.push_back(table.ItemClass("ANNA", 12345, 1, 1));
    table.Entries.push_back(table.ItemClass("BOB", 7, 1, 1));
    table.Entries.push_back(table.ItemClass("HIDDEN", 1, 1, 1));
    table.Entries[0]->Date = 45000.5;
    table.Entries[1]->Date = 36526.0;
    TRecordingFont font;
    ASSERT_TRUE(font.Opened) << "no font at " << TestFontPath();
    ASSERT_GT(font.TrueWidth("12345"), font.TrueWidth("7"));

    table.DrawTable(nullptr, &font, 50, 230, 60, 15);
    ASSERT_EQ(font.Drawn.size(), 6u); // the third entry is beyond MaxEntries
    const uint32_t white = 0xFFFFFF;
    EXPECT_EQ(font.Drawn[0].Text, "ANNA");
    EXPECT_EQ(font.Drawn[0].X, 50);
    EXPECT_EQ(font.Drawn[0].Y, 60);
    EXPECT_EQ(font.Drawn[0].Color, white); // TextColour -1
    EXPECT_EQ(font.Drawn[1].Text, "12345");
    EXPECT_EQ(font.Drawn[1].X, 230 - 20 - font.TrueWidth("12345"));
    EXPECT_EQ(font.Drawn[2].Text, "2023-03-15");
    EXPECT_EQ(font.Drawn[2].X, 230);
    EXPECT_EQ(font.Drawn[2].Color, white);
    EXPECT_EQ(font.Drawn[3].Y, 75);
    EXPECT_EQ(font.Drawn[4].X, 230 - 20 - font.TrueWidth("7"));
    EXPECT_EQ(font.Drawn[5].Text, "2000-01-01");

    font.Drawn.clear();
    table.TextColour = -32768; // the game's orange
    table.DrawTable(nullptr, &font, 50, 230, 60, 15);
    EXPECT_EQ(font.Drawn[0].Color, 0xFF8000u);
    EXPECT_EQ(font.Drawn[1].Color, 0xFF8000u);
    EXPECT_EQ(font.Drawn[2].Color, white);

    table.DrawTable(nullptr, nullptr, 50, 230, 60, 15); // no font: nothing, no crash
}

TEST(HighscoreTable, ReturnFinishesTheScene) {
    TfwGameApp app;
    app.SetBindings(TControls().FrameBindings());
    THighscoreManager table(&app);
    table.Activate();
    app.Keys[SDLK_SPACE] = 1;
    EXPECT_FALSE(table.HandleInput());
    EXPECT_FALSE(table.Finished);
    app.Keys[SDLK_RETURN] = 3; // held for a while counts as well
    EXPECT_TRUE(table.HandleInput());
    EXPECT_TRUE(table.Finished);
}

TEST(HighscoreTable, DrawnTableLooksRight) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(surface, nullptr);
    TfwFont font(12, 0);
    if (!font.LoadFromFile("F1", TestFontPath())) {
        SDL_FreeSurface(surface);
        GTEST_SKIP() << "the font cannot be loaded";
    }
    THighscoreManager table(nullptr);
    table.TextColour = -32768;
    for (uint32_t i = 0; i < 10; ++i) {
        table.Entries.push_back(
            table.ItemClass(i == 3 ? std::string("BAD\x01\xff") : "PLAYER" + std::to_string(i),
                            100000u >> i, 1, 1));
        table.Entries.back()->Date = 45000.0 + i;
    }
    table.Entries[9]->Date = std::numeric_limits<double>::quiet_NaN();
    table.DrawTable(surface, &font, 50, 230, 60, 15);
    SaveSnapshot(surface, "highscore_table");
    // Some orange in the name column, some white in the date column.
    bool orange = false, white = false;
    const uint32_t* px = static_cast<const uint32_t*>(surface->pixels);
    for (int y = 60; y < 210; ++y)
        for (int x = 0; x < 320; ++x) {
            const uint32_t p = px[y * surface->pitch / 4 + x];
            if (x < 120 && p == 0xFF8000)
                orange = true;
            if (x >= 230 && p == 0xFFFFFF)
                white = true;
        }
    EXPECT_TRUE(orange);
    EXPECT_TRUE(white);
    SDL_FreeSurface(surface);
}

// --- the name editor -------------------------------------------------------

namespace {
class EditorTest : public ::testing::Test {
protected:
    TfwGameApp app;
    THighscoreEditor editor{&app};
    void SetUp() override { app.SetBindings(TControls().FrameBindings()); }
    void Press(std::initializer_list<SDLKey> keys) {
        std::memset(app.Keys, 0, sizeof app.Keys);
        for (SDLKey k : keys)
            app.Keys[k] = 1;
    }
    bool Step(std::initializer_list<SDLKey> keys) {
        Press(keys);
        return editor.HandleInput();
    }
};
} // namespace

TEST_F(EditorTest, ReturnAtOnceKeepsTheGivenName) {
    editor.SetEntry("", 100);
    EXPECT_TRUE(Step({SDLK_RETURN}));
    EXPECT_TRUE(editor.Finished);
    EXPECT_EQ(editor.Name, "");
    editor.SetEntry("ÄW x", 200);
    editor.Activate();
    EXPECT_FALSE(editor.Finished);
    EXPECT_TRUE(Step({SDLK_RETURN}));
    EXPECT_TRUE(editor.Finished);
    EXPECT_EQ(editor.Name, "ÄW x");
    EXPECT_EQ(editor.Score, 200);
}

TEST_F(EditorTest, FirstUpOnAnEmptyNameGivesAAndNineSpaces) {
    editor.SetEntry("", 1);
    EXPECT_TRUE(Step({SDLK_UP}));
    EXPECT_EQ(editor.Name, "A         ");
    Step({SDLK_RETURN});
    EXPECT_EQ(editor.Name, "A         "); // the trailing spaces stay
}

TEST_F(EditorTest, UpAndDownWrapBetweenSpaceAndANeverGivingW) {
    editor.SetEntry("A", 1);
    Step({SDLK_DOWN});
    EXPECT_EQ(editor.Name[0], ' ');
    Step({SDLK_UP});
    EXPECT_EQ(editor.Name[0], 'A');
    std::string seen;
    for (int i = 0; i < 39; ++i) {
        Step({SDLK_UP});
        seen += editor.Name[0];
    }
    EXPECT_EQ(seen, "BCDEFGHIJKLMNOPQRSTUVXYZ1234567890.-: A");
    Step({SDLK_UP, SDLK_DOWN}); // both cancel out
    EXPECT_EQ(editor.Name[0], 'A');
}

TEST_F(EditorTest, ACharacterOutsideTheSetBecomesAOrSpace) {
    editor.SetEntry("WWW", 1);
    Step({SDLK_UP});
    EXPECT_EQ(editor.Name, "AWW       ");
    editor.CursorPos = 2;
    Step({SDLK_DOWN});
    EXPECT_EQ(editor.Name, "A W       ");
    editor.CursorPos = 3;
    Step({SDLK_UP, SDLK_DOWN});
    EXPECT_EQ(editor.Name, "A         ");
    editor.SetEntry(std::string("\0", 1), 1); // a zero byte is not in the set either
    editor.CursorPos = 1;
    Step({SDLK_UP});
    EXPECT_EQ(editor.Name[0], 'A');
}

TEST_F(EditorTest, ALongerNameKeepsItsLength) {
    editor.SetEntry("ABCDEFGHIJKL", 1);
    editor.CursorPos = 10;
    Step({SDLK_UP});
    EXPECT_EQ(editor.Name, "ABCDEFGHIKKL");
}

TEST_F(EditorTest, CursorStopsAtBothEnds) {
    editor.SetEntry("", 1);
    EXPECT_TRUE(Step({SDLK_LEFT}));
    EXPECT_EQ(editor.CursorPos, 1);
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(Step({SDLK_RIGHT}));
    EXPECT_EQ(editor.CursorPos, 10);
    Step({SDLK_UP});
    EXPECT_EQ(editor.Name, "         A");
    EXPECT_FALSE(editor.Finished);
}

TEST_F(EditorTest, OneActionPerCallInOrderOfPrecedence) {
    editor.SetEntry("", 1);
    editor.CursorPos = 5;
    EXPECT_TRUE(Step({SDLK_LEFT, SDLK_UP, SDLK_RETURN}));
    EXPECT_EQ(editor.CursorPos, 5);
    EXPECT_EQ(editor.Name, "    A     ");
    EXPECT_FALSE(editor.Finished);
    EXPECT_TRUE(Step({SDLK_LEFT, SDLK_RIGHT, SDLK_RETURN}));
    EXPECT_EQ(editor.CursorPos, 4);
    EXPECT_FALSE(editor.Finished);
    EXPECT_TRUE(Step({SDLK_RIGHT, SDLK_RETURN}));
    EXPECT_EQ(editor.CursorPos, 5);
    EXPECT_FALSE(editor.Finished);
    EXPECT_FALSE(Step({SDLK_x})); // the game's quit key is not the editor's
    EXPECT_FALSE(Step({}));
    EXPECT_FALSE(editor.Finished);
}

TEST_F(EditorTest, CursorIsKeptFromOneEntryToTheNext) {
    editor.SetEntry("", 1);
    Step({SDLK_RIGHT});
    Step({SDLK_RIGHT});
    Step({SDLK_RETURN});
    editor.SetEntry("OLD", 2);
    editor.Activate();
    EXPECT_EQ(editor.CursorPos, 3);
    EXPECT_FALSE(editor.Finished);
    editor.CursorPos = 99; // out of range from outside: kept on the name
    Step({SDLK_UP});
    EXPECT_EQ(editor.Name, "OLD      A");
}

TEST_F(EditorTest, DrawPlacesScoreNameCursorAndHelp) {
    TRecordingFont nameFont(16), scoreFont(14), helpFont(12);
    ASSERT_TRUE(scoreFont.Opened) << "no font at " << TestFontPath();
    editor.TextColour = -32768;
    editor.SetEntry("AB", 4711);
    editor.CursorPos = 3;

    editor.HelpFont = &helpFont;
    editor.Draw(nullptr);
    EXPECT_TRUE(nameFont.Drawn.empty());
    ASSERT_EQ(helpFont.Drawn.size(), 4u);
    // The desktop names its mouse as well; its X types an X: Escape leaves there.
    const char* help[] = {
        kHandheld ? "Enter - save score" : "Enter or click here - save score",
        kHandheld ? "X - Quit without saving score" : "Esc - Quit without saving score",
        kHandheld ? "Up/Down - Change characters" : "Up/Down or wheel - Change characters",
        kHandheld ? "Left/Right - Change character position"
                  : "Left/Right or click - Change character position"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(helpFont.Drawn[i].Text, help[i]);
        EXPECT_EQ(helpFont.Drawn[i].X, 65);
        EXPECT_EQ(helpFont.Drawn[i].Y, 150 + 15 * i);
        EXPECT_EQ(helpFont.Drawn[i].Color, 0xFF8000u);
    }

    editor.HelpFont = nullptr;
    editor.ScoreFont = &scoreFont;
    editor.Draw(nullptr);
    EXPECT_TRUE(nameFont.Drawn.empty());
    EXPECT_EQ(helpFont.Drawn.size(), 4u);
    ASSERT_EQ(scoreFont.Drawn.size(), 2u);
    scoreFont.Drawn.clear();

    editor.NameFont = &nameFont;
    editor.Draw(nullptr);
    ASSERT_EQ(scoreFont.Drawn.size(), 2u);
    EXPECT_EQ(scoreFont.Drawn[0].Text, "Your Score:");
    EXPECT_EQ(scoreFont.Drawn[0].X, 65);
    EXPECT_EQ(scoreFont.Drawn[0].Y, 70);
    EXPECT_EQ(scoreFont.Drawn[1].Text, "4711");
    EXPECT_EQ(scoreFont.Drawn[1].X, 215 - scoreFont.TrueWidth("4711"));
    EXPECT_EQ(scoreFont.Drawn[1].Y, 70);

    ASSERT_EQ(nameFont.Drawn.size(), 11u); // ten places and the cursor
    size_t k = 0;
    for (int i = 1; i <= 10; ++i) {
        if (i == 3) {
            EXPECT_EQ(nameFont.Drawn[k].Text, "_");
            EXPECT_EQ(nameFont.Drawn[k].X, 95);
            EXPECT_EQ(nameFont.Drawn[k].Y, 105);
            EXPECT_EQ(nameFont.Drawn[k].Color, 0xFFFFFFu);
            ++k;
        }
        const std::string expected = i == 1 ? "A" : i == 2 ? "B" : " ";
        EXPECT_EQ(nameFont.Drawn[k].Text, expected) << i;
        EXPECT_EQ(nameFont.Drawn[k].X, 50 + 15 * i);
        EXPECT_EQ(nameFont.Drawn[k].Y, 100);
        EXPECT_EQ(nameFont.Drawn[k].Color, 0xFF8000u);
        ++k;
    }
}

TEST_F(EditorTest, DrawnEditorLooksRight) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(surface, nullptr);
    TfwFont f1(12, 0), f2(14, 0), f3(16, 0);
    if (!f1.LoadFromFile("F1", TestFontPath()) || !f2.LoadFromFile("F2", TestFontPath()) ||
        !f3.LoadFromFile("F3", TestFontPath())) {
        SDL_FreeSurface(surface);
        GTEST_SKIP() << "the font cannot be loaded";
    }
    editor.HelpFont = &f1;
    editor.ScoreFont = &f2;
    editor.NameFont = &f3;
    editor.TextColour = -32768;
    editor.SetEntry("TESSA", 123450);
    editor.CursorPos = 6;
    editor.Draw(surface);
    SaveSnapshot(surface, "highscore_editor");
    // The white cursor (grey where its thin stroke is smoothed) lies under the
    // sixth place, x 140 .. 155; the name's characters are orange.
    bool cursor = false;
    const uint32_t* px = static_cast<const uint32_t*>(surface->pixels);
    for (int y = 100; y < 130; ++y)
        for (int x = 140; x < 155; ++x) {
            const uint32_t p = px[y * surface->pitch / 4 + x];
            const uint32_t r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            if (r == g && g == b && r >= 0x40)
                cursor = true;
        }
    EXPECT_TRUE(cursor);
    SDL_FreeSurface(surface);
}
