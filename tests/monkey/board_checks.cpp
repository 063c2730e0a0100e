#include "monkey/board_checks.h"

#include <utility>

#include "console/cp437.h"
#include "console/primitives.h"
#include "game/game_layout.h"
#include "platform/system/ascii_glyphs.h"

// DrawBox as the linker hands it over: lexfray::DrawBox(Screen&, int, int, int, int, int,
// int, int) under its mangled name, with the real one behind __real_.
#define LEXFRAY_DRAW_BOX _ZN7lexfray7DrawBoxERNS_6ScreenEiiiiiii
#define LEXFRAY_WRAP(name) LEXFRAY_JOIN(__wrap_, name)
#define LEXFRAY_REAL(name) LEXFRAY_JOIN(__real_, name)
#define LEXFRAY_JOIN(a, b) a##b

extern "C" void LEXFRAY_REAL(LEXFRAY_DRAW_BOX)(lexfray::Screen& screen, int top, int left,
                                                int bottom, int right, int style, int fg, int bg);

namespace lexfray::monkey {

namespace {

// The first box out of place since the last look; a wrapped call has no object to tell.
std::optional<std::string>& BoxFault() {
  static std::optional<std::string> fault;
  return fault;
}

bool IsControl(char32_t ch) { return ch < 0x20 || (ch >= 0x7F && ch < 0xA0); }

// A cell as the terminal receives it, with and without Unicode: a byte of a text, control
// bytes included, must arrive as a glyph, never as a control character.
bool ReachesTerminalAsControl(unsigned char ch) {
  AsciiGlyph plain = AsciiGlyphOf(ch);
  return IsControl(Cp437ToUnicode(ch)) || IsControl(static_cast<unsigned char>(plain.ch));
}

// Where the game screen lists its words and shows the game's score.
using game_layout::kGameScoreRow;
using game_layout::kPromptRow;
constexpr int kLastWordRow = kCompleteRow - 1;
// Inside the word columns' frame, and the score panel with its frame.
constexpr int kWordsFirstColumn = game_layout::kWordsLeft + 1;
constexpr int kWordsLastColumn = game_layout::kWordsRight - 1;
constexpr int kPanelFirstColumn = game_layout::kPanelLeft;

// The sum of the letter values ("A" 65 .. "Z" 90) of the words listed; nothing while a box
// covers part of the list.
std::optional<long long> ListedWordsValue(const Screen& screen) {
  long long value = 0;
  for (int row = kFirstWordRow; row <= kLastWordRow; ++row)
    for (int column = kWordsFirstColumn; column <= kWordsLastColumn; ++column) {
      unsigned char ch = screen.At(row, column).ch;
      if (ch >= 'A' && ch <= 'Z') value += ch;
      else if (ch != ' ') return std::nullopt;
    }
  return value;
}

std::optional<long long> ShownGameScore(const Screen& screen) {
  std::string panel = screen.RowText(kGameScoreRow).substr(kPanelFirstColumn - 1);
  std::size_t first = panel.find_first_of("0123456789");
  if (first == std::string::npos) return std::nullopt;
  return std::stoll(panel.substr(first));
}

}  // namespace

std::optional<std::string> CheckGameScore(const Screen& screen) {
  if (screen.RowText(kPromptRow).find("Form a WORD") == std::string::npos) return std::nullopt;
  std::optional<long long> shown = ShownGameScore(screen);
  std::optional<long long> listed = ListedWordsValue(screen);
  if (!shown || !listed || *shown == *listed) return std::nullopt;
  return "the game score shows " + std::to_string(*shown) + " for words worth " +
         std::to_string(*listed);
}

void NoteBox(int top, int left, int bottom, int right) {
  bool inside = top >= 1 && left >= 1 && bottom <= kRows && right <= kColumns && top < bottom &&
                left < right;
  if (inside || BoxFault()) return;
  BoxFault() = "a box from (" + std::to_string(top) + "," + std::to_string(left) + ") to (" +
               std::to_string(bottom) + "," + std::to_string(right) + ") is not inside the board";
}

std::optional<std::string> TakeBoxFault() { return std::exchange(BoxFault(), std::nullopt); }

std::optional<std::string> CheckBoard(const Screen& screen) {
  for (int row = 1; row <= kRows; ++row)
    for (int column = 1; column <= kColumns; ++column)
      if (ReachesTerminalAsControl(screen.At(row, column).ch))
        return "a control character for byte " + std::to_string(screen.At(row, column).ch) + " at row " +
               std::to_string(row) + ", column " + std::to_string(column) + ": " +
               screen.RowText(row);
  return TakeBoxFault();
}

}  // namespace lexfray::monkey

extern "C" void LEXFRAY_WRAP(LEXFRAY_DRAW_BOX)(lexfray::Screen& screen, int top, int left,
                                                int bottom, int right, int style, int fg, int bg) {
  lexfray::monkey::NoteBox(top, left, bottom, right);
  LEXFRAY_REAL(LEXFRAY_DRAW_BOX)(screen, top, left, bottom, right, style, fg, bg);
}
