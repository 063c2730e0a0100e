#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "schema/league_schema.h"
#include "test_league.h"

namespace lexfray::testing {
namespace {

// What init-league makes, as text: any change shows as a difference.
std::string LeagueShape(const TestLeague& league) {
  return league.Sql(
      "SELECT concat_ws(' | ',"
      " (SELECT string_agg(relname || ':' || coalesce(relacl::text, ''), ',' ORDER BY relname) "
      "FROM pg_class"
      "   WHERE relnamespace = 'league'::regnamespace),"
      " (SELECT string_agg(proname || ':' || coalesce(proacl::text, '') || ':' || xmin, ','"
      "   ORDER BY proname) FROM pg_proc WHERE pronamespace = 'league'::regnamespace),"
      " (SELECT string_agg(conname, ',' ORDER BY conname) FROM pg_constraint WHERE connamespace = "
      "'league'::regnamespace),"
      " (SELECT string_agg(policyname || ':' || cmd || ':' || roles::text, ',' ORDER BY "
      "policyname) FROM pg_policies"
      "   WHERE schemaname = 'league'),"
      " (SELECT string_agg(site_group, ',') FROM league.about),"
      " (SELECT step FROM league.version))")[0][0];
}

TEST(LeagueAdmin, InitLeagueAgainChangesNothingButTheNameItIsGiven) {
  TestLeague league;  // set up once already
  std::string shape = LeagueShape(league);
  EXPECT_NE(shape.find("own_inserts"), std::string::npos) << shape;
  CommandResult again = league.Admin({"init-league", "--db", league.OrganiserConnection()});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  std::string unnamed = "It goes by its database's name, \"" + league.Database() +
                        "\"; give it its own with: leaguenet init-league --db ... --name \"...\"\n";
  EXPECT_EQ(again.out, "The league was set up already, and is up to date.\n" + unnamed);
  EXPECT_EQ(LeagueShape(league), shape);

  for (const auto& [given, kept] : {std::pair{" Riverside League ", "Riverside League"},
                                    std::pair{"The Quiz Club", "The Quiz Club"}}) {
    CommandResult named =
        league.Admin({"init-league", "--db", league.OrganiserConnection(), "--name", given});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_NE(named.out.find("Its name is \"" + std::string(kept) + "\".\n"), std::string::npos)
        << named.out;
  }
  for (const std::string& bad :
       {std::string("  "), std::string(61, 'x'), std::string("Caf\xc3\xa9")}) {
    CommandResult refused =
        league.Admin({"init-league", "--db", league.OrganiserConnection(), "--name", bad});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "leaguenet: cannot set up the league: a league's name is 1 to 60 "
              "printable ASCII characters, not all blank\n");
  }
  EXPECT_EQ(league.Sql("SELECT league_name FROM league.about")[0][0], "The Quiz Club");
  EXPECT_EQ(LeagueShape(league), shape);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Leagues as earlier versions made them, with entries, some of which their rules let in.
struct EarlierLeague {
  const char* file;
  const char* oldScore;  // of an entry of last month
  bool exchanges;        // with a leaguenet of today, before the organiser upgrades it
};

constexpr EarlierLeague kEarlierLeagues[] = {
    {"first_league.sql", "1000000000000", false},  // sites wrote the tables themselves
    {"league_before_steps.sql", "500", true},      // sites called functions
};

TEST(LeagueAdmin, InitLeagueBringsALeagueOfAnEarlierVersionUpToDateKeepingItsEntries) {
  for (const EarlierLeague& earlier : kEarlierLeagues) {
    SCOPED_TRACE(earlier.file);
    TestLeague league(TestLeague::Setup::kEmptyDatabase);
    std::string group = league.Database() + "_sites";
    std::string role = league.Database() + "_site_1";
    std::string script =
        std::regex_replace(FileText(std::string(LEAGUENET_TEST_DATA "/") + earlier.file),
                           std::regex("@GROUP@"), group);
    league.Script(
        std::regex_replace(script, std::regex("@READER@"), league.Database() + "_reader"));
    league.Script("CREATE ROLE " + role + " LOGIN PASSWORD 'earlier-version' IN ROLE " + group);
    league.Sql("INSERT INTO league.sites VALUES ('NORTH', 'NTH', $1)", {role});
    league.Sql(
        "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code)"
        " SELECT $4::date - back, 'NORTH', player, score, last_date, '4',"
        " 'X' FROM (VALUES (interval '0', 'ANNA', 300::float8, $1), ('1 month', 'OLD', $2, $3))"
        " AS e(back, player, score, last_date)",
        {ThisMonth() + "-05", earlier.oldScore, LastMonth() + "-05", FirstDay()});

    TestSite north("host=127.0.0.1 port=" + TestCluster().port + " dbname=" + league.Database() +
                   " user=" + role +
                   " password=earlier-version sslrootcert=" + TestCluster().authority);
    if (earlier.exchanges) {
      league.SetClock(kTestMoment);
      north.WriteScoreFile({GameEntry("NORTH", "ANNA", 320, ThisMonth() + "-06", 5)});
      CommandResult before = north.Exchange();
      EXPECT_EQ(before.exitCode, 0) << before.err;
      EXPECT_EQ(league.Sql("SELECT score FROM league.entries WHERE player = 'ANNA'")[0][0], "320");
    }

    CommandResult upgraded = league.Admin(
        {"init-league", "--db", league.OrganiserConnection(), "--name", "Riverside League"});
    ASSERT_EQ(upgraded.exitCode, 0) << upgraded.err;
    EXPECT_NE(upgraded.out.find("brought up to date, from step 0 of its schema to " +
                                std::to_string(leaguenet::SchemaStep())),
              std::string::npos)
        << upgraded.out;
    league.SetClock(kTestMoment);
    north.WriteScoreFile({GameEntry("NORTH", "ANNA", 350, ThisMonth() + "-06", 5),
                          GameEntry("NORTH", "BOB", 20, ThisMonth() + "-06", 1)});
    CommandResult run = north.Exchange();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(league.Sql("SELECT string_agg(player || ' ' || score, ', ' ORDER BY player)"
                         " FROM league.entries")[0][0],
              std::string("ANNA 350, BOB 20, OLD ") + earlier.oldScore);
    EXPECT_EQ(league.Sql("SELECT rolconnlimit, has_table_privilege($1, 'league.entries', 'SELECT'),"
                         " (SELECT string_agg(conname, ',') FROM pg_constraint"
                         "  WHERE conrelid = 'league.entries'::regclass AND conname ~ 'sound'),"
                         " (SELECT league_name FROM league.about)"
                         " FROM pg_roles WHERE rolname = $1",
                         {role})[0],
              (std::vector<std::string>{"3", "f", "entries_sound", "Riverside League"}));
    CommandResult publisher = league.Admin({"add-publisher", "--db", league.OrganiserConnection()});
    EXPECT_EQ(publisher.exitCode, 0) << publisher.err;
  }
}

TEST(LeagueAdmin, RoleNamesThatOtherLeaguesHoldAreNotTaken) {
  TestLeague league(TestLeague::Setup::kEmptyDatabase);
  std::string db = league.Database();
  league.Script("CREATE ROLE " + db + "_sites; CREATE ROLE " + db + "_1_site_1");
  ASSERT_EQ(league.Admin({"init-league", "--db", league.OrganiserConnection()}).exitCode, 0);
  EXPECT_EQ(league.Sql("SELECT site_group FROM league.about")[0][0], db + "_1_sites");
  EXPECT_NE(league.AddSite("NORTH", "NTH").find("user='" + db + "_1_site_2'"), std::string::npos);
}

TEST(LeagueAdmin, SitesAreAddedOnceSuspendedResumedRemovedWithTheirRowsAndMistakesAreNamed) {
  TestLeague league;
  std::string settings = league.AddSite("  North  ", "NTH");
  EXPECT_NE(settings.find("# LeagueNET exchange of site NORTH (NTH)"), std::string::npos)
      << settings;
  EXPECT_NE(settings.find("sslmode='verify-full'"), std::string::npos) << settings;
  EXPECT_NE(settings.find("password='"), std::string::npos);

  CommandResult twice = league.Admin(
      {"add-site", "--db", league.OrganiserConnection(), "--site", "north", "--loc", "XXX"});
  EXPECT_EQ(twice.exitCode, 1);
  EXPECT_EQ(twice.err,
            "leaguenet: cannot add the site: site NORTH is in the league already; remove-site "
            "first to give it new "
            "credentials\n");
  CommandResult badLoc = league.Admin(
      {"add-site", "--db", league.OrganiserConnection(), "--site", "EAST", "--loc", "EASTERN"});
  EXPECT_EQ(badLoc.err, "leaguenet: cannot add the site: a loc is three printable characters\n");
  CommandResult badName = league.Admin(
      {"add-site", "--db", league.OrganiserConnection(), "--site", "E\x1b", "--loc", "EST"});
  EXPECT_EQ(badName.err,
            "leaguenet: cannot add the site: a site name is 1 to 35 printable characters\n");
  EXPECT_EQ(league.Admin({"add-site", "--site", "EAST", "--loc", "EST"}).exitCode, 2);

  TestSite south(league, "SOUTH", "STH");
  TestSite west(league, "WEST", "WST");
  south.WriteScoreFile({GameEntry("SOUTH", "DORA", 900, ThisMonth() + "-05", 9)});
  west.WriteScoreFile({GameEntry("WEST", "WANDA", 100, ThisMonth() + "-05", 1)});
  ASSERT_EQ(south.Exchange().exitCode, 0);

  // Suspended, a site cannot log in and nobody sees its players; resumed, it takes part again.
  auto onSouth = [&league](const char* command) {
    return league.Admin({command, "--db", league.OrganiserConnection(), "--site", " south "});
  };
  CommandResult suspended = onSouth("suspend-site");
  EXPECT_EQ(suspended.exitCode, 0) << suspended.err;
  EXPECT_NE(south.Exchange().err.find("is not permitted to log in"), std::string::npos);
  ASSERT_EQ(west.Exchange().exitCode, 0);
  EXPECT_EQ(west.ScoreFile().entries.size(), 1u);
  EXPECT_EQ(league.Sql("SELECT string_agg(name, ',') FROM league.publish_sites()")[0][0],
            "NORTH,WEST");
  CommandResult resumed = onSouth("resume-site");
  EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
  ASSERT_EQ(south.Exchange().exitCode, 0);
  ASSERT_EQ(west.Exchange().exitCode, 0);
  EXPECT_EQ(west.ScoreFile().entries.size(), 2u);

  CommandResult removed = onSouth("remove-site");
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_EQ(league.Sql("SELECT count(*) FROM league.entries WHERE site = 'SOUTH'")[0][0], "0");
  EXPECT_EQ(
      league.Sql("SELECT count(*) FROM pg_roles WHERE rolname ~ ('^' || $1 || '_site_[0-9]+$')",
                 {league.Database()})[0][0],
      "2");
  CommandResult gone = south.Exchange();
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_NE(gone.err.find("password authentication failed"), std::string::npos) << gone.err;
  CommandResult unknown =
      league.Admin({"remove-site", "--db", league.OrganiserConnection(), "--site", "south"});
  EXPECT_EQ(unknown.err,
            "leaguenet: cannot remove the site: there is no site SOUTH in the league\n");
  // Its name comes back with new credentials.
  TestSite again(league, "South", "STH");
  again.WriteScoreFile({GameEntry("SOUTH", "DORA", 950, ThisMonth() + "-06", 10)});
  CommandResult back = again.Exchange();
  EXPECT_EQ(back.exitCode, 0) << back.err;
}

TEST(LeagueAdmin, CommandsOnADatabaseWithoutALeagueSaySo) {
  TestLeague league;
  league.Sql("DROP SCHEMA league CASCADE");
  CommandResult added = league.Admin(
      {"add-site", "--db", league.OrganiserConnection(), "--site", "EAST", "--loc", "EST"});
  EXPECT_EQ(added.exitCode, 1);
  EXPECT_NE(added.err.find("there is no league in this database"), std::string::npos) << added.err;
}

CommandResult Check(const TestSite& site, std::vector<std::string> more = {},
                    const std::string& program = LeaguenetProgram()) {
  std::vector<std::string> argv = {"leaguenet", "check", "--root", site.Root()};
  argv.insert(argv.end(), more.begin(), more.end());
  return RunProgram(program, argv, "/");
}

TEST(LeagueCheck, SaysLineByLineWhatIsUsable) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, ThisMonth() + "-05", 4)});
  std::ofstream(north.SettingsPath(), std::ios::app)
      << "folder = " << north.ProgramFolder() << "\n";
  namespace fs = std::filesystem;
  fs::permissions(north.SettingsPath(), fs::perms::others_read, fs::perm_options::add);
  CommandResult open = Check(north, {"--config", north.SettingsPath()});
  EXPECT_EQ(open.exitCode, 1);
  EXPECT_NE(open.out.find("FAIL  password: " + north.SettingsPath() + " is readable by every user"),
            std::string::npos)
      << open.out;

  fs::permissions(north.SettingsPath(), fs::perms::others_all, fs::perm_options::remove);
  CommandResult good = Check(north, {"--config", north.SettingsPath()});
  for (const std::string& line :
       {"ok    settings: " + north.SettingsPath() + ", given with --config\n",
        std::string(
            "ok    the game's settings: the exchange that the game starts reads them too\n"),
        std::string("ok    password: readable by its owner and group only\n"),
        std::string("ok    connection: PostgreSQL"), std::string("ok    TLS: TLSv1.3\n"),
        std::string("ok    credentials: site NORTH (NTH)"),
        "ok    program folder: " + north.ProgramFolder() + " (the settings' folder line)\n",
        std::string(
            "ok    LEXFRAY.CFG: line 1 names this site, line 32 switches the competition on\n"),
        std::string("ok    LEXFRAY.ISC: 1 entries, 1 of this site\n")})
    EXPECT_NE(good.out.find(line), std::string::npos) << line << "\n" << good.out;

  // LEXFRAY.CFG as the game reads it: line 1 names the site as the league registered it, or
  // the exchange refuses the game's entries.
  struct ConfigCase {
    std::string line1;
    bool competition;
    std::string said;
  };
  for (const ConfigCase& c : std::vector<ConfigCase>{
           {"  north ", true, "ok    LEXFRAY.CFG: line 1 names this site,"},
           {"SOUTH", true,
            "FAIL  LEXFRAY.CFG: line 1 names site \"SOUTH\", not the league's name of this site: "
            "make line 1 of " +
                north.ProgramFolder() + "LEXFRAY.CFG read NORTH\n"},
           {"NORTH", false,
            "FAIL  LEXFRAY.CFG: line 32 does not switch the competition on, so the game never "
            "starts the exchange"}}) {
    north.WriteConfig(c.line1, c.competition);
    CommandResult checked = Check(north);
    EXPECT_NE(checked.out.find(c.said), std::string::npos) << c.line1 << "\n" << checked.out;
  }

  std::ofstream(north.SettingsPath()) << "league = " << north.League() << "\ntimeout = soon\n";
  CommandResult broken = Check(north, {"--config", north.SettingsPath()});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_EQ(broken.out, "FAIL  settings: " + north.SettingsPath() +
                            ": line 2: timeout must be from 1 to 600 seconds\n");

  CommandResult missing = Check(north, {"--config", "/no/such.conf"});
  EXPECT_EQ(missing.out, "FAIL  settings: cannot read the settings /no/such.conf\n");

  north.SetLeague(north.League() + " port=1");
  CommandResult unreachable = Check(north);
  EXPECT_EQ(unreachable.exitCode, 1);
  EXPECT_NE(unreachable.out.find("FAIL  connection: cannot connect to the league"),
            std::string::npos)
      << unreachable.out;
  EXPECT_NE(unreachable.out.find("program folder: "), std::string::npos) << unreachable.out;
}

