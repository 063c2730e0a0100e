#include "dialogs/list_box.h"

#include <gtest/gtest.h>

#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BoardHarness;
using testing::RowOf;

std::vector<std::string> Names(int count) {
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) names.push_back("Player " + std::to_string(i));
  return names;
}

std::string Choose(BoardHarness& h, const std::vector<std::string>& entries, int form = kListReturnsPosition) {
  return ConsoleListBox(h.io, 1, "Choose Your Option", "MENU", entries, form);
}

TEST(ListBox, EnterChoosesTheSelectedEntryInEitherResultForm) {
  const std::vector<std::string> menu = {"Backup Player File", "Restore Player File", "Help"};
  BoardHarness a;
  a.terminal.Key(kKeyEnter);
  EXPECT_EQ(Choose(a, menu), "1");
  BoardHarness b;
  b.terminal.Key(kKeyDown).Key(kKeyDown).Key(kKeyEnter);
  EXPECT_EQ(Choose(b, menu), "3");
  BoardHarness c;
  c.terminal.Key(kKeyDown).Key(kKeyEnter);
  EXPECT_EQ(Choose(c, menu, kListReturnsText), "Restore Player File");
}

TEST(ListBox, EscCancelsWithTheEmptyTextAndPutsTheBoardBack) {
  BoardHarness h;
  h.screen.MoveTo(10, 10);
  h.screen.Write("beneath");
  Screen::Snapshot before = h.screen.Save();
  h.terminal.Key(kKeyDown).Key(kKeyEscape);
  EXPECT_EQ(Choose(h, Names(3)), "");
  EXPECT_EQ(h.screen.cells(), before.cells);
}

TEST(ListBox, MovesWithArrowsPagesHomeAndEndWithoutLeavingTheList) {
  BoardHarness up;
  up.terminal.Key(kKeyUp).Key(kKeyEnter);
  EXPECT_EQ(Choose(up, Names(30)), "1");
  BoardHarness end;
  end.terminal.Key(kKeyEnd).Key(kKeyDown).Key(kKeyEnter);
  EXPECT_EQ(Choose(end, Names(30)), "30");
  BoardHarness page;
  page.terminal.Key(kKeyPageDown).Key(kKeyEnter);
  EXPECT_EQ(Choose(page, Names(30)), "13");
  BoardHarness back;
  back.terminal.Key(kKeyEnd).Key(kKeyPageUp).Key(kKeyHome).Key(kKeyDown).Key(kKeyEnter);
  EXPECT_EQ(Choose(back, Names(30)), "2");
}

// What is typed in the box, '|' standing for a pause of more than a second, and the entry
// that Enter then chooses.
struct Typing {
  const char* typed;
  const char* chosen;
};

TEST(ListBox, TypingFindsTheEntryThatStartsWithWhatWasTyped) {
  const std::vector<std::string> names = {"ALICE", "BOB", "ANNA", "CAROL", "New Player"};
  const Typing cases[] = {
      {"a", "ANNA"},         // the next entry with the letter
      {"Carol", "CAROL"},    // quick letters make one text
      {"al", "ALICE"},       // which goes round to find its entry
      {"aA", "ALICE"},       // one letter again goes on to the next entry with it
      {"cx", "CAROL"},       // a text that finds nothing moves nothing
      {"zn", "ALICE"},
      {"z|n", "New Player"},  // after a pause a new search
      {"a|a", "ALICE"},
      {"c\x01" "a", "ALICE"},  // any other key (here Down) starts afresh too
  };
  for (const Typing& c : cases) {
    SCOPED_TRACE(c.typed);
    BoardHarness h;
    for (const char* key = c.typed; *key; ++key) {
      if (*key == '|')
        h.terminal.Then([&h](const Screen&) { h.clock.Sleep(1001); });
      else
        h.terminal.Key(*key == '\x01' ? static_cast<int>(kKeyDown) : *key);
    }
    h.terminal.Key(kKeyEnter);
    EXPECT_EQ(Choose(h, names, kListReturnsText), c.chosen);
  }
}

TEST(ListBox, ANotchOfTheWheelMovesTheSelectionOneEntry) {
  BoardHarness h;
  h.terminal.Key(kKeyWheelDown).Key(kKeyWheelDown).Key(kKeyWheelDown).Key(kKeyWheelUp).Key(kKeyEnter);
  EXPECT_EQ(Choose(h, Names(30)), "3");
  BoardHarness top;
  top.terminal.Key(kKeyWheelUp).Key(kKeyEnter);
  EXPECT_EQ(Choose(top, Names(30)), "1");
}

