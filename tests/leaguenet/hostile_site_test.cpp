// A site that turns against the league with its own credentials, in plain SQL: it reaches the
// tables through the league's functions alone, which refuse whatever no game writes, and it
// cannot hold up another site's exchange.
#include <gtest/gtest.h>

#include <fstream>
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

// How often the server's log holds the text: the refusals of connections are there.
std::size_t TimesLogged(const std::string& text) {
  std::ifstream log(TestCluster().folder + "/server.log");
  std::string all(std::istreambuf_iterator<char>(log), {});
  std::size_t times = 0;
  for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
    ++times;
  return times;
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
  const char* answer;  // the positions that the league left out, or words of its refusal
};

constexpr UploadCase kUploads[] = {
    {"100,000 rows at once", "2026-06-01", 100000, "100001", "06-10", "P", "at most 5000"},
    {"a score no month can reach", "2026-06-01", 1, "1e12", "06-10", "EVE", "{1}"},
    {"one point beyond the most", "2026-06-01", 1, "917476001", "06-10", "EVE", "{1}"},
    {"a fractional score", "2026-06-01", 1, "10.5", "06-10", "EVE", "{1}"},
    {"more than its 7 games can bring", "2026-06-01", 1, "196001", "06-10", "EVE", "{1}"},
    {"minus zero", "2026-06-01", 1, "-0", "06-10", "EVE", "{1}"},
    {"a negative score", "2026-06-01", 1, "-5", "06-10", "EVE", "{1}"},
    {"not a number", "2026-06-01", 1, "NaN", "06-10", "EVE", "{1}"},
    {"a blank name", "2026-06-01", 1, "5", "06-10", "   ", "{1}"},
    {"an unprintable name", "2026-06-01", 1, "5", "06-10", "E\x1b[2J", "{1}"},
    {"a name beyond the login list's 30", "2026-06-01", 1, "5", "06-10",
     "EVANGELINE WILHELMINA HOHENZOLL", "{1}"},
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

// Transactions of the site that read the league in one snapshot, each uploading 5,000 other
// players after the one before committed: however they came by their snapshot, no count that
// misses the others' rows lets more than 5,000 in.
struct SnapshotRace {
  const char* what;
  const char* begin;  // each upload's transaction, followed by the snapshot exported, if any
  bool exported;
};

constexpr SnapshotRace kSnapshotRaces[] = {
    {"one exported snapshot", "BEGIN ISOLATION LEVEL REPEATABLE READ; SET TRANSACTION SNAPSHOT ",
     true},
    {"snapshots taken together", "BEGIN ISOLATION LEVEL REPEATABLE READ; SELECT 1", false},
    {"serializable", "BEGIN ISOLATION LEVEL SERIALIZABLE; SELECT 1", false},
};

TEST(HostileSite, CountsHoldWhateverSnapshotItsTransactionsBring) {
  for (const SnapshotRace& race : kSnapshotRaces) {
    SCOPED_TRACE(race.what);
    TestLeague league;
    TestSite east(league, "EAST", "EST");
    std::string error;
    std::vector<std::unique_ptr<PgConnection>> sessions;
    for (int i = 0; i < leaguenet::kSiteConnections; ++i) {
      sessions.push_back(ConnectAs(east, &error));
      ASSERT_TRUE(sessions.back()) << error;
    }
    std::string begin = race.begin;
    std::unique_ptr<PgConnection> exporter;
    if (race.exported) {
      exporter = std::move(sessions[0]);
      sessions.erase(sessions.begin());
      leaguenet::Rows snapshot;
      ASSERT_TRUE(exporter->RunScript(
          "BEGIN ISOLATION LEVEL REPEATABLE READ; SELECT pg_export_snapshot()", &snapshot, &error))
          << error;
      begin += "'" + snapshot.at(0).at(0) + "'";
    }
    for (auto& session : sessions) ASSERT_TRUE(session->RunScript(begin, &error)) << error;
    int taken = 0;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
      std::string prefix = "P" + std::to_string(i) + "-";
      std::string answer =
          Upload(*sessions[i], {"", "2026-06-01", 5000, "50", "06-10", prefix.c_str(), ""});
      if (answer == "{}" && sessions[i]->RunScript("COMMIT", &error)) {
        ++taken;
        continue;
      }
      EXPECT_NE((answer + error).find("could not serialize access"), std::string::npos)
          << answer << error;
    }
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(league.Sql("SELECT count(*) FROM league.entries")[0][0], "5000");
  }
}

// What a site can leave behind with its login alone, each found by check-server and set right
// by --repair; and all of it at once, with a session open, taken away by remove-site.
struct LeftBehind {
  const char* what;
  const char* statement;
  const char* finding;  // in check-server's line about the site
};

