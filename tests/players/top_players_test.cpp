#include "players/top_players.h"

#include <cmath>
#include <limits>
#include <random>

#include "players/total_score.h"
#include "players_fixture.h"
#include "support/snapshot.h"

namespace lexfray::testing {
namespace {

constexpr std::string_view kAnna = "ANNA                          ";

std::vector<std::string> ListedNames(const Screen& screen) {
  std::vector<std::string> names;
  for (int row = 6; row <= 19; ++row) {
    std::string name = TextAt(screen, row, 13, 42);
    if (name.find_first_not_of(' ') != std::string::npos)
      names.push_back(name.substr(0, name.find_last_not_of(' ') + 1));
  }
  return names;
}

class TopPlayersTest : public PlayersTest {
 protected:
  TopPlayers ViewPass() { return TablePass(board.io, settings, buffer, std::nullopt); }
  TopPlayers WritingPass(std::string_view name, double total) {
    return TablePass(board.io, settings, buffer, TableWriteBack{name, total, {}});
  }
  // Shows the table; each page's names are collected when its prompt waits.
  bool Show(const TopPlayers& table, std::vector<std::vector<std::string>>& pages,
            std::string_view answers) {
    for (char answer : answers) {
      board.terminal.Then([&pages](const Screen& screen) { pages.push_back(ListedNames(screen)); });
      board.terminal.Key(answer == 'E' ? int{'E'} : int{kKeyEnter});
    }
    return ShowTopPlayers(board.io, table);
  }
};

TEST_F(TopPlayersTest, HigherScoresRankFirstAndEqualScoresKeepTheirRecordOrder) {
  WriteRecords({Player("FIRST", 500), Player("SECOND", 900), Player("THIRD", 500)});
  TopPlayers table = ViewPass();
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0].name.substr(0, 6), "SECOND");
  EXPECT_EQ(table[1].name.substr(0, 5), "FIRST");
  EXPECT_EQ(table[2].name.substr(0, 5), "THIRD");
}

TEST_F(TopPlayersTest, TheSortGivesTheOrderOfTheExchangeSortOnEveryInput) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    TopPlayers table;
    int size = static_cast<int>(random() % 40);
    for (int i = 0; i < size; ++i)
      table.push_back({std::to_string(i), static_cast<double>(random() % 6) * 100 - 100, ""});
    TopPlayers expected = table;
    for (std::size_t pass = 1; pass + 1 <= expected.size(); ++pass)
      for (std::size_t j = expected.size() - 1; j >= pass; --j)
        if (expected[j].score > expected[j - 1].score) std::swap(expected[j], expected[j - 1]);
    SortTopPlayers(table);
    for (std::size_t i = 0; i < table.size(); ++i)
      ASSERT_EQ(table[i].name, expected[i].name) << round;
  }
}

TEST_F(TopPlayersTest, TheListingStopsAtAZeroScoreOrADottedName) {
  WriteRecords(
      {Player("ZERO", 0), Player("ANNA", 300), Player("..HIDDEN", 200), Player("LOW", 100)});
  std::vector<std::vector<std::string>> pages;
  EXPECT_FALSE(Show(ViewPass(), pages, "\r"));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], std::vector<std::string>{"ANNA"});

  WriteRecords({Player("ZERO", 0), Player("NONE", 0)});
  pages.clear();
  Show(ViewPass(), pages, "\r");
  EXPECT_TRUE(pages[0].empty());
  EXPECT_NE(RowOf(board.terminal.shown(), "Press [ENTER] to Continue"), 0);
}

TEST_F(TopPlayersTest, TwentyPlayersFillTwoPages) {
  std::vector<PlayerRecord> records;
  for (int i = 1; i <= 20; ++i) records.push_back(Player("P" + std::to_string(i), 1000 - i));
  WriteRecords(records);
  std::vector<std::vector<std::string>> pages;
  EXPECT_FALSE(Show(ViewPass(), pages, "\r\r"));
  ASSERT_EQ(pages.size(), 2u);
  ASSERT_EQ(pages[0].size(), 13u);
  EXPECT_EQ(pages[0].front(), "P1");
  EXPECT_EQ(RowOf(board.terminal.shown(), "P14 "), 6);  // later pages start a row higher
  ASSERT_EQ(pages[1].size(), 7u);
  EXPECT_EQ(pages[1].back(), "P20");
  EXPECT_TRUE(board.terminal.ScriptDone());
}

TEST_F(TopPlayersTest, EAtThePagePromptEndsTheListingWithoutAnotherPrompt) {
  std::vector<PlayerRecord> records;
  for (int i = 1; i <= 20; ++i) records.push_back(Player("P" + std::to_string(i), 50));
  WriteRecords(records);
  std::vector<std::vector<std::string>> pages;
  EXPECT_TRUE(Show(ViewPass(), pages, "E"));
  EXPECT_EQ(pages.size(), 1u);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

TEST_F(TopPlayersTest, ThirteenPlayersAndOneMoreRecordGiveAnEmptySecondPage) {
  std::vector<PlayerRecord> records;
  for (int i = 1; i <= 13; ++i) records.push_back(Player("P" + std::to_string(i), 100));
  records.push_back(Player("LATE", 0));
  WriteRecords(records);
  std::vector<std::vector<std::string>> pages;
  Show(ViewPass(), pages, "\r\r");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].size(), 13u);
  EXPECT_TRUE(pages[1].empty());
  EXPECT_NE(RowOf(board.terminal.shown(), "LEX FRAY'S          TOP         PLAYERS"), 0);
}

