// Which language the program speaks: the player's choice in the settings,
// else the host's list of preferred languages (the desktop's locale
// variables, a page's navigator.languages), matched against the languages
// that have a catalogue. Languages are named by their catalogue's name, a
// gettext code such as "de" or "pt_BR"; English, the language of the
// program's own texts, is kfwEnglish and needs no catalogue.
#pragma once

#include "fwCatalogue.h"

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

// Where the catalogues are at run time, beside the media: one <name>.po a
// language and LINGUAS, the list of their names.
inline constexpr const char* kfwCatalogueFolder = "data/po";

// The names a LINGUAS file lists: blank-separated, any number a line, '#'
// starting a comment to the line's end.
std::vector<std::string> fwReadLinguas(const std::string& text);

// Loads into catalogue the language fwChooseLanguage picks from chosen,
// preferred and the catalogues folder's LINGUAS lists, and answers its name.
// English needs no file: catalogue is left empty, so that every message is
// its own English. A catalogue that cannot be read leaves English too; its
// problems (and a malformed entry's, whose message stays English) are added
// to problems.
std::string fwLoadLanguage(const std::string& chosen, const std::vector<std::string>& preferred,
                           const std::string& folder, TfwCatalogue& catalogue,
                           std::vector<std::string>& problems);
