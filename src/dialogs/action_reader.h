#pragma once

#include <span>
#include <string>
#include <string_view>

#include "dialogs/io.h"

namespace lexfray {

// A place on the board whose click stands for a command word.
struct HotArea {
  int firstRow, lastRow, firstColumn, lastColumn;  // 1-based, bounds included
  std::string_view word;
  bool Contains(int row, int column) const {
    return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
  }
};

// The command word of a click on the ENTER of a prompt: a carriage return.
inline constexpr std::string_view kClickedEnter = "\r";

struct ActionRequest {
  int maxLength = 1;
  int fg = 0;
  int bg = 0;
  int row = 0;
  int column = 0;
  bool keepCase = false;
  std::string_view hotKeys;
};

// Reads the player's next command: typed characters echoed at (row, column), ended by
// Enter (not kept), by the maxLength-th character, or by a hot key; or the word of a
// clicked hot area, returned at once. Input typed ahead of the call is dropped, and
// extended keys are ignored.
std::string ReadAction(Io& io, const ActionRequest& request, std::span<const HotArea> hotAreas);

// "Press [ENTER] to Continue" on row 24: the Enter key gives the empty text, a click on
// ENTER a carriage return.
std::string PressEnterPrompt(Io& io);

// "Press [ENTER] to Continue or [END]" on row 24; an answer of "E" (typed or clicked on
// END) means END, anything else ENTER.
std::string PressEnterOrEndPrompt(Io& io);

inline bool IsEndAnswer(std::string_view answer) { return answer == "E" || answer == "e"; }

// The text the about box shows in place of the one passed: the same text.
inline std::string IString(std::string_view text) { return std::string(text); }

}  // namespace lexfray
