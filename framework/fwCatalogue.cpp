// The .po reader and the plural rule's evaluator. Both take untrusted text
// (a catalogue a translator edited by hand): every refusal is a problem line,
// never a crash, and the expression's depth is bounded so that the recursive
// parse and evaluation cannot exhaust the stack.
#include "fwCatalogue.h"

#include "fwCommandLine.h"
#include "fwFile.h"

#include <cctype>
#include <cstring>

namespace {

// gettext's separator between a message's context and its msgid.
constexpr char kContextEnd = '\x04';
constexpr uint64_t kMaxNumber = 1000000000; // larger literals are refused
constexpr char kNotEqual = 'N';             // the operator letter of "!="

// --- The plural expression: a recursive descent over C's precedence.

class TPluralParser {
public:
    using TNode = TfwPluralRule::TNode;
    TPluralParser(const std::string& text, std::vector<TNode>& nodes)
        : text_(text), nodes_(nodes) {}

    // The whole text as one expression (blanks and a final ';' allowed); -1 when malformed.
    int Whole() {
        const int root = Conditional(0);
        Blanks();
        if (pos_ < text_.size() && text_[pos_] == ';')
            ++pos_;
        Blanks();
        return ok_ && pos_ == text_.size() ? root : -1;
    }

private:
    int Add(char op, char op2, int a, int b, int c, uint64_t value = 0) {
        nodes_.push_back({op, op2, a, b, c, value});
        return static_cast<int>(nodes_.size()) - 1;
    }
    void Blanks() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }
    // Takes the operator op at the current place (op2 its second letter, or 0).
    bool Take(char op, char op2 = 0) {
        Blanks();
        if (pos_ >= text_.size() || text_[pos_] != op)
            return false;
        const char next = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
        if (op2 != 0 ? next != op2 : (next == '=' && op != '?' && op != ':'))
            return false;
        pos_ += op2 != 0 ? 2 : 1;
        return true;
    }
    bool Deeper(int depth) {
        if (depth > TfwPluralRule::kMaxDepth)
            ok_ = false;
        return ok_;
    }

    int Conditional(int depth) {
        if (!Deeper(depth))
            return -1;
        const int test = Binary(0, depth);
        if (!Take('?'))
            return test;
        const int yes = Conditional(depth + 1);
        if (!Take(':'))
            ok_ = false;
        const int no = Conditional(depth + 1);
        return Add('?', 0, test, yes, no);
    }

    // The binary operators' levels, loosest first: || && (== !=) (< > <= >=) (+ -) (* / %).
    int Binary(int level, int depth) {
        if (!Deeper(depth))
            return -1;
        if (level == kLevels)
            return Unary(depth);
        int left = Binary(level + 1, depth + 1);
        for (int steps = 0; ok_; ++steps) {
            char op = 0, op2 = 0;
            if (!TakeLevelOperator(level, op, op2))
                break;
            if (!Deeper(depth + steps))
                break;
            const int right = Binary(level + 1, depth + 1);
            // "!=" gets an operator letter of its own: '!' alone is the negation.
            left = op == '!' ? Add(kNotEqual, 0, left, right, -1) : Add(op, op2, left, right, -1);
        }
        return left;
    }
    bool TakeLevelOperator(int level, char& op, char& op2) {
        static const char* const kOps[kLevels] = {"||", "&&", "== !=", "<= >= < >", "+ -", "* / %"};
        const char* p = kOps[level];
        while (*p) {
            const char a = p[0];
            const char b = p[1] != ' ' && p[1] != '\0' ? p[1] : '\0';
            if (Take(a, b)) {
                op = a;
                op2 = b;
                return true;
            }
            p += b ? 2 : 1;
            while (*p == ' ')
                ++p;
        }
        return false;
    }

