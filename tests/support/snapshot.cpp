#include "support/snapshot.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "console/cp437.h"

namespace lexfray::testing {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::string Picture(const Screen& screen) {
  std::string out;
  for (int row = 1; row <= kRows; ++row) {
    for (int column = 1; column <= kColumns; ++column) AppendUtf8(out, Cp437ToUnicode(screen.At(row, column).ch));
    out.push_back('\n');
  }
  return out;
}

std::string ColourMap(const Screen& screen) {
  const std::uint8_t plain = MakeAttribute(kLightGrey, kBlack);
  std::string out;
  for (int row = 1; row <= kRows; ++row) {
    std::string line;
    for (int column = 1; column <= kColumns;) {
      std::uint8_t attr = screen.At(row, column).attr;
      int last = column;
      while (last < kColumns && screen.At(row, last + 1).attr == attr) ++last;
      if (attr != plain) {
        char run[40];
        std::snprintf(run, sizeof run, " c%d-%d %d/%d", column, last, attr & 15, attr >> 4);
        line += run;
      }
      column = last + 1;
    }
    if (!line.empty()) out += "r" + std::to_string(row) + ":" + line + "\n";
  }
  return out;
}

std::string TextAt(const Screen& screen, int row, int first, int last) {
  std::string text;
  for (int column = first; column <= last; ++column) text.push_back(static_cast<char>(screen.At(row, column).ch));
  return text;
}

bool HasTextAt(const Screen& screen, int row, int column, std::string_view text) {
  int last = column + static_cast<int>(text.size()) - 1;
  return last <= kColumns && TextAt(screen, row, column, last) == text;
}

int RowOf(const Screen& screen, std::string_view text) {
  for (int row = 1; row <= kRows; ++row)
    if (screen.RowText(row).find(text) != std::string::npos) return row;
  return 0;
}

int FgAt(const Screen& screen, int row, int column) { return screen.At(row, column).attr & 15; }
int BgAt(const Screen& screen, int row, int column) { return screen.At(row, column).attr >> 4; }

std::string GoldenDifference(const Screen& screen, std::string_view name) {
  std::string actual = Picture(screen) + "colours:\n" + ColourMap(screen);
  std::string path = (std::filesystem::path(LEXFRAY_GOLDEN_DIR) / name).string() + ".txt";
  const char* update = std::getenv("LEXFRAY_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << actual;
    return {};
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return "no golden file " + path + " (run with LEXFRAY_UPDATE_GOLDEN=1 to write it)";
  std::ostringstream expected;
  expected << in.rdbuf();
  if (expected.str() == actual) return {};
  std::vector<std::string> want = Lines(expected.str()), got = Lines(actual);
  std::string diff = "board differs from " + path + ":\n";
  for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
    std::string w = i < want.size() ? want[i] : "", g = i < got.size() ? got[i] : "";
    if (w != g) diff += "  line " + std::to_string(i + 1) + "\n    want |" + w + "|\n    got  |" + g + "|\n";
  }
  return diff;
}

}  // namespace lexfray::testing
