#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/screen.h"

namespace lexfray {

// The screen drawing operations every screen of the game is made of.

// First column of a text centred on its row: 41 - (length + 1) / 2.
int CentreColumn(std::string_view text);

// Writes text at (row, column) in fg on bg, or centred on the row when centred is set
// (column is then ignored). The cursor ends just after the text.
void PrintAt(Screen& screen, std::string_view text, int fg, int bg, int row, int column,
             bool centred = false);

enum BoxStyle : int { kSingleLine = 1, kDoubleLine = 2 };

// A frame with corners (top, left) and (bottom, right), its inside filled with blanks.
void DrawBox(Screen& screen, int top, int left, int bottom, int right, int style, int fg, int bg);

// Bright white blanks on bg from column through column 80.
void ClearToEndOfLine(Screen& screen, int row, int column, int bg);

// count bright white blanks on bg from (row, column), then a line break.
void ClearSpan(Screen& screen, int row, int column, int count, int bg);

// The value in decimal, padded on the left with blanks to width. A value wider than the
// field is shown whole rather than cut.
std::string RightAlignNumber(std::int64_t value, int width);

// A finite value in exponent form ("2.07e+272"), with as many significant digits as fit in
// width characters; one digit at least, however small width is.
std::string ExponentForm(double value, std::size_t width);

}  // namespace lexfray
