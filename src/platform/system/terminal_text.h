#pragma once

#include <string>
#include <string_view>

namespace lexfray {

// A terminfo string without its padding ("$<5>"), to be written outside curses.
std::string WithoutPadding(std::string_view capability);

// A CP437 text as it may go into a window title: UTF-8 where the terminal speaks it, else
// printable ASCII with '?' for the rest; never a control byte, which would end the title
// sequence early.
std::string TitleText(std::string_view text, bool unicode);

// The UTF-8 bytes of one character.
std::string Utf8Of(char32_t ch);

}  // namespace lexfray