TEST_F(TopPlayersTest, TheProgramsOwnRecordIsNeverListedNorWritten) {
  WriteRecords({Player("LEXFRAY", 99999), Player("ANNA", 10)});
  std::string own = FileBytes().substr(0, 133);
  TopPlayers table = WritingPass("LEXFRAY", 5);
  EXPECT_EQ(FileBytes().substr(0, 133), own);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].name.substr(0, 4), "ANNA");
  EXPECT_TRUE(table[1].name.empty());
  EXPECT_EQ(table[1].score, 0);
}

TEST_F(TopPlayersTest, AWritingPassStoresTheTotalInEveryMatchingRecord) {
  WriteRecords({Player("ANNA", 1), Player("BOB", 7), Player("anna ", 2)});
  TopPlayers table = WritingPass(kAnna, 4321);
  std::vector<PlayerRecord> records = ReadRecords();
  EXPECT_EQ(records[0].totalScore, 4321);
  EXPECT_EQ(records[1].totalScore, 7);
  EXPECT_EQ(records[2].totalScore, 4321);
  EXPECT_EQ(table[0].score, 4321);
  EXPECT_EQ(buffer.name.substr(0, 5), "anna ");  // the buffer holds the last record, as stored
  EXPECT_EQ(buffer.totalScore, 4321);

  WritingPass(kAnna, -50);
  EXPECT_EQ(ReadRecords()[0].totalScore, 0);
  WritingPass(kAnna, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(ReadRecords()[0].totalScore, 0);
}

TEST_F(TopPlayersTest, AViewOnlyPassWritesNothing) {
  WriteRecords({Player("ANNA", 1), Player("BOB", 7)});
  std::string before = FileBytes();
  ViewPass();
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(buffer.name.substr(0, 3), "BOB");
}

TEST_F(TopPlayersTest, AnEmptyOrMissingFileShowsTheHeaderAndThePrompt) {
  std::vector<std::vector<std::string>> pages;
  TopPlayers table = ViewPass();
  EXPECT_TRUE(table.empty());
  Show(table, pages, "\r");
  EXPECT_TRUE(pages[0].empty());
  EXPECT_TRUE(HasTextAt(board.terminal.shown(), 3, 13, "Player's Name"));
}

TEST_F(TopPlayersTest, AFailedWriteBackIsToldOnceForTheWholePass) {
  WriteRecords({Player("ANNA", 1), Player("ANNA", 2)});
  MakeReadOnly("LEXFRAY.USR");
  ExpectBoxAndAccept("PLAYER FILE NOT SAVED");
  TopPlayers table = WritingPass(kAnna, 300);
  EXPECT_TRUE(board.terminal.ScriptDone());
  EXPECT_EQ(ReadRecords()[0].totalScore, 1);
  ASSERT_EQ(table.size(), 2u);
  // The table shows what the file holds, not the total that was not kept.
  EXPECT_EQ(table[0].score, 2);
  EXPECT_EQ(table[1].score, 1);
  EXPECT_EQ(buffer.totalScore, 2);
}

TEST_F(TopPlayersTest, ThePageMatchesItsPicture) {
  WriteRecords({Player("ANNA", 1234, 3, "12-07-26"), Player("BOB", 987654, 9, "12-01-26"),
                Player("CAROL", 12345678, 2, "11-30-26")});
  board.terminal.Then(
      [](const Screen& screen) { EXPECT_EQ(GoldenDifference(screen, "top_players_page"), ""); });
  board.terminal.Key(kKeyEnter);
  ShowTopPlayers(board.io, ViewPass());
}

TEST(TotalText, ShowsTheSignPositionAndEveryDigit) {
  EXPECT_EQ(TotalText(1234), " 1234");
  EXPECT_EQ(TotalText(-5), "-5");
  EXPECT_EQ(TotalText(-0.0), " 0");
  EXPECT_EQ(TotalText(12345678), " 12345678");
  EXPECT_EQ(TotalText(1234.5), " 1234.5");
  EXPECT_EQ(TotalText(1e19), " 10000000000000000000");
  EXPECT_EQ(TotalText(1e300), " 1e+300");
  EXPECT_EQ(TotalText(-1.5e-300), "-1.5e-300");
  // Any total keeps the table line within the board: 21 characters at most.
  EXPECT_EQ(TotalText(2.0712345678901234e272), " 2.0712345678901e+272");
  EXPECT_EQ(TotalText(-1.7976931348623157e308), "-1.7976931348623e+308");
  EXPECT_EQ(TotalText(std::numeric_limits<double>::infinity()), " 0");
  EXPECT_EQ(TotalText(std::nan("")), " 0");
}

TEST(TableLine, AlignsTheScoreUnderItsLabel) {
  TopPlayer entry{"ANNA", 1234, "12-07-26"};
  std::string line = TableLine(entry);
  EXPECT_EQ(line, std::string(kAnna) + "     1234       12-07-26");
  EXPECT_EQ(line.find("1234") + 13, 48u);  // columns 48 to 51: it ends under "Score"
  EXPECT_EQ(TableLine({"BIG", 123456789, "01-01-26"}).substr(32), " 123456789       01-01-26");
}

}  // namespace
}  // namespace lexfray::testing
