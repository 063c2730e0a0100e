#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include "players/game_start.h"
#include "players/login.h"
#include "players/player_file.h"
#include "players/top_players.h"
#include "players_fixture.h"
#include "support/snapshot.h"

namespace lexfray::testing {
namespace {

// What a damaged or foreign player file may hold must never crash the program or garble
// its screens.
class DamagedFileTest : public PlayersTest {};

TEST_F(DamagedFileTest, APartialTailIsIgnoredByEveryReader) {
  WriteRecords({Player("ANNA", 10), Player("BOB", 20)});
  folder.Write("LEXFRAY.USR", FileBytes() + "CAROL partial");
  EXPECT_EQ(LoginList(settings, buffer).size(), 3u);
  EXPECT_EQ(TablePass(board.io, settings, buffer, std::nullopt).size(), 2u);
  EXPECT_EQ(buffer.name.substr(0, 3), "BOB");
}

TEST_F(DamagedFileTest, TotalsThatAreNotSaneNumbersShowSanely) {
  double nan = std::numeric_limits<double>::quiet_NaN();
  double inf = std::numeric_limits<double>::infinity();
  WriteRecords({Player("NAN", nan), Player("INF", inf), Player("HUGE", 1e300), Player("WIDE", 1e18),
                Player("NEG", -inf), Player("OK", 50)});
  TopPlayers table = TablePass(board.io, settings, buffer, std::nullopt);
  std::vector<std::string> names;
  for (const TopPlayer& entry : table) names.push_back(entry.name.substr(0, entry.name.find(' ')));
  EXPECT_EQ(names, (std::vector<std::string>{"HUGE", "WIDE", "OK", "NAN", "INF", "NEG"}));

  board.terminal.Then([](const Screen& screen) {
    // The score column is 45 to 51 and the date starts at 59; a wider score pushes it on.
    EXPECT_TRUE(HasTextAt(screen, 7, 45, " 1e+300       12-07-26"));
    EXPECT_TRUE(HasTextAt(screen, 8, 45, " 1000000000000000000       12-07-26"));
    EXPECT_TRUE(HasTextAt(screen, 9, 45, "     50       12-07-26"));
    EXPECT_EQ(screen.RowText(10).find_first_not_of(' '), std::string::npos);
  });
  board.terminal.Key(kKeyEnter);
  ShowTopPlayers(board.io, table);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

TEST_F(DamagedFileTest, ATotalOfAnyWidthStaysOnItsRow) {
  WriteRecords({Player("FAR", 2.0712345678901234e272), Player("NEXT", 5)});
  board.terminal.Then([](const Screen& screen) {
    EXPECT_TRUE(HasTextAt(screen, 7, 45, " 2.0712345678901e+272       12-07-26"));
    EXPECT_TRUE(HasTextAt(screen, 8, 13, "NEXT"));
  });
  board.terminal.Key(kKeyEnter);
  ShowTopPlayers(board.io, TablePass(board.io, settings, buffer, std::nullopt));
}

// A player file of 40 GB (sparse: nothing on disk) is damaged beyond use: every pass reads
// it as empty at once, and no game starts on it, with the reason.
TEST_F(DamagedFileTest, AHugePlayerFileIsRefusedWithItsReasonAndLeftAlone) {
  WriteRecords({Player("ANNA", 10)});
  std::filesystem::resize_file(folder.PathOf("LEXFRAY.USR"), std::uintmax_t{40} << 30);
  EXPECT_EQ(LoginList(settings, buffer).size(), 1u);
  ExpectBoxAndAccept("PLAYER FILE NOT READ");
  EXPECT_TRUE(TablePass(board.io, settings, buffer, std::nullopt).empty());

  board.terminal.Then([](const Screen& screen) {
    EXPECT_NE(RowOf(screen, "GAME NOT STARTED"), 0);
    EXPECT_NE(RowOf(screen, "more than 5000 players"), 0) << Picture(screen);
  });
  board.terminal.Key(kKeyEnter);
  PlayLimits limits = InitialPlayLimits(settings);
  GameStart start = StartGameRecord(board.io, settings, limits, buffer, VisitName("ANNA"));
  EXPECT_EQ(start.outcome, StartOutcome::kNotStarted);
  EXPECT_TRUE(board.terminal.ScriptDone());
  EXPECT_EQ(std::filesystem::file_size(folder.PathOf("LEXFRAY.USR")), std::uintmax_t{40} << 30);
  std::ifstream file(folder.PathOf("LEXFRAY.USR"), std::ios::binary);
  std::string head(6, '\0');
  file.read(head.data(), 6);
  EXPECT_EQ(head.substr(2), "ANNA");
}

// A full player file takes no new player: one record more would make every later opening
// refuse the whole file as damaged. The player is told before the game, not after it.
TEST_F(DamagedFileTest, AFullPlayerFileTakesNoNewPlayerAndStaysReadable) {
  std::vector<PlayerRecord> players(static_cast<std::size_t>(kMostPlayers), Player("OLD", 10));
  for (std::size_t i = 0; i < players.size(); ++i) players[i] = Player("P" + std::to_string(i), 10);
  WriteRecords(players);
  std::uintmax_t fullSize = std::filesystem::file_size(folder.PathOf("LEXFRAY.USR"));

  board.terminal.Then([](const Screen& screen) {
    EXPECT_NE(RowOf(screen, "GAME NOT STARTED"), 0);
    EXPECT_NE(RowOf(screen, "is full for"), 0) << Picture(screen);
  });
  board.terminal.Key(kKeyEnter);
  PlayLimits limits = InitialPlayLimits(settings);
  GameStart start = StartGameRecord(board.io, settings, limits, buffer, VisitName("NEWCOMER"));
  EXPECT_EQ(start.outcome, StartOutcome::kNotStarted);
  EXPECT_TRUE(board.terminal.ScriptDone());
  EXPECT_EQ(std::filesystem::file_size(folder.PathOf("LEXFRAY.USR")), fullSize);
  EXPECT_EQ(TablePass(board.io, settings, buffer, std::nullopt).size(), players.size());
}

TEST_F(DamagedFileTest, NamesWithControlBytesStayInsideTheirColumn) {
  WriteRecords({Player("\x1b]0;evil\x07\r\n\t\x08x", 100)});
  board.terminal.Then([](const Screen& screen) {
    EXPECT_EQ(screen.At(7, 13).ch, 0x1B);
    EXPECT_TRUE(HasTextAt(screen, 7, 43, "      100       12-07-26"));
    EXPECT_EQ(screen.RowText(8).find_first_not_of(' '), std::string::npos);
  });
  board.terminal.Key(kKeyEnter);
  ShowTopPlayers(board.io, TablePass(board.io, settings, buffer, std::nullopt));
}

TEST_F(DamagedFileTest, RandomBytesPassThroughEveryOperation) {
  std::mt19937 random(2026);
  for (int round = 0; round < 40; ++round) {
    std::string bytes(random() % 3000, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    if (round % 2 == 0 && bytes.size() >= 2) bytes.replace(0, 2, "12");  // no monthly reset
    folder.Write("LEXFRAY.USR", bytes);
    PlayLimits limits = InitialPlayLimits(settings);
    Configure("5", round % 3 == 0);
    for (int i = 0; i < 40; ++i) board.terminal.Key(kKeyEnter);
    LoginList(settings, buffer);
    StartGameRecord(board.io, settings, limits, buffer, VisitName("ANNA"));
    ShowTopPlayers(board.io,
                   TablePass(board.io, settings, buffer, TableWriteBack{VisitName("ANNA"), 7, {}}));
  }
}

TEST_F(DamagedFileTest, APlayerFileThatCannotBeDeletedIsResetOnceAndKept) {
  std::filesystem::create_directory(folder.PathOf("locked"));
  settings.programFolder = folder.PathOf("locked/");
  folder.Write("locked/probe", "");
  folder.Write("locked/LEXFRAY.USR", RecordBytes(Player("BOB", 900, 3, "11-30-26", 1, "11")));
  std::filesystem::permissions(folder.PathOf("locked"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  std::error_code error;
  if (std::filesystem::remove(folder.PathOf("locked/probe"), error))
    GTEST_SKIP() << "this user may delete files in a folder without write permission";

  PlayLimits limits = InitialPlayLimits(settings);
  ExpectBoxAndAccept("MONTHLY MAINTENANCE");
  GameStart start = StartGameRecord(board.io, settings, limits, buffer, VisitName("BOB"));
  EXPECT_EQ(start.outcome, StartOutcome::kPlay);
  EXPECT_EQ(start.playerTotal, 900);
  EXPECT_EQ(board.clock.sleeps(), std::vector<int>{5000});
  std::filesystem::permissions(folder.PathOf("locked"), std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace lexfray::testing
