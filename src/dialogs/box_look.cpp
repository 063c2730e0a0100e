#include "dialogs/box_look.h"

#include <algorithm>

#include "console/primitives.h"

namespace lexfray {

namespace {

constexpr std::size_t kTabWidth = 8;
constexpr int kButtonGap = 3;

// Pushes line, wrapped at width, breaking at the last blank that fits. The search for a
// blank looks back no further than one line, so that a long line costs linear time.
void PushWrapped(std::vector<std::string>& lines, std::string_view line, std::size_t width) {
  while (line.size() > width) {
    std::size_t cut = line.substr(0, width + 1).rfind(' ');
    if (cut == std::string_view::npos || cut == 0) cut = width;
    lines.emplace_back(line.substr(0, cut));
    std::size_t next = cut;
    while (next < line.size() && line[next] == ' ') ++next;
    line.remove_prefix(next);
  }
  lines.emplace_back(line);
}

// The two written characters "\n" or "\t" as the control character they stand for.
char WrittenControl(std::string_view text, std::size_t i) {
  if (text[i] != '\\' || i + 1 >= text.size()) return 0;
  if (text[i + 1] == 'n') return '\n';
  if (text[i + 1] == 't') return '\t';
  return 0;
}

std::vector<std::string> Layout(std::string_view text, int width, bool writtenControls) {
  std::size_t room = static_cast<std::size_t>(std::max(width, 1));
  auto ordinary = [writtenControls](char c) {
    return c != '\r' && c != '\n' && c != '\t' && !(writtenControls && c == '\\');
  };
  std::vector<std::string> lines;
  std::string line;
  std::size_t i = 0;
  while (i < text.size()) {
    // Ordinary characters go over in runs; a long document is mostly these.
    std::size_t run = i;
    while (run < text.size() && ordinary(text[run])) ++run;
    line.append(text.substr(i, run - i));
    if (run == text.size()) break;
    i = run;
    char c = text[i];
    if (char written = writtenControls ? WrittenControl(text, i) : 0) {
      c = written;
      ++i;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (c == '\n' || c == '\r') {
      PushWrapped(lines, line, room);
      line.clear();
    } else if (c == '\t') {
      line.append(kTabWidth - line.size() % kTabWidth, ' ');
    } else {
      line.push_back(c);
    }
    ++i;
  }
  PushWrapped(lines, line, room);
  return lines;
}

std::string ButtonText(const Button& button) { return "[ " + button.label + " ]"; }

}  // namespace

std::vector<std::string> LayoutText(std::string_view text, int width) {
  return Layout(text, width, true);
}

std::vector<std::string> LayoutDocument(std::string_view text, int width) {
  return Layout(text, width, false);
}

BoxRect CentredBox(int innerWidth, int innerHeight) {
  innerWidth = std::clamp(innerWidth, 1, kColumns - 2);
  innerHeight = std::clamp(innerHeight, 0, kRows - 2);
  int left = (kColumns - (innerWidth + 2)) / 2 + 1;
  int top = (kRows - (innerHeight + 2)) / 2 + 1;
  return {top, left, top + innerHeight + 1, left + innerWidth + 1};
}

void DrawFrame(Screen& screen, const BoxRect& box, std::string_view title) {
  DrawBox(screen, box.top, box.left, box.bottom, box.right, kDoubleLine, look::kFrameFg, look::kBg);
  if (title.empty()) return;
  std::string shown = " " + std::string(title.substr(0, static_cast<std::size_t>(
                                                            std::max(box.InnerWidth() - 2, 0)))) +
                      " ";
  int column = box.left + 1 + (box.InnerWidth() - static_cast<int>(shown.size())) / 2;
  PrintAt(screen, shown, look::kTitleFg, look::kBg, box.top, column);
}

void DrawBoxLine(Screen& screen, const BoxRect& box, int row, int indent, std::string_view text,
                 int fg, int bg) {
  int room = std::max(box.InnerWidth() - indent, 0);
  PrintAt(screen, text.substr(0, static_cast<std::size_t>(room)), fg, bg, row,
          box.InnerLeft() + indent);
}

IconMark IconFor(int iconCode) {
  switch (iconCode) {
    case 32514: return {'?', kLightCyan};
    case 32515: return {'!', kYellow};
    case 32516: return {'i', kLightCyan};
    case 32518: return {'X', kLightRed};
    default: return {};
  }
}

int ButtonsWidth(const std::vector<Button>& buttons) {
  int width = 0;
  for (const Button& button : buttons) width += static_cast<int>(ButtonText(button).size());
  return width + kButtonGap * std::max(static_cast<int>(buttons.size()) - 1, 0);
}

int ButtonUnder(const std::vector<ButtonSpan>& spans, int row, int column) {
  for (std::size_t i = 0; i < spans.size(); ++i)
    if (row == spans[i].row && column >= spans[i].first && column <= spans[i].last) return static_cast<int>(i);
  return -1;
}

std::vector<ButtonSpan> DrawButtons(Screen& screen, const BoxRect& box, int row,
                                    const std::vector<Button>& buttons, int focused) {
  std::vector<ButtonSpan> spans;
  int column = box.InnerLeft() + (box.InnerWidth() - ButtonsWidth(buttons)) / 2;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    std::string text = ButtonText(buttons[i]);
    bool focus = static_cast<int>(i) == focused;
    int fg = focus ? look::kFocusFg : look::kButtonFg;
    int bg = focus ? look::kFocusBg : look::kButtonBg;
    PrintAt(screen, text, fg, bg, row, column);
    std::size_t hot = buttons[i].label.find(buttons[i].hotKey);
    if (!focus && hot != std::string::npos)
      screen.Recolour(row, column + 2 + static_cast<int>(hot), 1, look::kHotKeyFg, bg);
    int width = static_cast<int>(text.size());
    spans.push_back({row, column, column + width - 1});
    column += width + kButtonGap;
  }
  return spans;
}

}  // namespace lexfray
