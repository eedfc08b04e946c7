// Which language the program speaks: the player's choice in the settings,
// else the host's list of preferred languages (the desktop's locale
// variables, a page's navigator.languages), matched against the languages
// that have a catalogue. Languages are named by their catalogue's name, a
// gettext code such as "de" or "pt_BR"; English, the language of the
// program's own texts, is kfwEnglish and needs no catalogue.
#pragma once

#include <functional>
#include <string>
#include <vector>

inline constexpr const char* kfwEnglish = "en";

// A locale or language tag as a catalogue's name: "de_AT.UTF-8@euro",
// "de-at" and "DE_AT" all give "de_AT" (the language in lower case, a
// region in upper case, the codeset and modifier dropped); "C" and "POSIX"
// (with or without a codeset) give kfwEnglish; "" for an empty or
// malformed tag.
std::string fwLanguageCode(const std::string& tag);

// The desktop's preferred languages, most wanted first, from its variables as
// gettext reads them: each entry of LANGUAGE's colon-separated list, then the
// first set, non-empty one of LC_ALL, LC_MESSAGES and LANG. Entries come as
// they are written (fwChooseLanguage normalises them). variable answers a
// variable's value, nullptr when it is not set (getenv).
std::vector<std::string>
fwDesktopLanguages(const std::function<const char*(const char*)>& variable);

// The language to speak: chosen ("" = automatic) when it names a language
// with a catalogue; otherwise the first of preferred that has one, where a
// region without its own catalogue falls back to its language (de_AT to de)
// and English ("C", "en_GB") stops the search; English when none has.
// available lists the catalogues' names.
std::string fwChooseLanguage(const std::string& chosen, const std::vector<std::string>& preferred,
                             const std::vector<std::string>& available);
