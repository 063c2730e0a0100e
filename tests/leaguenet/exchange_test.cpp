#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "platform/record_fields.h"
#include "test_league.h"

namespace lexfray::testing {
namespace {

std::string Today() {
  return ThisMonth() + "-05";
}

// Every text field of an entry, for the check that nothing unprintable got in.
bool PrintableRecord(const CompetitionRecordBytes& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bool binary = i >= entry_layout::kScore && i < entry_layout::kGameCode;
    if (!binary && (bytes[i] < ' ' || bytes[i] > '~')) return false;
  }
  return true;
}

// A player's name goes to the league in full, as the login list shows it, where the score
// file holds its first 25 characters: the entry sent before under those stays one entry, and
// the other sites' files take the name back cut to their 25.
TEST(Exchange, TwoSitesEachHoldBothSitesEntriesWithTheLeaderInTheHeader) {
  const std::string carolina = "CAROLINA VON HOHENSTAUFEN-BERG";
  TestLeague league;
  TestSite north(league, "North", "NTH");
  TestSite south(league, "SOUTH", "STH");
  std::vector<CompetitionEntry> northEntries = {
      GameEntry("North", "ANNA", 300, Today(), 4), GameEntry("North", "BOB", 150, Today(), 2),
      GameEntry("north", carolina.substr(0, 25), 75, Today(), 1)};
  north.WriteScoreFile(northEntries);
  south.WriteScoreFile({GameEntry("South", "DORA", 900, Today(), 9),
                        GameEntry("South", "EVE", 50, Today(), 1),
                        GameEntry("South", "FRED", 20, Today(), 1)});
  ScoreFile northAsWritten = north.ScoreFile();
  std::filesystem::path marker = north.CompetitionFolder() + "GOLN";
  std::ofstream(marker).close();

  for (const TestSite* site : {&north, &south, &north, &south}) {
    CommandResult run = site->Exchange();
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // As a player file of before, with names cut as the entries have them, had it; then whole.
    north.WritePlayers({{"ANNA", LastPlayed(northEntries[0])},
                        {"BOB", LastPlayed(northEntries[1])},
                        {carolina, LastPlayed(northEntries[2])}});
  }
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_EQ(league.Sql("SELECT string_agg(player, ',' ORDER BY player) FROM league.entries"
                       " WHERE site = 'NORTH'")[0][0],
            "ANNA,BOB," + carolina);

  ScoreFile file = north.ScoreFile();
  ASSERT_EQ(file.entries.size(), 6u);
  for (std::size_t i = 0; i < 3; ++i) {  // the game's bytes, but for the league's loc
    CompetitionRecordBytes expected = northAsWritten.entries[i];
    fields::PutText(expected, entry_layout::kLoc, 3, "NTH");
    EXPECT_EQ(file.entries[i], expected) << i;
  }
  std::vector<std::string> others;
  for (std::size_t i = 3; i < 6; ++i) {
    CompetitionEntry entry = EntryAt(file, i);
    others.push_back(Trimmed(entry.player));
    EXPECT_EQ(Trimmed(entry.site), "SOUTH");
    EXPECT_EQ(entry.loc, "STH");
    EXPECT_EQ(entry.lastDate, Today());
  }
  EXPECT_EQ(others, (std::vector<std::string>{"DORA", "EVE", "FRED"}));
  EXPECT_EQ(EntryAt(file, 3).score, 900);
  EXPECT_EQ(EntryAt(file, 3).plays, "    9");
  CompetitionHeader header = HeaderOf(file);
  EXPECT_EQ(Trimmed(header.beatName), "DORA");
  EXPECT_EQ(Trimmed(header.beatSite), "SOUTH");
  EXPECT_EQ(header.beatScore, 900);
  EXPECT_EQ(header.headerCode, "01");
  EXPECT_EQ(header.programVersion, " 1.6 ");

  ScoreFile southFile = south.ScoreFile();
  ASSERT_EQ(southFile.entries.size(), 6u);
  EXPECT_EQ(Trimmed(EntryAt(southFile, 3).player), "ANNA");
  EXPECT_EQ(EntryAt(southFile, 5).player, carolina.substr(0, 25));
  EXPECT_EQ(EntryAt(southFile, 3).loc, "NTH");
  EXPECT_EQ(Trimmed(HeaderOf(southFile).beatName), "DORA");

  // A second exchange adds nothing and changes nothing.
  std::string before = north.ScoreFileBytes();
  ASSERT_EQ(north.Exchange().exitCode, 0);
  EXPECT_EQ(north.ScoreFileBytes(), before);
  EXPECT_EQ(league.Sql("SELECT count(*) FROM league.entries")[0][0], "6");
}

// Forged entries of another site stay home; an own entry that no game writes is refused by
// the league, which keeps the rest, and leads nothing.
TEST(Exchange, AForgedEntryOfAnotherSiteStaysHomeAndAnImpossibleOneIsRefused) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite south(league, "SOUTH", "STH");
  south.WriteScoreFile({GameEntry("SOUTH", "DORA", 900, Today(), 9)});
  ASSERT_EQ(south.Exchange().exitCode, 0);
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, Today(), 4),
                        GameEntry("SOUTH", "MALLORY", 99999, Today(), 1),
                        GameEntry("NORTH", "CHEAT", 1e9, Today(), 1),
                        GameEntry("SOUTH", "DORA", 1, Today(), 1)});
  CommandResult run = north.Exchange();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("1 entries sent, 1 refused by the league as no entry of the game"),
            std::string::npos)
      << run.out;

  EXPECT_TRUE(
      league.Sql("SELECT 1 FROM league.entries WHERE player IN ('MALLORY', 'CHEAT')").empty());
  EXPECT_EQ(league.Sql("SELECT score FROM league.entries WHERE player = 'DORA'")[0][0], "900");
  ScoreFile file = north.ScoreFile();
  ASSERT_EQ(file.entries.size(), 3u);
  EXPECT_EQ(Trimmed(EntryAt(file, 1).player), "CHEAT");  // the file keeps its own entries
  EXPECT_EQ(Trimmed(EntryAt(file, 2).player), "DORA");
  EXPECT_EQ(EntryAt(file, 2).score, 900);
  EXPECT_EQ(Trimmed(HeaderOf(file).beatName), "DORA");

  EXPECT_EQ(league.Sql("SELECT count(*) FROM league.entries")[0][0], "2");
}