    int Unary(int depth) {
        if (!Deeper(depth))
            return -1;
        if (Take('!'))
            return Add('!', 0, Unary(depth + 1), -1, -1);
        if (Take('(')) {
            const int inner = Conditional(depth + 1);
            if (!Take(')'))
                ok_ = false;
            return inner;
        }
        Blanks();
        if (pos_ < text_.size() && text_[pos_] == 'n') {
            ++pos_;
            return Add('n', 0, -1, -1, -1);
        }
        return Number();
    }
    int Number() {
        uint64_t value = 0;
        const size_t start = pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + static_cast<uint64_t>(text_[pos_++] - '0');
            if (value > kMaxNumber)
                ok_ = false;
        }
        if (pos_ == start)
            ok_ = false;
        return Add('#', 0, -1, -1, -1, value);
    }

    static constexpr int kLevels = 6;
    const std::string& text_;
    std::vector<TNode>& nodes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// The value of the field "name=" in a Plural-Forms text, up to its ';' (or
// the end for the last); false when absent.
bool PluralField(const std::string& text, const std::string& name, std::string& value) {
    size_t at = 0;
    while ((at = text.find(name, at)) != std::string::npos) {
        const bool starts = at == 0 || text[at - 1] == ';' ||
                            std::isspace(static_cast<unsigned char>(text[at - 1]));
        size_t eq = at + name.size();
        while (eq < text.size() && text[eq] == ' ')
            ++eq;
        if (starts && eq < text.size() && text[eq] == '=') {
            const size_t end = name == "plural" ? text.size() : text.find(';', eq);
            value = text.substr(eq + 1, end == std::string::npos ? end : end - eq - 1);
            return true;
        }
        at = eq;
    }
    return false;
}

} // namespace

TfwPluralRule::TfwPluralRule() = default;

bool TfwPluralRule::Parse(const std::string& pluralForms) {
    std::string count, expression;
    if (!PluralField(pluralForms, "nplurals", count) ||
        !PluralField(pluralForms, "plural", expression))
        return false;
    const size_t first = count.find_first_not_of(' ');
    const size_t last = count.find_last_not_of(' ');
    int64_t forms = 0;
    if (first == std::string::npos ||
        !fwParseWhole(count.substr(first, last - first + 1), 2, forms) || forms < 1 ||
        forms > kMaxForms)
        return false;
    std::vector<TNode> nodes;
    const int root = TPluralParser(expression, nodes).Whole();
    if (root < 0)
        return false;
    forms_ = static_cast<int>(forms);
    nodes_ = std::move(nodes);
    root_ = root;
    return true;
}

int TfwPluralRule::FormFor(uint64_t n) const {
    const uint64_t form = root_ < 0 ? (n == 1 ? 0 : 1) : Evaluate(root_, n);
    return form < static_cast<uint64_t>(forms_) ? static_cast<int>(form) : 0;
}

uint64_t TfwPluralRule::Evaluate(int node, uint64_t n) const {
    const TNode& t = nodes_[static_cast<size_t>(node)];
    switch (t.Op) {
    case 'n':
        return n;
    case '#':
        return t.Value;
    case '!':
        return Evaluate(t.A, n) == 0;
    case '?':
        return Evaluate(t.A, n) != 0 ? Evaluate(t.B, n) : Evaluate(t.C, n);
    case '|':
        return Evaluate(t.A, n) != 0 || Evaluate(t.B, n) != 0;
    case '&':
        return Evaluate(t.A, n) != 0 && Evaluate(t.B, n) != 0;
    default:
        break;
    }
    const uint64_t a = Evaluate(t.A, n);
    const uint64_t b = Evaluate(t.B, n);
    switch (t.Op) {
    case '=':
        return a == b;
    case kNotEqual:
        return a != b;
    case '<':
        return t.Op2 == '=' ? a <= b : a < b;
    case '>':
        return t.Op2 == '=' ? a >= b : a > b;
    case '+':
        return a + b;
    case '-':
        return a - b;
    case '*':
        return a * b;
    case '/':
        return b == 0 ? 0 : a / b;
    case '%':
        return b == 0 ? 0 : a % b;
    default:
        return 0;
    }
}

// --- The .po reader.

