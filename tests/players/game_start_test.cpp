#include "players/game_start.h"

#include "players_fixture.h"

namespace lexfray::testing {
namespace {

constexpr std::string_view kAnna = "ANNA                          ";

class GameStartTest : public PlayersTest {
 protected:
  GameStart Start(std::string_view name = kAnna) {
    return StartGameRecord(board.io, settings, limits, buffer, name);
  }
  void Reconfigure(std::string_view gamesPerDay, bool competition, std::string_view reset = "Y") {
    Configure(gamesPerDay, competition, reset);
    limits = InitialPlayLimits(settings);
  }

  PlayLimits limits = InitialPlayLimits(settings);
};

TEST_F(GameStartTest, TheFirstPlayerOfAnEmptyFileBecomesRecordOne) {
  SetNow(2008, 3, 15);
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(start.playerRecordNo, 1);
  EXPECT_EQ(start.playerTotal, 0);
  EXPECT_EQ(start.gamesCounted, 1);

  using namespace std::string_literals;
  std::string expected = "03"s + std::string(kAnna) + std::string(8, '\0') + "\x01\x00"s +
                         "03-15-08"s + "\x01\x00"s + "Y"s + std::string(80, '\0');
  ASSERT_EQ(expected.size(), 133u);
  EXPECT_EQ(FileBytes(), expected);
}

TEST_F(GameStartTest, ANewPlayerIsWrittenOverAPartialTail) {
  WriteRecords({Player("BOB"), Player("CAROL")});
  folder.Write("LEXFRAY.USR", FileBytes() + std::string(100, 'x'));
  ASSERT_EQ(FileBytes().size(), 366u);

  GameStart start = Start();
  EXPECT_EQ(start.playerRecordNo, 3);
  std::string bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 399u);
  EXPECT_EQ(bytes.substr(266, 2), "12");
  EXPECT_EQ(bytes.substr(268, 30), kAnna);
}

TEST_F(GameStartTest, ANewRecordKeepsTheReservedBytesOfTheLastRecordRead) {
  PlayerRecord bob = Player("BOB");
  bob.reserved.fill(0xAB);
  WriteRecords({Player("CAROL"), bob});
  Start();
  EXPECT_EQ(ReadRecords().at(2).reserved, bob.reserved);

  // With nothing read from the file the buffer's own bytes go in.
  folder.Remove("LEXFRAY.USR");
  buffer.reserved.fill(0x5C);
  Start();
  EXPECT_EQ(ReadRecords().at(0).reserved, buffer.reserved);
  EXPECT_EQ(ReadRecords().at(0).reserved[0], 0x5C);
}

TEST_F(GameStartTest, NamesMatchInAnyCaseAndTheFirstOfTwoRecordsWins) {
  WriteRecords({Player("BOB", 10), Player("anna  ", 500, 3, "12-01-26"), Player("ANNA", 900)});
  GameStart start = Start("ANNA");
  EXPECT_EQ(start.playerRecordNo, 2);
  EXPECT_EQ(start.playerTotal, 500);
  std::vector<PlayerRecord> records = ReadRecords();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1].monthGames, 4);
  EXPECT_EQ(records[2].monthGames, 1);
  EXPECT_EQ(buffer.name.substr(0, 6), "anna  ");  // the buffer holds the record it found
}

TEST_F(GameStartTest, SameDayBelowTheLimitCountsAnotherGameOfTheDay) {
  WriteRecords({Player("ANNA", 1234, 3, "12-07-26", 1)});
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(start.playerTotal, 1234);
  EXPECT_EQ(start.gamesCounted, 2);
  PlayerRecord record = ReadRecords().at(0);
  EXPECT_EQ(record.dayGames, 2);
  EXPECT_EQ(record.monthGames, 4);
  EXPECT_EQ(record.lastPlayed, "12-07-26");
  EXPECT_EQ(record.totalScore, 1234);
}

TEST_F(GameStartTest, ANewDayStartsTheDayCounterAgain) {
  WriteRecords({Player("ANNA", 70, 6, "12-05-26", 4)});
  GameStart start = Start();
  EXPECT_EQ(start.gamesCounted, 1);
  PlayerRecord record = ReadRecords().at(0);
  EXPECT_EQ(record.dayGames, 1);
  EXPECT_EQ(record.monthGames, 7);
  EXPECT_EQ(record.lastPlayed, "12-07-26");
}

TEST_F(GameStartTest, WithoutTheCompetitionADayAtItsLimitCountsAsANewDay) {
  Reconfigure("3", false);
  WriteRecords({Player("ANNA", 0, 9, "12-07-26", 3)});
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(ReadRecords().at(0).dayGames, 1);
  EXPECT_EQ(ReadRecords().at(0).monthGames, 10);
}