TEST(Exchange, EntriesOfLastMonthAreNeitherSentNorShown) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite south(league, "SOUTH", "STH");
  std::string lastMonth =
      "date_trunc('month', league.utc_now())::date - interval '1 month'";
  league.Sql(
      "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code) VALUES"
      " (" +
      lastMonth + ", 'SOUTH', 'DORA', 7000, '" + LastMonth() +
      "-20', '9', 'LEXFRAY0'),"
      " (date_trunc('month', league.utc_now()), 'SOUTH', 'EVE', 100, '" +
      Today() + "', '1', 'LEXFRAY0')");
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, Today(), 4),
                        GameEntry("NORTH", "OLD", 5000, LastMonth() + "-28", 30),
                        GameEntry("SOUTH", "DORA", 7000, LastMonth() + "-20", 9)});
  CommandResult run = north.Exchange();
  ASSERT_EQ(run.exitCode, 0) << run.err;

  EXPECT_EQ(league.Sql("SELECT string_agg(player, ',' ORDER BY player) FROM league.entries"
                       " WHERE month = date_trunc('month', league.utc_now())")[0][0],
            "ANNA,EVE");
  ScoreFile file = north.ScoreFile();
  ASSERT_EQ(file.entries.size(), 3u);
  EXPECT_EQ(Trimmed(EntryAt(file, 1).player), "OLD");  // this site's own, kept as it was
  EXPECT_EQ(Trimmed(EntryAt(file, 2).player), "EVE");
  EXPECT_EQ(Trimmed(HeaderOf(file).beatName), "ANNA");
  EXPECT_EQ(HeaderOf(file).beatScore, 300);

  CommandResult table = RunProgram(
      LeaguenetProgram(), {"leaguenet", "standings", "--config", south.SettingsPath()}, "/");
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_NE(table.out.find("ANNA"), std::string::npos) << table.out;
  EXPECT_EQ(table.out.find("DORA"), std::string::npos) << table.out;
  EXPECT_EQ(table.out.find("OLD"), std::string::npos) << table.out;
}

