// The language choice. The desktop's variables are read as they are, not
// through setlocale: the player's language must not depend on which locales
// the system has generated.
#include "fwLanguage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

constexpr size_t kMaxLanguageLetters = 8; // ISO 639 codes have 2 or 3; "C" and "POSIX" fit too
constexpr size_t kMaxRegionLetters = 8;   // a region, or a script such as "Latn"

bool AllLetters(const std::string& text, size_t most) {
    return !text.empty() && text.size() <= most &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

std::string Cased(std::string text, int (*change)(int)) {
    for (char& c : text)
        c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return text;
}

bool Has(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

} // namespace

std::string fwLanguageCode(const std::string& tag) {
    // The codeset (".UTF-8") and the modifier ("@euro") end the name.
    const std::string name = tag.substr(0, tag.find_first_of(".@"));
    if (name == "C" || name == "POSIX")
        return kfwEnglish;
    const size_t cut = name.find_first_of("_-");
    const std::string language = name.substr(0, cut);
    if (!AllLetters(language, kMaxLanguageLetters))
        return "";
    if (cut == std::string::npos)
        return Cased(language, std::tolower);
    // A web tag may go on past its region ("zh-Hant-TW"): its first part counts.
    const std::string region = name.substr(cut + 1, name.find_first_of("_-", cut + 1) - cut - 1);
    if (!AllLetters(region, kMaxRegionLetters))
        return "";
    return Cased(language, std::tolower) + "_" + Cased(region, std::toupper);
}

std::vector<std::string>
fwDesktopLanguages(const std::function<const char*(const char*)>& variable) {
    std::vector<std::string> list;
    const char* languages = variable("LANGUAGE");
    if (languages != nullptr) {
        const std::string text = languages;
        size_t start = 0;
        while (start <= text.size()) {
            const size_t end = std::min(text.find(':', start), text.size());
            if (end > start)
                list.push_back(text.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = variable(name);
        if (value != nullptr && *value != 0) {
            list.emplace_back(value);
            break;
        }
    }
    return list;
}

std::string fwChooseLanguage(const std::string& chosen, const std::vector<std::string>& preferred,
                             const std::vector<std::string>& available) {
    std::string picked = fwLanguageCode(chosen);
    if (picked == kfwEnglish || Has(available, picked))
        return picked;
    for (const std::string& tag : preferred) {
        std::string code = fwLanguageCode(tag);
        std::string language = code.substr(0, code.find('_'));
        if (language == kfwEnglish)
            return kfwEnglish;
        if (!code.empty() && Has(available, code))
            return code;
        if (!language.empty() && Has(available, language))
            return language;
    }
    return kfwEnglish;
}

std::vector<std::string> fwReadLinguas(const std::string& text) {
    std::vector<std::string> names;
    std::string name;
    bool comment = false;
    for (const char c : text + "\n") {
        if (c == '\n')
            comment = false;
        else if (c == '#')
            comment = true;
        if (!comment && c != '#' && !std::isspace(static_cast<unsigned char>(c))) {
            name += c;
        } else if (!name.empty()) {
            names.push_back(name);
            name.clear();
        }
    }
    return names;
}

std::string fwLoadLanguage(const std::string& chosen, const std::vector<std::string>& preferred,
                           const std::string& folder, TfwCatalogue& catalogue,
                           std::vector<std::string>& problems) {
    catalogue.Clear();
    std::string linguas;
    if (std::FILE* file = std::fopen((folder + "/LINGUAS").c_str(), "rb")) {
        char buffer[1024];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            linguas.append(buffer, got);
        std::fclose(file);
    }
    std::string language = fwChooseLanguage(chosen, preferred, fwReadLinguas(linguas));
    if (language == kfwEnglish)
        return language;
    if (!catalogue.LoadFromFile(folder + "/" + language + ".po", problems) && catalogue.Size() == 0)
        return kfwEnglish;
    return language;
}
