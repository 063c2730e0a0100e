// Documents: any bytes shown in the viewer. The layout keeps every visible character in
// order, holds no byte that breaks or moves a line, and no line wider than the viewer; the
// board never sends a control character to the terminal.
#include <cstdint>

#include "console/cp437.h"
#include "dialogs/box_look.h"
#include "dialogs/show_document.h"
#include "fuzz_check.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

using namespace lexfray;

namespace {

constexpr int kViewerTextWidth = 74;

// The characters that show, as the text means them: escapes, line ends, tabs and blanks
// left out.
std::string Visible(std::string_view text) {
  std::string visible;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 't')) {
      ++i;
      continue;
    }
    if (text[i] != '\r' && text[i] != '\n' && text[i] != '\t' && text[i] != ' ')
      visible.push_back(text[i]);
  }
  return visible;
}

void CheckLayout(std::string_view text) {
  std::string shown;
  for (const std::string& line : LayoutText(text, kViewerTextWidth)) {
    fuzz::Require(static_cast<int>(line.size()) <= kViewerTextWidth, "no line is wider than the viewer");
    fuzz::Require(line.find_first_of("\r\n\t") == std::string::npos, "no line holds a line break or tab");
    shown += Visible(line);
  }
  fuzz::Require(shown == Visible(text), "the layout keeps every visible character in order");
}

bool IsControl(char32_t ch) { return ch < 0x20 || (ch >= 0x7F && ch < 0xA0); }

void CheckBoard(const Screen& screen) {
  for (const Cell& cell : screen.cells())
    fuzz::Require(!IsControl(Cp437ToUnicode(cell.ch)), "the board shows no control character");
}

void CheckViewer(std::string_view text) {
  testing::TempFolder folder;
  folder.Write("LEXFRAY.INS", text);
  testing::ScriptedTerminal terminal;
  for (int key : {int{kKeyEnd}, int{kKeyPageUp}, int{kKeyDown}, int{' '}, int{kKeyHome}})
    terminal.Key(key).Then(CheckBoard);
  terminal.Key(kKeyEscape);
  testing::FakeClock clock;
  Screen screen;
  Io io{screen, terminal, clock};
  ShowDocument(io, folder.PathOf("LEXFRAY.INS"), "INSTRUCTIONS");
  fuzz::Require(terminal.ScriptDone(), "Esc closes the viewer");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = fuzz::Bytes(data, size);
  CheckLayout(text);
  CheckViewer(text);
  return 0;
}
