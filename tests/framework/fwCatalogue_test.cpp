// Message catalogues: the plural rules of the shipped languages, the .po
// reader's handling of everything a catalogue holds, and its refusals.
#include "fwCatalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kEnglish = "nplurals=2; plural=(n != 1);";
constexpr const char* kFrench = "nplurals=2; plural=(n > 1);";
constexpr const char* kPolish = "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && "
                                "(n%100<10 || n%100>=20) ? 1 : 2);";
constexpr const char* kRussian = "nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && "
                                 "n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);";

TfwCatalogue Read(const std::string& text, std::vector<std::string>& problems) {
    TfwCatalogue catalogue;
    catalogue.Parse(text, problems);
    return catalogue;
}

} // namespace

TEST(Catalogue, PluralRulesOfTheShippedLanguages) {
    const uint64_t numbers[] = {0, 1, 2, 4, 5, 11, 12, 14, 21, 22, 25, 101, 112};
    struct TCase {
        const char* Rule;
        int Forms[13]; // the form for each of numbers
    };
    const TCase cases[] = {
        {kEnglish, {1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {kFrench, {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {kPolish, {2, 0, 1, 1, 2, 2, 2, 2, 2, 1, 2, 2, 2}},
        {kRussian, {2, 0, 1, 1, 2, 2, 2, 2, 0, 1, 2, 0, 2}},
    };
    for (const TCase& c : cases) {
        TfwPluralRule rule;
        ASSERT_TRUE(rule.Parse(c.Rule)) << c.Rule;
        for (size_t i = 0; i < std::size(numbers); ++i)
            EXPECT_EQ(rule.FormFor(numbers[i]), c.Forms[i]) << c.Rule << " n=" << numbers[i];
    }
}

TEST(Catalogue, PluralExpressionsAndRefusals) {
    struct TCase {
        const char* Rule;
        bool Parsed;
        uint64_t N;
        int Form;
    };
    const TCase cases[] = {
        {"nplurals=1; plural=0;", true, 7, 0},
        {"nplurals=3; plural=n/10%3;", true, 25, 2},
        {"nplurals=3; plural=!(n<=1) + (n>=5);", true, 7, 2},
        {"nplurals=2; plural=n%0;", true, 3, 0},         // no division by zero
        {"nplurals=2; plural=n*1000;", true, 3, 0},      // past the last form: the first
        {"nplurals=3; plural=n-5;", true, 1, 0},         // unsigned wrap, past the forms
        {" nplurals = 2 ; plural = n==0 ;", true, 0, 1}, // blanks anywhere
        {"nplurals=INTEGER; plural=EXPRESSION;", false, 0, 0},
        {"nplurals=2; plural=(n != 1;", false, 0, 0},
        {"nplurals=2; plural=n = 1;", false, 0, 0},
        {"nplurals=2; plural=n ? 1;", false, 0, 0},
        {"nplurals=2; plural=m;", false, 0, 0},
        {"nplurals=0; plural=0;", false, 0, 0},
        {"nplurals=7; plural=0;", false, 0, 0},
        {"plural=n != 1;", false, 0, 0},
        {"nplurals=2; plural=99999999999;", false, 0, 0},
        {"nplurals=2;", false, 0, 0},
    };
    for (const TCase& c : cases) {
        TfwPluralRule rule;
        EXPECT_EQ(rule.Parse(c.Rule), c.Parsed) << c.Rule;
        if (c.Parsed)
            EXPECT_EQ(rule.FormFor(c.N), c.Form) << c.Rule;
        else
            EXPECT_EQ(rule.Forms(), 2) << "a refused rule leaves English's: " << c.Rule;
    }
    // Nesting past the bound is refused, not followed down the stack.
    TfwPluralRule deep;
    EXPECT_FALSE(deep.Parse("nplurals=2; plural=" + std::string(5000, '(') + "n" +
                            std::string(5000, ')') + ";"));
    EXPECT_FALSE(deep.Parse("nplurals=2; plural=" + std::string(5000, '!') + "n;"));
    std::string chain = "n";
    for (int i = 0; i < 5000; ++i)
        chain += "+n";
    EXPECT_FALSE(deep.Parse("nplurals=2; plural=" + chain + ";"));
}

TEST(Catalogue, ReadsEveryKindOfEntry) {
    const std::string po = "# A translator's comment\n"
                           "msgid \"\"\n"
                           "msgstr \"\"\n"
                           "\"Language: pl\\n\"\n"
                           "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                           "\"Plural-Forms: " +
                           std::string(kPolish) +
                           "\\n\"\n"
                           "\n"
                           "#. TRANSLATORS: box 120x10\n"
                           "#: game/screens/title.cpp:10\n"
                           "msgid \"Play\"\n"
                           "msgstr \"Graj\"\n"
                           "\n"
                           "msgctxt \"table\"\n"
                           "msgid \"Play\"\n"
                           "msgstr \"Gra\"\n"
                           "\n"
                           "msgid \"\"\n"
                           "\"Two \"\n"
                           "\"lines\\n\\tand \\\"quotes\\\" \\\\ \\101\\x42\"\n"
                           "msgstr \"Dwie\\nlinie\"\n"
                           "\n"
                           "msgid \"%d life left\"\n"
                           "msgid_plural \"%d lives left\"\n"
                           "msgstr[0] \"zostało %d życie\"\n"
                           "msgstr[1] \"zostały %d życia\"\n"
                           "msgstr[2] \"zostało %d żyć\"\n"
                           "\n"
                           "#, fuzzy\n"
                           "msgid \"Pause\"\n"
                           "msgstr \"Pauza\"\n"
                           "\n"
                           "msgid \"Untranslated\"\n"
                           "msgstr \"\"\n"
                           "#~ msgid \"Old\"\n"
                           "#~ msgstr \"Stare\"\n"
                           "msgid \"No blank line before\"\r\n"
                           "msgstr \"Bez pustej linii\"";
    std::vector<std::string> problems;
    const TfwCatalogue pl = Read(po, problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(pl.Header("Language"), "pl");
    EXPECT_EQ(pl.PluralRule().Forms(), 3);
    EXPECT_EQ(pl.Translate("Play"), "Graj");
    EXPECT_EQ(pl.Translate("table", "Play"), "Gra");
    EXPECT_EQ(pl.Translate("other", "Play"), "Play");
    EXPECT_EQ(pl.Translate("Two lines\n\tand \"quotes\" \\ AB"), "Dwie\nlinie");
    EXPECT_EQ(pl.Plural("%d life left", "%d lives left", 1), "zostało %d życie");
    EXPECT_EQ(pl.Plural("%d life left", "%d lives left", 22), "zostały %d życia");
    EXPECT_EQ(pl.Plural("%d life left", "%d lives left", 25), "zostało %d żyć");
    EXPECT_EQ(pl.Plural("%d stone", "%d stones", 1), "%d stone");
    EXPECT_EQ(pl.Plural("%d stone", "%d stones", 3), "%d stones");
    EXPECT_EQ(pl.Translate("Pause"), "Pause") << "fuzzy entries are left out";
    EXPECT_EQ(pl.Translate("Untranslated"), "Untranslated");
    EXPECT_EQ(pl.Translate("Old"), "Old");
    EXPECT_EQ(pl.Translate("No blank line before"), "Bez pustej linii");
    EXPECT_EQ(pl.Size(), 5u);
}

TEST(Catalogue, RefusedLinesCostTheirEntryAlone) {
    struct TCase {
        const char* Entry; // between two good entries
        const char* Problem;
    };
    const TCase cases[] = {
        {"msgid \"a\"\nmsgstr \"b", "line 5: a malformed string"},
        {"msgid \"a\"\nmsgstr \"b\" x", "line 5: a malformed string"},
        {"msgid \"a\\q\"\nmsgstr \"b\"", "line 4: a malformed string"},
        {"msgid \"a\\x\"\nmsgstr \"b\"", "line 4: a malformed string"},
        {"msgid \"a\"\nmsgstr \"\\400\"", "line 5: a malformed string"},
        {"msgid \"a\"\nmsgstr \"\xC3\"", "line 4: text that is not UTF-8"},
        {"msgid \"a\"\nmsgstr \"\xED\xA0\x80\"", "line 4: text that is not UTF-8"},
        {"msgid \"a\"\nmsgtxt \"b\"", "line 5: an unknown keyword"},
        {"msgid \"a\"\nmsgstr", "line 5: a keyword without its string"},
        {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[1] \"b\"", "line 6: msgstr out of order"},
        {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr \"b\"", "line 6: msgstr out of place"},
        {"msgid \"a\"\nmsgstr[0] \"b\"", "line 5: msgstr out of place"},
        {"msgid \"a\"\nmsgstr \"b\"\nmsgstr \"c\"", "line 6: msgstr out of order"},
        {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"", "line 4: an entry without"},
        {"msgstr \"b\"", "line 4: msgstr out of place"},
        {"msgid \"a\"", "line 4: an entry without its msgid or msgstr"},
        {"\"stray\"", "line 4: a string without its keyword"},
        {"msgid \"a\"\nMSGSTR \"b\"", "line 5: neither a keyword"},
        {"msgid \"\"\nmsgstr \"Plural-Forms: nplurals=2; plural=n>;\\n\"",
         "line 4: a malformed Plural-Forms"},
        {"msgid \"a\"\nmsgstr[9] \"b\"", "line 5: an unknown keyword"},
    };
    for (const TCase& c : cases) {
        const std::string po = "msgid \"before\"\nmsgstr \"davor\"\n\n" + std::string(c.Entry) +
                               "\n\nmsgid \"after\"\nmsgstr \"danach\"\n";
        std::vector<std::string> problems;
        const TfwCatalogue catalogue = Read(po, problems);
        ASSERT_FALSE(problems.empty()) << c.Entry;
        EXPECT_EQ(problems[0].rfind(c.Problem, 0), 0u) << c.Entry << " gave " << problems[0];
        EXPECT_EQ(catalogue.Translate("a"), "a") << c.Entry;
        EXPECT_EQ(catalogue.Translate("before"), "davor") << c.Entry;
        EXPECT_EQ(catalogue.Translate("after"), "danach") << c.Entry;
    }
}

TEST(Catalogue, ShippedCataloguesReadWithoutProblems) {
    for (const char* language : {"de", "fr", "es", "pl", "ru"}) {
        TfwCatalogue catalogue;
        std::vector<std::string> problems;
        const std::string file = std::string(TESSARIL_SOURCE_DIR) + "/po/" + language + ".po";
        EXPECT_TRUE(catalogue.LoadFromFile(file, problems))
            << (problems.empty() ? "" : problems.front());
        EXPECT_EQ(catalogue.Header("Language"), language);
        EXPECT_EQ(catalogue.PluralRule().Forms(),
                  language == std::string("pl") || language == std::string("ru") ? 3 : 2);
        EXPECT_GT(catalogue.Size(), 0u) << language;
    }
    TfwCatalogue missing;
    std::vector<std::string> problems;
    EXPECT_FALSE(missing.LoadFromFile("no-such-catalogue.po", problems));
    EXPECT_EQ(missing.Translate("Play"), "Play");
}
