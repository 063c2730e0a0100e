#pragma once

#include <string>
#include <string_view>

#include "console/screen.h"

namespace lexfray::testing {

// The board as 25 lines of text (CP437 shown as UTF-8).
std::string Picture(const Screen& screen);
// One line per row that holds any colour other than light grey on black: runs of cells
// as "c12-40 15/1" (columns, fg/bg).
std::string ColourMap(const Screen& screen);
// The text of row, columns first..last, as the board holds it (single bytes).
std::string TextAt(const Screen& screen, int row, int first, int last);
// True when text stands on row starting at column.
bool HasTextAt(const Screen& screen, int row, int column, std::string_view text);
// The row where text first stands, or 0.
int RowOf(const Screen& screen, std::string_view text);
// fg and bg of a cell.
int FgAt(const Screen& screen, int row, int column);
int BgAt(const Screen& screen, int row, int column);

// Compares the board with tests/golden/name.txt; with LEXFRAY_UPDATE_GOLDEN=1 in the
// environment the file is written instead. Returns a readable difference, empty when equal.
std::string GoldenDifference(const Screen& screen, std::string_view name);

}  // namespace lexfray::testing