namespace {

// A escape's letter and the character it stands for.
constexpr const char* kEscapes = "n\nt\tr\ra\ab\bf\fv\v\\\\\"\"''??";

// The value of the hex digit c, or -1.
int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads the escape after the backslash at text[pos] into out; pos ends past it.
bool ReadEscape(const std::string& text, size_t& pos, std::string& out) {
    if (pos >= text.size())
        return false;
    const char c = text[pos++];
    for (const char* e = kEscapes; *e; e += 2)
        if (*e == c) {
            out += e[1];
            return true;
        }
    int value = 0, digits = 0;
    if (c >= '0' && c <= '7') { // up to three octal digits
        value = c - '0';
        for (digits = 1; digits < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7';
             ++digits)
            value = value * 8 + (text[pos++] - '0');
    } else if (c == 'x') { // one or two hex digits
        for (; digits < 2 && pos < text.size() && HexDigit(text[pos]) >= 0; ++digits)
            value = value * 16 + HexDigit(text[pos++]);
        if (digits == 0)
            return false;
    } else {
        return false;
    }
    if (value > 0xFF)
        return false;
    out += static_cast<char>(value);
    return true;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

bool fwReadPoString(const std::string& line, size_t pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"')
        return false;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"')
            return line.find_first_not_of(" \t\r", pos + 1) == std::string::npos;
        if (c == '\\') {
            ++pos;
            if (!ReadEscape(line, pos, out))
                return false;
            --pos;
        } else {
            out += c;
        }
    }
    return false; // no closing quote
}

bool fwIsUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned c = *p++;
        if (c < 0x80)
            continue;
        int more = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
        if (more < 0 || c > 0xF4 || end - p < more)
            return false;
        uint32_t code = c & (0x3F >> more);
        for (int i = 0; i < more; ++i, ++p) {
            if ((*p & 0xC0) != 0x80)
                return false;
            code = code << 6 | (*p & 0x3F);
        }
        const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
    }
    return true;
}

// The entry being read: its fields as they stand, where the next string
// line goes, and whether a line of it was refused.
struct TfwCatalogue::TEntry {
    enum TField { fNone, fContext, fId, fPlural, fString };
    bool HasContext = false, HasId = false, HasPlural = false, Fuzzy = false, Broken = false;
    int FirstLine = 0;
    std::string Context, Id, IdPlural;
    TForms Strings;
    TField Last = fNone; // the field a continuation line adds to
    bool Empty() const { return !HasContext && !HasId && Strings.empty(); }
    std::string* LastText() {
        switch (Last) {
        case fContext:
            return &Context;
        case fId:
            return &Id;
        case fPlural:
            return &IdPlural;
        case fString:
            return Strings.empty() ? nullptr : &Strings.back();
        default:
            return nullptr;
        }
    }
};

namespace {

// The catalogue reader's one line of a .po file: a keyword with its string,
// a continuation string, a comment or a blank line.
enum class TPoLine { Blank, Comment, FuzzyFlags, Obsolete, Keyword, Continuation, Bad };

TPoLine Classify(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return TPoLine::Blank;
    if (line[first] == '#') {
        if (line.compare(first, 2, "#~") == 0)
            return TPoLine::Obsolete;
        if (line.compare(first, 2, "#,") == 0 && line.find("fuzzy", first) != std::string::npos)
            return TPoLine::FuzzyFlags;
        return TPoLine::Comment;
    }
    if (line[first] == '"')
        return TPoLine::Continuation;
    return std::islower(static_cast<unsigned char>(line[first])) ? TPoLine::Keyword : TPoLine::Bad;
}

} // namespace

namespace {

// A keyword line's keyword ("msgid", "msgstr[1]") and the place of its string.
bool SplitKeyword(const std::string& line, std::string& keyword, size_t& quote) {
    const size_t first = line.find_first_not_of(" \t");
    const size_t end = line.find_first_of(" \t\"", first);
    if (end == std::string::npos)
        return false;
    keyword = line.substr(first, end - first);
    quote = line.find_first_not_of(" \t", end);
    return quote != std::string::npos;
}

// The form number of "msgstr[N]", or -1 for another keyword.
int FormNumber(const std::string& keyword) {
    int64_t n = -1;
    if (!StartsWith(keyword, "msgstr[") || keyword.back() != ']' ||
        !fwParseWhole(keyword.substr(7, keyword.size() - 8), 1, n) || n >= TfwPluralRule::kMaxForms)
        return -1;
    return static_cast<int>(n);
}

} // namespace

