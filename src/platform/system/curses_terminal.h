#pragma once

#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "console/screen.h"
#include "platform/system/board_layout.h"
#include "platform/terminal.h"

struct screen;  // curses' SCREEN

namespace lexfray {

class CellLook;

// The terminal the backend runs on: the program's own, or a pseudo-terminal in a test.
struct TerminalDevice {
  std::FILE* in = stdin;
  std::FILE* out = stdout;
  const char* type = nullptr;  // a terminfo name; nullptr takes $TERM
};

// The board on a real terminal, through ncursesw: centred in a larger terminal, waiting
// behind a notice while the terminal is too small, and redrawn by itself after a resize.
// Only one may be open at a time (it owns the process's signal handlers for the terminal).
class CursesTerminal final : public Terminal {
 public:
  // Nothing, with the reason in *error, when the device is no interactive terminal or its
  // type is unknown.
  static std::unique_ptr<CursesTerminal> Open(const TerminalDevice& device, std::string* error);

  CursesTerminal(const CursesTerminal&) = delete;
  CursesTerminal& operator=(const CursesTerminal&) = delete;
  ~CursesTerminal() override;

  void Show(const Screen& screen) override;
  InputEvent NextEvent() override;
  void DiscardTypedAhead() override;
  void SetTitle(std::string_view title) override;
  void ReportButtonReleases() override { reportReleases_ = true; }
  void Suspend() override;
  void Resume() override;

 private:
  // One thing read from curses, with a mouse event already taken out of curses' queue.
  struct RawInput {
    int code = 0;
    int y = 0, x = 0;
    bool pressed = false, released = false;
    int wheel = 0;  // -1 a notch up, 1 a notch down
  };

  CursesTerminal(const TerminalDevice& device, ::screen* curses, bool unicode);
  void SetUpModes();
  void ArmRestorer();
  void AskToGrow();

  bool ReadCurses(int timeoutMs);
  std::optional<RawInput> Read(int timeoutMs);
  RawInput ReadBlocking();
  std::optional<InputEvent> EventOf(const RawInput& raw);
  std::optional<InputEvent> ReadEscapeSequence();
  std::string ReadX10Bytes();
  std::optional<InputEvent> MouseEventOf(const RawInput& raw) const;

  void FollowTerminalSize();
  bool SizeChanged();
  void WaitUntilBoardFits();
  void ShowEnlargeNotice();
  void DrawFitting(const Screen& screen);
  void Draw(const Screen& screen);
  void PlaceCursor(const Screen& screen);
  void SetCursorVisibility(int visibility);
  void WriteRaw(std::string_view bytes);

  ::screen* curses_;
  std::FILE* in_;
  std::FILE* out_;
  bool unicode_;
  std::unique_ptr<CellLook> look_;
  BoardLayout layout_;
  Screen shown_;
  bool redrawAll_ = true;
  int cursorVisibility_ = -1;
  std::deque<RawInput> pending_;
  bool reportReleases_ = false;
  bool titlePushed_ = false;
  bool suspended_ = false;
};

}  // namespace lexfray
