#include "platform/system/console_colours.h"

#include "console/screen.h"

namespace lexfray {

EightColourLook EightColourLookOf(std::uint8_t attr) {
  int fg = CursesColour(attr & 7);
  int bg = CursesColour((attr >> 4) & 7);
  // Such terminals have 64 pairs including pair 0, which cannot be changed: white on black
  // takes it, and black on black takes white on black's number.
  constexpr int kWhiteOnBlack = 7;
  int pair = fg + 8 * bg;
  if (pair == kWhiteOnBlack)
    pair = 0;
  else if (pair == 0)
    pair = kWhiteOnBlack;
  return {fg, bg, (attr & 8) != 0, pair};
}

MonochromeLook MonochromeLookOf(std::uint8_t attr) {
  int bg = attr >> 4;
  bool plainGround = bg == kBlack || bg == kBlue || bg == kLightGrey;
  return {(attr & 8) != 0, !plainGround};
}

}  // namespace lexfray