// check finds the settings where the exchange that the game starts finds them, through the
// link that enable made and with the game's fixed environment: where that start reads none,
// check fails too, and says why.
TEST(LeagueCheck, AgreesWithTheGamesStartOnWhereTheSettingsAre) {
  namespace fs = std::filesystem;
  TestLeague league;
  std::string settings = league.AddSite("NORTH", "NTH");
  std::string conninfo = settings.substr(settings.find("league = ") + 9);
  conninfo.resize(conninfo.find('\n'));
  struct Place {
    const char* name;
    std::function<void(const TestSite&, const std::string& copy)> put;
    const char* said;
  };
  for (const Place& place : std::vector<Place>{
           {"beside the link", [](const TestSite&, const std::string&) {},
            "ok    settings: @LINK@leaguenet.conf, as the exchange that the game starts finds "
            "them\n"},
           {"beside the program",
            [](const TestSite&site, const std::string&copy) {
              fs::rename(site.SettingsPath(), fs::path(copy).parent_path() / "leaguenet.conf");
            },
            "FAIL  settings: the exchange that the game starts as @LINK@LeagueNet.exe finds "
            "none: neither @LINK@leaguenet.conf nor /etc/lexfray/leaguenet.conf can be read"
            "; @GAMES@leaguenet.conf beside leaguenet itself is not read then\n"},
           {"missing",
            [](const TestSite&site, const std::string&) { fs::remove(site.SettingsPath()); },
            "FAIL  settings: the exchange that the game starts as @LINK@LeagueNet.exe finds "
            "none: neither @LINK@leaguenet.conf nor /etc/lexfray/leaguenet.conf can be read"
            "\n"}}) {
    if (std::string(place.name) != "beside the link" && fs::exists("/etc/lexfray/leaguenet.conf")) {
      ADD_FAILURE() << "this machine's /etc/lexfray/leaguenet.conf hides: " << place.name;
      continue;
    }
    TestSite north(conninfo);
    north.WriteConfig("NORTH");
    // A player's own copy: leaguenet installed in PREFIX/games, the link leading there.
    std::string copy = fs::path(north.Root() + "../prefix/games/leaguenet").lexically_normal();
    fs::create_directories(fs::path(copy).parent_path());
    fs::copy_file(LeaguenetProgram(), copy);
    fs::remove(north.CompetitionFolder() + "LeagueNet.exe");
    fs::create_symlink(copy, north.CompetitionFolder() + "LeagueNet.exe");
    place.put(north, copy);
    std::string said = std::regex_replace(
        std::regex_replace(place.said, std::regex("@LINK@"), north.CompetitionFolder()),
        std::regex("@GAMES@"), fs::path(copy).parent_path().string() + "/");
    CommandResult checked = Check(north, {}, copy);
    CommandResult started = north.Exchange(true);
    EXPECT_EQ(checked.out.substr(0, checked.out.find('\n') + 1), said) << place.name;
    bool found = said.rfind("ok", 0) == 0;
    EXPECT_EQ(started.exitCode, found ? 0 : 1) << place.name << ": " << started.err;
    EXPECT_EQ(started.err.rfind("leaguenet: no settings", 0) == 0, !found) << place.name;
  }
}

