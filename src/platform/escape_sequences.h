#pragma once

#include <optional>
#include <string_view>

namespace lexfray {

// Keys that reach the program as ESC and a sequence the terminal description does not
// name, as xterm-style terminals inside tmux send Home as ESC [1~. The sequences are given
// without their ESC: "[" parameters and a final byte, or "O" and one byte.

// True once sequence is a whole CSI or SS3 sequence.
bool IsCompleteEscapeSequence(std::string_view sequence);

// The key (a byte, or a Key code) of a whole sequence; nothing for a sequence that stands
// for no key (a focus report, an unknown reply), which is dropped.
std::optional<int> KeyOfEscapeSequence(std::string_view sequence);

}  // namespace lexfray
