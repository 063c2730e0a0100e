#include "dialogs/document_viewer.h"

#include <gtest/gtest.h>

#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BoardHarness;
using testing::RowOf;

std::string Numbered(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "Line number " + std::to_string(i) + "\r\n";
  return text;
}

TEST(DocumentViewer, ScrollsThroughTheWholeText) {
  BoardHarness h;
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "Line number 1 "), 0);
    EXPECT_EQ(RowOf(s, "Line number 20 "), 0);
  });
  h.terminal.Key(kKeyDown).Then([](const Screen& s) {
    EXPECT_EQ(RowOf(s, "Line number 1 "), 0);
    EXPECT_GT(RowOf(s, "Line number 20 "), 0);
  });
  h.terminal.Key(kKeyEnd).Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "Line number 50 "), 0);
    EXPECT_GT(RowOf(s, "Lines 32-50 of 50"), 0);
  });
  h.terminal.Key(kKeyPageUp).Key(kKeyHome).Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "Line number 1 "), 0);
  });
  h.terminal.Key(' ').Then([](const Screen& s) { EXPECT_GT(RowOf(s, "Line number 20 "), 0); });
  h.terminal.Key(kKeyEscape);
  ViewDocument(h.io, "LEX FRAY HELP FILE", Numbered(50));
}

TEST(DocumentViewer, ExpandsTabsWrapsLongLinesAndShowsControlBytesAsGlyphs) {
  BoardHarness h;
  std::string text = "a\tb\n" + std::string(100, 'w') + "\nbell\x07here";
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "a       b"), 0);
    EXPECT_GT(RowOf(s, std::string(74, 'w')), 0);
    EXPECT_GT(RowOf(s, std::string(26, 'w') + " "), 0);
    EXPECT_GT(RowOf(s, "bell\x07here"), 0);
  });
  h.terminal.Key(kKeyEnter);
  ViewDocument(h.io, "T", text);
}

TEST(DocumentViewer, ClosesOnEnterEscOrCloseAndPutsTheBoardBack) {
  for (int key : {static_cast<int>(kKeyEnter), static_cast<int>(kKeyEscape), static_cast<int>('c')}) {
    BoardHarness h;
    Screen::Snapshot before = h.screen.Save();
    h.terminal.Key(key);
    ViewDocument(h.io, "T", "text");
    EXPECT_EQ(h.screen.cells(), before.cells);
  }
  BoardHarness probe;
  probe.terminal.Key(kKeyEnter);
  ViewDocument(probe.io, "T", "text");
  int row = RowOf(probe.terminal.shown(), "[ Close ]");
  int column = static_cast<int>(probe.terminal.shown().RowText(row).find("[ Close ]")) + 1;
  BoardHarness click;
  click.terminal.Click(row, column + 4);
  ViewDocument(click.io, "T", "text");
  EXPECT_TRUE(click.terminal.ScriptDone());
}

TEST(ShowDocument, AMissingFileLeavesAnEmptyFileBehindAndShowsAnEmptyViewer) {
  BoardHarness h;
  testing::TempFolder folder;
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " END USER LICENSE AGREEMENT (EULA) "), 0);
    EXPECT_GT(RowOf(s, "Lines 1-1 of 1"), 0);
  });
  h.terminal.Key(kKeyEnter);
  ShowDocument(h.io, folder.PathOf("ENDUSERLICENSE.TXT"), "END USER LICENSE AGREEMENT (EULA)");
  EXPECT_TRUE(folder.Exists("ENDUSERLICENSE.TXT"));
  EXPECT_EQ(folder.Read("ENDUSERLICENSE.TXT"), "");
}

TEST(ShowDocument, ShowsTheFileAsStored) {
  BoardHarness h;
  testing::TempFolder folder;
  folder.Write("LEXFRAY.HIS", "Version 1.6\r\n\r\n\tFirst note\r\n");
  h.terminal.Then([](const Screen& s) {
    EXPECT_EQ(testing::GoldenDifference(s, "document_viewer"), "");
  });
  h.terminal.Key(kKeyEnter);
  ShowDocument(h.io, folder.PathOf("LEXFRAY.HIS"), "L E X    F R A Y                    CHANGE HISTORY");
}

}  // namespace
}  // namespace lexfray
