// The saved files through failing reads and writes: nothing saved is lost, and a write
// that fails is told. The failures are injected below the file layer (file_faults.h).
#include <filesystem>

#include "../players/players_fixture.h"
#include "config/constants.h"
#include "league/score_export.h"
#include "monkey/file_faults.h"
#include "players/backup.h"
#include "players/game_start.h"
#include "players/top_players.h"

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

TEST_F(FileFaultsTest, AFullDiskKeepsEveryWholeRecordOfTheFile) {
  std::string before = FileBytes();
  ArmFault({Fault::kDiskFull, 1});
  ExpectBoxAndAccept("could not be written");
  Start("DAVE                          ");
  EXPECT_EQ(FileBytes(), before) << "a full disk takes no new record";
  ExpectBoxAndAccept("could not be written");
  SaveTotal("ANNA", 5100);
  EXPECT_EQ(TotalOf("ANNA"), 5100) << "a record in place is rewritten without new room";
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
                      StartFaultCase{"AFailedRead", Fault::kFailRead, "read to its end",
                                     StartOutcome::kEndProgram},
                      StartFaultCase{"AFileThatDoesNotOpen", Fault::kFailOpen, "GAME NOT STARTED",
                                     StartOutcome::kNotStarted}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileFaultsTest, ABackupOntoAFullDiskIsToldAndKeepsTheOldBackup) {
  folder.Write("LEXFRAY.BKP", "old backup");
  WriteRecords({Player("BOB", 700), Player("ANNA", 6000)});
  ArmFault({Fault::kDiskFull, 1});
  board.terminal.Then([](const Screen&) {});  // the notice waits on the clock, not on a key
  BackupPlayerFile(board.io, settings, kProgramCode);
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), "old backup");
  int leftOver = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    leftOver += entry.path().filename().string().starts_with(".lexfray-copy-");
  EXPECT_EQ(leftOver, 0) << "no half copy is left behind";
  EXPECT_GT(monkey::TakeFileEvents().writesFailed, 0);
}

// A name taken on a full disk: the line that went in part and the torn line a crash left
// before it are both cut away, and no game starts on a name that is nobody's.
TEST_F(FileFaultsTest, ANameTakenOnAFullDiskLeavesNoTornLine) {
  settings.installation = {true, 1001, "ann", false, "root"};
  folder.Write("LEXFRAY.OWN", "1002 BOB\n1003 CARO");
  ArmFault({Fault::kDiskFull, 1});
  ExpectBoxAndAccept(" GAME NOT STARTED ");
  EXPECT_EQ(Start().outcome, StartOutcome::kNotStarted);
  EXPECT_EQ(folder.Read("LEXFRAY.OWN"), "1002 BOB\n");
  EXPECT_GT(monkey::TakeFileEvents().writesFailed, 0);
  monkey::DisarmFaults();
  EXPECT_EQ(Start().outcome, StartOutcome::kPlay);
  EXPECT_EQ(folder.Read("LEXFRAY.OWN"), "1002 BOB\n1001 ANNA\n");
}

// The score file is shared with the other sites: an entry that could not be appended must
// not leave a gap of zero bytes that the next append would turn into a record.
TEST_F(FileFaultsTest, AFailedAppendToTheScoreFileLeavesNoGap) {
  Configure("5", true);
  CompetitionEntry other;
  other.site = "Far Away" + std::string(27, ' ');
  other.player = "ZED" + std::string(22, ' ');
  CompetitionRecordBytes header = EncodeCompetitionHeader(CompetitionHeader{});
  CompetitionRecordBytes entry = EncodeCompetitionEntry(other);
  std::string file(header.begin(), header.end());
  file.append(entry.begin(), entry.end());
  folder.Write("LEXFRAY.ISC", file);

  ArmFault({Fault::kFailWrite, 2});  // the header goes, the first new entry does not
  CompetitionState state;
  EXPECT_TRUE(ExportIntoScoreFile(settings, state, buffer).has_value());
  std::string after = folder.Read("LEXFRAY.ISC");
  EXPECT_EQ(after.size(), file.size()) << "nothing is appended after a failed append";
  EXPECT_EQ(after.substr(kCompetitionRecordSize), file.substr(kCompetitionRecordSize));

  EXPECT_FALSE(ExportIntoScoreFile(settings, state, buffer).has_value()) << "the next export";
  EXPECT_EQ(folder.Read("LEXFRAY.ISC").size(), 5 * kCompetitionRecordSize);
}

}  // namespace
}  // namespace lexfray::testing
