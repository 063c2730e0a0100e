#include <gtest/gtest.h>

#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::ProgramHarness;
using testing::RowOf;

TEST(MainMenu, TheKeysXAndEOrTheExitButtonEndTheProgramWithoutAQuestion) {
  for (char key : {'x', 'X', 'e', 'E'}) {
    ProgramHarness h;
    h.terminal.Key(key);
    EXPECT_EQ(h.Run(), 0) << key;
    EXPECT_TRUE(h.terminal.ScriptDone());
  }
  for (auto [row, column] : {std::pair{20, 48}, std::pair{22, 60}, std::pair{21, 54}}) {
    ProgramHarness h;
    h.terminal.Click(row, column);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_TRUE(h.terminal.ScriptDone());
  }
}

TEST(MainMenu, OtherKeysAndClicksAreIgnoredAndLeaveTheTitleUntouched) {
  ProgramHarness h;
  Screen title;
  h.terminal.Then([&](const Screen& s) { title = s; });
  h.terminal.Type("z1").Key(kKeyFunction).Click(19, 48).Click(1, 1).Click(23, 60).Key(kKeyEscape);
  h.terminal.Then([&](const Screen& s) { EXPECT_EQ(s.cells(), title.cells()); });
  h.terminal.Key('x');
  EXPECT_EQ(h.Run(), 0);
}

TEST(MainMenu, TheScoresAndHelpMenusOpenByKeyAndClickAndCancelBackToTheMenu) {
  ProgramHarness h;
  Screen title;
  h.terminal.Then([&](const Screen& s) { title = s; });
  h.terminal.Key('s').Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " SCORES/LEAGUENET PROCESSING "), 0);
    EXPECT_GT(RowOf(s, "Choose Option        (Cancel Returns To Game)"), 0);
    EXPECT_GT(RowOf(s, "LeagueNET Information (Competition Feature)"), 0);
  });
  h.terminal.Key(kKeyEscape);
  h.terminal.Click(17, 40).Then([](const Screen& s) { EXPECT_GT(RowOf(s, " SCORES/LEAGUENET PROCESSING "), 0); });
  h.terminal.Key(kKeyEscape);
  h.terminal.Key('h').Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " HELP/MISC OPTIONS "), 0);
    EXPECT_GT(RowOf(s, "Backup/Restore Player File"), 0);
  });
  h.terminal.Key(kKeyEscape);
  h.terminal.Click(16, 69).Then([](const Screen& s) { EXPECT_GT(RowOf(s, " HELP/MISC OPTIONS "), 0); });
  h.terminal.Key(kKeyEscape);
  h.terminal.Then([&](const Screen& s) { EXPECT_EQ(s.cells(), title.cells()); });
  h.terminal.Key('x');
  EXPECT_EQ(h.Run(), 0);
}

}  // namespace
}  // namespace lexfray
