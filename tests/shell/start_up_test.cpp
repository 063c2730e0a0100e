#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::ProgramHarness;
using testing::RowOf;

TEST(StartUp, ASecondCopyIsRefusedAndTouchesNothing) {
  ProgramHarness h;
  h.lock.heldElsewhere = true;
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " DUPLICATE PROGRAM "), 0);
    EXPECT_GT(RowOf(s, "You can only run one instance of this program at a time!"), 0);
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_EQ(h.lock.folders, std::vector<std::string>{h.folder.path()});
  EXPECT_FALSE(h.folder.Exists("LEXFRAY.USR"));
}

TEST(StartUp, TheRefusalNamesThePlayerHoldingTheGameWhenKnown) {
  ProgramHarness h;
  h.lock.heldElsewhere = true;
  h.lock.holder = "alice";
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, " DUPLICATE PROGRAM "), 0); });
  h.terminal.Key(kKeyEnter);
  h.terminal.Then([](const Screen& s) {
    EXPECT_EQ(RowOf(s, " DUPLICATE PROGRAM "), 0);
    EXPECT_GT(RowOf(s, "alice is playing the game now."), 0);
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
}

// In a shared installation only the account's own other copy refuses a copy.
TEST(StartUp, ASharedInstallationNamesTheAccountsOwnOtherCopy) {
  ProgramHarness h;
  h.platform.installation.shared = true;
  h.lock.heldElsewhere = true;
  h.lock.holder = "process 4242 on /dev/pts/3";
  h.terminal.Key(kKeyEnter);
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " PLAYING NOW "), 0);
    EXPECT_GT(RowOf(s, "Your other copy of the game is still running (process 4242 on"), 0)
        << testing::Picture(s);
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
}

struct CopyLockCase {
  const char* name;
  bool shared;
  CopyLock outcome;
  const char* told;
  bool plays;  // the title screen follows
};

class StartUpWithoutTheCopyLock : public ::testing::TestWithParam<CopyLockCase> {};

// Nothing keeps a second copy out: a player's own copy says so once and plays on; a shared
// installation, whose names each account changes one copy at a time, does not start.
TEST_P(StartUpWithoutTheCopyLock, SaysSoAndPlaysOnOnlyInAPlayersOwnCopy) {
  ProgramHarness h;
  h.platform.installation.shared = GetParam().shared;
  h.platform.installation.administratorName = "root";
  h.lock.outcome = GetParam().outcome;
  h.lock.failure = "cannot lock the folder: No locks available";
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, GetParam().told), 0) << testing::Picture(s);
    EXPECT_GT(RowOf(s, "No locks available"), 0);
  });
  h.terminal.Key(kKeyEnter);
  if (GetParam().plays) {
    h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, "Exit Game"), 0); });
    h.terminal.Key('x');
  }
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, StartUpWithoutTheCopyLock,
    ::testing::Values(
        CopyLockCase{"APlayersOwnCopyOnAFileSystemWithoutLocks", false, CopyLock::kNoLocks,
                     " ONE COPY AT A TIME ", true},
        CopyLockCase{"ASharedInstallationWithoutLocks", true, CopyLock::kNoLocks,
                     " GAME NOT STARTED ", false},
        CopyLockCase{"ASharedInstallationWhoseLockFileCannotBeOpened", true, CopyLock::kFailed,
                     "the administrator (root)", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartUp, AMissingConfigurationFileEndsTheProgramWithItsMessage) {
  ProgramHarness h;
  h.folder.Remove("LEXFRAY.CFG");
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " MISSING FILE "), 0);
    EXPECT_GT(RowOf(s, "The LEXFRAY.CFG file is MISSING! Correct and restart!"), 0);
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
}

TEST(StartUp, AFolderNamedLikeTheConfigurationCountsAsMissing) {
  ProgramHarness h;
  h.folder.Remove("LEXFRAY.CFG");
  std::filesystem::create_directory(h.folder.PathOf("LEXFRAY.CFG"));
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, " MISSING FILE "), 0); });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
}

