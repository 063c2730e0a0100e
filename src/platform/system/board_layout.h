#pragma once

#include <string>
#include <vector>

namespace lexfray {

// Where the 80x25 board stands in a terminal of the given size: centred, or nowhere when
// the terminal is too small for it.
struct BoardLayout {
  int lines = 0;
  int columns = 0;
  int top = 0;   // 0-based terminal row of board row 1
  int left = 0;  // 0-based terminal column of board column 1
  bool fits = false;

  // The board cell (1-based) at a 0-based terminal position, if the board has one there.
  bool ToBoard(int y, int x, int& row, int& column) const;
};

BoardLayout LayoutFor(int lines, int columns);

// The lines that ask the player to enlarge a terminal too small for the board, each cut
// to the terminal's width.
std::vector<std::string> EnlargeNotice(int lines, int columns);

}  // namespace lexfray
