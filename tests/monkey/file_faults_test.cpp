// The saved files through failing reads and writes and a kill at any step of applying the
// spool: nothing saved is lost or counted twice, and a write that fails is told. The
// failures are injected below the file layer (file_faults.h).
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "../players/players_fixture.h"
#include "config/constants.h"
#include "league/score_export.h"
#include "monkey/file_faults.h"
#include "platform/file_lock.h"
#include "players/backup.h"
#include "players/game_start.h"
#include "players/player_file.h"
#include "players/top_players.h"
#include "support/fakes.h"

namespace lexfray::testing {
namespace {

using monkey::ArmFault;
using monkey::Fault;
using monkey::FaultPlan;

constexpr std::string_view kAnna = "ANNA                          ";

class FileFaultsTest : public PlayersTest {
 protected:
  FileFaultsTest() {
    SetNow(2026, 12, 7);
    WriteRecords({Player("BOB", 700), Player("ANNA", 5000, 2, "12-06-26", 1), Player("CAROL", 10)});
  }
  ~FileFaultsTest() override {
    monkey::DisarmFaults();
    monkey::TakeFileEvents();
  }

  GameStart Start(std::string_view name = kAnna) {
    return StartGameRecord(board.io, settings, limits, buffer, name);
  }
  // Game over's write-back of the player's new total.
  void SaveTotal(std::string_view name, double total) {
    TablePass(board.io, settings, buffer, TableWriteBack{name, total, {}});
  }
  double TotalOf(std::string_view name) const {
    double best = -1;
    for (const PlayerRecord& record : ReadRecords())
      if (record.name.starts_with(name)) best = std::max(best, record.totalScore);
    return best;
  }

