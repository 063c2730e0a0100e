// The players of a shared installation: names that belong to accounts, a fair share of them
// each, the administrator's backup and restore, the monthly fresh start that only goes
// forward, a game's total that finds its file started afresh, and a player file that a
// stopped copy holds.
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/file_lock.h"
#include "platform/record_fields.h"
#include "players/backup.h"
#include "players/game_start.h"
#include "players/login.h"
#include "players/name_owners.h"
#include "players/top_players.h"
#include "players_fixture.h"
#include "support/snapshot.h"

namespace lexfray::testing {
namespace {

constexpr std::uint32_t kAnn = 1001;
constexpr std::uint32_t kBen = 1002;

class SharedPlayersTest : public PlayersTest {
 protected:
  SharedPlayersTest() { PlayAs(kAnn); }
  void PlayAs(std::uint32_t uid, bool administrator = false) {
    settings.installation = {true, uid, "user" + std::to_string(uid), administrator, "root"};
  }
  GameStart Start(std::string_view name) {
    PlayLimits limits = InitialPlayLimits(settings);
    return StartGameRecord(board.io, settings, limits, buffer, VisitName(name));
  }
  std::string Owners() const { return folder.Read("LEXFRAY.OWN"); }
};

TEST_F(SharedPlayersTest, ANameIsTheAccountsThatFirstPlaysItAndNobodyElses) {
  WriteRecords({Player("ANNA", 500), Player("BOB", 700)});  // made before owners were kept
  EXPECT_EQ(Start("anna").outcome, StartOutcome::kPlay);
  EXPECT_EQ(Owners(), "1001 ANNA\n");

  PlayAs(kBen);
  std::string before = FileBytes();
  ExpectBoxAndAccept("belongs to another account");
  EXPECT_EQ(Start("Anna").outcome, StartOutcome::kNotStarted);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(Start("BOB").outcome, StartOutcome::kPlay);
  EXPECT_EQ(Owners(), "1001 ANNA\n1002 BOB\n");

  // The login already refuses a listed name and a typed one that are another's.
  board.terminal.Key(kKeyEnter);  // ANNA, first in the list
  ExpectBoxAndAccept(" NAME TAKEN ");
  EXPECT_EQ(PlayerLogin(board.io, settings, buffer), "");
  board.terminal.Key(kKeyEnd).Key(kKeyEnter).Type("anna").Key(kKeyEnter);
  ExpectBoxAndAccept(" NAME TAKEN ");
  EXPECT_EQ(PlayerLogin(board.io, settings, buffer), "");
  board.terminal.Key(kKeyDown).Key(kKeyEnter);
  EXPECT_EQ(PlayerLogin(board.io, settings, buffer), "BOB");
  EXPECT_TRUE(board.terminal.ScriptDone());
}

TEST_F(SharedPlayersTest, OwnershipOutlivesTheMonthlyFreshStart) {
  SetNow(2026, 11, 30);
  WriteRecords({Player("ANNA", 500, 9, "11-29-26", 1, "11")});
  Start("ANNA");
  SetNow(2026, 12, 1);
  PlayAs(kBen);
  Start("BEN");  // the first game of December empties the file
  ASSERT_EQ(ReadRecords().size(), 1u);
  ExpectBoxAndAccept(" NAME TAKEN ");
  EXPECT_EQ(Start("ANNA").outcome, StartOutcome::kNotStarted);
  EXPECT_EQ(ReadRecords().size(), 1u);
}

// The owners' file takes odd bytes of old names, writes over a line a crash left torn,
// and refuses a new name once full, saying so.
TEST_F(SharedPlayersTest, TheOwnersFileKeepsEveryNameWhole) {
  folder.Write("LEXFRAY.OWN", "1002 BOB\n1003 CAR");
  WriteRecords({Player("50% \x01Z", 5)});
  EXPECT_EQ(Start("50% \x01z").outcome, StartOutcome::kPlay);
  EXPECT_EQ(Owners(), "1002 BOB\n1001 50%25 %01Z\n");
  NameOwners owners(Owners());
  EXPECT_EQ(owners.OwnerOf("50% \x01Z"), kAnn);
  EXPECT_EQ(owners.OwnerOf("CAR"), std::nullopt);
}

struct NewPlayerCase {
  const char* name;
  std::function<void(const TempFolder& folder, Installation& account)> prepare;
  const char* told;  // nothing for a new player who plays
};

class NewPlayersBeforeTheGame : public SharedPlayersTest,
                                public ::testing::WithParamInterface<NewPlayerCase> {};

std::string NamesOf(std::uint32_t account, int count, const std::string& stem = "N") {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += std::to_string(account) + " " + stem + std::to_string(i) + "\n";
  return lines;
}

// A new player who cannot have a record this month is refused before playing, told why and
// who can act; nothing is claimed, nothing written. Otherwise the name is claimed with its
// record.
TEST_P(NewPlayersBeforeTheGame, AreRefusedWithTheReasonOrClaimTheirName) {
  GetParam().prepare(folder, settings.installation);
  std::string players = FileBytes(), owners = Owners();
  if (*GetParam().told) ExpectBoxAndAccept(GetParam().told);
  GameStart start = Start("NEWCOMER");
  EXPECT_TRUE(board.terminal.ScriptDone());
  if (*GetParam().told) {
    EXPECT_EQ(start.outcome, StartOutcome::kNotStarted);
    EXPECT_EQ(FileBytes(), players);
    EXPECT_EQ(Owners(), owners);
    EXPECT_FALSE(folder.Exists(".LEXFRAY.USR.spool/key-name-4e4557434f4d4552")) << "no claim waits";
    return;
  }
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(Owners(), owners + std::to_string(settings.installation.uid) + " NEWCOMER\n");
  EXPECT_EQ(ComparableName(ReadRecords().back().name), "NEWCOMER");
}

INSTANTIATE_TEST_SUITE_P(
    Limits, NewPlayersBeforeTheGame,
    ::testing::Values(
        NewPlayerCase{"FiveNamesAreAnAccountsShare",
                      [](const TempFolder& folder, Installation&) { folder.Write("LEXFRAY.OWN", NamesOf(kAnn, 5)); },
                      "the 5 names"},
        NewPlayerCase{"FourLeaveRoomForAFifth",
                      [](const TempFolder& folder, Installation&) {
                        folder.Write("LEXFRAY.OWN", NamesOf(kAnn, 4) + NamesOf(kBen, 9, "B"));
                      },
                      ""},
        NewPlayerCase{"TheAdministratorSetsAnotherNumber",
                      [](const TempFolder& folder, Installation&) {
                        folder.Write("LEXFRAY.NPA", "2\n");
                        folder.Write("LEXFRAY.OWN", NamesOf(kAnn, 2));
                      },
                      "the 2 names"},
        NewPlayerCase{"TheAdministratorHasNoShare",
                      [](const TempFolder& folder, Installation& account) {
                        account.administrator = true;
                        folder.Write("LEXFRAY.OWN", NamesOf(kAnn, 50));
                      },
                      ""},
        NewPlayerCase{"AFullPlayerFileIsFullForTheMonth",
                      [](const TempFolder& folder, Installation&) {
                        std::vector<PlayerRecord> players;
                        for (int i = 0; i < kMostPlayers; ++i)
                          players.push_back(Player("P" + std::to_string(i), 1));
                        WritePlayerFile(folder, players);
                      },
                      "is full for"},
        NewPlayerCase{"AFullOwnersFileTakesNoNewName",
                      [](const TempFolder& folder, Installation&) {
                        folder.Write("LEXFRAY.OWN", NamesOf(7, static_cast<int>(kMostOwnedNames)));
                      },
                      "LEXFRAY.OWN is full"},
        // The claim goes in first; the record cannot: the claim is taken back.
        NewPlayerCase{"ARecordThatCannotBeWrittenTakesTheClaimBack",
                      [](const TempFolder& folder, Installation&) {
                        WritePlayerFile(folder, {Player("BOB", 5)});
                        std::filesystem::permissions(folder.PathOf("LEXFRAY.USR"),
                                                     std::filesystem::perms::owner_read);
                      },
                      "is read-only"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SharedPlayersTest, AOneAccountInstallationKeepsNoOwners) {
  settings.installation.shared = false;
  WriteRecords({Player("ANNA", 500)});
  EXPECT_EQ(Start("ANNA").outcome, StartOutcome::kPlay);
  settings.installation.uid = kBen;
  EXPECT_EQ(Start("ANNA").outcome, StartOutcome::kPlay);
  EXPECT_FALSE(folder.Exists("LEXFRAY.OWN"));
}

struct BackupCase {
  const char* name;
  bool shared;
  bool administrator;
  bool allowed;
};

class BackupBelongsToTheAdministrator : public SharedPlayersTest,
                                        public ::testing::WithParamInterface<BackupCase> {};

TEST_P(BackupBelongsToTheAdministrator, OthersAreToldWhoAndHow) {
  settings.installation.shared = GetParam().shared;
  settings.installation.administrator = GetParam().administrator;
  WriteRecords({Player("ANNA", 500)});
  std::string players = FileBytes();
  folder.Write("LEXFRAY.BKP", RecordBytes(Player("BOB", 5)));
  std::string backup = folder.Read("LEXFRAY.BKP");
  for (auto copy : {&RestorePlayerFile, &BackupPlayerFile}) {
    if (!GetParam().allowed) ExpectBoxAndAccept("sudo lexfray");
    copy(board.io, settings, "LEXFRAY");
    EXPECT_TRUE(board.terminal.ScriptDone());
  }
  EXPECT_EQ(FileBytes(), GetParam().allowed ? backup : players);
  EXPECT_EQ(folder.Read("LEXFRAY.BKP"), backup);
}

INSTANTIATE_TEST_SUITE_P(Accounts, BackupBelongsToTheAdministrator,
                         ::testing::Values(BackupCase{"APlayer", true, false, false},
                                           BackupCase{"TheAdministrator", true, true, true},
                                           BackupCase{"OneAccountInstallation", false, false,
                                                      true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ResetCase {
  const char* name;
  const char* startMonth;
  const char* lastPlayed;
  LocalTime now;
  bool due;
};

class MonthlyResetDirection : public PlayersTest,
                              public ::testing::WithParamInterface<ResetCase> {};

// The file's month is record 1's startMonth in the year of its lastPlayed; only a later
// month starts it afresh.
TEST_P(MonthlyResetDirection, OnlyALaterMonthStartsTheFileAfresh) {
  PlayLimits limits = InitialPlayLimits(settings);
  PlayerRecord first = Player("ANNA", 5, 1, GetParam().lastPlayed, 1, GetParam().startMonth);
  EXPECT_EQ(MonthlyResetDue(settings, limits, first, GetParam().now), GetParam().due);
}

INSTANTIATE_TEST_SUITE_P(
    Months, MonthlyResetDirection,
    ::testing::Values(
        ResetCase{"TheNextMonth", "11", "11-30-26", {2026, 12, 1, 10, 0, 0, 0}, true},
        ResetCase{"TheNextYear", "12", "12-31-26", {2027, 1, 1, 10, 0, 0, 0}, true},
        ResetCase{"AFollowOnGamePastTheNewYear", "12", "01-01-27", {2027, 1, 5, 10, 0, 0, 0}, true},
        ResetCase{"AClockSetBack", "12", "12-01-26", {2026, 11, 30, 10, 0, 0, 0}, false},
        ResetCase{
            "AZoneAheadDatedTheFileTomorrow", "01", "01-01-27", {2026, 12, 31, 10, 0, 0, 0}, false},
        ResetCase{"AYearSetBack", "12", "12-05-26", {2025, 11, 5, 10, 0, 0, 0}, false},
        ResetCase{"AcrossTheCentury", "12", "12-31-99", {2100, 1, 1, 10, 0, 0, 0}, true},
        ResetCase{"ADateWithoutAYear", "12", "        ", {2027, 1, 5, 10, 0, 0, 0}, true},
        ResetCase{"AStartMonthThatIsNoMonth", "x1", "12-01-26", {2026, 12, 5, 10, 0, 0, 0}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SharedPlayersTest, AGamesTotalIsNotWrittenIntoAFileStartedAfreshSinceItBegan) {
  WriteRecords(
      {Player("BEN", 0, 1, "12-01-26", 1, "12"), Player("ANNA", 500, 9, "12-01-26", 1, "12")});
  std::string before = FileBytes();
  bool movedOn = false;
  ExpectBoxAndAccept(" SCORE NOT SAVED ");
  TablePass(board.io, settings, buffer, TableWriteBack{VisitName("ANNA"), 900, "11"}, &movedOn);
  EXPECT_TRUE(movedOn);
  EXPECT_EQ(FileBytes(), before);

  movedOn = false;
  TablePass(board.io, settings, buffer, TableWriteBack{VisitName("ANNA"), 900, "12"}, &movedOn);
  EXPECT_FALSE(movedOn);
  EXPECT_EQ(ReadRecords().at(1).totalScore, 900);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

// A copy that holds the player file and is stopped there loses nobody's game: a start and a
// game over that find it held past the lock's wait (on the clock) go into the spool, the
// player is told the score is kept, everybody is shown it at once, and the next holder
// applies it once.
TEST_F(SharedPlayersTest, AFileHeldByAStoppedCopyKeepsEveryGameAndCountsItOnce) {
  WriteRecords({Player("ANNA", 500, 1, "12-06-26"), Player("BOB", 700)});
  std::string before = FileBytes();
  std::optional<FileLock> held = FileLock::Take(folder.PathOf("LEXFRAY.USR"), board.clock);
  ASSERT_TRUE(held);
  EXPECT_EQ(Start("ANNA").outcome, StartOutcome::kPlay);
  ExpectBoxAndAccept(" SCORE KEPT ");
  TablePass(board.io, settings, buffer, TableWriteBack{VisitName("ANNA"), 900, "12"});
  EXPECT_TRUE(board.terminal.ScriptDone());
  EXPECT_EQ(FileBytes(), before);
  EXPECT_GE(board.clock.sleptMs(), 2 * kLockWaitMs);
  TopPlayers shown = TablePass(board.io, settings, buffer, std::nullopt);
  EXPECT_EQ(shown.front().score, 900);

  held.reset();
  EXPECT_EQ(Start("BOB").outcome, StartOutcome::kPlay);  // the next holder applies the spool
  std::vector<PlayerRecord> after = ReadRecords();
  EXPECT_EQ(after[0].totalScore, 900);
  EXPECT_EQ(after[0].monthGames, 2);
  EXPECT_EQ(after[1].monthGames, 2);
  EXPECT_TRUE(std::filesystem::is_empty(folder.PathOf(".LEXFRAY.USR.spool")));
  EXPECT_EQ(Start("BOB").outcome, StartOutcome::kPlay);
  EXPECT_EQ(ReadRecords()[0].monthGames, 2) << "applied once";
}

}  // namespace
}  // namespace lexfray::testing
