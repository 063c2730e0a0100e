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

// A mouse report of either form a terminal may send, whatever its description promises:
// X10 ("[M" and three bytes, each value + 32) and SGR ("[<b;x;yM", or "m" at a release).
struct MouseReport {
  int x = 0, y = 0;  // 1-based terminal cell
  bool leftPress = false;
  bool release = false;
  int wheel = 0;  // -1 a notch of the wheel up, 1 a notch down
};

// The X10 report of the three bytes after "[M"; nothing unless there are three.
std::optional<MouseReport> X10MouseReport(std::string_view bytes);

// The report of a whole SGR sequence; nothing for any other sequence.
std::optional<MouseReport> SgrMouseReport(std::string_view sequence);

}  // namespace lexfray
