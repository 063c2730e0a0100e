#pragma once

#include <optional>

namespace lexfray {

// The key the program gets for a code from curses' wgetch: a byte, or a Key code. Nothing
// for input the game never takes (bytes of non-ASCII characters). Mouse, resize and ESC
// are for the caller to handle before.
std::optional<int> KeyOfCursesCode(int code);

}  // namespace lexfray
