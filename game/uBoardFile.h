// Board files: the game writes the current board to puzzle1.txt and lays the
// arrangement read from puzzle.txt over a freshly dealt board. One stone per
// line: column, row and kind as decimal integers separated by blanks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One line of a board file: column, row, stone kind.
struct TBoardFileLine {
    int32_t Col;
    int32_t Row;
    int32_t Kind;
};
// Reads a board file's text (lines end with LF, CR LF or CR). Every line holds three integers (more
// text after them is ignored) with a kind of 1 to 32; blank lines are skipped. On a bad line the
// lines before it are in lines and the result is its 1-based number; 0 when the whole text is good.
int ParseBoardFile(const std::string& content, std::vector<TBoardFileLine>& lines);