constexpr LeftBehind kLeftBehind[] = {
    {"its own statement timeout", "ALTER ROLE CURRENT_USER SET statement_timeout = 0",
     "settings of its own: statement_timeout=0, idle_in_transaction_session_timeout=10s"},
    {"settings in the league's database",
     "DO $$BEGIN EXECUTE format('ALTER ROLE CURRENT_USER IN DATABASE %I SET work_mem = "
     "''2000GB''', current_database()); END$$",
     "work_mem=2000GB"},
    {"a large object", "SELECT lo_creat(-1)", "owns 1 pg_largeobject in "},
    {"default privileges",
     "ALTER DEFAULT PRIVILEGES FOR ROLE CURRENT_USER GRANT SELECT ON TABLES TO PUBLIC",
     "owns 1 pg_default_acl in "},
};

TEST(HostileSite, WhatItLeavesBehindIsFoundRepairedAndRemovedWithIt) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite east(league, "EAST", "EST");
  east.WriteScoreFile({GameEntry("EAST", "EVE", 700, ThisMonth() + "-05", 4)});
  ASSERT_EQ(east.Exchange().exitCode, 0);
  std::vector<std::string> checkServer = {"check-server", "--db", league.OrganiserConnection()};
  std::string error;
  std::unique_ptr<PgConnection> hostile = ConnectAs(east, &error);
  ASSERT_TRUE(hostile) << error;
  for (const LeftBehind& left : kLeftBehind) {
    SCOPED_TRACE(left.what);
    ASSERT_TRUE(hostile->RunScript(left.statement, &error)) << error;
    CommandResult found = league.Admin(checkServer);
    EXPECT_EQ(found.exitCode, 1);
    std::size_t line = found.out.find("FAIL  site EAST: ");
    ASSERT_NE(line, std::string::npos) << found.out;
    EXPECT_NE(found.out.substr(line, found.out.find('\n', line) - line).find(left.finding),
              std::string::npos)
        << found.out;
    checkServer.push_back("--repair");
    CommandResult repaired = league.Admin(checkServer);
    checkServer.pop_back();
    EXPECT_NE(repaired.out.find("repaired site EAST"), std::string::npos) << repaired.out;
    EXPECT_NE(repaired.out.find("ok    sites: 2, each"), std::string::npos) << repaired.out;
  }

  for (const LeftBehind& left : kLeftBehind)
    ASSERT_TRUE(hostile->RunScript(left.statement, &error)) << left.what << ": " << error;
  CommandResult removed =
      league.Admin({"remove-site", "--db", league.OrganiserConnection(), "--site", "EAST"});
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_FALSE(hostile->RunScript("SELECT 1", &error));
  EXPECT_EQ(league.Sql("SELECT (SELECT count(*) FROM pg_largeobject_metadata),"
                       " (SELECT count(*) FROM pg_default_acl),"
                       " (SELECT count(*) FROM league.entries),"
                       " (SELECT count(*) FROM pg_roles WHERE rolname ~ ('^' || $1 || '_site_'))",
                       {league.Database()})[0],
            (std::vector<std::string>{"0", "0", "0", "1"}));
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, ThisMonth() + "-05", 4)});
  ASSERT_EQ(north.Exchange().exitCode, 0);
  EXPECT_EQ(north.ScoreFile().entries.size(), 1u);
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

  // The site's own exchange, standings and check find the league full for it, and try again
  // until one of its connections is free: once the server has turned them away, one is.
  std::string role = east.League().substr(east.League().find("user='") + 6);
  role = "too many connections for role \"" + role.substr(0, role.find('\'')) + "\"";
  const std::string full = " attempts to connect: the league was full)";
  const std::pair<std::vector<std::string>, std::string> commands[] = {
      {{}, full},
      {{"leaguenet", "standings", "--config", east.SettingsPath()}, "EVE"},
      {{"leaguenet", "check", "--root", east.Root()}, full}};
  for (const auto& [argv, says] : commands) {
    for (int i = 0; i < leaguenet::kSiteConnections && held.size() < i + 1u; ++i) {
      held.push_back(ConnectAs(east, &error));
      ASSERT_TRUE(held.back()) << error;
    }
    std::size_t before = TimesLogged(role);
    auto own = std::async(std::launch::async, [&] {
      return argv.empty() ? east.Exchange() : RunProgram(LeaguenetProgram(), argv, "/");
    });
    while (TimesLogged(role) == before &&
           own.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    }
    held.clear();
    CommandResult waited = own.get();
    EXPECT_NE(waited.out.find(says), std::string::npos) << waited.out << waited.err;
    // check fails on what this site lacks besides, but never on the connection.
    if (argv.size() < 2 || argv[1] != "check") {
      EXPECT_EQ(waited.exitCode, 0) << waited.err;
    }
    EXPECT_EQ(waited.out.find("FAIL  connection"), std::string::npos) << waited.out;
  }
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
  std::string month = league.Sql("SELECT date_trunc('month', league.utc_now())::date")[0][0];
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
