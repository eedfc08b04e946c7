// The language choice: the desktop's variables, a page's tags and the
// player's own choice, against the catalogues there are.
#include "fwLanguage.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

TEST(Language, ChoiceFromTheVariablesTheBrowserAndTheSettings) {
    struct TCase {
        std::map<std::string, std::string> Variables; // the desktop's; unset when absent
        std::vector<std::string> Browser;             // navigator.languages, when not empty
        const char* Chosen;                           // the settings' choice ("" = automatic)
        const char* Language;
    };
    const TCase cases[] = {
        {{}, {}, "", "en"},
        {{{"LANG", "de_DE.UTF-8"}}, {}, "", "de"},
        {{{"LANG", "de_AT.UTF-8@euro"}}, {}, "", "de"},
        {{{"LANG", "C"}}, {}, "", "en"},
        {{{"LANG", "POSIX"}}, {}, "", "en"},
        {{{"LANG", "C.UTF-8"}}, {}, "", "en"},
        {{{"LANG", "pt_BR.UTF-8"}}, {}, "", "en"}, // no catalogue
        {{{"LANG", "en_US.UTF-8"}}, {}, "", "en"},
        {{{"LC_ALL", "fr_FR.UTF-8"}, {"LC_MESSAGES", "de_DE"}, {"LANG", "ru_RU"}}, {}, "", "fr"},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "pl_PL"}, {"LANG", "ru_RU"}}, {}, "", "pl"},
        {{{"LC_MESSAGES", ""}, {"LANG", "ru_RU.KOI8-R"}}, {}, "", "ru"},
        {{{"LANGUAGE", "sv:pl:de"}, {"LANG", "de_DE.UTF-8"}}, {}, "", "pl"},
        {{{"LANGUAGE", "sv"}, {"LANG", "es_ES.UTF-8"}}, {}, "", "es"},
        {{{"LANGUAGE", "en_GB:de"}, {"LANG", "de_DE.UTF-8"}}, {}, "", "en"},
        {{{"LANGUAGE", ":::"}, {"LANG", "es_MX"}}, {}, "", "es"},
        {{{"LANG", "es_MX"}}, {}, "de", "de"},
        {{{"LANG", "es_MX"}}, {}, "en", "en"},
        {{{"LANG", "es_MX"}}, {}, "xx", "es"},  // a choice without a catalogue
        {{{"LANG", "de_CH"}}, {}, "", "de_CH"}, // a region's own catalogue first
        {{{"LANG", "de_LI"}}, {}, "", "de"},
        {{}, {"sv-SE", "fr-CA", "de"}, "", "fr"},
        {{}, {"DE-at"}, "", "de"},
        {{}, {"zh-Hant-TW", "ru"}, "", "ru"},
        {{}, {"en-US", "de"}, "", "en"},
        {{}, {"*", "1x", "es"}, "", "es"},
        {{}, {"pl"}, "ru", "ru"},
    };
    const std::vector<std::string> available = {"de", "de_CH", "es", "fr", "pl", "ru"};
    for (const TCase& c : cases) {
        const auto variable = [&c](const char* name) -> const char* {
            const auto found = c.Variables.find(name);
            return found == c.Variables.end() ? nullptr : found->second.c_str();
        };
        const std::vector<std::string> preferred =
            c.Browser.empty() ? fwDesktopLanguages(variable) : c.Browser;
        std::string told;
        for (const auto& [name, value] : c.Variables)
            told.append(name).append("=").append(value).append(" ");
        for (const std::string& tag : c.Browser)
            told += tag + " ";
        EXPECT_EQ(fwChooseLanguage(c.Chosen, preferred, available), c.Language)
            << told << "chosen '" << c.Chosen << "'";
    }
}

// The catalogue loaded for a choice, from the shipped folder and LINGUAS: the
// chosen one, else the host's, else English with no messages; a folder
// without catalogues leaves English.
TEST(Language, LoadsTheChosenCatalogue) {
    struct TCase {
        const char* Folder;
        const char* Chosen;
        std::vector<std::string> Preferred;
        const char* Language;
        const char* Keys; // --help's "Keys (as settings.txt binds them):" in that language
    };
    const std::string po = SourcePath("po");
    const TCase cases[] = {
        {po.c_str(), "pl", {"ru_RU.UTF-8"}, "pl", "Klawisze (według settings.txt):"},
        {po.c_str(), "", {"ru_RU.UTF-8"}, "ru", "Клавиши (как задано в settings.txt):"},
        {po.c_str(), "xx", {"sv", "de-CH"}, "de", "Tasten (wie settings.txt sie belegt):"},
        {po.c_str(), "", {"C"}, "en", "Keys (as settings.txt binds them):"},
        {"no-such-folder", "de", {"fr"}, "en", "Keys (as settings.txt binds them):"},
    };
    for (const TCase& c : cases) {
        TfwCatalogue catalogue;
        std::vector<std::string> problems;
        EXPECT_EQ(fwLoadLanguage(c.Chosen, c.Preferred, c.Folder, catalogue, problems), c.Language)
            << c.Chosen;
        EXPECT_EQ(catalogue.Translate("Keys (as settings.txt binds them):"), c.Keys) << c.Chosen;
        EXPECT_TRUE(problems.empty()) << problems.front();
    }
}
