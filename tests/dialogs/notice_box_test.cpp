#include "dialogs/notice_box.h"

#include <gtest/gtest.h>

#include "dialogs/message_box.h"
#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

TEST(NoticeBox, StaysForItsSecondsWithoutWaitingForAKeyAndThenGoes) {
  testing::BoardHarness h;
  h.screen.Write("board");
  Screen::Snapshot before = h.screen.Save();
  Screen::Snapshot covered = SplashBoxShow(h.io, 0x83, 4, "C O N G R A T U L A T I O N S", std::string(37, ' '),
                                           "1000 Pt. Bonus Added to Score", kIconInformation);
  EXPECT_EQ(h.clock.sleptMs(), 4000);
  EXPECT_EQ(h.terminal.waits(), 0);
  const Screen& shown = h.terminal.shown();
  EXPECT_EQ(testing::GoldenDifference(shown, "notice_bonus"), "");
  int first = testing::RowOf(shown, "C O N G R A T");
  EXPECT_EQ(testing::RowOf(shown, "1000 Pt. Bonus"), first + 2);
  SplashBoxHide(h.io, covered);
  EXPECT_EQ(h.screen.cells(), before.cells);
}

TEST(NoticeBox, LeavesOutEmptyLastLines) {
  testing::BoardHarness h;
  SplashBoxShow(h.io, 0x81, 3, "Backup was SUCCESSFUL!", "", "", kIconExclamation);
  const Screen& shown = h.terminal.shown();
  int row = testing::RowOf(shown, "Backup was SUCCESSFUL!");
  ASSERT_GT(row, 0);
  EXPECT_EQ(shown.At(row + 2, 40).ch, 0xCD);  // the bottom edge right under a blank row
}

}  // namespace
}  // namespace lexfray
