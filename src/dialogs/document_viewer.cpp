#include "dialogs/document_viewer.h"

#include <algorithm>
#include <vector>

#include "dialogs/box_look.h"
#include "dialogs/input_box.h"
#include "platform/files.h"

namespace lexfray {

namespace {

constexpr BoxRect kViewerBox{2, 2, 24, 79};
constexpr int kTextTop = 3;
constexpr int kTextRows = 19;
constexpr int kStatusRow = 22;
constexpr int kMargin = 1;

const std::vector<Button> kClose = {{"Close", 1, 'C'}};

class Viewer {
 public:
  explicit Viewer(std::string_view text)
      : lines_(LayoutText(text, kViewerBox.InnerWidth() - 2 * kMargin)) {
    while (lines_.size() > 1 && lines_.back().empty()) lines_.pop_back();
  }

  int lastTop() const { return std::max(static_cast<int>(lines_.size()) - kTextRows, 0); }
  void ScrollTo(int top) { top_ = std::clamp(top, 0, lastTop()); }
  int top() const { return top_; }

  void Draw(Screen& screen) const {
    for (int i = 0; i < kTextRows; ++i) {
      std::size_t index = static_cast<std::size_t>(top_ + i);
      std::string line = index < lines_.size() ? lines_[index] : std::string();
      line.resize(static_cast<std::size_t>(kViewerBox.InnerWidth() - 2 * kMargin), ' ');
      DrawBoxLine(screen, kViewerBox, kTextTop + i, kMargin, line);
    }
    int total = static_cast<int>(lines_.size());
    std::string status = "Lines " + std::to_string(std::min(top_ + 1, total)) + "-" +
                         std::to_string(std::min(top_ + kTextRows, total)) + " of " +
                         std::to_string(total) + "   ";
    DrawBoxLine(screen, kViewerBox, kStatusRow, kMargin, status, kLightCyan);
  }

 private:
  std::vector<std::string> lines_;
  int top_ = 0;
};

bool Scroll(Viewer& viewer, int key) {
  switch (key) {
    case kKeyUp: viewer.ScrollTo(viewer.top() - 1); return true;
    case kKeyDown: viewer.ScrollTo(viewer.top() + 1); return true;
    case kKeyPageUp: viewer.ScrollTo(viewer.top() - kTextRows); return true;
    case kKeyPageDown:
    case ' ': viewer.ScrollTo(viewer.top() + kTextRows); return true;
    case kKeyHome: viewer.ScrollTo(0); return true;
    case kKeyEnd: viewer.ScrollTo(viewer.lastTop()); return true;
    default: return false;
  }
}

}  // namespace

void ViewDocument(Io& io, std::string_view title, std::string_view text) {
  Viewer viewer(text);
  Screen::Snapshot saved = io.screen.Save();
  io.screen.SetCursorVisible(false);
  DrawFrame(io.screen, kViewerBox, title);
  std::vector<ButtonSpan> close = DrawButtons(io.screen, kViewerBox, kStatusRow, kClose, -1);
  for (;;) {
    viewer.Draw(io.screen);
    InputEvent event = WaitForInput(io);
    if (event.kind == InputEvent::Kind::kClick) {
      if (ButtonUnder(close, event.row, event.column) >= 0) break;
    } else if (event.key == kKeyEnter || event.key == kKeyEscape || event.key == 'c' ||
               event.key == 'C') {
      break;
    } else {
      Scroll(viewer, event.key);
    }
  }
  io.screen.Restore(saved);
}

void ShowDocument(Io& io, const std::string& path, std::string_view title) {
  std::string text = ReadOrCreateFile(path);
  ConsoleInputBox(io, kInputStyleViewer, "", title, text);
}

}  // namespace lexfray