TEST(StartUp, ANumberOutOfRangeStopsWithAMessageNamingItsLine) {
  ProgramHarness h;
  h.folder.Write("LEXFRAY.CFG", testing::ConfigText("Site", "70000"));
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "Line 7 of LEXFRAY.CFG: the games per day must be a whole number"), 0)
        << testing::Picture(s);
    EXPECT_EQ(RowOf(s, "line 7"), 0);  // named once
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
}

TEST(StartUp, AHugeConfigurationIsRefusedWithoutReadingItAll) {
  ProgramHarness h;
  std::filesystem::resize_file(h.folder.PathOf("LEXFRAY.CFG"), std::uintmax_t{40} << 30);
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " CONFIGURATION ERROR "), 0);
    EXPECT_GT(RowOf(s, "is too large"), 0) << testing::Picture(s);
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
}

// The words of the board read as one text, whatever rows a box wrapped them onto.
std::string Words(const Screen& s) {
  std::string words;
  for (int row = 1; row <= kRows; ++row) {
    for (char c : s.RowText(row)) {
      bool blank = c == ' ' || c == '\xBA';
      if (!blank) words.push_back(c);
      else if (!words.empty() && words.back() != ' ') words.push_back(' ');
    }
  }
  return words;
}

// A dictionary index that cannot be used, and what the box says is wrong with it.
struct BrokenDictionary {
  const char* what;
  std::function<void(const testing::TempFolder&)> breakIt;
  const char* told;
};

TEST(StartUp, ADictionaryIndexThatCannotBeUsedEndsTheProgramWithWhatIsWrong) {
  const BrokenDictionary cases[] = {
      {"missing", [](const auto& f) { f.Remove("QUILLON.DIX"); }, "is missing"},
      {"too large", [](const auto& f) { std::filesystem::resize_file(f.PathOf("QUILLON.DIX"), 1 << 20); },
       "is too large"},
      {"damaged", [](const auto& f) { f.Write("QUILLON.DIX", "1\r\n1\r\nX\r\n"); }, "number 3 is not"},
      {"short", [](const auto& f) { f.Write("QUILLON.DIX", "1 1 1\r\n"); }, "holds 3 of its 27"},
      {"beyond", [](const auto& f) { f.Write("quillon.dic", ""); }, "to record 1 of its 0."},
      {"no word file", [](const auto& f) { f.Remove("quillon.dic"); }, "which is missing"},
  };
  for (const BrokenDictionary& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramHarness h;
    c.breakIt(h.folder);
    h.terminal.Then([&](const Screen& s) {
      EXPECT_GT(RowOf(s, " DICTIONARY ERROR "), 0);
      std::string told = Words(s);
      EXPECT_NE(told.find("index " + h.folder.PathOf("QUILLON.DIX")), std::string::npos) << told;
      EXPECT_NE(told.find(c.told), std::string::npos) << told;
    });
    h.terminal.Key(kKeyEnter);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_TRUE(h.terminal.ScriptDone()) << "no title screen after the box";
  }
}

TEST(StartUp, SeedsTheGeneratorOnceFromTheTimeOfDayAndNamesTheWindow) {
  ProgramHarness h;
  h.clock.Set({2026, 12, 7, 10, 30, 15, 250});
  h.terminal.Type("x");
  EXPECT_EQ(h.Run(), 0);
  ASSERT_EQ(h.random.seeds().size(), 1u);
  EXPECT_DOUBLE_EQ(h.random.seeds()[0], 10 * 3600 + 30 * 60 + 15.25);
  ASSERT_GE(h.terminal.titles().size(), 2u);
  EXPECT_EQ(h.terminal.titles()[0], "LEX FRAY");
  EXPECT_EQ(h.terminal.titles()[1], "L E X    F R A Y" + std::string(19, ' '));
}

}  // namespace
}  // namespace lexfray
