#include "platform/system/ascii_glyphs.h"

#include <string_view>

namespace lexfray {

namespace {

// The VT100 letters of the box characters 0xB3 to 0xDA, single and double alike.
constexpr std::string_view kLines = "xuuukkuxkjjjkmvwtqnttmlvwtqnvvwwmmllnnjl";
static_assert(kLines.size() == 0xDA - 0xB3 + 1);

// The base letters of the accented letters and currency signs 0x80 to 0xA5.
constexpr std::string_view kLetters = "CueaaaaceeeiiiAAEaAooouuyOUcLYPfaiounN";
static_assert(kLetters.size() == 0xA5 - 0x80 + 1);

AsciiGlyph Line(char letter) { return {letter, true}; }
AsciiGlyph Plain(char ch) { return {ch, false}; }

AsciiGlyph SymbolGlyph(unsigned char byte) {
  switch (byte) {
    case 0x04: return Line('`');  // diamond
    case 0x07: case 0xF9: case 0xFA: return Line('~');  // bullets
    case 0x10: case 0x1A: return Line('+');  // right arrows
    case 0x11: case 0x1B: return Line(',');  // left arrows
    case 0x18: case 0x1E: return Line('-');  // up arrows
    case 0x19: case 0x1F: return Line('.');  // down arrows
    case 0xB0: case 0xB1: case 0xB2: return Line('a');  // shades
    case 0xDB: case 0xDC: case 0xDD: case 0xDE: case 0xDF: case 0xFE: return Line('0');  // blocks
    case 0xE3: return Line('{');  // pi
    case 0xF1: return Line('g');  // plus-minus
    case 0xF2: return Line('z');  // greater-or-equal
    case 0xF3: return Line('y');  // less-or-equal
    case 0xF8: return Line('f');  // degree
    case 0x00: case 0xFF: return Plain(' ');
    case 0xAD: return Plain('!');
    case 0xAE: return Plain('<');
    case 0xAF: return Plain('>');
    case 0xE1: return Plain('s');  // sharp s
    case 0xF6: return Plain('/');
    default: return Plain('?');
  }
}

}  // namespace

AsciiGlyph AsciiGlyphOf(unsigned char byte) {
  if (byte >= 0x20 && byte < 0x7F) return Plain(static_cast<char>(byte));
  if (byte >= 0x80 && byte <= 0xA5) return Plain(kLetters[byte - 0x80]);
  if (byte >= 0xB3 && byte <= 0xDA) return Line(kLines[byte - 0xB3]);
  return SymbolGlyph(byte);
}

}  // namespace lexfray
