#include "dialogs/document_viewer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/box_look.h"

namespace lexfray {

namespace {

// The whole width of the board, so that no frame of the screen beneath shows beside it.
constexpr BoxRect kViewerBox{2, 1, 24, kColumns};
constexpr int kTextTop = 3;
constexpr int kTextRows = 19;
constexpr int kStatusRow = 22;
constexpr int kMargin = 1;
// A notch of the wheel scrolls a few lines, as elsewhere on the desktop: a line alone is
// slow through a long document, and a page loses the reader's place.
constexpr int kWheelLines = 3;

const std::vector<Button> kClose = {{"Close", 1, 'C'}};

class Viewer {
 public:
  explicit Viewer(std::string_view text)
      : lines_(LayoutDocument(text, kViewerBox.InnerWidth() - 2 * kMargin)) {
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
    DrawBoxLine(screen, kViewerBox, kStatusRow, kMargin, Status(), kLightCyan);
  }

 private:
  std::string Status() const {
    if (lines_.size() == 1 && lines_.front().empty()) return "The document is empty";
    int total = static_cast<int>(lines_.size());
    return "Lines " + std::to_string(top_ + 1) + "-" + std::to_string(std::min(top_ + kTextRows, total)) +
           " of " + std::to_string(total) + "   ";
  }

  std::vector<std::string> lines_;
  int top_ = 0;
};

bool Scroll(Viewer& viewer, int key) {
  switch (key) {
    case kKeyUp: viewer.ScrollTo(viewer.top() - 1); return true;
    case kKeyDown: viewer.ScrollTo(viewer.top() + 1); return true;
    case kKeyWheelUp: viewer.ScrollTo(viewer.top() - kWheelLines); return true;
    case kKeyWheelDown: viewer.ScrollTo(viewer.top() + kWheelLines); return true;
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
  viewer.Draw(io.screen);
  ShowAndDropTypedAhead(io);
  for (;;) {
    InputEvent event = WaitForInput(io);
    if (event.kind == InputEvent::Kind::kClick) {
      if (ButtonUnder(close, event.row, event.column) >= 0) break;
    } else if (event.key == kKeyEnter || event.key == kKeyEscape || event.key == 'c' ||
               event.key == 'C') {
      break;
    } else {
      Scroll(viewer, event.key);
    }
    viewer.Draw(io.screen);
  }
  io.screen.Restore(saved);
}

}  // namespace lexfray
