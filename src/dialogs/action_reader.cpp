#include "dialogs/action_reader.h"

#include <array>
#include <cctype>

#include "console/primitives.h"

namespace lexfray {

namespace {

constexpr int kPromptRow = 24;
constexpr std::string_view kEnterPrompt = "Press [ENTER] to Continue";
constexpr std::string_view kEnterOrEndPrompt = "Press [ENTER] to Continue or [END]";

// An echo in one colour on itself would show nothing and only blot out the cell it lands
// on (the menus read with black on black at a button's letter), so it is not drawn.
void Echo(Screen& screen, const ActionRequest& request, std::string_view text) {
  if (request.fg == request.bg) return;
  screen.SetColours(request.fg, request.bg);
  screen.MoveTo(request.row, request.column);
  screen.Write(text);
}

bool EndsOnHotKey(std::string_view hotKeys, const std::string& text) {
  if (hotKeys.empty() || text.size() != 1) return false;
  for (char c : hotKeys)
    if (std::toupper(static_cast<unsigned char>(c)) == static_cast<unsigned char>(text[0])) return true;
  return false;
}

std::string_view HotWord(std::span<const HotArea> hotAreas, const InputEvent& click) {
  for (const HotArea& area : hotAreas)
    if (area.Contains(click.row, click.column)) return area.word;
  return {};
}

// Writes a prompt centred on row 24 in light green and whitens the given words of it.
int DrawPrompt(Screen& screen, std::string_view text, std::initializer_list<std::pair<int, int>> white) {
  int c = CentreColumn(text);
  PrintAt(screen, text, kLightGreen, kBlack, kPromptRow, c);
  for (auto [offset, length] : white) screen.Recolour(kPromptRow, c + offset, length, kBrightWhite, kBlack);
  return c;
}

std::string RunPrompt(Io& io, std::span<const HotArea> areas) {
  io.screen.SetCursorVisible(false);
  ActionRequest request{1, 0, 0, io.screen.CursorRow(), io.screen.CursorColumn(), false, {}};
  std::string answer = ReadAction(io, request, areas);
  io.screen.SetCursorVisible(true);
  return answer;
}

}  // namespace

std::string ReadAction(Io& io, const ActionRequest& request, std::span<const HotArea> hotAreas) {
  std::string text;
  io.screen.SetColours(request.fg, request.bg);
  // Keys typed while the program was busy (a message's pause, a redraw) are dropped; keys
  // typed during the entry itself are all kept, however fast they come.
  ShowAndDropTypedAhead(io);
  for (;;) {
    io.terminal.Show(io.screen);
    InputEvent event = io.terminal.NextEvent();
    if (event.kind == InputEvent::Kind::kClick) {
      std::string_view word = HotWord(hotAreas, event);
      if (!word.empty()) return std::string(word);
      continue;
    }
    if (IsExtendedKey(event.key) || event.key < 0) continue;
    if (event.key == kKeyBackspace) {
      if (text.empty()) continue;
      Echo(io.screen, request, std::string(text.size(), ' '));
      text.pop_back();
      Echo(io.screen, request, text);
      continue;
    }
    char c = static_cast<char>(event.key);
    text.push_back(request.keepCase ? c : static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    if (c != '\r') Echo(io.screen, request, text);
    if (EndsOnHotKey(request.hotKeys, text)) return text;
    if (static_cast<int>(text.size()) >= request.maxLength || c == '\r') {
      if (!text.empty() && text.back() == '\r') text.pop_back();
      return text;
    }
  }
}

std::string PressEnterPrompt(Io& io) {
  int c = DrawPrompt(io.screen, kEnterPrompt, {{7, 5}});
  io.screen.MoveTo(kPromptRow, c + 7);
  const std::array<HotArea, 1> areas = {HotArea{kPromptRow, kPromptRow, c + 7, c + 11, kClickedEnter}};
  return RunPrompt(io, areas);
}

std::string PressEnterOrEndPrompt(Io& io) {
  int c = DrawPrompt(io.screen, kEnterOrEndPrompt, {{7, 5}, {30, 3}});
  io.screen.MoveTo(kPromptRow, c + static_cast<int>(kEnterOrEndPrompt.size()) + 1);
  const std::array<HotArea, 2> areas = {HotArea{kPromptRow, kPromptRow, c + 7, c + 11, kClickedEnter},
                                        HotArea{kPromptRow, kPromptRow, c + 30, c + 33, "E"}};
  return RunPrompt(io, areas);
}

}  // namespace lexfray
