#include "dialogs/input_box.h"

#include <algorithm>
#include <vector>

#include "dialogs/box_look.h"
#include "dialogs/document_viewer.h"

namespace lexfray {

namespace {

constexpr int kMargin = 2;
constexpr int kFieldWidth = 40;
constexpr int kFieldFg = kBlack;
constexpr int kFieldBg = kLightCyan;

const std::vector<Button> kButtons = {{"OK", 1, 'O'}, {"Cancel", 2, 'C'}};

// One line of text being edited, with its cursor and the part of it that shows.
class LineEditor {
 public:
  explicit LineEditor(std::string_view text) {
    for (char c : text)
      if (c >= 0x20 && c < 0x7F && static_cast<int>(text_.size()) < kInputMaxLength) text_ += c;
    cursor_ = static_cast<int>(text_.size());
  }

  const std::string& text() const { return text_; }

  // Applies an editing key; false for keys that do not edit.
  bool Apply(int key) {
    int size = static_cast<int>(text_.size());
    switch (key) {
      case kKeyLeft: cursor_ = std::max(cursor_ - 1, 0); return true;
      case kKeyRight: cursor_ = std::min(cursor_ + 1, size); return true;
      case kKeyHome: cursor_ = 0; return true;
      case kKeyEnd: cursor_ = size; return true;
      case kKeyBackspace:
        if (cursor_ > 0) text_.erase(static_cast<std::size_t>(--cursor_), 1);
        return true;
      case kKeyDelete:
        if (cursor_ < size) text_.erase(static_cast<std::size_t>(cursor_), 1);
        return true;
      default: break;
    }
    if (key < 0x20 || key >= 0x7F || size >= kInputMaxLength) return false;
    text_.insert(static_cast<std::size_t>(cursor_++), 1, static_cast<char>(key));
    return true;
  }

  // Draws the field, scrolled so that the cursor shows, and puts the cursor there.
  void Draw(Screen& screen, int row, int column) const {
    int offset = std::max(cursor_ - (kFieldWidth - 1), 0);
    std::string shown = text_.substr(static_cast<std::size_t>(offset));
    shown.resize(kFieldWidth, ' ');
    screen.SetColours(kFieldFg, kFieldBg);
    screen.MoveTo(row, column);
    screen.Write(shown);
    screen.MoveTo(row, column + cursor_ - offset);
  }

 private:
  std::string text_;
  int cursor_ = 0;
};

std::string AskLine(Io& io, std::string_view prompt, std::string_view title,
                    std::string_view defaultText) {
  std::vector<std::string> lines = LayoutText(prompt, look::kMaxInnerWidth - 2 * kMargin);
  int widest = std::max({kFieldWidth, ButtonsWidth(kButtons), static_cast<int>(title.size()) + 2});
  for (const std::string& line : lines) widest = std::max(widest, static_cast<int>(line.size()));
  int promptRows = static_cast<int>(lines.size());
  BoxRect box = CentredBox(std::min(widest + 2 * kMargin, look::kMaxInnerWidth), promptRows + 5);
  DrawFrame(io.screen, box, title);
  int row = box.top + 1;
  for (const std::string& line : lines) DrawBoxLine(io.screen, box, row++, kMargin, line);
  int fieldRow = row + 1;
  int fieldColumn = box.InnerLeft() + (box.InnerWidth() - kFieldWidth) / 2;
  std::vector<ButtonSpan> spans = DrawButtons(io.screen, box, fieldRow + 2, kButtons, -1);

  LineEditor editor(defaultText);
  io.screen.SetCursorVisible(true);
  editor.Draw(io.screen, fieldRow, fieldColumn);
  ShowAndDropTypedAhead(io);
  for (;;) {
    InputEvent event = WaitForInput(io);
    int hit = event.kind == InputEvent::Kind::kClick ? ButtonUnder(spans, event.row, event.column) : -1;
    int choice = hit >= 0 ? kButtons[static_cast<std::size_t>(hit)].result : 0;
    if (event.IsKey(kKeyEnter) || choice == 1) return editor.text();
    if (event.IsKey(kKeyEscape) || choice == 2) return {};
    if (event.kind == InputEvent::Kind::kKey) editor.Apply(event.key);
    editor.Draw(io.screen, fieldRow, fieldColumn);
  }
}

}  // namespace

std::string ConsoleInputBox(Io& io, int style, std::string_view prompt, std::string_view title,
                            std::string_view defaultText) {
  if (style == kInputStyleViewer) {
    ViewDocument(io, title, defaultText);
    return {};
  }
  Screen::Snapshot saved = io.screen.Save();
  std::string text = AskLine(io, prompt, title, defaultText);
  io.screen.Restore(saved);
  return text;
}

}  // namespace lexfray
