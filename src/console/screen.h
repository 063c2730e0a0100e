#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lexfray {

inline constexpr int kRows = 25;
inline constexpr int kColumns = 80;

// The sixteen console colours; a cell's attribute is fg + 16 * bg.
enum Colour : int {
  kBlack = 0,
  kBlue = 1,
  kGreen = 2,
  kCyan = 3,
  kRed = 4,
  kMagenta = 5,
  kBrown = 6,
  kLightGrey = 7,
  kDarkGrey = 8,
  kLightBlue = 9,
  kLightGreen = 10,
  kLightCyan = 11,
  kLightRed = 12,
  kLightMagenta = 13,
  kYellow = 14,
  kBrightWhite = 15,
};

constexpr std::uint8_t MakeAttribute(int fg, int bg) {
  return static_cast<std::uint8_t>((fg & 15) | ((bg & 15) << 4));
}

struct Cell {
  unsigned char ch = ' ';
  std::uint8_t attr = MakeAttribute(kLightGrey, kBlack);
  bool operator==(const Cell&) const = default;
};

// The 80x25 board: cells holding single CP437 bytes, a cursor and the current colours.
// Rows and columns are 1-based. Writing runs on from the cursor and wraps to the next row;
// nothing is written past the last cell, so the board never scrolls.
class Screen {
 public:
  using Cells = std::array<Cell, kRows * kColumns>;

  // Everything a box saves before it draws over the board, and puts back when it closes.
  struct Snapshot {
    Cells cells;
    int position;
    std::uint8_t attr;
    bool cursorVisible;
  };

  Screen();

  void SetColours(int fg, int bg) { attr_ = MakeAttribute(fg, bg); }
  std::uint8_t Attribute() const { return attr_; }

  // A coordinate off the board leaves that coordinate of the cursor as it was.
  void MoveTo(int row, int column);
  int CursorRow() const;
  int CursorColumn() const;
  void SetCursorVisible(bool visible) { cursorVisible_ = visible; }
  bool CursorVisible() const { return cursorVisible_; }

  void Write(std::string_view text);
  void LineBreak();
  void Recolour(int row, int column, int count, int fg, int bg);
  void Clear();

  const Cell& At(int row, int column) const { return cells_[Index(row, column)]; }
  const Cells& cells() const { return cells_; }
  std::string RowText(int row) const;

  Snapshot Save() const { return {cells_, position_, attr_, cursorVisible_}; }
  void Restore(const Snapshot& snapshot);

 private:
  static constexpr int kEnd = kRows * kColumns;
  static int Index(int row, int column) { return (row - 1) * kColumns + (column - 1); }

  Cells cells_;
  int position_ = 0;  // linear cursor position; kEnd once the last cell has been written
  std::uint8_t attr_ = MakeAttribute(kLightGrey, kBlack);
  bool cursorVisible_ = true;
};

}  // namespace lexfray
