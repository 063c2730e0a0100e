#pragma once

#include <string_view>

#include "dialogs/io.h"

namespace lexfray {

// Results of a message box, as the Windows message-box flags number them.
enum MessageResult : int { kResultOk = 1, kResultCancel = 2, kResultYes = 6, kResultNo = 7 };

// Message-box styles: the buttons in the low bits (0 OK, 1 OK/Cancel, 4 Yes/No), the icon
// in 0x10..0x40, 0x100 makes the second button the default.
enum MessageStyle : int {
  kStyleOk = 0x0,
  kStyleOkCancel = 0x1,
  kStyleYesNo = 0x4,
  kStyleStop = 0x10,
  kStyleQuestion = 0x20,
  kStyleExclamation = 0x30,
  kStyleInformation = 0x40,
  kStyleSecondDefault = 0x100,
};

// Icon codes the boxes know.
enum IconCode : int {
  kIconNone = 0,
  kIconQuestion = 32514,
  kIconExclamation = 32515,
  kIconInformation = 32516,
  kIconWarning = 32518,
};

// A modal box over the board with text and buttons; the board is put back when it closes.
// Enter takes the focused button (at first the default), Esc refuses, Y, N, O and C choose
// their buttons, Tab and the arrow keys move between buttons, a click on a button chooses it.
int ConsoleMessageBox(Io& io, std::string_view text, int style, std::string_view title,
                      int iconCode);

}  // namespace lexfray
