#pragma once

#include <cstdint>

namespace lexfray {

// The curses (ANSI) number of a console colour: the console counts blue as 1 and red as 4,
// ANSI the other way round; the bright bit 8 is the same in both.
constexpr int CursesColour(int console) {
  return ((console & 1) << 2) | (console & 2) | ((console & 4) >> 2) | (console & 8);
}

// An attribute as a terminal of eight colours shows it: a bright foreground becomes bold
// over its base colour, and a bright background loses its brightness.
struct EightColourLook {
  int fg;  // curses colour 0..7
  int bg;
  bool bold;
  int pair;  // 0..63; pair 0 is the terminal's default, made white on black at start-up
};

EightColourLook EightColourLookOf(std::uint8_t attr);

// An attribute as a terminal without colours shows it: a bright foreground in bold, and
// reverse video for a background that marks a choice or a bar. The grounds of the board
// and the boxes (black, blue) and of the buttons (light grey) stay plain, so that the
// chosen entry and the focused button stand out from everything around them.
struct MonochromeLook {
  bool bold;
  bool reverse;
};

MonochromeLook MonochromeLookOf(std::uint8_t attr);

}  // namespace lexfray
