#pragma once

// Only for the curses backend's own files: it needs the wide-character curses API.
#include <curses.h>

#include <array>

#include "console/screen.h"

namespace lexfray {

// How the board's cells appear on this terminal: the glyph of every byte and the colours
// of every attribute, fixed once the terminal is up.
class CellLook {
 public:
  // After newterm: only then are the colour counts and the line-drawing set known.
  explicit CellLook(bool unicode);

  void Render(Cell cell, cchar_t& out) const;

  struct Glyph {
    wchar_t ch;
    attr_t attrs;
  };
  struct Colours {
    attr_t attrs;
    short pair;
  };

 private:
  std::array<Glyph, 256> glyphs_{};
  std::array<Colours, 256> colours_{};
};

}  // namespace lexfray
