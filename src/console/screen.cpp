#include "console/screen.h"

#include <algorithm>

namespace lexfray {

Screen::Screen() { cells_.fill(Cell{}); }

void Screen::MoveTo(int row, int column) {
  int newRow = CursorRow();
  int newColumn = CursorColumn();
  if (row >= 1 && row <= kRows) newRow = row;
  if (column >= 1 && column <= kColumns) newColumn = column;
  position_ = Index(newRow, newColumn);
}

int Screen::CursorRow() const { return std::min(position_, kEnd - 1) / kColumns + 1; }

int Screen::CursorColumn() const { return std::min(position_, kEnd - 1) % kColumns + 1; }

void Screen::Write(std::string_view text) {
  for (char c : text) {
    if (position_ >= kEnd) return;
    cells_[position_++] = Cell{static_cast<unsigned char>(c), attr_};
  }
}

void Screen::LineBreak() {
  int row = std::min(position_, kEnd - 1) / kColumns;
  position_ = row + 1 < kRows ? (row + 1) * kColumns : row * kColumns;
}

void Screen::Recolour(int row, int column, int count, int fg, int bg) {
  if (row < 1 || row > kRows || column < 1 || column > kColumns) return;
  int from = Index(row, column);
  int to = std::min(from + std::max(count, 0), kEnd);
  for (int i = from; i < to; ++i) cells_[i].attr = MakeAttribute(fg, bg);
}

void Screen::Clear() {
  cells_.fill(Cell{' ', attr_});
  position_ = 0;
}

std::string Screen::RowText(int row) const {
  std::string text;
  text.reserve(kColumns);
  for (int column = 1; column <= kColumns; ++column) text.push_back(static_cast<char>(At(row, column).ch));
  return text;
}

void Screen::Restore(const Snapshot& snapshot) {
  cells_ = snapshot.cells;
  position_ = snapshot.position;
  attr_ = snapshot.attr;
  cursorVisible_ = snapshot.cursorVisible;
}

}  // namespace lexfray
