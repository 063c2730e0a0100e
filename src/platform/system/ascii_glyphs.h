#pragma once

namespace lexfray {

// What stands for a code-page-437 byte on a terminal without Unicode: a letter of the VT100
// line-drawing set (curses' alternate character set), or a plain printable ASCII character.
struct AsciiGlyph {
  char ch;
  bool lineDrawing;
};

// Double lines become single ones (the VT100 set has none), accented letters their base
// letter, and whatever has no likeness a question mark.
AsciiGlyph AsciiGlyphOf(unsigned char byte);

}  // namespace lexfray