// Takes keyword into entry (its string still to be read into entry.LastText());
// nullptr, or why the line is refused.
const char* TfwCatalogue::Accept(const std::string& keyword, TEntry& entry) {
    const int form = FormNumber(keyword);
    if (keyword == "msgctxt") {
        if (entry.HasContext || entry.HasId)
            return "msgctxt out of place";
        entry.HasContext = true;
        entry.Last = TEntry::fContext;
    } else if (keyword == "msgid") {
        if (entry.HasId)
            return "a second msgid";
        entry.HasId = true;
        entry.Last = TEntry::fId;
    } else if (keyword == "msgid_plural") {
        if (!entry.HasId || entry.HasPlural || !entry.Strings.empty())
            return "msgid_plural out of place";
        entry.HasPlural = true;
        entry.Last = TEntry::fPlural;
    } else if (keyword == "msgstr" || form >= 0) {
        if (!entry.HasId || (form >= 0) != entry.HasPlural)
            return "msgstr out of place";
        const size_t expected = form < 0 ? 0 : static_cast<size_t>(form);
        if (entry.Strings.size() != expected)
            return "msgstr out of order";
        entry.Strings.emplace_back();
        entry.Last = TEntry::fString;
    } else {
        return "an unknown keyword";
    }
    return nullptr;
}

void TfwCatalogue::ReadLine(const std::string& line, int number, TEntry& entry,
                            std::vector<std::string>& problems) {
    auto refuse = [&](const std::string& what) {
        problems.push_back("line " + std::to_string(number) + ": " + what);
        entry.Broken = true;
    };
    const TPoLine kind = Classify(line);
    if (kind == TPoLine::Blank) {
        Finish(entry, problems);
    } else if (kind == TPoLine::Bad) {
        refuse("neither a keyword, a string nor a comment");
    } else if (kind == TPoLine::Continuation) {
        std::string* field = entry.LastText();
        if (field == nullptr)
            refuse("a string without its keyword");
        else if (!fwReadPoString(line, line.find('"'), *field))
            refuse("a malformed string");
    } else if (kind != TPoLine::Keyword) {
        if (!entry.Strings.empty()) // a comment after the msgstr starts the next entry
            Finish(entry, problems);
        entry.Fuzzy = entry.Fuzzy || kind == TPoLine::FuzzyFlags;
    } else {
        std::string keyword;
        size_t quote = 0;
        if (!SplitKeyword(line, keyword, quote))
            return refuse("a keyword without its string");
        // A new message's first keyword ends the one before.
        if ((keyword == "msgctxt" || keyword == "msgid") &&
            (!entry.Strings.empty() || entry.Broken))
            Finish(entry, problems);
        if (entry.FirstLine == 0)
            entry.FirstLine = number;
        if (const char* why = Accept(keyword, entry))
            return refuse(why);
        if (!fwReadPoString(line, quote, *entry.LastText()))
            refuse("a malformed string");
    }
}

void TfwCatalogue::Finish(TEntry& entry, std::vector<std::string>& problems) {
    if (!entry.Empty() || entry.Broken)
        Keep(entry, problems);
    entry = TEntry();
}

bool TfwCatalogue::Parse(const std::string& text, std::vector<std::string>& problems) {
    Clear();
    const size_t before = problems.size();
    TEntry entry;
    int number = 0;
    size_t start = StartsWith(text, "\xEF\xBB\xBF") ? 3 : 0; // a byte order mark
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        ReadLine(text.substr(start, end - start), ++number, entry, problems);
        start = end + 1;
    }
    Finish(entry, problems);
    return problems.size() == before;
}

