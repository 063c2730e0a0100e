#include "platform/system/curses_look.h"

#include "console/cp437.h"
#include "platform/system/ascii_glyphs.h"
#include "platform/system/console_colours.h"

namespace lexfray {

namespace {

constexpr int kAttributes = 256;

enum class Depth { kNone, kEight, kFull };

// Full: 16 colours and a pair of its own for each of the 256 attributes.
Depth DepthOfTerminal() {
  if (!has_colors() || start_color() != OK) return Depth::kNone;
  if (COLORS >= 16 && COLOR_PAIRS > kAttributes) return Depth::kFull;
  if (COLORS >= 8 && COLOR_PAIRS >= 64) return Depth::kEight;
  return Depth::kNone;
}

CellLook::Glyph GlyphOf(unsigned char byte, bool unicode) {
  if (unicode) return {static_cast<wchar_t>(Cp437ToUnicode(byte)), A_NORMAL};
  AsciiGlyph ascii = AsciiGlyphOf(byte);
  if (!ascii.lineDrawing) return {static_cast<wchar_t>(ascii.ch), A_NORMAL};
  // The line-drawing value is the alternate-set attribute plus the letter to show in it.
  chtype value = NCURSES_ACS(static_cast<unsigned char>(ascii.ch));
  return {static_cast<wchar_t>(value & A_CHARTEXT), value & A_ATTRIBUTES};
}

// Makes the colour pair that attribute attr needs, if any, and says how to draw with it.
CellLook::Colours PrepareColoursOf(Depth depth, int attr) {
  switch (depth) {
    case Depth::kFull: {
      // Pair 0 cannot be changed, so attribute a has pair a + 1.
      auto pair = static_cast<short>(attr + 1);
      init_pair(pair, static_cast<short>(CursesColour(attr & 15)),
                static_cast<short>(CursesColour(attr >> 4)));
      return {A_NORMAL, pair};
    }
    case Depth::kEight: {
      EightColourLook look = EightColourLookOf(static_cast<std::uint8_t>(attr));
      if (look.pair != 0)
        init_pair(static_cast<short>(look.pair), static_cast<short>(look.fg),
                  static_cast<short>(look.bg));
      return {look.bold ? A_BOLD : A_NORMAL, static_cast<short>(look.pair)};
    }
    case Depth::kNone:
      break;
  }
  MonochromeLook look = MonochromeLookOf(static_cast<std::uint8_t>(attr));
  attr_t attrs = look.bold ? A_BOLD : A_NORMAL;
  if (look.reverse) attrs |= A_REVERSE;
  return {attrs, 0};
}

}  // namespace

CellLook::CellLook(bool unicode) {
  for (int byte = 0; byte < 256; ++byte)
    glyphs_[static_cast<std::size_t>(byte)] = GlyphOf(static_cast<unsigned char>(byte), unicode);
  Depth depth = DepthOfTerminal();
  // Pair 0 stays the terminal's own colours in full colour (the board never uses it), so
  // that curses need not set white on black after every update; with eight colours the
  // board needs it as white on black.
  if (depth == Depth::kFull) use_default_colors();
  if (depth == Depth::kEight) assume_default_colors(COLOR_WHITE, COLOR_BLACK);
  for (int attr = 0; attr < kAttributes; ++attr)
    colours_[static_cast<std::size_t>(attr)] = PrepareColoursOf(depth, attr);
}

void CellLook::Render(Cell cell, cchar_t& out) const {
  const Glyph& glyph = glyphs_[cell.ch];
  const Colours& colours = colours_[cell.attr];
  wchar_t text[2] = {glyph.ch, L'\0'};
  setcchar(&out, text, glyph.attrs | colours.attrs, colours.pair, nullptr);
}

}  // namespace lexfray
