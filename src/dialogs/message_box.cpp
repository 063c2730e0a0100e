#include "dialogs/message_box.h"

#include <algorithm>
#include <vector>

#include "dialogs/box_look.h"

namespace lexfray {

namespace {

constexpr int kMargin = 2;
constexpr int kIconWidth = 4;
constexpr int kMaxTextRows = kRows - 7;

std::vector<Button> ButtonsOf(int style) {
  switch (style & 0xF) {
    case kStyleOkCancel: return {{"OK", kResultOk, 'O'}, {"Cancel", kResultCancel, 'C'}};
    case kStyleYesNo: return {{"Yes", kResultYes, 'Y'}, {"No", kResultNo, 'N'}};
    default: return {{"OK", kResultOk, 'O'}};
  }
}

int StyleIcon(int style) {
  switch (style & 0xF0) {
    case kStyleStop: return kIconWarning;
    case kStyleQuestion: return kIconQuestion;
    case kStyleExclamation: return kIconExclamation;
    case kStyleInformation: return kIconInformation;
    default: return kIconNone;
  }
}

int RefusalOf(int style) {
  switch (style & 0xF) {
    case kStyleOkCancel: return kResultCancel;
    case kStyleYesNo: return kResultNo;
    default: return kResultOk;
  }
}

struct Layout {
  BoxRect box;
  std::vector<std::string> lines;
  int indent;
  int buttonRow;
};

Layout Arrange(std::string_view text, std::string_view title, const std::vector<Button>& buttons,
               bool hasIcon) {
  int indent = kMargin + (hasIcon ? kIconWidth : 0);
  std::vector<std::string> lines = LayoutText(text, look::kMaxInnerWidth - indent - kMargin);
  if (static_cast<int>(lines.size()) > kMaxTextRows) lines.resize(kMaxTextRows);
  int widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, static_cast<int>(line.size()));
  int inner = std::max({widest + indent + kMargin, static_cast<int>(title.size()) + 4,
                        ButtonsWidth(buttons) + 2 * kMargin});
  inner = std::min(inner, look::kMaxInnerWidth);
  int height = static_cast<int>(lines.size()) + 4;
  BoxRect box = CentredBox(inner, height);
  return {box, std::move(lines), indent, box.bottom - 2};
}

void Draw(Screen& screen, const Layout& layout, std::string_view title, const IconMark& icon) {
  DrawFrame(screen, layout.box, title);
  int row = layout.box.top + 2;
  if (icon.glyph) {
    std::string mark = {' ', icon.glyph, ' '};
    DrawBoxLine(screen, layout.box, row, kMargin, mark, icon.fg, kBlack);
  }
  for (const std::string& line : layout.lines) DrawBoxLine(screen, layout.box, row++, layout.indent, line);
}

int HotKeyButton(const std::vector<Button>& buttons, int key) {
  if (key < 0 || key > 255) return -1;
  char upper = static_cast<char>(key >= 'a' && key <= 'z' ? key - 32 : key);
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].hotKey == upper) return static_cast<int>(i);
  return -1;
}

}  // namespace

int ConsoleMessageBox(Io& io, std::string_view text, int style, std::string_view title,
                      int iconCode) {
  std::vector<Button> buttons = ButtonsOf(style);
  IconMark icon = IconFor(iconCode != kIconNone ? iconCode : StyleIcon(style));
  Layout layout = Arrange(text, title, buttons, icon.glyph != 0);
  int count = static_cast<int>(buttons.size());
  int focus = (style & kStyleSecondDefault) && count > 1 ? 1 : 0;

  Screen::Snapshot saved = io.screen.Save();
  io.screen.SetCursorVisible(false);
  Draw(io.screen, layout, title, icon);
  std::vector<ButtonSpan> spans = DrawButtons(io.screen, layout.box, layout.buttonRow, buttons, focus);
  ShowAndDropTypedAhead(io);
  int result = 0;
  while (result == 0) {
    InputEvent event = WaitForInput(io);
    if (event.kind == InputEvent::Kind::kClick) {
      int hit = ButtonUnder(spans, event.row, event.column);
      if (hit >= 0) result = buttons[static_cast<std::size_t>(hit)].result;
      continue;
    }
    int hot = HotKeyButton(buttons, event.key);
    if (event.key == kKeyEnter || event.key == '\n') result = buttons[static_cast<std::size_t>(focus)].result;
    else if (event.key == kKeyEscape) result = RefusalOf(style);
    else if (hot >= 0) result = buttons[static_cast<std::size_t>(hot)].result;
    else if (event.key == kKeyTab || event.key == kKeyRight || event.key == kKeyDown) focus = (focus + 1) % count;
    else if (event.key == kKeyBackTab || event.key == kKeyLeft || event.key == kKeyUp) focus = (focus + count - 1) % count;
    DrawButtons(io.screen, layout.box, layout.buttonRow, buttons, focus);
  }
  io.screen.Restore(saved);
  return result;
}

}  // namespace lexfray
