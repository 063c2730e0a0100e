#include <gtest/gtest.h>

#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>

#include "commands/command_line.h"
#include "exchange/exchange_plan.h"
#include "exchange/site_players.h"
#include "platform/record_fields.h"
#include "players/player_file.h"
#include "players/player_record.h"
#include "rules/league_settings.h"
#include "rules/safe_text.h"

namespace lexfray::leaguenet {
namespace {

CompetitionRecordBytes Entry(const std::string& site, const std::string& player, double score,
                             const std::string& lastDate, const std::string& loc = "   ") {
  CompetitionEntry entry;
  entry.site = site;
  entry.player = player;
  entry.score = score;
  entry.gameCode = "LEXFRAY0";
  entry.lastDate = lastDate;
  entry.status = " ";
  entry.loc = loc;
  entry.plays = "    7";
  entry.filler = std::string(41, ' ');
  entry.reservedTail.fill(0xAB);  // bytes the exchange must carry through unread
  return EncodeCompetitionEntry(entry);
}

// The players of a player file (LEXFRAY.USR) as the exchange takes them for March 2026, each
// given with the day it last played, MM-DD-YY.
MonthPlayers PlayersOfMarch(const std::vector<std::pair<std::string, std::string>>& players) {
  std::vector<std::uint8_t> file;
  for (const auto& [name, played] : players) {
    PlayerRecord record;
    record.name = name;
    record.name.resize(PlayerRecord::kNameWidth, ' ');
    record.lastPlayed = played;
    PlayerRecordBytes bytes = EncodePlayerRecord(record);
    file.insert(file.end(), bytes.begin(), bytes.end());
  }
  return PlayersOfMonth(file, {2026, 3});
}

LeagueRow Row(const std::string& site, const std::string& player, const std::string& score) {
  return {site, "STH", player, score, "12-01", "3", "LEXFRAY0"};
}

bool AllPrintable(const std::string& text) {
  for (char c : text)
    if (c < ' ' || c > '~') return false;
  return true;
}

TEST(LeagueSettings, KeysValuesCommentsAndDefaults) {
  SettingsReading reading = ParseSettings(
      "# a site\n\n  league = host=db.example dbname=league password=a=b  "
      "\r\nfolder=/var/games/lexfray/\n");
  ASSERT_TRUE(reading.settings) << reading.error;
  EXPECT_EQ(reading.settings->league, "host=db.example dbname=league password=a=b");
  EXPECT_EQ(reading.settings->folder, "/var/games/lexfray/");
  EXPECT_EQ(reading.settings->others, 2000);
  EXPECT_EQ(reading.settings->timeoutSeconds, 20);

  reading = ParseSettings("\xEF\xBB\xBFleague = service=north\nothers = 50\ntimeout = 5\n");
  ASSERT_TRUE(reading.settings) << reading.error;
  EXPECT_EQ(reading.settings->league, "service=north");
  EXPECT_EQ(reading.settings->leagueLine, 1);
  EXPECT_EQ(reading.settings->others, 50);
  EXPECT_EQ(reading.settings->timeoutSeconds, 5);
}

TEST(LeagueSettings, EveryMistakeIsNamedWithItsLine) {
  EXPECT_EQ(ParseSettings("league = x\ncolour = red\n").error, "line 2: unknown key 'colour'");
  EXPECT_EQ(ParseSettings("league x\n").error, "line 1: expected key = value");
  EXPECT_EQ(ParseSettings("league = x\n\ntimeout = 0\n").error,
            "line 3: timeout must be from 1 to 600 seconds");
  EXPECT_EQ(ParseSettings("league = x\ntimeout = 20s\n").error,
            "line 2: timeout must be from 1 to 600 seconds");
  EXPECT_EQ(ParseSettings("others = -1\nleague = x\n").error,
            "line 1: others must be a whole number from 1 to 5000: the score file keeps room "
            "for the site's own 5000 players");
  EXPECT_EQ(ParseSettings("league = x\nothers = 5001\n").error,
            "line 2: others must be a whole number from 1 to 5000: the score file keeps room "
            "for the site's own 5000 players");
  EXPECT_EQ(ParseSettings("league = x\nothers = 5000\n").settings->others, 5000);
  EXPECT_EQ(ParseSettings("league = host=a\n# later\nleague =\n").error,
            "line 3: league is given twice");
  EXPECT_EQ(ParseSettings("folder = /a\nleague = x\nfolder = /b\n").error,
            "line 3: folder is given twice");
  EXPECT_EQ(ParseSettings("league =\n").error, "line 1: league needs a value");
  EXPECT_EQ(ParseSettings("# nothing\nfolder = /x\n").error,
            "no league given (league = connection string)");
  EXPECT_FALSE(ParseSettings("").settings);
}

TEST(LeagueSettings, LookedForBesideTheCommandThenSystemWide) {
  EXPECT_EQ(SettingsCandidates("", "/QuillonHomeSoftware/LeagueNet/LeagueNet.exe"),
            (std::vector<std::string>{"/QuillonHomeSoftware/LeagueNet/leaguenet.conf",
                                      "/etc/lexfray/leaguenet.conf"}));
  EXPECT_EQ(SettingsCandidates("", "leaguenet"),
            (std::vector<std::string>{"/etc/lexfray/leaguenet.conf"}));
  EXPECT_EQ(SettingsCandidates("/tmp/my.conf", "/x/LeagueNet.exe"),
            (std::vector<std::string>{"/tmp/my.conf"}));
}

TEST(SafeText, OnlyPrintableAsciiCutToItsField) {
  EXPECT_EQ(PrintableText("A\x1b[2J\x07\x7f\xff Z", 10), "A?[2J??? Z");
  EXPECT_EQ(PrintableText("ABCDEF", 3), "ABC");
  EXPECT_EQ(TrimmedPrintable("ANNA \t  ", 25), "ANNA ?");
  EXPECT_EQ(TrimmedPrintable("ANNA     ", 25), "ANNA");
  for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), -1.0, 1e12, -0.5,
                     -0.0, 12.5, 917476001.0})
    EXPECT_FALSE(IsSaneScore(bad)) << bad;
  for (double good : {0.0, 1234.0, 917476000.0}) EXPECT_TRUE(IsSaneScore(good)) << good;
}

