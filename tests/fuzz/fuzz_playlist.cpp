// Fuzz target: the play-list reader (playlist.txt). The input is the file's
// text; its lines go into the play list the way the game fills it. The lines
// must be the text cut at its line ends (LF, CR LF or CR), and the list must
// come out sorted without regard to case, without two entries equal without
// regard to case, holding for each line the first one read of its kind.
//
// Entries are paths handed to the C library, so they compare as C strings
// (up to a zero byte), letters A to Z without regard to case.

#include "fuzz_util.h"
#include "tessaril.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

int Fold(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// <0, 0, >0 as a is before, equal to or after b, case aside.
int CompareIgnoringCase(const std::string& a, const std::string& b) {
    const char* p = a.c_str();
    const char* q = b.c_str();
    for (;; ++p, ++q) {
        const int x = Fold(static_cast<unsigned char>(*p));
        const int y = Fold(static_cast<unsigned char>(*q));
        if (x != y || x == 0)
            return x - y;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitPlayListLines(text);

    // The lines are the text without its line ends, one line per end, and
    // one more for text after the last end.
    std::string joined;
    size_t ends = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            ++ends;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            joined += text[i];
        }
    }
    const bool tail = !text.empty() && text.back() != '\n' && text.back() != '\r';
    FUZZ_CHECK(lines.size() == ends + (tail ? 1 : 0), std::to_string(lines.size()) + " lines");
    std::string rejoined;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos, "a line holds a line end");
        rejoined += line;
    }
    FUZZ_CHECK(rejoined == joined, "the lines are not the text");

    std::vector<std::string> list;
    for (const std::string& line : lines)
        AddToPlayList(list, line);

    for (size_t i = 1; i < list.size(); ++i)
        FUZZ_CHECK(CompareIgnoringCase(list[i - 1], list[i]) < 0,
                   "entries " + std::to_string(i - 1) + " and " + std::to_string(i) +
                       " out of order or equal");
    for (const std::string& entry : list) {
        // The entry is the first line read of its kind.
        const std::string* first = nullptr;
        for (const std::string& line : lines)
            if (CompareIgnoringCase(line, entry) == 0) {
                first = &line;
                break;
            }
        FUZZ_CHECK(first != nullptr && *first == entry, "an entry that no line gave first");
    }
    for (const std::string& line : lines) {
        bool found = false;
        for (const std::string& entry : list)
            found = found || CompareIgnoringCase(line, entry) == 0;
        FUZZ_CHECK(found, "a line left out");
    }
    return 0;
}
