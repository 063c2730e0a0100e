#include "players/backup.h"

#include <algorithm>
#include <filesystem>

#include "players_fixture.h"
#include "support/snapshot.h"

namespace lexfray::testing {
namespace {

class BackupTest : public PlayersTest {
 protected:
  // The notice that action shows, seen while it stays up (a notice waits for no key).
  template <typename Action>
  void ExpectNotice(std::string_view line, Action action) {
    action();
    EXPECT_NE(RowOf(board.terminal.shown(), line), 0) << Picture(board.terminal.shown());
    EXPECT_EQ(board.clock.sleeps().back(), 3000);
  }
  // The failure's notice, then the box with its reason, which waits for a key.
  template <typename Action>
  void ExpectFailure(std::string_view line, std::string_view reason, Action action) {
    board.terminal.Then([line = std::string(line), reason = std::string(reason)](const Screen& screen) {
      EXPECT_NE(RowOf(screen, line), 0) << Picture(screen);
      EXPECT_NE(RowOf(screen, reason), 0) << Picture(screen);
    });
    board.terminal.Key(kKeyEnter);
    action();
    EXPECT_TRUE(board.terminal.ScriptDone());
    EXPECT_NE(std::find(board.clock.sleeps().begin(), board.clock.sleeps().end(), 3000),
              board.clock.sleeps().end());
  }
  int ScratchFiles() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      count += entry.path().filename().string().starts_with("Temp.HLP.");
    return count;
  }
  void Backup() { BackupPlayerFile(board.io, settings, "LEXFRAY"); }
  void Restore() { RestorePlayerFile(board.io, settings, "LEXFRAY"); }
};

TEST_F(BackupTest, RestoreGivesBackTheBytesOfTheLastBackup) {
  WriteRecords({Player("ANNA", 100), Player("BOB", 200)});
  std::string first = FileBytes();
  ExpectNotice("Backup was SUCCESSFUL!", [&] { Backup(); });
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), first);

  WriteRecords({Player("ANNA", 300), Player("BOB", 200), Player("CAROL", 5)});
  std::string second = FileBytes();
  Backup();
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), second);  // replaced without asking

  WriteRecords({Player("ZED")});
  ExpectNotice("Restore was SUCCESSFUL!", [&] { Restore(); });
  EXPECT_EQ(FileBytes(), second);
}

// A 40 GB player file (sparse: nothing on disk) is damaged beyond use: it is neither backed
// up over a good backup nor restored over the player file, and never read into memory.
TEST_F(BackupTest, AHugeFileIsNeitherBackedUpNorRestored) {
  WriteRecords({Player("ANNA", 100)});
  std::string good = FileBytes();
  Backup();
  std::filesystem::resize_file(folder.PathOf("LEXFRAY.USR"), std::uintmax_t{40} << 30);
  ExpectFailure("Backup was NOT SUCCESSFUL", "5000 players", [&] { Backup(); });
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), good);

  WriteRecords({Player("BOB", 5)});
  std::filesystem::resize_file(folder.PathOf("LEXFRAY.BKP"), std::uintmax_t{40} << 30);
  ExpectFailure("Restore was NOT SUCCESSFUL", "larger than any player", [&] { Restore(); });
  EXPECT_EQ(ReadRecords().size(), 1u);
}

TEST_F(BackupTest, RestoreWithoutABackupSaysSoAndTouchesNothing) {
  WriteRecords({Player("ANNA")});
  std::string before = FileBytes();
  ExpectNotice("A Backup File DOES NOT Exist!", [&] { Restore(); });
  EXPECT_EQ(FileBytes(), before);
  EXPECT_FALSE(folder.Exists("LEXFRAY.BKP"));
}

TEST_F(BackupTest, ABackupWithoutAPlayerFileFailsAndKeepsTheOldBackup) {
  folder.Write("LEXFRAY.BKP", "old backup");
  ExpectFailure("Backup was NOT SUCCESSFUL", "no player file", [&] { Backup(); });
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), "old backup");
}

TEST_F(BackupTest, AReadOnlyTargetIsLeftAsItWas) {
  WriteRecords({Player("ANNA")});
  folder.Write("LEXFRAY.BKP", "kept");
  MakeReadOnly("LEXFRAY.BKP");
  ExpectFailure("Backup was NOT SUCCESSFUL", "read-only", [&] { Backup(); });
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), "kept");

  std::string player = FileBytes();
  MakeReadOnly("LEXFRAY.USR");
  ExpectFailure("Restore was NOT SUCCESSFUL", "read-only", [&] { Restore(); });
  EXPECT_EQ(FileBytes(), player);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    files += entry.is_regular_file() && entry.path().extension() != ".lock";
  EXPECT_EQ(files, 2) << "no temporary copy is left behind";
}