  PlayLimits limits = InitialPlayLimits(settings);
};

// The file is only ever replaced whole, and a full disk has no room for the new version:
// each change is told, and the file stays as it was until there is room again.
TEST_F(FileFaultsTest, AFullDiskKeepsTheFileAsItWasAndTellsEachChange) {
  std::string before = FileBytes();
  ArmFault({Fault::kDiskFull, 1});
  ExpectBoxAndAccept("could not be written");
  Start("DAVE                          ");
  ExpectBoxAndAccept("could not be written");
  SaveTotal("ANNA", 5100);
  EXPECT_EQ(FileBytes(), before);
  monkey::DisarmFaults();
  SaveTotal("ANNA", 5100);
  EXPECT_EQ(TotalOf("ANNA"), 5100);
}

TEST_F(FileFaultsTest, AFailedWriteBackIsToldAndLeavesTheOthers) {
  Start();
  std::vector<PlayerRecord> before = ReadRecords();
  ArmFault({Fault::kFailWrite, 1});
  ExpectBoxAndAccept("could not be written");
  SaveTotal("ANNA", 5200);
  EXPECT_EQ(TotalOf("ANNA"), 5000);
  EXPECT_EQ(TotalOf("BOB"), 700);
}

TEST_F(FileFaultsTest, AWriteBackThatCannotReadTheFileIsTold) {
  std::string before = FileBytes();
  ArmFault({Fault::kFailRead, 1});
  ExpectBoxAndAccept("PLAYER FILE NOT SAVED");
  SaveTotal("ANNA", 5300);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

struct StartFaultCase {
  const char* name;
  Fault fault;
  const char* told;
  StartOutcome outcome;
};

class GameStartFaults : public FileFaultsTest,
                        public ::testing::WithParamInterface<StartFaultCase> {};

// A file that fails to read or to open may hold the player: taken for a new one, Anna would
// get a second record, and game over would store the new game's total over the 5000 she has
// saved. Each failure is told, the file is kept, and once it works again play goes on.
TEST_P(GameStartFaults, AreToldAndKeepTheFile) {
  std::string before = FileBytes();
  ArmFault({GetParam().fault, 1});
  ExpectBoxAndAccept(GetParam().told);
  EXPECT_EQ(Start().outcome, GetParam().outcome);
  EXPECT_EQ(FileBytes(), before);
  GameStart again = Start();
  EXPECT_EQ(again.outcome, StartOutcome::kPlay);
  EXPECT_EQ(again.playerTotal, 5000);
  SaveTotal("ANNA", 5300);
  EXPECT_EQ(TotalOf("ANNA"), 5300);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, GameStartFaults,
    ::testing::Values(StartFaultCase{"AFailedWrite", Fault::kFailWrite, "could not be written",
                                     StartOutcome::kPlay},
                      StartFaultCase{"AFailedRead", Fault::kFailRead, "GAME NOT STARTED",
                                     StartOutcome::kNotStarted},
                      StartFaultCase{"AFileThatDoesNotOpen", Fault::kFailOpen, "GAME NOT STARTED",
                                     StartOutcome::kNotStarted}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileFaultsTest, ABackupOntoAFullDiskIsToldAndKeepsTheOldBackup) {
  folder.Write("LEXFRAY.BKP", "old backup");
  WriteRecords({Player("BOB", 700), Player("ANNA", 6000)});
  ArmFault({Fault::kDiskFull, 1});
  ExpectBoxAndAccept("No space left");  // after the notice, which waits on the clock
  BackupPlayerFile(board.io, settings, kProgramCode);
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), "old backup");
  int leftOver = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    leftOver += entry.path().filename().string().starts_with(".lexfray-copy-");
  EXPECT_EQ(leftOver, 0) << "no half copy is left behind";
  EXPECT_GT(monkey::TakeFileEvents().writesFailed, 0);
}

// A name taken on a full disk: no game starts on a name that is nobody's; once there is room,
// the torn line a crash left is written over.
TEST_F(FileFaultsTest, ANameTakenOnAFullDiskLeavesNoTornLine) {
  settings.installation = {true, 1001, "ann", false, "root"};
  folder.Write("LEXFRAY.OWN", "1002 BOB\n1003 CARO");
  ArmFault({Fault::kDiskFull, 1});
  ExpectBoxAndAccept(" GAME NOT STARTED ");
  EXPECT_EQ(Start().outcome, StartOutcome::kNotStarted);
  EXPECT_EQ(folder.Read("LEXFRAY.OWN"), "1002 BOB\n1003 CARO");
  EXPECT_GT(monkey::TakeFileEvents().writesFailed, 0);
  monkey::DisarmFaults();
  EXPECT_EQ(Start().outcome, StartOutcome::kPlay);
  EXPECT_EQ(folder.Read("LEXFRAY.OWN"), "1002 BOB\n1001 ANNA\n");
}

// The score file is shared with the other sites: an export that could not be written leaves
// it as it was, and the next one does it all.
TEST_F(FileFaultsTest, AFailedExportLeavesTheScoreFileAsItWas) {
  Configure("5", true);
  CompetitionEntry other;
  other.site = "Far Away" + std::string(27, ' ');
  other.player = "ZED" + std::string(22, ' ');
  CompetitionRecordBytes header = EncodeCompetitionHeader(CompetitionHeader{});
  CompetitionRecordBytes entry = EncodeCompetitionEntry(other);
  std::string file(header.begin(), header.end());
  file.append(entry.begin(), entry.end());
  folder.Write("LEXFRAY.ISC", file);

  ArmFault({Fault::kFailWrite, 1});
  CompetitionState state;
  EXPECT_EQ(ExportIntoScoreFile(settings, board.clock, state, buffer).outcome, SaveResult::kFailed);
  EXPECT_EQ(folder.Read("LEXFRAY.ISC"), file);
  EXPECT_EQ(ExportIntoScoreFile(settings, board.clock, state, buffer).outcome, SaveResult::kSaved);
  EXPECT_EQ(folder.Read("LEXFRAY.ISC").size(), 5 * kCompetitionRecordSize);
}

// On a file system without locks a player's own copy, which one copy at a time plays, goes
// on; a shared installation, which other accounts play at the same moment, does not.
TEST_F(FileFaultsTest, AFileSystemWithoutLocksServesOnlyAPlayersOwnCopy) {
  ArmFault({Fault::kNoLocks, 1});
  SaveTotal("ANNA", 5400);
  EXPECT_EQ(TotalOf("ANNA"), 5400);
  settings.installation = {true, 1001, "ann", false, "root"};
  ExpectBoxAndAccept("takes no locks");
  SaveTotal("ANNA", 5500);
  EXPECT_EQ(TotalOf("ANNA"), 5400);
}

// The changes waiting in a spool; a kill may leave temporary files (hidden) beside them.
int Changes(const std::string& spool) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(spool))
    count += !entry.path().filename().string().starts_with(".");
  return count;
}

