// A site that turns against the league with its own credentials, in plain SQL: it reaches the
// tables through the league's functions alone, which refuse whatever no game writes, and it
// cannot hold up another site's exchange.
#include <gtest/gtest.h>

#include <future>
#include <memory>

#include "schema/league_schema.h"
#include "test_league.h"

namespace lexfray::testing {
namespace {

using leaguenet::PgConnection;

std::unique_ptr<PgConnection> ConnectAs(const TestSite& site, std::string* error) {
  return PgConnection::Open(site.League(), {}, leaguenet::Clock::now() + std::chrono::seconds(10),
                            error);
}

// The league's clock at the middle of June 2026, whatever the day the test runs.
void StopTheLeaguesClock(const TestLeague& league) {
  league.Sql(
      "CREATE OR REPLACE FUNCTION league.utc_now() RETURNS timestamp LANGUAGE sql STABLE"
      " SET search_path = pg_catalog, pg_temp AS $$ SELECT timestamp '2026-06-15 12:00' $$");
}

// count entries of players named player (numbered when more than one), each the same.
struct UploadCase {
  const char* what;
  const char* month;
  int count;
  const char* score;
  const char* lastDate;
  const char* player;
  const char* answer;  // the positions that the league left out, or words of its refusal
};

constexpr UploadCase kUploads[] = {
    {"100,000 rows at once", "2026-06-01", 100000, "100001", "06-10", "P", "at most 5000"},
    {"a score no month can reach", "2026-06-01", 1, "1e12", "06-10", "EVE", "{1}"},
    {"one point beyond the most", "2026-06-01", 1, "917476001", "06-10", "EVE", "{1}"},
    {"a fractional score", "2026-06-01", 1, "10.5", "06-10", "EVE", "{1}"},
    {"minus zero", "2026-06-01", 1, "-0", "06-10", "EVE", "{1}"},
    {"a negative score", "2026-06-01", 1, "-5", "06-10", "EVE", "{1}"},
    {"not a number", "2026-06-01", 1, "NaN", "06-10", "EVE", "{1}"},
    {"a blank name", "2026-06-01", 1, "5", "06-10", "   ", "{1}"},
    {"an unprintable name", "2026-06-01", 1, "5", "06-10", "E\x1b[2J", "{1}"},
    {"a date of another month", "2026-06-01", 1, "5", "07-01", "EVE", "{1}"},
    {"next month", "2026-07-01", 1, "900000000", "07-01", "EVE", "the month 2026-07 is not open"},
    {"last month", "2026-05-01", 1, "5", "05-31", "EVE", "the month 2026-05 is not open"},
    {"no first day", "2026-06-02", 1, "5", "06-10", "EVE", "is not open"},
    {"its own entries", "2026-06-01", 5000, "50", "06-10", "E", "{}"},
    {"one more than the game's players", "2026-06-01", 1, "50", "06-10", "EXTRA",
     "would leave 5001"},
};

std::string Upload(PgConnection& site, const UploadCase& upload) {
  std::string error;
  leaguenet::Rows answer;
  bool taken = site.Run(
      "SELECT league.upload($1::date,"
      " array(SELECT $5 || CASE WHEN $2::int > 1 THEN i::text ELSE '' END"
      "       FROM generate_series(1, $2::int) i),"
      " array_fill($3::float8, ARRAY[$2::int]), array_fill($4::text, ARRAY[$2::int]),"
      " array_fill('7'::text, ARRAY[$2::int]), array_fill('LEXFRAY0'::text, ARRAY[$2::int]))",
      {upload.month, std::to_string(upload.count), upload.score, upload.lastDate, upload.player},
      &answer, &error);
  return taken ? answer.at(0).at(0) : error;
}

TEST(HostileSite, ReachesTheTablesOnlyThroughFunctionsThatRefuseWhatNoGameWrites) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite east(league, "EAST", "EST");
  StopTheLeaguesClock(league);
  league.Sql(
      "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code)"
      " VALUES ('2026-06-01', 'NORTH', 'ANNA', 900, '06-05', '9', 'LEXFRAY0')");
  std::string error;
  std::unique_ptr<PgConnection> hostile = ConnectAs(east, &error);
  ASSERT_TRUE(hostile) << error;

  for (const char* statement :
       {"SELECT * FROM league.entries", "SELECT * FROM league.sites",
        "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code)"
        " VALUES ('2026-06-01', 'EAST', 'EVE', 5, '06-01', '1', 'X')",
        "UPDATE league.entries SET score = 1", "DELETE FROM league.entries",
        "BEGIN; LOCK TABLE league.entries IN ACCESS EXCLUSIVE MODE",
        "UPDATE league.sites SET loc = 'XXX'", "CREATE TEMP TABLE t (i int)",
        "CREATE TABLE public.t (i int)", "CREATE TABLE league.t (i int)",
        "SELECT league.sound_entry('2026-06-01', 'A', 1, '06-01', '1', '')",
        "SELECT league.utc_now()"}) {
    EXPECT_FALSE(hostile->RunScript(statement, &error)) << statement;
    EXPECT_NE(error.find("permission denied"), std::string::npos) << statement << ": " << error;
    hostile->RunScript("ROLLBACK", &error);
  }

