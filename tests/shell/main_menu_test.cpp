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

namespace lexfray {
namespace {

// Opens the help menu and chooses its entry number n.
void ChooseHelpEntry(testing::ScriptedTerminal& terminal, int n) {
  terminal.Key('h');
  for (int i = 1; i < n; ++i) terminal.Key(kKeyDown);
  terminal.Key(kKeyEnter);
}

TEST(HelpMenu, ShowsTheDocumentsUnderTheirTitles) {
  ProgramHarness h;
  h.folder.Write("LEXFRAY.HIS", "Version 1.6 of 02/12/08\n");
  h.folder.Write("LEXFRAY.INS", "How to play\n");
  ChooseHelpEntry(h.terminal, 3);
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " L E X    F R A Y" + std::string(19, ' ') + " CHANGE HISTORY "), 0);
    EXPECT_GT(RowOf(s, "Version 1.6 of 02/12/08"), 0);
  });
  h.terminal.Key(kKeyEscape);
  ChooseHelpEntry(h.terminal, 4);
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " L E X    F R A Y" + std::string(19, ' ') + " HELP FILE "), 0);
    EXPECT_GT(RowOf(s, "How to play"), 0);
  });
  h.terminal.Key(kKeyEscape);
  h.terminal.Key('s').Key(kKeyEnd).Key(kKeyEnter).Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " LEAGUENET ADVERTISEMENT "), 0);
  });
  h.terminal.Key(kKeyEscape).Key('x');
  EXPECT_EQ(h.Run(), 0);
}

TEST(HelpMenu, AMissingInstructionsFileShowsNothingWhileAMissingLicenceShowsAnEmptyViewer) {
  ProgramHarness h;
  Screen title;
  h.terminal.Then([&](const Screen& s) { title = s; });
  ChooseHelpEntry(h.terminal, 4);
  h.terminal.Then([&](const Screen& s) { EXPECT_EQ(s.cells(), title.cells()); });
  ChooseHelpEntry(h.terminal, 2);
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, " END USER LICENSE AGREEMENT (EULA) "), 0); });
  h.terminal.Key(kKeyEnter).Key('x');
  EXPECT_EQ(h.Run(), 0);
  EXPECT_FALSE(h.folder.Exists("LEXFRAY.INS"));
  EXPECT_TRUE(h.folder.Exists("ENDUSERLICENSE.TXT"));
  EXPECT_EQ(h.folder.Read("ENDUSERLICENSE.TXT"), "");
}

TEST(WebSite, CancelStaysAtTheMenuAndOkEndsTheProgramAfterAskingForTheBrowserOnce) {
  ProgramHarness cancel;
  ChooseHelpEntry(cancel.terminal, 1);
  cancel.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " TRANSFER TO OUR WEB SITE "), 0);
    EXPECT_GT(RowOf(s, "YOU  MUST BE CONNECTED TO THE INTERNET!"), 0);
    // Wrapped as one paragraph at the box's width, with no word left alone on a line.
    int first = RowOf(s, "You will be taken directly to our WEB site where you will be able");
    EXPECT_GT(first, 0);
    EXPECT_GT(RowOf(s, "to find information about Quillon Home Software including product"), first);
    EXPECT_GT(RowOf(s, "MUCH more!"), first);
    // The address, for a player without a browser to type in elsewhere.
    EXPECT_GT(RowOf(s, "https://quillon-home.example/"), first);
  });
  cancel.terminal.Key('c').Key('x');
  EXPECT_EQ(cancel.Run(), 0);
  EXPECT_TRUE(cancel.launcher.opened.empty());

  ProgramHarness ok;
  ChooseHelpEntry(ok.terminal, 1);
  ok.terminal.Key(kKeyEnter);
  EXPECT_EQ(ok.Run(), 0);
  EXPECT_TRUE(ok.terminal.ScriptDone());
  EXPECT_EQ(ok.launcher.opened.size(), 1u);
  EXPECT_EQ(ok.terminal.suspends(), 1);
}

}  // namespace
}  // namespace lexfray