TEST_F(GameStartTest, TheAllowanceWithoutTheCompetitionFollowsTheDaysSoFar) {
  Reconfigure("3", false);
  SetNow(2026, 12, 10);
  WriteRecords({Player("ANNA", 0, 3, "12-10-26", 1)});
  Start();
  EXPECT_EQ(ReadRecords().at(0).monthGames, 4);
  EXPECT_EQ(ReadRecords().at(0).dayGames, 2);
  EXPECT_EQ(limits.gamesLimit, 29);  // 10 x 3 - 4 + 1 + 2, below the cap of 84
  EXPECT_EQ(limits.gamesLimitText, "29");
  EXPECT_TRUE(limits.allowanceComputed);
}

TEST_F(GameStartTest, ANewMonthEmptiesThePlayerFileWhoeverLogsIn) {
  WriteRecords(
      {Player("BOB", 900, 30, "11-30-26", 2, "11"), Player("ANNA", 500, 8, "11-29-26", 1, "11")});
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(start.playerRecordNo, 1);
  EXPECT_EQ(start.playerTotal, 0);
  std::vector<PlayerRecord> records = ReadRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].name, kAnna);
  EXPECT_EQ(records[0].startMonth, "12");
  EXPECT_EQ(records[0].totalScore, 0);
  EXPECT_EQ(records[0].monthGames, 1);
  EXPECT_EQ(board.clock.sleeps(), std::vector<int>{5000});  // the maintenance notice
}

TEST_F(GameStartTest, TheMonthlyResetIsOffWithNAndNeverRunsForAFollowOnGame) {
  std::vector<PlayerRecord> lastMonth = {Player("ANNA", 500, 8, "11-29-26", 1, "11")};
  Reconfigure("5", false, "N");
  WriteRecords(lastMonth);
  GameStart start = Start();
  EXPECT_EQ(start.playerTotal, 500);
  EXPECT_EQ(ReadRecords().at(0).monthGames, 9);  // not cleared with the reset off
  EXPECT_EQ(ReadRecords().at(0).startMonth, "11");

  Reconfigure("5", false, " N");  // a blank before the N leaves the reset on...
  limits.followOnGame = true;     // ...but a follow-on game never resets
  WriteRecords(lastMonth);
  Start();
  EXPECT_EQ(ReadRecords().size(), 1u);
  EXPECT_EQ(ReadRecords().at(0).totalScore, 500);
  EXPECT_TRUE(board.clock.sleeps().empty());
}

TEST_F(GameStartTest, TheCompetitionAllowsTheMonthsDaysTimesGamesPlusOne) {
  Reconfigure("5", true);
  SetNow(2026, 11, 20);  // November: 30 days
  WriteRecords({Player("ANNA", 800, 150, "11-19-26", 5, "11")});
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(start.gamesCounted, 151);
  EXPECT_EQ(limits.gamesLimit, 151);
  EXPECT_EQ(limits.gamesLimitText, "151");
}

TEST_F(GameStartTest, AStartBeyondTheMonthsAllowanceIsCountedAndTakenBack) {
  Reconfigure("5", true);
  SetNow(2026, 11, 20);
  WriteRecords({Player("ANNA", 800, 151, "11-20-26", 2, "11")});
  ExpectBoxAndAccept("MAXIMUM GAMES PLAYED");
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kLimitReached);
  EXPECT_EQ(start.playerTotal, 800);
  PlayerRecord record = ReadRecords().at(0);
  EXPECT_EQ(record.monthGames, 151);
  EXPECT_EQ(record.dayGames, 2);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

TEST_F(GameStartTest, TheSameDayRetryLetsThroughAPlayerAtTheConfiguredDailyCount) {
  Reconfigure("5", true);
  SetNow(2026, 11, 20);
  WriteRecords({Player("ANNA", 0, 20, "11-20-26", 5, "11")});
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_TRUE(limits.retryDone);
  EXPECT_EQ(ReadRecords().at(0).dayGames, 6);
  EXPECT_EQ(ReadRecords().at(0).monthGames, 21);
  EXPECT_EQ(start.gamesCounted, 21);
}

