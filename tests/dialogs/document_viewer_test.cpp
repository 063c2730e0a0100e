#include "dialogs/document_viewer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dialogs/show_document.h"
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
  h.terminal.Key(kKeyHome).Key(kKeyWheelDown).Key(kKeyWheelDown).Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "Lines 7-25 of 50"), 0);
  });
  h.terminal.Key(kKeyWheelUp).Then([](const Screen& s) { EXPECT_GT(RowOf(s, "Lines 4-22 of 50"), 0); });
  h.terminal.Key(kKeyEscape);
  ViewDocument(h.io, "LEX FRAY HELP FILE", Numbered(50));
}

TEST(DocumentViewer, ExpandsTabsWrapsLongLinesAndShowsControlBytesAsGlyphs) {
  BoardHarness h;
  std::string text = "a\tb\n" + std::string(100, 'w') + "\nbell\x07here";
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "a       b"), 0);
    EXPECT_GT(RowOf(s, std::string(76, 'w')), 0);
    EXPECT_GT(RowOf(s, std::string(24, 'w') + " "), 0);
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
    EXPECT_GT(RowOf(s, "The document is empty"), 0);
    EXPECT_EQ(RowOf(s, "Lines "), 0);
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

TEST(ShowDocument, WrittenLineBreaksAndTabsAreOrdinaryCharacters) {
  BoardHarness h;
  testing::TempFolder folder;
  folder.Write("LEXFRAY.HIS", "Moved to C:\\new\\table\r\n");
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "Moved to C:\\new\\table "), 0);
    EXPECT_GT(RowOf(s, "Lines 1-1 of 1"), 0);
  });
  h.terminal.Key(kKeyEnter);
  ShowDocument(h.io, folder.PathOf("LEXFRAY.HIS"), "CHANGE HISTORY");
}

TEST(ShowDocument, CoversTheWholeWidthOfTheBoard) {
  BoardHarness h;
  h.terminal.Key(kKeyEnter);
  ViewDocument(h.io, "LEX FRAY HELP FILE", "text");
  const Screen& s = h.terminal.shown();
  for (int row : {2, 10, 24}) {
    EXPECT_NE(s.At(row, 1).ch, ' ') << row;
    EXPECT_NE(s.At(row, 80).ch, ' ') << row;
  }
  EXPECT_EQ(s.At(2, 1).ch, 0xC9);
  EXPECT_EQ(s.At(24, 80).ch, 0xBC);
}

TEST(ShowDocument, AFileThatNeverEndsIsCutWithANote) {
  BoardHarness h;
  testing::TempFolder folder;
  ASSERT_EQ(::symlink("/dev/zero", folder.PathOf("LEXFRAY.HIS").c_str()), 0);
  h.terminal.Key(kKeyEnd).Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "[The document goes on: only its first 1 MiB is shown.]"), 0);
    // 1 MiB of bytes without a line end, 76 to a row, then a blank row and the note.
    EXPECT_GT(RowOf(s, "of 13800"), 0);
  });
  h.terminal.Key(kKeyEnter);
  ShowDocument(h.io, folder.PathOf("LEXFRAY.HIS"), "CHANGE HISTORY");
}

TEST(ShowDocument, AFileOfExactlyTheLimitIsShownWholeAndOneByteMoreIsCut) {
  constexpr std::size_t kMiB = 1 << 20;
  for (std::size_t size : {kMiB, kMiB + 1}) {
    BoardHarness h;
    testing::TempFolder folder;
    folder.Write("LEXFRAY.HIS", std::string(size - 1, 'x') + "E");
    bool cut = size > kMiB;
    h.terminal.Key(kKeyEnd).Then([cut](const Screen& s) {
      EXPECT_EQ(RowOf(s, "only its first 1 MiB is shown") > 0, cut);
      EXPECT_EQ(RowOf(s, "xxxE ") > 0, !cut);
    });
    h.terminal.Key(kKeyEnter);
    ShowDocument(h.io, folder.PathOf("LEXFRAY.HIS"), "CHANGE HISTORY");
  }
}

TEST(ShowDocument, APipeWithoutAWriterShowsEmptyAtOnce) {
  BoardHarness h;
  testing::TempFolder folder;
  ASSERT_EQ(::mkfifo(folder.PathOf("LEXFRAY.HIS").c_str(), 0600), 0);
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, "The document is empty"), 0); });
  h.terminal.Key(kKeyEnter);
  ShowDocument(h.io, folder.PathOf("LEXFRAY.HIS"), "CHANGE HISTORY");
}

}  // namespace
}  // namespace lexfray
