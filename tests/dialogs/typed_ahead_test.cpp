// Every box answers only what the player does while it is on the screen: keys and clicks
// that were queued before it was drawn are lost, and so is whatever was typed while a
// timed notice showed.
#include <gtest/gtest.h>

#include "dialogs/document_viewer.h"
#include "dialogs/input_box.h"
#include "dialogs/list_box.h"
#include "dialogs/message_box.h"
#include "dialogs/notice_box.h"
#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BoardHarness;

TEST(TypedAhead, AMessageBoxAnswersOnlyKeysPressedWhileItShows) {
  BoardHarness h;
  h.terminal.TypeAhead("y\r").Key('n');
  EXPECT_EQ(ConsoleMessageBox(h.io, "WANT TO PLAY ANOTHER GAME?", kStyleYesNo, "GAME OVER", 0), kResultNo);
  EXPECT_EQ(h.terminal.dropped(), 2);

  // A click queued on where Yes will stand is lost as well.
  BoardHarness probe;
  probe.terminal.Key(kKeyEscape);
  ConsoleMessageBox(probe.io, "WANT TO PLAY ANOTHER GAME?", kStyleYesNo, "GAME OVER", 0);
  int row = testing::RowOf(probe.terminal.shown(), "[ Yes ]");
  int column = static_cast<int>(probe.terminal.shown().RowText(row).find("[ Yes ]")) + 3;
  BoardHarness click;
  click.terminal.ClickAhead(row, column).Key(kKeyEscape);
  EXPECT_EQ(ConsoleMessageBox(click.io, "WANT TO PLAY ANOTHER GAME?", kStyleYesNo, "GAME OVER", 0), kResultNo);
}

TEST(TypedAhead, AListBoxAnswersOnlyKeysPressedWhileItShows) {
  BoardHarness h;
  h.terminal.TypeAhead("\r").Key(kKeyDown).Key(kKeyEnter);
  EXPECT_EQ(ConsoleListBox(h.io, 1, "Choose Your Option", "HELP MENU", {"About", "Help", "Licence"},
                           kListReturnsPosition),
            "2");
  EXPECT_EQ(h.terminal.dropped(), 1);
}

TEST(TypedAhead, AnInputBoxKeepsNothingTypedBeforeIt) {
  BoardHarness h;
  h.terminal.TypeAhead("cat\r").Type("Anna\r");
  EXPECT_EQ(ConsoleInputBox(h.io, 0x81, "Enter your name", "Acquire Player Name", ""), "Anna");
}

TEST(TypedAhead, TheDocumentViewerStaysOpenForAnEnterTypedBeforeIt) {
  BoardHarness h;
  h.terminal.KeyAhead(kKeyEnter).Key(kKeyEnter);
  ViewDocument(h.io, "T", "text");
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_EQ(h.terminal.waits(), 1);
}

TEST(TypedAhead, ATimedNoticeDropsWhatWasTypedWhileItShowed) {
  BoardHarness h;
  h.terminal.TypeAhead("\r\r");
  SplashBoxHide(h.io, SplashBoxShow(h.io, 0x83, 4, "C O N G R A T U L A T I O N S", "", "", kIconInformation));
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_EQ(h.terminal.waits(), 0);
}

}  // namespace
}  // namespace lexfray
