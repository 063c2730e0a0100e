#pragma once

#include <string>
#include <string_view>

#include "dialogs/io.h"

namespace lexfray {

// Style of the input box that is a read-only document viewer.
inline constexpr int kInputStyleViewer = 0x26;
// The longest text an input line takes.
inline constexpr int kInputMaxLength = 60;

// A modal box that asks for one line of printable ASCII under a prompt, starting from
// defaultText: Left, Right, Home, End, Backspace and Delete edit, Enter or OK accepts, Esc
// or Cancel gives the empty text. With kInputStyleViewer the box instead shows defaultText
// as a read-only document (see ViewDocument) and gives the empty text.
std::string ConsoleInputBox(Io& io, int style, std::string_view prompt, std::string_view title,
                            std::string_view defaultText);

}  // namespace lexfray
