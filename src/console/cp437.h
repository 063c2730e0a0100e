#pragma once

namespace lexfray {

// The Unicode glyph of a code-page-437 byte, control bytes included (0x01 is a smiling
// face, 0x7F a house), so that no byte of a text ever reaches the terminal as a control.
char32_t Cp437ToUnicode(unsigned char byte);

}  // namespace lexfray
