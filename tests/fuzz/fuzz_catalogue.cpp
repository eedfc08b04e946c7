// Fuzz target: the catalogue reader (po/<language>.po). The input is a .po
// file's text. Whatever it holds, the reader must not crash, and its answers
// must keep their promises: every translation it gives is UTF-8 (the text
// renderer takes it as such), a message it has no translation for is its
// English, and the plural rule answers a form within its count for any n.

#include "fuzz_util.h"

#include "fwCatalogue.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TfwCatalogue catalogue;
    std::vector<std::string> problems;
    const bool clean = catalogue.Parse(text, problems);
    FUZZ_CHECK(clean == problems.empty(), "the answer disagrees with the problems told");

    const TfwPluralRule& rule = catalogue.PluralRule();
    FUZZ_CHECK(rule.Forms() >= 1 && rule.Forms() <= TfwPluralRule::kMaxForms,
               std::to_string(rule.Forms()) + " forms");
    for (const uint64_t n : {0ull, 1ull, 2ull, 5ull, 11ull, 21ull, 101ull, 4294967295ull}) {
        const int form = rule.FormFor(n);
        FUZZ_CHECK(form >= 0 && form < rule.Forms(), "form " + std::to_string(form));
    }

    // Every msgid the text names, looked up alone and as a plural.
    size_t at = 0;
    while ((at = text.find("msgid \"", at)) != std::string::npos) {
        std::string msgid;
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end == std::string::npos ? end : end - at);
        at += 7;
        if (!fwReadPoString(line, 6, msgid))
            continue;
        const std::string singular = catalogue.Translate(msgid);
        FUZZ_CHECK(singular == msgid || fwIsUtf8(singular), "a translation that is not UTF-8");
        for (const uint64_t n : {1ull, 2ull, 5ull}) {
            const std::string form = catalogue.Plural(msgid, "many", n);
            FUZZ_CHECK(form == msgid || form == "many" || fwIsUtf8(form),
                       "a plural form that is not UTF-8");
        }
    }
    FUZZ_CHECK(catalogue.Translate("\x01 no such message") == "\x01 no such message",
               "a message the text never names was translated");
    return 0;
}
