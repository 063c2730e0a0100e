#include "players/backup.h"

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
  ExpectNotice("Backup was NOT SUCCESSFUL", [&] { Backup(); });
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), good);

  WriteRecords({Player("BOB", 5)});
  std::filesystem::resize_file(folder.PathOf("LEXFRAY.BKP"), std::uintmax_t{40} << 30);
  ExpectNotice("Restore was NOT SUCCESSFUL", [&] { Restore(); });
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
  ExpectNotice("Backup was NOT SUCCESSFUL", [&] { Backup(); });
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), "old backup");
}

TEST_F(BackupTest, AReadOnlyTargetIsLeftAsItWas) {
  WriteRecords({Player("ANNA")});
  folder.Write("LEXFRAY.BKP", "kept");
  MakeReadOnly("LEXFRAY.BKP");
  ExpectNotice("Backup was NOT SUCCESSFUL", [&] { Backup(); });
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), "kept");

  std::string player = FileBytes();
  MakeReadOnly("LEXFRAY.USR");
  ExpectNotice("Restore was NOT SUCCESSFUL", [&] { Restore(); });
  EXPECT_EQ(FileBytes(), player);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    files += entry.is_regular_file();
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
    EXPECT_TRUE(folder.Exists("Temp.HLP"));
  });
  board.terminal.Key(kKeyEnter);
  ShowBackupHelp(board.io, settings);
  EXPECT_FALSE(folder.Exists("Temp.HLP"));
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