TEST_F(GameStartTest, ARefusedRetryWritesNothing) {
  Reconfigure("5", true);
  SetNow(2026, 11, 20);
  WriteRecords({Player("ANNA", 0, 200, "11-20-26", 200, "11")});
  std::string before = FileBytes();
  ExpectBoxAndAccept("MAXIMUM GAMES PLAYED");
  EXPECT_EQ(Start().outcome, StartOutcome::kLimitReached);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_FALSE(limits.retryDone);

  // Once the retry has been used, the day's limit refuses at once.
  limits = {5, "5", true, true, true};
  WriteRecords({Player("ANNA", 0, 20, "11-20-26", 5, "11")});
  before = FileBytes();
  ExpectBoxAndAccept("MAXIMUM GAMES PLAYED");
  EXPECT_EQ(Start().outcome, StartOutcome::kLimitReached);
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(GameStartTest, FebruaryOfALeapYearHasTwentyNineDays) {
  Reconfigure("5", true);
  SetNow(2008, 2, 10);
  Start();
  EXPECT_EQ(limits.gamesLimit, 146);

  SetNow(2100, 2, 10);  // not a leap year: divisible by 100, not by 400
  limits = InitialPlayLimits(settings);
  Start();
  EXPECT_EQ(limits.gamesLimit, 141);
}

TEST_F(GameStartTest, NoGameBeginsInTheLastTwentyMinutesOfAMonth) {
  Reconfigure("5", true);
  SetNow(2027, 1, 31, 23, 39, 59);
  EXPECT_EQ(Start().outcome, StartOutcome::kPlay);

  folder.Remove("LEXFRAY.USR");
  SetNow(2027, 1, 31, 23, 40, 0);
  ExpectBoxAndAccept("END of MONTH NOTICE!!");
  EXPECT_EQ(Start().outcome, StartOutcome::kEndProgram);
  EXPECT_FALSE(HasPlayerFile());

  SetNow(2027, 1, 30, 23, 50, 0);
  EXPECT_EQ(Start().outcome, StartOutcome::kPlay);
  SetNow(2020, 2, 28, 23, 50, 0);  // 2020 is a leap year: the 29th is the last day
  EXPECT_EQ(Start().outcome, StartOutcome::kPlay);
  SetNow(2020, 2, 29, 23, 50, 0);
  ExpectBoxAndAccept("END of MONTH NOTICE!!");
  EXPECT_EQ(Start().outcome, StartOutcome::kEndProgram);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

TEST_F(GameStartTest, TheEndOfMonthRuleIsOnlyForTheCompetition) {
  SetNow(2027, 1, 31, 23, 50, 0);
  EXPECT_EQ(Start().outcome, StartOutcome::kPlay);
}

TEST_F(GameStartTest, CountersStopAtTheirLargestValue) {
  WriteRecords({Player("ANNA", 0, 32767, "12-06-26", 32767)});
  GameStart start = Start();
  EXPECT_EQ(ReadRecords().at(0).monthGames, 32767);
  EXPECT_EQ(ReadRecords().at(0).dayGames, 1);
  EXPECT_EQ(start.gamesCounted, 1);

  Reconfigure("32767", true);  // 32767 x 31 + 1 does not fit 16 bits
  Start();
  EXPECT_EQ(limits.gamesLimit, 32767);
}

TEST_F(GameStartTest, AReadOnlyPlayerFileIsToldOnceAndPlayGoesOn) {
  WriteRecords({Player("BOB")});
  MakeReadOnly("LEXFRAY.USR");
  std::string before = FileBytes();
  ExpectBoxAndAccept("PLAYER FILE NOT SAVED");
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(start.playerRecordNo, 2);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

TEST_F(GameStartTest, AnUndoThatCannotBeWrittenIsNotToldTwice) {
  Reconfigure("5", true);
  SetNow(2026, 11, 20);
  WriteRecords({Player("ANNA", 0, 151, "11-20-26", 2, "11")});
  MakeReadOnly("LEXFRAY.USR");
  ExpectBoxAndAccept("PLAYER FILE NOT SAVED");
  ExpectBoxAndAccept("MAXIMUM GAMES PLAYED");
  EXPECT_EQ(Start().outcome, StartOutcome::kLimitReached);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

TEST_F(GameStartTest, AVanishedProgramFolderIsToldAndPlayGoesOn) {
  settings.programFolder = folder.PathOf("gone/");
  ExpectBoxAndAccept("PLAYER FILE NOT SAVED");
  GameStart start = Start();
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(start.gamesCounted, 1);
}

TEST_F(GameStartTest, TotalsThatAreNotNumbersStartFromZero) {
  WriteRecords({Player("ANNA", std::numeric_limits<double>::quiet_NaN())});
  EXPECT_EQ(Start().playerTotal, 0);
  WriteRecords({Player("ANNA", -std::numeric_limits<double>::infinity())});
  EXPECT_EQ(Start().playerTotal, 0);
  WriteRecords({Player("ANNA", 1e300)});
  EXPECT_EQ(Start().playerTotal, 1e300);
}

}  // namespace
}  // namespace lexfray::testing
