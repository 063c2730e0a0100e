#include "dialogs/input_box.h"

#include <gtest/gtest.h>

#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BoardHarness;

std::string AskName(BoardHarness& h, std::string_view defaultText = "") {
  return ConsoleInputBox(h.io, 0x81, "Enter your name", "Acquire Player Name", defaultText);
}

TEST(InputBox, ReturnsWhatWasTypedAsTyped) {
  BoardHarness h;
  h.terminal.Type(" Jo Bloggs \r");
  EXPECT_EQ(AskName(h), " Jo Bloggs ");
}

TEST(InputBox, EditsWithTheUsualKeys) {
  BoardHarness h;
  h.terminal.Type("Jon").Key(kKeyBackspace).Type("e").Key(kKeyHome).Type("X").Key(kKeyDelete)
      .Key(kKeyRight).Key(kKeyLeft).Key(kKeyLeft).Key(kKeyEnd).Type("s").Key(kKeyEnter);
  EXPECT_EQ(AskName(h), "Xoes");
}

TEST(InputBox, TakesPrintableAsciiOnly) {
  BoardHarness h;
  h.terminal.Type("A[31mB").Key(1).Key(0x7F).Key(200).Key(kKeyFunction).Type("C\r");
  EXPECT_EQ(AskName(h), "A[31mBC");
}

TEST(InputBox, EscOrCancelGiveTheEmptyText) {
  BoardHarness esc;
  esc.terminal.Type("Anna").Key(kKeyEscape);
  EXPECT_EQ(AskName(esc), "");

  BoardHarness probe;
  probe.terminal.Key(kKeyEscape);
  AskName(probe);
  int row = testing::RowOf(probe.terminal.shown(), "[ Cancel ]");
  int column = static_cast<int>(probe.terminal.shown().RowText(row).find("[ Cancel ]")) + 1;
  int ok = static_cast<int>(probe.terminal.shown().RowText(row).find("[ OK ]")) + 1;

  BoardHarness cancel;
  cancel.terminal.Type("Anna").Click(row, column + 3);
  EXPECT_EQ(AskName(cancel), "");
  BoardHarness accept;
  accept.terminal.Type("Anna").Click(row, ok);
  EXPECT_EQ(AskName(accept), "Anna");
}

TEST(InputBox, StartsFromTheDefaultTextAndStopsAtItsLongestLine) {
  BoardHarness h;
  h.terminal.Type("!\r");
  EXPECT_EQ(AskName(h, "Anna"), "Anna!");

  BoardHarness longLine;
  longLine.terminal.Type(std::string(kInputMaxLength + 10, 'x') + "\r");
  EXPECT_EQ(AskName(longLine), std::string(kInputMaxLength, 'x'));
}

TEST(InputBox, PutsTheBoardBackAndLooksLikeEveryOtherBox) {
  BoardHarness h;
  Screen::Snapshot before = h.screen.Save();
  h.terminal.Type("Anna").Then([](const Screen& s) {
    EXPECT_EQ(testing::GoldenDifference(s, "input_box_name"), "");
  });
  h.terminal.Key(kKeyEnter);
  AskName(h);
  EXPECT_EQ(h.screen.cells(), before.cells);
}

}  // namespace
}  // namespace lexfray
