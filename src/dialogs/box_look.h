#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console/screen.h"

namespace lexfray {

// The one look every box shares: a double frame with the title in its top edge, text,
// an optional icon, and a row of buttons.

namespace look {
inline constexpr int kFrameFg = kBrightWhite;
inline constexpr int kBg = kBlue;
inline constexpr int kTitleFg = kYellow;
inline constexpr int kTextFg = kBrightWhite;
inline constexpr int kButtonFg = kBlack;
inline constexpr int kButtonBg = kLightGrey;
inline constexpr int kFocusFg = kBrightWhite;
inline constexpr int kFocusBg = kGreen;
inline constexpr int kHotKeyFg = kRed;
inline constexpr int kMaxInnerWidth = 74;  // a box is at most 76 columns wide
}  // namespace look

// Splits text into lines no wider than width: a line feed, a carriage return (alone or
// with a line feed) and the two characters "\n" break the line; a tab and "\t" move to
// the next multiple of eight columns; long lines wrap at a blank where there is one.
std::vector<std::string> LayoutText(std::string_view text, int width);

// The same for a document shown as stored: only real line ends and tabs count, and "\n"
// or "\t" are two ordinary characters.
std::vector<std::string> LayoutDocument(std::string_view text, int width);

struct BoxRect {
  int top, left, bottom, right;
  int InnerWidth() const { return right - left - 1; }
  int InnerLeft() const { return left + 1; }
};

// A box of the given inside size, centred on the board.
BoxRect CentredBox(int innerWidth, int innerHeight);

void DrawFrame(Screen& screen, const BoxRect& box, std::string_view title);

// A line of text inside the box, cut to the inside width.
void DrawBoxLine(Screen& screen, const BoxRect& box, int row, int indent, std::string_view text,
                 int fg = look::kTextFg, int bg = look::kBg);

// The glyph and colour of a Windows icon code (32514 question, 32515 exclamation,
// 32516 information, 32518 warning); nothing for 0 and unknown codes.
struct IconMark {
  char glyph = 0;
  int fg = look::kTextFg;
};
IconMark IconFor(int iconCode);

struct Button {
  std::string label;
  int result;
  char hotKey;  // upper-case letter that chooses the button
};

// Where a row of buttons stands once drawn, for clicks.
struct ButtonSpan {
  int row, first, last;
};

int ButtonsWidth(const std::vector<Button>& buttons);
// The index of the button under a click, or -1.
int ButtonUnder(const std::vector<ButtonSpan>& spans, int row, int column);
std::vector<ButtonSpan> DrawButtons(Screen& screen, const BoxRect& box, int row,
                                    const std::vector<Button>& buttons, int focused);

}  // namespace lexfray
