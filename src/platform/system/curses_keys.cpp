#include "platform/system/curses_keys.h"

#include <curses.h>

#include "platform/terminal.h"

namespace lexfray {

namespace {

std::optional<int> KeyOfNamedKey(int code) {
  switch (code) {
    case KEY_ENTER: return kKeyEnter;
    case KEY_BACKSPACE: return kKeyBackspace;
    case KEY_BTAB: return kKeyBackTab;
    case KEY_UP: return kKeyUp;
    case KEY_DOWN: return kKeyDown;
    case KEY_LEFT: return kKeyLeft;
    case KEY_RIGHT: return kKeyRight;
    // Some terminal descriptions name the vt220 keys Home and End "Find" and "Select", and
    // the corners of the keypad A1, A3, C1, C3.
    case KEY_HOME: case KEY_FIND: case KEY_A1: return kKeyHome;
    case KEY_END: case KEY_SELECT: case KEY_C1: return kKeyEnd;
    case KEY_PPAGE: case KEY_A3: return kKeyPageUp;
    case KEY_NPAGE: case KEY_C3: return kKeyPageDown;
    case KEY_IC: return kKeyInsert;
    case KEY_DC: return kKeyDelete;
    default: return kKeyFunction;
  }
}

}  // namespace

std::optional<int> KeyOfCursesCode(int code) {
  if (code == '\r' || code == '\n') return kKeyEnter;
  if (code == 127 || code == 8) return kKeyBackspace;
  if (code >= 0 && code < 128) return code;
  if (code >= KEY_MIN) return KeyOfNamedKey(code);
  return std::nullopt;
}

}  // namespace lexfray