TEST(Exchange, HostileLeagueRowsNeverReachTheFileRaw) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  // An organiser's server without the checks, and rows that the checks would refuse.
  for (const auto& constraint :
       league.Sql("SELECT conrelid::regclass, conname FROM pg_constraint"
                  " WHERE contype = 'c' AND connamespace = 'league'::regnamespace"))
    league.Sql("ALTER TABLE " + constraint[0] + " DROP CONSTRAINT " + constraint[1]);
  league.Sql("INSERT INTO league.sites VALUES ($1, $2, 'nobody1'), ($3, 'LNG', 'nobody2')",
             {"EVIL\x1b[2J\x07", "\x01\x1b\x7f", std::string(80, 'L')});
  std::string month = "date_trunc('month', league.utc_now())";
  std::string insert =
      "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code) VALUES "
      "(" +
      month + ", $1, $2, $3::float8, $4, $5, $6)";
  std::string evil = "EVIL\x1b[2J\x07";
  std::string longSite(80, 'L');
  league.Sql(insert, {evil, "NAN", "NaN", Today(), "1", "X"});
  league.Sql(insert, {evil, "INF", "Infinity", Today(), "1", "X"});
  league.Sql(insert, {evil, "NEGATIVE", "-50", Today(), "1", "X"});
  league.Sql(insert, {evil, "HUGE", "1e300", Today(), "1", "X"});
  league.Sql(insert, {evil, "\x1b]0;owned\x07" + std::string(60, 'P'), "500", "\x1b[1m",
                      "\x08\x08\x08\x08\x08\x08", "\x7f\x7f"});
  league.Sql(insert, {longSite, "LONG", "400", Today(), "123456789", "LEXFRAY0LEXFRAY0"});
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, Today(), 4)});

  CommandResult run = north.Exchange();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ScoreFile file = north.ScoreFile();
  ASSERT_EQ(file.entries.size(), 3u);  // NaN, infinite, negative and huge scores are dropped
  for (std::size_t i = 1; i < file.entries.size(); ++i)
    EXPECT_TRUE(PrintableRecord(file.entries[i])) << i;
  CompetitionEntry owned = EntryAt(file, 1);
  EXPECT_EQ(owned.score, 500);
  EXPECT_EQ(owned.player, "?]0;owned?" + std::string(15, 'P'));
  EXPECT_EQ(owned.site, "EVIL?[2J?" + std::string(26, ' '));
  EXPECT_EQ(owned.loc, "???");
  EXPECT_EQ(EntryAt(file, 2).site, std::string(35, 'L'));
  EXPECT_EQ(EntryAt(file, 2).plays, "12345");
  CompetitionHeader header = HeaderOf(file);
  EXPECT_EQ(header.beatScore, 500);
  EXPECT_EQ(header.beatName, owned.player);
  EXPECT_EQ(header.beatSite, owned.site);
}

}  // namespace
}  // namespace lexfray::testing

namespace lexfray::testing {
namespace {

// A site five hours west of UTC exchanges at 23:30 on 31 January 2026, when the league's clock
// says 1 February: its players' January totals go to January. A January entry of a player who
// last played a year earlier does not.
TEST(ExchangeMonth, IsTheSitesOwnLocalMonthAndYear) {
  TestLeague league;
  TestSite west(league, "WEST", "WST");
  std::tm moment{};
  moment.tm_year = 2026 - 1900;
  moment.tm_mon = 1;
  moment.tm_mday = 1;
  moment.tm_hour = 4;
  moment.tm_min = 30;
  std::time_t at = timegm(&moment);
  league.SetClock(at);
  west.WriteScoreFile({GameEntry("WEST", "ANNA", 900, "01-31", 12),
                       GameEntry("WEST", "OLD", 5000, "01-15", 40)});
  west.WritePlayers({{"ANNA", "01-31-26"}, {"OLD", "01-15-25"}});
  {
    ScopedVariable zone("TZ", "EST5");
    CommandResult run = west.ExchangeAt(at);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("1 entries sent"), std::string::npos) << run.out;
  }
  EXPECT_EQ(league.Sql("SELECT month, player, score FROM league.entries")[0],
            (std::vector<std::string>{"2026-01-01", "ANNA", "900"}));

  // The same moment in UTC is February: nothing of January goes, and February's table is empty.
  ScopedVariable zone("TZ", "UTC0");
  CommandResult february = west.ExchangeAt(at);
  ASSERT_EQ(february.exitCode, 0) << february.err;
  EXPECT_NE(february.out.find("0 entries sent"), std::string::npos) << february.out;
  EXPECT_EQ(league.Sql("SELECT count(*) FROM league.entries")[0][0], "1");
}

TEST(ExchangeSiteName, ThatTheLeagueDoesNotKnowLeavesTheFileAndSaysWhatToChange) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  north.WriteScoreFile({GameEntry("North Pole Club", "ANNA", 300, ThisMonth() + "-05", 4)});
  std::string before = north.ScoreFileBytes();
  CommandResult run = north.Exchange();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "leaguenet: " + north.ScoreFilePath() +
                         ": its entries are of site North Pole Club, none of NORTH as the league "
                         "registered this site; make line 1 of LEXFRAY.CFG read NORTH\n");
  EXPECT_EQ(north.ScoreFileBytes(), before);
  north.SetLeague(north.League(), "folder = " + north.ProgramFolder() + "\n");
  CommandResult check = RunProgram(
      LeaguenetProgram(), {"leaguenet", "check", "--config", north.SettingsPath()}, "/");
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_NE(check.out.find("FAIL  LEXFRAY.ISC: 1 entries: its entries are of site North Pole "
                           "Club, none of NORTH"),
            std::string::npos)
      << check.out;

  // Blanks before the name are no part of it, as add-site took them off.
  north.WriteScoreFile({GameEntry("  North", "ANNA", 300, ThisMonth() + "-05", 4)});
  run = north.Exchange();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("1 entries sent"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace lexfray::testing
