// The screens' texts in every language fit the boxes the template gives the
// translators: each "TRANSLATORS: box WxH (..., font N[, lines of L])"
// comment of po/tessaril.pot is measured with the game's font at that size,
// for English and every catalogue po/LINGUAS lists.
#include "fwCatalogue.h"
#include "fwFont.h"
#include "fwLanguage.h"
#include "testutil.h"
#include "uScreen.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

namespace {

// One box a message is drawn in: one line of Width pixels, or with
// LineHeight > 0 lines cut at Width, as many as fit in Height.
struct TBox {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t FontSize = 0;
    int32_t LineHeight = 0; // 0: one line
    std::string Sample;     // what fills a place: "%1 up to 128", else kSample
};

// A place's value by default: as wide as a key's usual name (wider than four digits).
const char* const kSample = "Space";

struct TMessage {
    std::string Id, Plural;
    std::vector<TBox> Boxes;  // the ones to measure
    bool Boxed = false;       // a box stated, measured or not
    bool FromScreens = false; // referenced by the game's code other than --help's
};

// The boxes of one entry's "#." comments, joined (a comment may go on over
// several lines).
std::vector<TBox> BoxesOf(const std::string& comments) {
    static const std::regex box(R"(box (\d+)x(\d+))"), font(R"(font (\d+))"),
        lines(R"(lines of (\d+))"), sample(R"(%\d up to (\S+))"), cut(R"(cut with)");
    std::vector<TBox> boxes;
    size_t at = comments.find("TRANSLATORS:");
    while (at != std::string::npos) {
        const size_t next = comments.find("TRANSLATORS:", at + 1);
        const std::string one = comments.substr(at, next == std::string::npos ? next : next - at);
        std::smatch b, f, l, v;
        // A text cut to its box where drawn has its box as a guide only.
        if (std::regex_search(one, b, box) && std::regex_search(one, f, font) &&
            !std::regex_search(one, cut)) {
            TBox t{std::stoi(b[1]), std::stoi(b[2]), std::stoi(f[1]), 0, kSample};
            if (std::regex_search(one, l, lines))
                t.LineHeight = std::stoi(l[1]);
            if (std::regex_search(one, v, sample))
                t.Sample = v[1];
            boxes.push_back(t);
        }
        at = next;
    }
    return boxes;
}

// The template's messages with their boxes (msgctxt entries are none of the screens').
std::vector<TMessage> ReadTemplate(const std::string& text) {
    std::vector<TMessage> messages;
    TMessage m;
    std::string comments, *last = nullptr;
    const auto finish = [&] {
        if (!m.Id.empty()) {
            m.Boxes = BoxesOf(comments);
            m.Boxed = comments.find("TRANSLATORS: box ") != std::string::npos;
            messages.push_back(m);
        }
        m = {};
        comments.clear();
        last = nullptr;
    };
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::string s;
        if (line.empty()) {
            finish();
        } else if (line.rfind("#. ", 0) == 0) {
            comments += line.substr(3) + " ";
        } else if (line.rfind("#: ", 0) == 0) {
            std::istringstream refs(line.substr(3));
            for (std::string ref; refs >> ref;)
                m.FromScreens = m.FromScreens || (ref.rfind("game/", 0) == 0 &&
                                                  ref.rfind("game/uCommandLine.cpp", 0) != 0);
        } else if (line.rfind("msgid ", 0) == 0 && fwReadPoString(line, 6, s)) {
            m.Id = s;
            last = &m.Id;
        } else if (line.rfind("msgid_plural ", 0) == 0 && fwReadPoString(line, 13, s)) {
            m.Plural = s;
            last = &m.Plural;
        } else if (line[0] == '"' && last != nullptr && fwReadPoString(line, 0, s)) {
            *last += s;
        } else {
            last = nullptr; // msgstr, msgctxt and the rest
        }
    }
    finish();
    return messages;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every form a language shows of the message, its places filled with sample.
std::vector<std::string> Forms(const TfwCatalogue& t, const TMessage& m,
                               const std::string& sample) {
    const std::vector<std::string> values(9, sample);
    std::vector<std::string> forms;
    if (m.Plural.empty())
        return {fwSubstitute(t.Translate(m.Id), values)};
    for (uint64_t n : {1, 2, 5, 21, 22, 25})
        forms.push_back(fwSubstitute(t.Plural(m.Id, m.Plural, n), values));
    return forms;
}

// What overflows box: "" when text fits.
std::string Overflow(const TfwFont& font, const std::string& text, const TBox& box) {
    if (box.LineHeight == 0) {
        const int32_t over = font.TextWidth(text) - box.Width;
        return over > 0 ? std::to_string(over) + " px too wide for " + std::to_string(box.Width)
                        : "";
    }
    int32_t over = 0;
    const auto lines = WrapText(&font, text, box.Width);
    for (const std::string& line : lines) // a word wider than the box stands alone
        over = std::max(over, font.TextWidth(line) - box.Width);
    const auto height = static_cast<int32_t>(lines.size()) * box.LineHeight;
    if (over > 0)
        return std::to_string(over) + " px too wide for " + std::to_string(box.Width);
    return height > box.Height ? std::to_string(height - box.Height) + " px too high for " +
                                     std::to_string(box.Height)
                               : "";
}

} // namespace

TEST(Layout, EveryScreenTextHasABoxAndFitsItInEveryLanguage) {
    const std::vector<TMessage> messages = ReadTemplate(ReadText(SourcePath("po/tessaril.pot")));
    ASSERT_GT(messages.size(), 100U);
    std::map<int32_t, std::unique_ptr<TfwFont>> fonts; // by size
    const auto fontOf = [&fonts](int32_t size) -> const TfwFont& {
        auto& font = fonts[size];
        if (!font) {
            font = std::make_unique<TfwFont>(size, 0);
            EXPECT_TRUE(font->LoadFromFile("layout", SourcePath("data/fonts/orangefizz.ttf")));
        }
        return *font;
    };
    std::vector<std::pair<std::string, TfwCatalogue>> languages(1);
    languages[0].first = kfwEnglish;
    for (const std::string& name : fwReadLinguas(ReadText(SourcePath("po/LINGUAS")))) {
        languages.emplace_back(name, TfwCatalogue());
        std::vector<std::string> problems;
        ASSERT_TRUE(
            languages.back().second.LoadFromFile(SourcePath("po/" + name + ".po"), problems))
            << name;
    }
    ASSERT_GE(languages.size(), 6U);
    int32_t measured = 0;
    for (const TMessage& m : messages) {
        EXPECT_TRUE(!m.FromScreens || m.Boxed)
            << '"' << m.Id << "\" is drawn but states no box for the translators";
        for (const auto& [language, catalogue] : languages)
            for (const TBox& box : m.Boxes)
                for (const std::string& text : Forms(catalogue, m, box.Sample)) {
                    ++measured;
                    const std::string over = Overflow(fontOf(box.FontSize), text, box);
                    if (!over.empty())
                        ADD_FAILURE() << language << ": \"" << text << "\" (\"" << m.Id
                                      << "\") at font " << box.FontSize << ": " << over;
                }
    }
    EXPECT_GT(measured, 500);
}
