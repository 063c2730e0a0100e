#pragma once

#include <string_view>

namespace lexfray {

class Screen;

// Keys other than bytes: the cursor, page and function keys arrive as these codes.
enum Key : int {
  kKeyBackspace = 8,
  kKeyTab = 9,
  kKeyEnter = 13,
  kKeyEscape = 27,
  kKeyExtended = 0x100,  // every key below has a two-character extended code
  kKeyUp,
  kKeyDown,
  kKeyLeft,
  kKeyRight,
  kKeyHome,
  kKeyEnd,
  kKeyPageUp,
  kKeyPageDown,
  kKeyInsert,
  kKeyDelete,
  kKeyBackTab,
  kKeyFunction,  // F1..F12 and anything else the terminal names
  // One notch of the mouse wheel. A wheel scrolls like the arrow keys rather than clicking
  // anywhere, so it comes as a key that whatever does not scroll ignores.
  kKeyWheelUp,
  kKeyWheelDown,
};

inline bool IsExtendedKey(int key) { return key >= kKeyExtended; }

struct InputEvent {
  enum class Kind { kKey, kClick };
  Kind kind = Kind::kKey;
  int key = 0;     // kKey: a byte 0..255, or a Key code from kKeyExtended on
  int row = 0;     // kClick: the board cell, 1-based
  int column = 0;

  static InputEvent KeyPress(int key) { return {Kind::kKey, key, 0, 0}; }
  static InputEvent Click(int row, int column) { return {Kind::kClick, 0, row, column}; }
  bool IsKey(int k) const { return kind == Kind::kKey && key == k; }
};

// Shows the board and reads the player's keys and left-button clicks.
class Terminal {
 public:
  virtual ~Terminal() = default;

  // Brings the terminal up to date with the board; only changed cells are sent.
  virtual void Show(const Screen& screen) = 0;
  // Blocks until a key or a left-button event on the board.
  virtual InputEvent NextEvent() = 0;
  // Drops whatever was typed or clicked while the program was busy.
  virtual void DiscardTypedAhead() = 0;
  virtual void SetTitle(std::string_view title) = 0;
  // From now on the release of the left button is reported instead of its press.
  virtual void ReportButtonReleases() = 0;
  // Hands the terminal to another program and takes it back afterwards.
  virtual void Suspend() = 0;
  virtual void Resume() = 0;
};

}  // namespace lexfray