// A copy killed at any step of applying the spool leaves the changes waiting or applied,
// never both: every reader meanwhile, and the file once the next holder has finished, hold
// each change exactly once.
TEST_F(FileFaultsTest, AKillAtEveryStepOfApplyingTheSpoolCountsEachChangeOnce) {
  settings.installation = {true, 1001, "ann", false, "root"};
  folder.Write("LEXFRAY.OWN", "1001 ANNA\n1002 BOB\n");
  std::string players = FileBytes(), owners = folder.Read("LEXFRAY.OWN");
  // Changes kept while a stopped copy held the file: a start, a new name, two totals.
  auto keep = [&] {
    std::optional<FileLock> held = FileLock::Take(folder.PathOf("LEXFRAY.USR"), board.clock);
    PlayLimits limits = InitialPlayLimits(settings);
    StartGameRecord(board.io, settings, limits, buffer, kAnna);
    StartGameRecord(board.io, settings, limits, buffer, "ERIC                          ");
    board.terminal.Key(kKeyEnter).Key(kKeyEnter);  // the two SCORE KEPT boxes
    SaveTotal("ANNA", 5600);
    SaveTotal("ERIC", 300);
  };
  keep();
  std::string spool = folder.PathOf(".LEXFRAY.USR.spool");
  ASSERT_EQ(Changes(spool), 4);
  std::vector<std::uint8_t> expected = lexfray::ReadPlayerFile(folder.path(), nullptr)->image.records;
  std::string expectedOwners = lexfray::ReadPlayerFile(folder.path(), nullptr)->image.owners.Bytes();

  for (int step = 1;; ++step) {
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
      ArmFault({Fault::kKill, step});
      testing::FakeClock clock;
      SavePlayerChange({folder.path(), false}, clock, std::nullopt);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    bool killed = WEXITSTATUS(status) == monkey::kKilledStatus;
    std::optional<PlayerFileView> seen = lexfray::ReadPlayerFile(folder.path(), nullptr);
    ASSERT_TRUE(seen) << "step " << step;
    EXPECT_EQ(seen->image.records, expected) << "what readers see after a kill at step " << step;
    SaveResult next = SavePlayerChange({folder.path(), false}, board.clock, std::nullopt);
    EXPECT_EQ(next.outcome, SaveResult::kSaved) << "the next holder: " << next.reason;
    EXPECT_EQ(lexfray::ReadPlayerFile(folder.path(), nullptr)->image.records, expected) << "step " << step;
    EXPECT_EQ(std::string(expected.begin(), expected.end()), FileBytes()) << "step " << step;
    EXPECT_EQ(folder.Read("LEXFRAY.OWN"), expectedOwners) << "step " << step;
    EXPECT_EQ(Changes(spool), 0) << "step " << step;
    if (!killed || ::testing::Test::HasFailure()) {
      EXPECT_GT(step, 10) << "the kills reach into the commit, not only its making";
      break;
    }
    // The same spool again for the next step.
    folder.Write("LEXFRAY.USR", players);
    folder.Write("LEXFRAY.OWN", owners);
    keep();
  }
}

}  // namespace
}  // namespace lexfray::testing
