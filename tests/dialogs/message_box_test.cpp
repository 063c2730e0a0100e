#include "dialogs/message_box.h"

#include <gtest/gtest.h>

#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BoardHarness;
using testing::RowOf;

int Ask(int style, const std::vector<InputEvent>& events) {
  BoardHarness h;
  for (const InputEvent& e : events) {
    if (e.kind == InputEvent::Kind::kClick) h.terminal.Click(e.row, e.column);
    else h.terminal.Key(e.key);
  }
  return ConsoleMessageBox(h.io, "Are you sure you want to QUIT?", style, "QUIT VALIDATION", kIconExclamation);
}

InputEvent K(int key) { return InputEvent::KeyPress(key); }

TEST(MessageBox, EnterTakesTheDefaultButtonAndEscRefuses) {
  EXPECT_EQ(Ask(kStyleOk, {K(kKeyEnter)}), kResultOk);
  EXPECT_EQ(Ask(kStyleOk, {K(kKeyEscape)}), kResultOk);
  EXPECT_EQ(Ask(kStyleOkCancel | kStyleExclamation, {K(kKeyEnter)}), kResultOk);
  EXPECT_EQ(Ask(kStyleOkCancel, {K(kKeyEscape)}), kResultCancel);
  EXPECT_EQ(Ask(kStyleYesNo, {K(kKeyEnter)}), kResultYes);
  EXPECT_EQ(Ask(kStyleYesNo, {K(kKeyEscape)}), kResultNo);
  EXPECT_EQ(Ask(0x124, {K(kKeyEnter)}), kResultNo);  // No is the default
  EXPECT_EQ(Ask(0x34, {K(kKeyEnter)}), kResultYes);
}

TEST(MessageBox, LettersChooseTheirButtonsInEitherCase) {
  EXPECT_EQ(Ask(kStyleYesNo, {K('y')}), kResultYes);
  EXPECT_EQ(Ask(kStyleYesNo, {K('N')}), kResultNo);
  EXPECT_EQ(Ask(0x124, {K('Y')}), kResultYes);
  EXPECT_EQ(Ask(kStyleOkCancel, {K('c')}), kResultCancel);
  EXPECT_EQ(Ask(kStyleOkCancel, {K('o')}), kResultOk);
  // Letters of buttons the box does not have are ignored.
  EXPECT_EQ(Ask(kStyleYesNo, {K('c'), K('o'), K('x'), K(kKeyEnter)}), kResultYes);
}

TEST(MessageBox, TabAndArrowsMoveTheFocusRound) {
  EXPECT_EQ(Ask(kStyleYesNo, {K(kKeyTab), K(kKeyEnter)}), kResultNo);
  EXPECT_EQ(Ask(kStyleYesNo, {K(kKeyTab), K(kKeyTab), K(kKeyEnter)}), kResultYes);
  EXPECT_EQ(Ask(0x124, {K(kKeyLeft), K(kKeyEnter)}), kResultYes);
  EXPECT_EQ(Ask(kStyleOkCancel, {K(kKeyRight), K(kKeyEnter)}), kResultCancel);
  EXPECT_EQ(Ask(kStyleOkCancel, {K(kKeyBackTab), K(kKeyEnter)}), kResultCancel);
  EXPECT_EQ(Ask(kStyleOk, {K(kKeyTab), K(kKeyEnter)}), kResultOk);
  // Extended keys that mean nothing here are ignored.
  EXPECT_EQ(Ask(kStyleYesNo, {K(kKeyFunction), K(kKeyPageDown), K(kKeyEnter)}), kResultYes);
}

// Where the buttons of the QUIT question stand once drawn.
struct ButtonPlaces {
  int row, yes, no;
};

ButtonPlaces FindButtons() {
  BoardHarness probe;
  probe.terminal.Key(kKeyEnter);
  ConsoleMessageBox(probe.io, "Are you sure you want to QUIT?", kStyleYesNo, "QUIT VALIDATION", kIconExclamation);
  const Screen& shown = probe.terminal.shown();
  int row = RowOf(shown, "[ Yes ]");
  std::string text = shown.RowText(row);
  return {row, static_cast<int>(text.find("[ Yes ]")) + 1, static_cast<int>(text.find("[ No ]")) + 1};
}

TEST(MessageBox, AClickOnAButtonChoosesItAndOtherClicksAreIgnored) {
  ButtonPlaces at = FindButtons();
  ASSERT_GT(at.row, 0);
  EXPECT_EQ(Ask(kStyleYesNo, {InputEvent::Click(at.row, at.no + 2)}), kResultNo);
  EXPECT_EQ(Ask(kStyleYesNo, {InputEvent::Click(at.row, at.yes)}), kResultYes);
  EXPECT_EQ(Ask(kStyleYesNo, {InputEvent::Click(at.row, at.no + 6), InputEvent::Click(at.row + 1, at.no),
                              InputEvent::Click(1, 1), K('n')}),
            kResultNo);
}

TEST(MessageBox, PutsTheBoardBackWhenItCloses) {
  BoardHarness h;
  h.screen.MoveTo(12, 30);
  h.screen.Write("under the box");
  h.screen.MoveTo(21, 50);
  Screen::Snapshot before = h.screen.Save();
  h.terminal.Key('y');
  ConsoleMessageBox(h.io, "text", kStyleYesNo, "TITLE", kIconNone);
  EXPECT_EQ(h.screen.cells(), before.cells);
  EXPECT_EQ(h.screen.CursorRow(), 21);
  EXPECT_EQ(h.screen.CursorColumn(), 50);
}

TEST(MessageBox, ShowsItsTitleTextIconAndButtons) {
  BoardHarness h;
  h.terminal.Key(kKeyEnter);
  ConsoleMessageBox(h.io, "We are now prepared to process your LeagueNET scores. You MUST be connected to the Internet for this process to work. Are you connected to the Internet at this time?",
                    0x124, "LeagueNET PROCESSING", kIconQuestion);
  EXPECT_EQ(testing::GoldenDifference(h.terminal.shown(), "message_box_question"), "");
}

TEST(MessageBox, BreaksLinesAndTabsInBothForms) {
  BoardHarness h;
  h.terminal.Key(kKeyEnter);
  ConsoleMessageBox(h.io, "one\\ntwo\nthree\\tTAB\tTAB2", kStyleOk, "T", kIconNone);
  const Screen& s = h.terminal.shown();
  int one = RowOf(s, "one");
  ASSERT_GT(one, 0);
  EXPECT_EQ(RowOf(s, "two"), one + 1);
  EXPECT_EQ(RowOf(s, "three"), one + 2);
  std::string row = s.RowText(one + 2);
  std::size_t start = row.find("three");
  EXPECT_EQ(row.substr(start, 22), "three   TAB     TAB2  ");
}

}  // namespace
}  // namespace lexfray
