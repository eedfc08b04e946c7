// Message catalogues: the game's own reader of gettext .po files and the
// look-up of a message's translation. The same on every build (the C
// library's gettext is not used). Messages are UTF-8, as the .po files hold
// them; the English text (the msgid) is the answer wherever a catalogue has
// no translation.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The plural rule of a catalogue's Plural-Forms header, "nplurals=N;
// plural=EXPR;": EXPR is a C expression over the unsigned n with ?:, ||, &&,
// !, the comparisons, + - * / %, whole numbers and parentheses.
class TfwPluralRule {
public:
    // English's rule: two forms, the first for n == 1.
    TfwPluralRule();
    // Reads a Plural-Forms value; false (and this rule unchanged) when it is
    // malformed, holds fewer than 1 or more than kMaxForms forms, or nests
    // deeper than kMaxDepth.
    bool Parse(const std::string& pluralForms);
    int Forms() const { return forms_; }
    // The form for n, from 0 to Forms() - 1; a rule that answers past the
    // last form (or divides by 0) gives the first form, as gettext does.
    int FormFor(uint64_t n) const;

    static constexpr int kMaxForms = 6;
    static constexpr int kMaxDepth = 100; // nested operators and parentheses

    // One operator of the expression; its operands are indices into nodes_.
    struct TNode {
        char Op;  // 'n', '#' (a number), '!', '?', 'N' (!=), or the operator's first letter
        char Op2; // the second letter of a two-letter operator ('=' of "<="), or 0
        int A, B, C;
        uint64_t Value;
    };

private:
    uint64_t Evaluate(int node, uint64_t n) const;

    int forms_ = 2;
    std::vector<TNode> nodes_;
    int root_ = -1; // -1: English's rule
};

class TfwCatalogue {
public:
    // Reads a .po file's text, replacing what the catalogue held. Fuzzy and
    // obsolete entries are left out, and so is every entry with a line the
    // reader refuses (an unknown keyword, a string without its closing quote,
    // an unknown escape, text that is not UTF-8, msgstr[n] out of order) or
    // without a msgid or msgstr; each refusal is one line of problems,
    // "line N: what", and the reader goes on with the next entry. The header
    // (the entry of the empty msgid) gives the fields and the plural rule; a
    // malformed Plural-Forms is a problem and leaves English's rule. Answers
    // whether no problem was found.
    bool Parse(const std::string& text, std::vector<std::string>& problems);
    // Parse of the file's text; false too when it cannot be read.
    bool LoadFromFile(const std::string& fileName, std::vector<std::string>& problems);
    void Clear();

    // The translation of msgid, or msgid itself when there is none.
    std::string Translate(const std::string& msgid) const;
    // The same for the msgid given with msgctxt context.
    std::string Translate(const std::string& context, const std::string& msgid) const;
    // The form of the translation for the number n by the catalogue's plural
    // rule; without one (or with that form empty) English's: msgid for
    // n == 1, else msgidPlural.
    std::string Plural(const std::string& msgid, const std::string& msgidPlural, uint64_t n) const;
    std::string Plural(const std::string& context, const std::string& msgid,
                       const std::string& msgidPlural, uint64_t n) const;

    // A header field's value ("Language", "Plural-Forms"), "" when absent.
    std::string Header(const std::string& field) const;
    const TfwPluralRule& PluralRule() const { return plural_; }
    // How many messages have a translation.
    size_t Size() const { return messages_.size(); }

private:
    // The forms of one message: one for a singular message, else one a plural form.
    using TForms = std::vector<std::string>;
    struct TEntry;
    // Reads one line (number counts from 1) into entry, finishing it first
    // where the line starts the next entry.
    void ReadLine(const std::string& line, int number, TEntry& entry,
                  std::vector<std::string>& problems);
    static const char* Accept(const std::string& keyword, TEntry& entry);
    // Keeps entry (the header's fields, or a translated message) and starts a new one.
    void Finish(TEntry& entry, std::vector<std::string>& problems);
    void Keep(const TEntry& entry, std::vector<std::string>& problems);
    void KeepHeader(const std::string& text, const std::string& at,
                    std::vector<std::string>& problems);
    const TForms* Find(const std::string& context, const std::string& msgid) const;

    std::unordered_map<std::string, TForms> messages_; // key: context EOT msgid
    std::vector<std::pair<std::string, std::string>> header_;
    TfwPluralRule plural_;
};

// One .po string's text: the quoted literal at text[pos] (pos at the opening
// quote) read with its C escapes up to the closing quote, which must end the
// line but for blanks. False when it does not.
bool fwReadPoString(const std::string& line, size_t pos, std::string& out);
// Whether text is well-formed UTF-8 (no overlong forms, no surrogates).
bool fwIsUtf8(const std::string& text);

// text with each of %1 to %9 replaced by values[0] to values[8] (a place
// whose value is not given is left as it is; "%%" gives "%"): a translation
// may put the values in its own order.
std::string fwSubstitute(const std::string& text, const std::vector<std::string>& values);

// Marks a message for the template without translating it, where the text
// must be a constant (a table's entry) and is translated where it is used.
constexpr const char* N_(const char* msgid) {
    return msgid;
}
