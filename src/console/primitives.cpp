#include "console/primitives.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace lexfray {

namespace {

struct BoxGlyphs {
  unsigned char topLeft, topRight, bottomLeft, bottomRight, horizontal, vertical;
};

constexpr BoxGlyphs kSingle{0xDA, 0xBF, 0xC0, 0xD9, 0xC4, 0xB3};
constexpr BoxGlyphs kDouble{0xC9, 0xBB, 0xC8, 0xBC, 0xCD, 0xBA};

std::string BoxRow(unsigned char left, unsigned char fill, unsigned char right, int inner) {
  std::string row(static_cast<std::size_t>(std::max(inner, 0)) + 2, static_cast<char>(fill));
  row.front() = static_cast<char>(left);
  row.back() = static_cast<char>(right);
  return row;
}

}  // namespace

int CentreColumn(std::string_view text) {
  return 41 - (static_cast<int>(text.size()) + 1) / 2;
}

void PrintAt(Screen& screen, std::string_view text, int fg, int bg, int row, int column,
             bool centred) {
  screen.SetColours(fg, bg);
  screen.MoveTo(row, centred ? CentreColumn(text) : column);
  screen.Write(text);
}

void DrawBox(Screen& screen, int top, int left, int bottom, int right, int style, int fg, int bg) {
  const BoxGlyphs& g = style == kDoubleLine ? kDouble : kSingle;
  int inner = right - left - 1;
  PrintAt(screen, BoxRow(g.topLeft, g.horizontal, g.topRight, inner), fg, bg, top, left);
  for (int row = top + 1; row < bottom; ++row)
    PrintAt(screen, BoxRow(g.vertical, ' ', g.vertical, inner), fg, bg, row, left);
  PrintAt(screen, BoxRow(g.bottomLeft, g.horizontal, g.bottomRight, inner), fg, bg, bottom, left);
}

void ClearToEndOfLine(Screen& screen, int row, int column, int bg) {
  PrintAt(screen, std::string(static_cast<std::size_t>(std::max(kColumns - column + 1, 0)), ' '),
          kBrightWhite, bg, row, column);
}

void ClearSpan(Screen& screen, int row, int column, int count, int bg) {
  PrintAt(screen, std::string(static_cast<std::size_t>(std::max(count, 0)), ' '), kBrightWhite, bg,
          row, column);
  screen.LineBreak();
}

std::string RightAlignNumber(std::int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) >= width) return digits;
  return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

std::string ExponentForm(double value, std::size_t width) {
  char digits[64];
  auto shortest = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific);
  if (shortest.ec == std::errc() && static_cast<std::size_t>(shortest.ptr - digits) <= width)
    return {digits, shortest.ptr};
  for (int precision = 16;; --precision) {
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, value,
                                      std::chars_format::scientific, precision);
    auto length = static_cast<std::size_t>(end - digits);
    if (error == std::errc() && (length <= width || precision == 0)) return {digits, length};
  }
}

}  // namespace lexfray