TEST_F(BackupTest, TheMenuReturnsThePositionOfTheChoice) {
  board.terminal.Then([](const Screen& screen) {
    EXPECT_NE(RowOf(screen, "BACKUP/RESTORE MENU"), 0);
    EXPECT_NE(RowOf(screen, "Restore Player File"), 0);
  });
  board.terminal.Key(kKeyDown).Key(kKeyEnter);
  EXPECT_EQ(BackupMenu(board.io), "2");
  board.terminal.Key(kKeyEscape);
  EXPECT_EQ(BackupMenu(board.io), "");
}

TEST_F(BackupTest, TheHelpIsShownAndItsScratchFileRemoved) {
  board.terminal.Then([this](const Screen& screen) {
    EXPECT_NE(RowOf(screen, "BACKUP/RESTORE HELP"), 0);
    EXPECT_NE(RowOf(screen, "HOME Software support personnel."), 0);
    EXPECT_EQ(ScratchFiles(), 1);
  });
  board.terminal.Key(kKeyEnter);
  ShowBackupHelp(board.io, settings);
  EXPECT_EQ(ScratchFiles(), 0);
}

// The viewer's text rows as the player reads them, blanks at the ends taken off.
std::vector<std::string> ViewerRows(const Screen& screen) {
  std::vector<std::string> rows;
  for (int row = 3; row <= 21; ++row) {
    std::string text = screen.RowText(row).substr(1, 78);
    std::size_t first = text.find_first_not_of(' ');
    rows.push_back(first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1));
  }
  return rows;
}

TEST_F(BackupTest, TheHelpReadsWordForWordAndEachRowIsFilled) {
  std::vector<std::string> rows;
  board.terminal.Then([&](const Screen& screen) { rows = ViewerRows(screen); });
  board.terminal.Key(kKeyEnter);
  ShowBackupHelp(board.io, settings);
  std::string all;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].empty()) continue;
    all += (all.empty() ? "" : " ") + rows[i];
    // A row is broken only where the next word would not have fitted the 76 columns.
    if (i + 1 < rows.size() && !rows[i + 1].empty()) {
      std::size_t nextWord = std::min(rows[i + 1].find(' '), rows[i + 1].size());
      EXPECT_GT(rows[i].size() + 1 + nextWord, 76u) << rows[i];
    }
  }
  EXPECT_EQ(all,
            "BACKUP Use this option if you want to Backup the game's Player file. The Backup file will be "
            "stored in the game's directory/folder. Quillon HOME Software recommends that you run Backup as "
            "often as you feel a need based on the condition of your computer and it's components, the "
            "weather in your area, etc. RESTORE Use this option when you have a visual indication that the "
            "Player file might have been compromised or you are advised to restore the Player file by "
            "Quillon HOME Software support personnel.");
}

// The scratch file is this copy's own: another account's, or a link put in its place, is
// neither read, written nor removed.
TEST_F(BackupTest, TheScratchFileIsTheCopysOwn) {
  std::filesystem::create_symlink("/dev/full", folder.PathOf("Temp.HLP"));
  folder.Write("Temp.HLP.other", "another account's help");
  board.terminal.Then([](const Screen& screen) { EXPECT_NE(RowOf(screen, "RESTORE"), 0); });
  board.terminal.Key(kKeyEnter);
  ShowBackupHelp(board.io, settings);
  EXPECT_TRUE(std::filesystem::is_symlink(folder.PathOf("Temp.HLP")));
  EXPECT_EQ(folder.Read("Temp.HLP.other"), "another account's help");
}

TEST_F(BackupTest, TheHelpShowsEvenWhereItsScratchFileCannotBeWritten) {
  settings.programFolder = folder.PathOf("gone/");
  board.terminal.Then([](const Screen& screen) { EXPECT_NE(RowOf(screen, "RESTORE"), 0); });
  board.terminal.Key(kKeyEnter);
  ShowBackupHelp(board.io, settings);
  EXPECT_TRUE(board.terminal.ScriptDone());
  EXPECT_FALSE(folder.Exists("gone"));
}

}  // namespace
}  // namespace lexfray::testing