bool TfwCatalogue::LoadFromFile(const std::string& fileName, std::vector<std::string>& problems) {
    Clear();
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        problems.push_back(fileName + " cannot be read");
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        problems.push_back(fileName + " cannot be read");
        return false;
    }
    std::vector<std::string> found;
    const bool ok = Parse(text, found);
    for (const std::string& problem : found) {
        problems.push_back(fileName + " ");
        problems.back() += problem;
    }
    return ok;
}

void TfwCatalogue::Clear() {
    messages_.clear();
    header_.clear();
    plural_ = TfwPluralRule();
}

void TfwCatalogue::Keep(const TEntry& entry, std::vector<std::string>& problems) {
    const std::string at = "line " + std::to_string(entry.FirstLine) + ": ";
    if (entry.Broken || entry.Fuzzy)
        return; // a refused line is told already; fuzzy entries are not translations yet
    if (!entry.HasId || entry.Strings.empty() || (entry.HasPlural && entry.Strings.size() < 2)) {
        problems.push_back(at + "an entry without its msgid or msgstr");
        return;
    }
    for (const std::string& text : entry.Strings)
        if (!fwIsUtf8(text) || !fwIsUtf8(entry.Id) || !fwIsUtf8(entry.Context))
            return problems.push_back(at + "text that is not UTF-8");
    if (!entry.HasContext && entry.Id.empty())
        return KeepHeader(entry.Strings[0], at, problems);
    bool any = false;
    for (const std::string& text : entry.Strings)
        any = any || !text.empty();
    if (any) // an empty msgstr is a message not translated yet
        messages_[entry.Context + kContextEnd + entry.Id] = entry.Strings;
}

void TfwCatalogue::KeepHeader(const std::string& text, const std::string& at,
                              std::vector<std::string>& problems) {
    header_.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t colon = line.find(':');
        if (colon != std::string::npos && colon > 0) {
            const size_t value = line.find_first_not_of(' ', colon + 1);
            header_.emplace_back(line.substr(0, colon),
                                 value == std::string::npos ? "" : line.substr(value));
        }
        start = end + 1;
    }
    const std::string forms = Header("Plural-Forms");
    if (!forms.empty() && !plural_.Parse(forms))
        problems.push_back(at + "a malformed Plural-Forms: " + forms);
}

const TfwCatalogue::TForms* TfwCatalogue::Find(const std::string& context,
                                               const std::string& msgid) const {
    const auto found = messages_.find(context + kContextEnd + msgid);
    return found == messages_.end() ? nullptr : &found->second;
}

std::string TfwCatalogue::Translate(const std::string& msgid) const {
    return Translate("", msgid);
}

std::string TfwCatalogue::Translate(const std::string& context, const std::string& msgid) const {
    const TForms* forms = Find(context, msgid);
    return forms != nullptr && !forms->front().empty() ? forms->front() : msgid;
}

std::string TfwCatalogue::Plural(const std::string& msgid, const std::string& msgidPlural,
                                 uint64_t n) const {
    return Plural("", msgid, msgidPlural, n);
}

std::string TfwCatalogue::Plural(const std::string& context, const std::string& msgid,
                                 const std::string& msgidPlural, uint64_t n) const {
    const TForms* forms = Find(context, msgid);
    if (forms != nullptr && forms->size() > 1) {
        const size_t form = static_cast<size_t>(plural_.FormFor(n));
        if (form < forms->size() && !(*forms)[form].empty())
            return (*forms)[form];
    }
    return n == 1 ? msgid : msgidPlural;
}

std::string TfwCatalogue::Header(const std::string& field) const {
    for (const auto& [name, value] : header_)
        if (name == field)
            return value;
    return "";
}

std::string fwSubstitute(const std::string& text, const std::vector<std::string>& values) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next == '%') {
            out += '%';
            ++i;
        } else if (text[i] == '%' && next >= '1' && next <= '9' &&
                   static_cast<size_t>(next - '1') < values.size()) {
            out += values[static_cast<size_t>(next - '1')];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
