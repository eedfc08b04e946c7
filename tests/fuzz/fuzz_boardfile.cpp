// Fuzz target: the board-file reader (puzzle.txt). The input is the file's
// text, with lines ending in LF, CR LF or CR. ParseBoardFile must keep its promises: every line it
// returns has a kind of 1 to 32; a bad line's number lies within the text's line count and names a
// line that is not blank; the lines before it are all returned. Each line is also read here
// independently, and the result is laid over a dealt board the way the game's load key does it.

#include "fuzz_util.h"
#include "fwGameApp.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uGameGrid.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The text's lines: each ends with LF, CR LF or CR; text after the last end
// is one more line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// Three decimal integers that fit 32 bits, each after blanks; the rest of
// the line does not matter.
bool ReadLine(const std::string& line, int32_t (&v)[3]) {
    const char* p = line.c_str();
    const char* end = p + line.size();
    for (int32_t& value : v) {
        while (p < end && Blank(*p))
            ++p;
        const char* start = p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        const char* digits = p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
        if (p == digits)
            return false;
        errno = 0;
        const long long n = std::strtoll(std::string(start, p).c_str(), nullptr, 10);
        if (errno == ERANGE || n < INT32_MIN || n > INT32_MAX)
            return false;
        value = static_cast<int32_t>(n);
    }
    return true;
}

// A dealt board without pictures, as the game has it when the load key
// lays the file over a new deal. Dealt once (a deal is costly under the
// fuzzer's instrumentation); each input's changes are undone afterwards.
TfwSpriteEngine* engine = nullptr;
TGameGrid* board = nullptr;
int32_t dealt[8][10] = {};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    // Sprites read the clock when they are made; SDL is never started here.
    fwSetClock([] { return 0u; }, [](uint32_t) {});
    static auto theEngine = std::make_unique<TfwSpriteEngine>(nullptr);
    static auto theBoard = std::make_unique<TGameGrid>(theEngine.get());
    engine = theEngine.get();
    board = theBoard.get();
    board->SetGridSize(10, 8);
    board->SetCellSize(24, 24);
    board->FixSeed(7);
    board->NewBoard(TStoneImages{}, 6);
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t col = 0; col < 10; ++col)
            dealt[row][col] = board->StoneAt(col, row)->Kind;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<TBoardFileLine> parsed;
    const int bad = ParseBoardFile(text, parsed);

    const std::vector<std::string> lines = Lines(text);
    const int count = static_cast<int>(lines.size());
    FUZZ_CHECK(bad >= 0 && bad <= count,
               "bad line " + std::to_string(bad) + " of " + std::to_string(count));
    for (const TBoardFileLine& l : parsed)
        FUZZ_CHECK(l.Kind >= 1 && l.Kind <= kStoneImageCount, "kind " + std::to_string(l.Kind));

    // The reference reading: every non-blank line up to the first bad one.
    size_t next = 0;
    const int last = bad == 0 ? count : bad;
    for (int n = 1; n <= last; ++n) {
        const std::string& line = lines[static_cast<size_t>(n - 1)];
        bool blank = true;
        for (char c : line)
            blank = blank && Blank(c);
        if (blank) {
            FUZZ_CHECK(n != bad, "blank line " + std::to_string(n) + " called bad");
            continue;
        }
        int32_t v[3];
        const bool good = ReadLine(line, v) && v[2] >= 1 && v[2] <= kStoneImageCount;
        if (n == bad) {
            FUZZ_CHECK(!good, "good line " + std::to_string(n) + " called bad");
            break;
        }
        FUZZ_CHECK(good, "bad line " + std::to_string(n) + " accepted");
        FUZZ_CHECK(next < parsed.size(), "line " + std::to_string(n) + " missing");
        const TBoardFileLine& p = parsed[next++];
        FUZZ_CHECK(p.Col == v[0] && p.Row == v[1] && p.Kind == v[2],
                   "line " + std::to_string(n) + " read wrongly");
    }
    FUZZ_CHECK(next == parsed.size(), "more lines returned than read");

    // Laid over the deal: cells named by the file take its kinds, cells
    // outside the board are ignored, the others keep theirs.
    for (const TBoardFileLine& l : parsed)
        board->ChangeStone(l.Col, l.Row, l.Kind);
    int32_t expected[8][10] = {};
    for (const TBoardFileLine& l : parsed)
        if (l.Col >= 0 && l.Col < 10 && l.Row >= 0 && l.Row < 8)
            expected[l.Row][l.Col] = l.Kind;
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t col = 0; col < 10; ++col) {
            const TButtonSprite* stone = board->StoneAt(col, row);
            FUZZ_CHECK(stone != nullptr, "a dealt cell is empty");
            if (expected[row][col] != 0)
                FUZZ_CHECK(stone->Kind == expected[row][col], "a named cell kept its kind");
            else
                FUZZ_CHECK(stone->Kind == dealt[row][col], "an unnamed cell changed");
            board->ChangeStone(col, row, dealt[row][col]);
        }
    FUZZ_CHECK(engine->ChildCount() == 80,
               "the board holds " + std::to_string(engine->ChildCount()) + " stones");
    return 0;
}
