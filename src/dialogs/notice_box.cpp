#include "dialogs/notice_box.h"

#include <algorithm>
#include <array>
#include <string>

#include "dialogs/box_look.h"

namespace lexfray {

namespace {

constexpr int kMargin = 3;
constexpr int kIconWidth = 4;

}  // namespace

Screen::Snapshot SplashBoxShow(Io& io, int /*style*/, int seconds, std::string_view line1,
                               std::string_view line2, std::string_view line3, int iconCode) {
  Screen::Snapshot covered = io.screen.Save();
  std::array<std::string_view, 3> all = {line1, line2, line3};
  std::size_t count = 3;
  while (count > 1 && all[count - 1].empty()) --count;
  IconMark icon = IconFor(iconCode);
  int indent = kMargin + (icon.glyph ? kIconWidth : 0);
  int widest = 0;
  for (std::size_t i = 0; i < count; ++i) widest = std::max(widest, static_cast<int>(all[i].size()));
  int inner = std::min(widest + indent + kMargin, look::kMaxInnerWidth);
  BoxRect box = CentredBox(inner, static_cast<int>(count) + 2);

  io.screen.SetCursorVisible(false);
  DrawFrame(io.screen, box, "");
  if (icon.glyph)
    DrawBoxLine(io.screen, box, box.top + 2, kMargin - 1, std::string{' ', icon.glyph, ' '}, icon.fg,
                kBlack);
  for (std::size_t i = 0; i < count; ++i) {
    int room = box.InnerWidth() - indent - kMargin;
    int shown = std::min(static_cast<int>(all[i].size()), std::max(room, 0));
    int centre = indent + (room - shown) / 2;
    DrawBoxLine(io.screen, box, box.top + 2 + static_cast<int>(i), centre, all[i].substr(0, static_cast<std::size_t>(shown)));
  }
  Pause(io, std::max(seconds, 0) * 1000);
  // A notice asks nothing: what was typed while it showed answers no later question.
  io.terminal.DiscardTypedAhead();
  return covered;
}

void SplashBoxHide(Io& io, const Screen::Snapshot& covered) { io.screen.Restore(covered); }

}  // namespace lexfray