  for (const UploadCase& upload : kUploads) {
    std::string answer = Upload(*hostile, upload);
    EXPECT_NE(answer.find(upload.answer), std::string::npos) << upload.what << ": " << answer;
  }

  EXPECT_EQ(league.Sql("SELECT count(*), min(score), max(score), bool_and(month = '2026-06-01')"
                       " FROM league.entries WHERE site = 'EAST'")[0],
            (std::vector<std::string>{"5000", "50", "50", "t"}));
  std::unique_ptr<PgConnection> reader = ConnectAs(north, &error);
  ASSERT_TRUE(reader) << error;
  leaguenet::Rows best;
  ASSERT_TRUE(reader->Run("SELECT player, site, score FROM league.standings('2026-06-01', 1, false)",
                          {}, &best, &error))
      << error;
  EXPECT_EQ(best, (leaguenet::Rows{{"ANNA", "NORTH", "900"}}));
}

// The site holds every connection it may have, one of them in a transaction that has its own
// rows and its site locked, while another site exchanges.
TEST(HostileSite, HoldingItsConnectionsAndLocksSlowsNoOtherSite) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite east(league, "EAST", "EST");
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, ThisMonth() + "-05", 4)});
  east.WriteScoreFile({GameEntry("EAST", "EVE", 700, ThisMonth() + "-05", 4)});
  ASSERT_EQ(east.Exchange().exitCode, 0);
  CommandResult usual = north.Exchange();
  ASSERT_EQ(usual.exitCode, 0) << usual.err;

  std::vector<std::unique_ptr<PgConnection>> held;
  std::string error;
  for (int i = 0; i < leaguenet::kSiteConnections; ++i) {
    held.push_back(ConnectAs(east, &error));
    ASSERT_TRUE(held.back()) << error;
  }
  EXPECT_FALSE(ConnectAs(east, &error));
  EXPECT_NE(error.find("too many connections for role"), std::string::npos) << error;
  std::string month = league.Sql("SELECT month FROM league.entries LIMIT 1")[0][0];
  ASSERT_TRUE(held[0]->RunScript("BEGIN", &error));
  ASSERT_TRUE(held[0]->Run(
      "SELECT league.upload($1::date, '{EVE}', '{701}', $2::text[], '{5}', '{LEXFRAY0}')",
      {month, "{" + ThisMonth() + "-06}"}, nullptr, &error))
      << error;

  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 310, ThisMonth() + "-05", 5)});
  CommandResult run = north.Exchange();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_LT(run.took, usual.took + std::chrono::seconds(2));
  EXPECT_EQ(Trimmed(EntryAt(north.ScoreFile(), 1).player), "EVE");
  EXPECT_EQ(EntryAt(north.ScoreFile(), 1).score, 700);  // east's upload is not committed
  RecordProperty("usual_ms", static_cast<int>(usual.took.count()));
  RecordProperty("held_ms", static_cast<int>(run.took.count()));
}

// The site keeps a transaction open that has read the standings, and turns its idle timeout
// off for it: a rerun of init-league at the league's step waits for nothing, an upgrade tries
// for a while, names the site and changes nothing, and another site exchanges meanwhile.
TEST(HostileSite, AnOpenTransactionHoldsUpNeitherInitLeagueNorAnotherSite) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite south(league, "SOUTH", "STH");
  south.WriteScoreFile({GameEntry("SOUTH", "DORA", 900, ThisMonth() + "-05", 9)});
  std::string error;
  std::unique_ptr<PgConnection> holder = ConnectAs(north, &error);
  ASSERT_TRUE(holder) << error;
  std::string month = league.Sql("SELECT date_trunc('month', now())::date")[0][0];
  ASSERT_TRUE(holder->RunScript("SET idle_in_transaction_session_timeout = 0; BEGIN", &error));
  ASSERT_TRUE(
      holder->Run("SELECT * FROM league.standings($1, 10, false)", {month}, nullptr, &error))
      << error;

  std::vector<std::string> initLeague = {"init-league", "--db", league.OrganiserConnection()};
  CommandResult rerun = league.Admin(initLeague);
  EXPECT_EQ(rerun.exitCode, 0) << rerun.err;
  EXPECT_EQ(rerun.err, "");

  league.Sql("UPDATE league.version SET functions = 'of another leaguenet'");
  auto upgrade = std::async(std::launch::async, [&] { return league.Admin(initLeague); });
  CommandResult exchange = south.Exchange();
  CommandResult held = upgrade.get();
  EXPECT_EQ(exchange.exitCode, 0) << exchange.err;
  EXPECT_EQ(held.exitCode, 1);
  EXPECT_NE(held.err.find("leaguenet: waiting: site NORTH holds the league's tables in an open "
                          "transaction\n"),
            std::string::npos)
      << held.err;
  EXPECT_NE(held.err.find("cannot set up the league: site NORTH holds the league's tables in an "
                          "open transaction; nothing was changed"),
            std::string::npos)
      << held.err;
  EXPECT_EQ(league.Sql("SELECT functions FROM league.version")[0][0], "of another leaguenet");

  ASSERT_TRUE(holder->RunScript("COMMIT", &error)) << error;
  CommandResult after = league.Admin(initLeague);
  EXPECT_EQ(after.exitCode, 0) << after.err;
  EXPECT_NE(after.out.find("brought up to date"), std::string::npos) << after.out;
}

}  // namespace
}  // namespace lexfray::testing