TEST(ListBox, ScrollsSoThatTheSelectionStaysInSight) {
  BoardHarness h;
  h.terminal.Key(kKeyEnd).Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " Player 30 "), 0);
    EXPECT_EQ(RowOf(s, " Player 1 "), 0);
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(Choose(h, Names(30)), "30");
}

TEST(ListBox, AClickOnAnEntryChoosesItAndClicksElsewhereAreIgnored) {
  BoardHarness probe;
  probe.terminal.Key(kKeyEscape);
  Choose(probe, Names(5));
  int row = RowOf(probe.terminal.shown(), "Player 4");
  int column = static_cast<int>(probe.terminal.shown().RowText(row).find("Player 4")) + 1;
  ASSERT_GT(row, 0);

  BoardHarness h;
  h.terminal.Click(1, 1).Click(row, 1).Click(row, column);
  EXPECT_EQ(Choose(h, Names(5)), "4");
}

// Where the marks of more entries above and below stand in a list of 30.
struct Marks {
  int up, down, column;
};

Marks MarksOfThirty() {
  BoardHarness probe;
  probe.terminal.Key(kKeyEnd).Key(kKeyHome).Key(kKeyEscape);
  Choose(probe, Names(30));
  const Screen& s = probe.terminal.shown();
  int down = RowOf(s, "\x1F");
  int column = static_cast<int>(s.RowText(down).find('\x1F')) + 1;
  return {RowOf(s, " Player 1 "), down, column};
}

TEST(ListBox, AClickOnAScrollMarkScrollsAPageAndChoosesNothing) {
  Marks marks = MarksOfThirty();
  ASSERT_GT(marks.down, marks.up);
  BoardHarness h;
  h.terminal.Click(marks.down, marks.column).Then([&](const Screen& s) {
    EXPECT_EQ(RowOf(s, " Player 12 "), 0);
    EXPECT_EQ(RowOf(s, " Player 13 "), marks.up);
    EXPECT_EQ(s.At(marks.up, marks.column).ch, 0x1E);
  });
  h.terminal.Click(marks.down, marks.column).Then([&](const Screen& s) {
    // The last page ends with the last entry; nothing further below.
    EXPECT_EQ(RowOf(s, " Player 30 "), marks.down);
    EXPECT_EQ(s.At(marks.down, marks.column).ch, ' ');
  });
  // On a row without a mark the mark's column does nothing either.
  h.terminal.Click(marks.down, marks.column).Click(marks.up, marks.column).Then([&](const Screen& s) {
    EXPECT_EQ(RowOf(s, " Player 7 "), marks.up);
  });
  h.terminal.Click(marks.up + 1, marks.column - 3);
  EXPECT_EQ(Choose(h, Names(30)), "8");
}

TEST(ListBox, EnterAfterAScrollChoosesAnEntryInSight) {
  Marks marks = MarksOfThirty();
  BoardHarness h;
  h.terminal.Click(marks.down, marks.column).Key(kKeyEnter);
  EXPECT_EQ(Choose(h, Names(30)), "13");
}

TEST(ListBox, AnEmptyEntryCanBeChosen) {
  BoardHarness h;
  h.terminal.Key(kKeyEnd).Key(kKeyEnter);
  EXPECT_EQ(Choose(h, {"About This Program", "Help/Instructions", ""}), "3");
}

TEST(ListBox, ALongListOpensAndScrollsAtOnce) {
  std::vector<std::string> many = Names(32767);
  BoardHarness h;
  h.terminal.Key(kKeyEnd).Key(kKeyPageUp).Key('p').Key(kKeyEnter);
  EXPECT_EQ(Choose(h, many), "32756");  // the next entry starting with P
  EXPECT_LE(h.terminal.shows(), 5);
}

TEST(ListBox, LooksLikeEveryOtherBox) {
  BoardHarness h;
  h.terminal.Key(kKeyDown).Key(kKeyEscape);
  ConsoleListBox(h.io, 222111, "Choose Option        (Cancel Returns To Game)", "HELP/MISC OPTIONS",
                 {"Quillon Home Software WEB Site", "End User License Agreement (EULA)", "Review Change History",
                  "Game Instructions", "Backup/Restore Player File"},
                 kListReturnsPosition);
  EXPECT_EQ(testing::GoldenDifference(h.terminal.shown(), "list_box_help_menu"), "");
}

}  // namespace
}  // namespace lexfray
