#include "platform/system/board_layout.h"

#include <algorithm>

#include "console/screen.h"

namespace lexfray {

bool BoardLayout::ToBoard(int y, int x, int& row, int& column) const {
  if (!fits) return false;
  row = y - top + 1;
  column = x - left + 1;
  return row >= 1 && row <= kRows && column >= 1 && column <= kColumns;
}

BoardLayout LayoutFor(int lines, int columns) {
  BoardLayout layout;
  layout.lines = lines;
  layout.columns = columns;
  layout.fits = lines >= kRows && columns >= kColumns;
  if (layout.fits) {
    layout.top = (lines - kRows) / 2;
    layout.left = (columns - kColumns) / 2;
  }
  return layout;
}

std::vector<std::string> EnlargeNotice(int lines, int columns) {
  std::vector<std::string> notice = {
      "Lex Fray needs a terminal of " + std::to_string(kColumns) + " x " + std::to_string(kRows) +
          ".",
      "This one is " + std::to_string(columns) + " x " + std::to_string(lines) + ".",
      "Please make it larger: the game goes on when it fits.",
  };
  std::size_t width = static_cast<std::size_t>(std::max(columns, 0));
  for (std::string& line : notice) line.resize(std::min(line.size(), width));
  return notice;
}

}  // namespace lexfray