TEST(LeagueRows, HostileRowsAreRefusedOrMadeHarmless) {
  for (const char* score :
       {"NaN", "Infinity", "-Infinity", "-5", "1e300", "", "12abc", "0x10", "-0", "1e12", "0.5"})
    EXPECT_FALSE(EntryFromLeagueRow(Row("SOUTH", "EVE", score))) << score;
  EXPECT_FALSE(EntryFromLeagueRow(Row("   ", "EVE", "5")));
  EXPECT_FALSE(EntryFromLeagueRow(Row("SOUTH", "", "5")));

  LeagueRow row = {std::string(60, 'S') + "\x1b",
                   "\x07\x08\x09\x0a",
                   "EVE\x1b[31m" + std::string(40, 'E'),
                   "1234",
                   "\x01\x02-03\x04",
                   "123456789",
                   "\x1b]0;pwned\x07"};
  std::optional<CompetitionEntry> entry = EntryFromLeagueRow(row);
  ASSERT_TRUE(entry);
  CompetitionRecordBytes bytes = EncodeCompetitionEntry(*entry);
  std::string text(bytes.begin(), bytes.begin() + entry_layout::kScore);
  text += std::string(bytes.begin() + entry_layout::kGameCode, bytes.end());
  EXPECT_TRUE(AllPrintable(text));
  EXPECT_EQ(entry->site, std::string(35, 'S'));
  EXPECT_EQ(entry->player, "EVE?[31m" + std::string(17, 'E'));
  EXPECT_EQ(entry->loc, "???");
  EXPECT_EQ(entry->plays, "12345");
  EXPECT_EQ(entry->score, 1234);

  std::optional<CompetitionEntry> plain = EntryFromLeagueRow(Row("SOUTH", "EVE", "900"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->plays, "    3");
  EXPECT_EQ(plain->site, "SOUTH" + std::string(30, ' '));
}

// Whether an entry is one the game can write is the league's to say: a NaN or negative
// score goes up as the file holds it. A name goes up in full when the entry's, cut to its 25
// characters, is one player's of the month; two of the month share the entry and its name.
TEST(ExchangePlan, OnlyThisSitesEntriesOfTheMonthGoUpOncePerPlayerNamedInFull) {
  const std::string cut = "ALEXANDRA CONSTANTINOPOLO";  // 25 characters
  SiteIdentity north{"NORTH", "NTH"};
  ScoreFile file;
  file.entries = {Entry("North", "ANNA", 300, "03-15"),
                  Entry("SOUTH", "MALLORY", 9999, "03-15"),
                  Entry("NORTH  ", "OLD", 500, "02-28"),
                  Entry("NORTH", "anna", 1, "03-16"),
                  Entry("NORTH", "BAD", std::nan(""), "03-01"),
                  Entry("NORTH", "NEG", -3, "03-01"),
                  Entry("NORTH", "WEIRD", 5, "3-1  "),
                  Entry("NORTH", "B\"O\\B", 42, "03-02"),
                  Entry("NORTHERN", "X", 1, "03-02"),
                  Entry("NORTH", "VICTORIA MAXIMILIANA VON ", 70, "03-03"),
                  Entry("NORTH", cut, 80, "03-04")};
  MonthPlayers players = PlayersOfMarch({{"ANNA", "03-15-26"},
                                         {"OLD", "03-01-26"},
                                         {"BAD", "03-01-26"},
                                         {"NEG", "03-01-26"},
                                         {"WEIRD", "03-01-26"},
                                         {"B\"O\\B", "03-02-26"},
                                         {"X", "03-02-26"},
                                         {"VICTORIA MAXIMILIANA VON HAAG", "03-03-26"},
                                         {"VICTORIA MAXIMILIANA VON ZELL", "03-09-25"},
                                         {cut + "POULOS", "03-04-26"},
                                         {cut + "S", "03-05-26"},
                                         {"NEWCOMER", "02-27-26"}});
  std::vector<Upload> uploads = UploadsFrom(file, north, {2026, 3}, players);
  ASSERT_EQ(uploads.size(), 6u);
  EXPECT_EQ(uploads[0].player, "ANNA");
  EXPECT_EQ(uploads[0].score, 300);
  EXPECT_EQ(uploads[0].lastDate, "03-15");
  EXPECT_EQ(uploads[0].plays, "7");
  EXPECT_EQ(uploads[0].gameCode, "LEXFRAY0");
  EXPECT_EQ(uploads[1].player, "BAD");
  EXPECT_EQ(uploads[2].score, -3);
  EXPECT_EQ(uploads[3].player, "B\"O\\B");
  EXPECT_EQ(uploads[4].player, "VICTORIA MAXIMILIANA VON HAAG");
  EXPECT_EQ(uploads[5].player, cut);
  EXPECT_EQ(players.count("NEWCOMER"), 0u);
  EXPECT_EQ(MonthOf("12-31"), 12);
  EXPECT_EQ(MonthOf("13-01"), 0);
  EXPECT_EQ(MonthOf("00-01"), 0);
}

TEST(ExchangePlan, TheNewFileKeepsOwnBytesTakesTheLeaguesOthersAndNamesTheLeader) {
  SiteIdentity north{"NORTH", "NTH"};
  CompetitionHeader header;
  header.headerCode = "00";
  header.beatName = "No Score-To-Beat As Yet";
  header.programVersion = " 1.6";
  header.reservedTail.fill(0x5A);
  ScoreFile file;
  file.header = EncodeCompetitionHeader(header);
  file.entries = {Entry("SOUTH", "STALE", 5, "03-01", "STH"), Entry("North", "ANNA", 300, "03-15"),
                  Entry("NORTH", "OLD", 50000, "02-15")};
  std::vector<Upload> sent = UploadsFrom(
      file, north, {2026, 3}, PlayersOfMarch({{"ANNA", "03-15-26"}, {"OLD", "03-01-26"}}));
  std::vector<LeagueRow> others = {Row("SOUTH", "DORA", "900"), Row("EAST", "NAN", "NaN"),
                                   Row("NORTH", "IMPOSTOR", "5"), Row("SOUTH", "EVE", "50")};

  ScoreFile merged = MergedScoreFile(file, north, sent, others);
  ASSERT_EQ(merged.entries.size(), 4u);
  CompetitionRecordBytes anna = file.entries[1];
  fields::PutText(anna, entry_layout::kLoc, 3, "NTH");
  EXPECT_EQ(merged.entries[0], anna);  // every other byte as the game wrote it
  EXPECT_EQ(DecodeCompetitionEntry(merged.entries[1]).player,
            "OLD" + std::string(22, ' '));  // kept, not sent
  EXPECT_EQ(DecodeCompetitionEntry(merged.entries[2]).player.substr(0, 4), "DORA");
  EXPECT_EQ(DecodeCompetitionEntry(merged.entries[3]).loc, "STH");

  CompetitionHeader after = DecodeCompetitionHeader(*merged.header);
  EXPECT_EQ(after.headerCode, "01");
  EXPECT_EQ(after.beatName, "DORA" + std::string(21, ' '));
  EXPECT_EQ(after.beatSite, "SOUTH" + std::string(30, ' '));
  EXPECT_EQ(after.beatScore, 900);
  EXPECT_EQ(after.programVersion, " 1.6 ");
  EXPECT_EQ(after.reservedTail, header.reservedTail);

  ScoreFile alone = MergedScoreFile(ScoreFile{}, north, {}, {});
  CompetitionHeader empty = DecodeCompetitionHeader(*alone.header);
  EXPECT_EQ(empty.beatName, "No Score-To-Beat As Yet  ");
  EXPECT_EQ(empty.beatScore, 0);
  EXPECT_TRUE(alone.entries.empty());
}

TEST(ScoreFileReading, APartialRecordAtTheEndIsLeftOut) {
  std::vector<std::uint8_t> bytes(251 * 3 + 100, 'x');
  ScoreFile file = ParseScoreFile(bytes);
  EXPECT_TRUE(file.header);
  EXPECT_EQ(file.entries.size(), 2u);
  EXPECT_EQ(ScoreFileBytes(file).size(), 251u * 3);
  EXPECT_FALSE(ParseScoreFile(std::vector<std::uint8_t>(250)).header);
}

// The exchange reads the player file with the game's own reader and limit: a file the game
// refuses is refused here too, with the same reason.
TEST(PlayerFileReading, BothProgramsTakeFiveThousandPlayersAndRefuseOneMore) {
  std::string pattern = (std::filesystem::temp_directory_path() / "lexfray-players-XXXXXX").string();
  ASSERT_TRUE(::mkdtemp(pattern.data()));
  std::string folder = pattern + "/";
  PlayerRecord record;
  record.lastPlayed = "12-07-26";
  for (int count : {5000, 5001}) {
    std::ofstream file(folder + "LEXFRAY.USR", std::ios::binary | std::ios::trunc);
    for (int i = 0; i < count; ++i) {
      record.name = "PLAYER " + std::to_string(i);
      record.name.resize(30, ' ');
      PlayerRecordBytes bytes = EncodePlayerRecord(record);
      file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    file.close();
    std::string game, exchange;
    std::optional<PlayerFileView> view = ReadPlayerFile(folder, &game);
    std::optional<MonthPlayers> players = PlayersOfThisMonth(folder, {2026, 12}, &exchange);
    EXPECT_EQ(view.has_value(), count == 5000) << count;
    EXPECT_EQ(players.has_value(), count == 5000) << count;
    if (count == 5000) {
      EXPECT_EQ(players->size(), 5000u);
      continue;
    }
    EXPECT_EQ(game, folder + "LEXFRAY.USR is too large: more than 5000 players");
    EXPECT_EQ(exchange, game);
  }
  std::filesystem::remove_all(folder);
}

TEST(CommandLineReading, CommandsOptionsAndMistakes) {
  CommandLine line = ParseCommandLine({"/x/LeagueNet.exe"});
  EXPECT_EQ(line.command, Command::kExchange);
  EXPECT_EQ(line.invocation.invokedAs, "/x/LeagueNet.exe");
  EXPECT_EQ(line.invocation.root, "/");

  line = ParseCommandLine(
      {"leaguenet", "add-site", "--db=host=a dbname=b", "--site", "North", "--loc", "NTH"});
  EXPECT_EQ(line.command, Command::kAddSite);
  EXPECT_EQ(line.invocation.database, "host=a dbname=b");
  EXPECT_EQ(line.invocation.site, "North");
  EXPECT_EQ(line.invocation.loc, "NTH");

  EXPECT_EQ(ParseCommandLine({"leaguenet", "enable", "--root", "/tmp/r"}).invocation.root,
            "/tmp/r/");
  line = ParseCommandLine({"leaguenet", "check-server", "--db", "dbname=league", "--repair"});
  EXPECT_EQ(line.command, Command::kCheckServer);
  EXPECT_TRUE(line.invocation.repair);
  EXPECT_EQ(ParseCommandLine({"leaguenet", "check", "--help"}).command, Command::kHelp);
  EXPECT_EQ(ParseCommandLine({"leaguenet", "--version"}).command, Command::kVersion);
  EXPECT_EQ(ParseCommandLine({"leaguenet", "frobnicate"}).error,
            "unknown command or option 'frobnicate'");
  EXPECT_EQ(ParseCommandLine({"leaguenet", "standings", "--config"}).error,
            "--config needs a value");
}

}  // namespace
}  // namespace lexfray::leaguenet
