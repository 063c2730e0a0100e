// A site that turns against the league with its own credentials, in plain SQL: it reaches the
// tables through the league's functions alone, which refuse whatever no game writes, and it
// cannot hold up another site's exchange.
#include <gtest/gtest.h>

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

// count entries of players named player (numbered when more than one), each the same; the
// months are those around kTestMoment, June 2026.
struct UploadCase {
  const char* what;
  const char* month;
  int count;
  const char* score;
  const char* lastDate;
  const char* player;
  const char* refusal;  // in the error; empty for an upload that is taken
};

constexpr UploadCase kUploads[] = {
    {"100,000 rows at once", "2026-06-01", 100000, "100001", "06-10", "P", "at most 5000"},
    {"a score no month can reach", "2026-06-01", 1, "1e12", "06-10", "EVE", "no entry of the game"},
    {"one point beyond the most", "2026-06-01", 1, "917476001", "06-10", "EVE", "no entry"},
    {"a fractional score", "2026-06-01", 1, "10.5", "06-10", "EVE", "no entry of the game"},
    {"minus zero", "2026-06-01", 1, "-0", "06-10", "EVE", "no entry of the game"},
    {"a negative score", "2026-06-01", 1, "-5", "06-10", "EVE", "no entry of the game"},
    {"not a number", "2026-06-01", 1, "NaN", "06-10", "EVE", "no entry of the game"},
    {"a blank name", "2026-06-01", 1, "5", "06-10", "   ", "no entry of the game"},
    {"an unprintable name", "2026-06-01", 1, "5", "06-10", "E\x1b[2J", "no entry of the game"},
    {"a date of another month", "2026-06-01", 1, "5", "07-01", "EVE", "no entry of the game"},
    {"next month", "2026-07-01", 1, "900000000", "07-01", "EVE", "the month 2026-07 is not open"},
    {"last month", "2026-05-01", 1, "5", "05-31", "EVE", "the month 2026-05 is not open"},
    {"no first day", "2026-06-02", 1, "5", "06-10", "EVE", "is not open"},
    {"its own entries", "2026-06-01", 5000, "50", "06-10", "E", ""},
    {"one more than the game's players", "2026-06-01", 1, "50", "06-10", "EXTRA", "would leave 5001"},
};

std::string Upload(PgConnection& site, const UploadCase& upload) {
  std::string error;
  bool taken = site.Run(
      "SELECT league.upload($1::date,"
      " array(SELECT $5 || CASE WHEN $2::int > 1 THEN i::text ELSE '' END"
      "       FROM generate_series(1, $2::int) i),"
      " array_fill($3::float8, ARRAY[$2::int]), array_fill($4::text, ARRAY[$2::int]),"
      " array_fill('7'::text, ARRAY[$2::int]), array_fill('LEXFRAY0'::text, ARRAY[$2::int]))",
      {upload.month, std::to_string(upload.count), upload.score, upload.lastDate, upload.player},
      nullptr, &error);
  return taken ? "" : error;
}

TEST(HostileSite, ReachesTheTablesOnlyThroughFunctionsThatRefuseWhatNoGameWrites) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite east(league, "EAST", "EST");
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
    std::string refusal = Upload(*hostile, upload);
    if (*upload.refusal == '\0')
      EXPECT_EQ(refusal, "") << upload.what;
    else
      EXPECT_NE(refusal.find(upload.refusal), std::string::npos) << upload.what << ": " << refusal;
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
// rows and its site locked, while another site exchanges. That transaction, with no idle limit,
// is still open after the exchange, so an exchange that had waited for any of it would have run
// into its time limit (exit code 3); how long the exchange takes then is measured in
// bench/leaguenet.
TEST(HostileSite, HoldingItsConnectionsAndLocksSlowsNoOtherSite) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite east(league, "EAST", "EST");
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, ThisMonth() + "-05", 4)});
  east.WriteScoreFile({GameEntry("EAST", "EVE", 700, ThisMonth() + "-05", 4)});
  ASSERT_EQ(east.Exchange().exitCode, 0);
  ASSERT_EQ(north.Exchange().exitCode, 0);

  std::vector<std::unique_ptr<PgConnection>> held;
  std::string error;
  for (int i = 0; i < leaguenet::kSiteConnections; ++i) {
    held.push_back(ConnectAs(east, &error));
    ASSERT_TRUE(held.back()) << error;
  }
  EXPECT_FALSE(ConnectAs(east, &error));
  EXPECT_NE(error.find("too many connections for role"), std::string::npos) << error;
  std::string month = league.Sql("SELECT month FROM league.entries LIMIT 1")[0][0];
  ASSERT_TRUE(held[0]->RunScript("SET idle_in_transaction_session_timeout = 0; BEGIN", &error));
  ASSERT_TRUE(held[0]->Run(
      "SELECT league.upload($1::date, '{EVE}', '{701}', $2::text[], '{5}', '{LEXFRAY0}')",
      {month, "{" + ThisMonth() + "-06}"}, nullptr, &error))
      << error;

  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 310, ThisMonth() + "-05", 5)});
  CommandResult run = north.Exchange();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Trimmed(EntryAt(north.ScoreFile(), 1).player), "EVE");
  EXPECT_EQ(EntryAt(north.ScoreFile(), 1).score, 700);  // east's upload is not committed
  EXPECT_TRUE(held[0]->RunScript("COMMIT", &error)) << error;
  EXPECT_EQ(league.Sql("SELECT score FROM league.entries WHERE player = 'EVE'")[0][0], "701");
}

}  // namespace
}  // namespace lexfray::testing