// Ranked as the pages rank them: a tie shares its rank, and a player without a score has none.
TEST(LeagueStandings, TheMonthsTableBestFirstUnderTheLeaguesName) {
  TestLeague league;
  ASSERT_EQ(league
                .Admin({"init-league", "--db", league.OrganiserConnection(), "--name",
                        "Riverside League"})
                .exitCode,
            0);
  TestSite north(league, "NORTH", "NTH");
  TestSite south(league, "SOUTH", "STH");
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, ThisMonth() + "-05", 4),
                        GameEntry("NORTH", "EVE", 900, ThisMonth() + "-04", 2),
                        GameEntry("NORTH", "ZED", 0, ThisMonth() + "-04", 1)});
  south.WriteScoreFile({GameEntry("SOUTH", "DORA", 900, ThisMonth() + "-05", 9)});
  CommandResult first = north.Exchange();
  ASSERT_EQ(first.exitCode, 0) << first.err;
  ASSERT_EQ(south.Exchange().exitCode, 0);
  CommandResult table = RunProgram(
      LeaguenetProgram(), {"leaguenet", "standings", "--config", north.SettingsPath()}, "/");
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_TRUE(std::regex_search(
      table.out, std::regex("^Riverside League: LeagueNET standings of [0-9]{4}-" + ThisMonth() +
                            " \\(as NORTH\\)\n")))
      << table.out;
  EXPECT_TRUE(std::regex_search(
      table.out, std::regex("\n   1  EVE +900 +2  NORTH +NTH\n   1  DORA +900 +9  SOUTH +STH\n"
                            "   3  ANNA +300 +4  NORTH +NTH\n$")))
      << table.out;
  // Each heading ends where its column's values end.
  std::size_t heading = table.out.find("Rank");
  std::size_t row = table.out.find("   1  DORA");
  ASSERT_NE(row, std::string::npos);
  for (const char* label : {"Score", "Plays"}) {
    std::size_t end = table.out.find(label, heading) + std::string(label).size() - heading;
    std::size_t value = row + end - 1;
    EXPECT_NE(table.out[value], ' ') << label << "\n" << table.out;
    EXPECT_EQ(table.out[value + 1], ' ') << label << "\n" << table.out;
  }
}

}  // namespace
}  // namespace lexfray::testing
