#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "test_league.h"

extern char** environ;

namespace lexfray::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A program on PATH, empty when there is none.
std::string Tool(const std::string& name) {
  std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin");
  for (std::string folder; std::getline(path, folder, ':');)
    if (fs::exists(folder + "/" + name)) return folder + "/" + name;
  return {};
}

// The league's read-only role's settings, as add-publisher prints them, in a file.
std::string PublisherSettings(const TestLeague& league, const TempFolder& folder) {
  CommandResult settings = league.Admin({"add-publisher", "--db", league.OrganiserConnection()});
  EXPECT_EQ(settings.exitCode, 0) << settings.err;
  folder.Write("publish.conf", settings.out);
  return folder.PathOf("publish.conf");
}

CommandResult Publish(const std::string& settings, const std::string& out) {
  return RunProgram(LeaguenetProgram(),
                    {"leaguenet", "publish", "--config", settings, "--out", out}, "/");
}

// Adds entries as the organiser: month is 0 for the month in play, 1 for the one before.
void AddEntries(const TestLeague& league, int month, const std::string& site,
                const std::vector<std::pair<std::string, int>>& players) {
  for (const auto& [player, score] : players)
    league.Sql(
        "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code)"
        " SELECT m, $2, $3, $4, to_char(m, 'MM') || '-01', '3', 'LEXFRAY0' FROM (SELECT"
        " (date_trunc('month', league.utc_now()) - $1::int * interval '1 month')::date)"
        " AS month(m)",
        {std::to_string(month), site, player, std::to_string(score)});
}

// Text of the DOM as the reader sees it: the four escapes undone in one pass.
std::string TextOf(const std::string& html) {
  std::string text;
  for (std::size_t at = 0; at < html.size(); ++at) {
    bool escaped = false;
    for (auto [entity, c] :
         {std::pair{"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&amp;", '&'}})
      if (!escaped && html.compare(at, std::strlen(entity), entity) == 0) {
        text += c;
        at += std::strlen(entity) - 1;
        escaped = true;
      }
    if (!escaped) text += html[at];
  }
  return text;
}

// What headless Chromium makes of a page: the DOM after loading, the console, a screenshot.
struct Browser {
  std::string program = Tool("chromium");
  TempFolder profile;
  CommandResult Run(const std::vector<std::string>& options, const std::string& page) const {
    std::vector<std::string> argv = {"chromium",
                                     "--headless",
                                     "--no-sandbox",
                                     "--disable-gpu",
                                     "--no-first-run",
                                     "--hide-scrollbars",
                                     "--enable-logging=stderr",
                                     "--v=0",
                                     "--user-data-dir=" + profile.path()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back("file://" + page);
    return RunProgram(program, argv, "/", {}, std::nullopt);  // the browser keeps the real clock
  }
};

std::string ConsoleLines(const std::string& log) {
  std::string lines;
  std::stringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (line.find("CONSOLE") != std::string::npos) lines += line + "\n";
  return lines;
}

// Every link and source of every page stays within the publication and finds its file.
void ExpectLinksResolveWithin(const fs::path& top) {
  std::regex reference(R"re((?:href|src)="([^"]*)")re");
  for (const fs::directory_entry& file : fs::recursive_directory_iterator(top)) {
    if (file.path().extension() != ".html") continue;
    std::string page = ReadAll(file.path());
    for (std::sregex_iterator it(page.begin(), page.end(), reference), end; it != end; ++it) {
      std::string target = (*it)[1];
      EXPECT_TRUE(target.find(':') == std::string::npos && target.front() != '/')
          << file.path() << " leaves the folder: " << target;
      EXPECT_TRUE(fs::is_regular_file(file.path().parent_path() / target))
          << file.path() << " links to a missing " << target;
    }
  }
}

struct TableRow {
  std::string rank, player, site, score, plays;
};

// The rows of `leaguenet standings` with a score above 0, which the pages show.
std::vector<TableRow> StandingsRows(const std::string& text) {
  std::vector<TableRow> rows;
  std::stringstream in(text);
  std::string line;
  std::getline(in, line);
  std::getline(in, line);
  while (std::getline(in, line))
    if (line.size() >= 91 && std::stol(line.substr(38, 9)) > 0)
      rows.push_back({std::to_string(std::stol(line.substr(0, 4))), Trimmed(line.substr(6, 30)),
                      Trimmed(line.substr(56, 35)), std::to_string(std::stol(line.substr(38, 9))),
                      std::to_string(std::stol(line.substr(49, 5)))});
  return rows;
}

// The rows of the league table in a page's DOM as the browser built it.
std::vector<TableRow> LeagueTableRows(const std::string& dom) {
  std::regex row(
      R"re(<tr><td>(\d+)</td><th scope="row">([^<]*)</th><td><a href="[^"]*">([^<]*)</a></td>)re"
      R"re(<td>[^<]*</td><td>(\d+)</td><td>(\d+)</td>)re");
  std::vector<TableRow> rows;
  for (std::sregex_iterator it(dom.begin(), dom.end(), row), end; it != end; ++it)
    rows.push_back({(*it)[1], TextOf((*it)[2]), TextOf((*it)[3]), (*it)[4], (*it)[5]});
  return rows;
}

TEST(LeaguePages, ShowTheStandingsAsTextReadThroughARoleWithoutTablePrivileges) {
  std::string chromium = Tool("chromium");
  std::string tidy = Tool("tidy");
  if (chromium.empty() || tidy.empty()) GTEST_SKIP() << "needs chromium and tidy";
  TestLeague league;
  ASSERT_EQ(league
                .Admin({"init-league", "--db", league.OrganiserConnection(), "--name",
                        "River <Valley> & League"})
                .exitCode,
            0);
  TestSite north(league, "NORTH", "NTH");
  // A name in full, as the game's login list shows it, where the score file holds 25.
  const std::string bob = "BARTHOLOMEW VAN DER WESTHUIZEN";
  std::vector<CompetitionEntry> entries = {
      GameEntry("NORTH", "ANNA", 1234, ThisMonth() + "-05", 7),
      GameEntry("NORTH", bob.substr(0, 25), 99, ThisMonth() + "-02", 2),
      GameEntry("NORTH", "TIE", 2000, ThisMonth() + "-03", 5)};
  north.WriteScoreFile(entries);
  north.WritePlayers({{"ANNA", LastPlayed(entries[0])},
                      {bob, LastPlayed(entries[1])},
                      {"TIE", LastPlayed(entries[2])}});
  ASSERT_EQ(north.Exchange().exitCode, 0);
  league.AddSite("<script>alert(1)</script>", "<&>");
  league.AddSite("EMPTY CORNER", "EMP");
  AddEntries(league, 0, "<SCRIPT>ALERT(1)</SCRIPT>",
             {{"<script>alert(1)</script>", 777}, {"&amp;", 555}, {"\"", 2000}, {"ZERO", 0}});
  AddEntries(league, 1, "NORTH", {{"OLDTIMER", 5000}});

  TempFolder folder;
  std::string settings = PublisherSettings(league, folder);
  std::string reader = ReadAll(settings).substr(ReadAll(settings).find("league = ") + 9);
  std::string error;
  auto role =
      leaguenet::PgConnection::Open(reader.substr(0, reader.find('\n')), {},
                                    leaguenet::Clock::now() + std::chrono::seconds(20), &error);
  ASSERT_TRUE(role) << error;
  leaguenet::Rows rows;
  EXPECT_FALSE(role->Run("SELECT * FROM league.entries", {}, &rows, &error));
  EXPECT_EQ(error, "permission denied for table entries");

  // Folders missing above the pages are made; settings others can read are told.
  std::string out = folder.PathOf("www/pages/league");
  fs::permissions(settings, fs::perms::others_read, fs::perm_options::add);
  CommandResult published = Publish(settings, out);
  ASSERT_EQ(published.exitCode, 0) << published.err;
  EXPECT_NE(published.out.find("Published 6 players of 3 sites, and 1 past months"),
            std::string::npos)
      << published.out;
  EXPECT_EQ(published.err,
            "leaguenet: warning: " + settings + " is readable by every user: chmod 600 it\n");

  CommandResult standings = RunProgram(
      LeaguenetProgram(), {"leaguenet", "standings", "--config", north.SettingsPath()}, "/");
  std::vector<TableRow> expected = StandingsRows(standings.out);
  ASSERT_EQ(expected.size(), 6u) << standings.out;
  EXPECT_EQ(expected.back().player, bob);
  // The league's name heads the standings, every page and the data.
  EXPECT_EQ(standings.out.rfind("River <Valley> & League: LeagueNET standings of ", 0), 0u);
  Browser browser;
  std::string hostilePage = out + "/site/_3cscript_3ealert_281_29_3c_2fscript_3e.html";
  for (const std::string& page : {out + "/index.html", out + "/sites.html", out + "/months.html",
                                  hostilePage, out + "/site/empty-corner.html"}) {
    CommandResult shown = browser.Run({"--dump-dom"}, page);
    EXPECT_EQ(ConsoleLines(shown.err), "") << page;
    EXPECT_EQ(shown.out.find("<script"), std::string::npos) << page << "\n" << shown.out;
    if (page == out + "/index.html") {
      std::vector<TableRow> shownRows = LeagueTableRows(shown.out);
      ASSERT_EQ(shownRows.size(), expected.size()) << shown.out;
      for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(shownRows[i].rank + "|" + shownRows[i].player + "|" + shownRows[i].site + "|" +
                      shownRows[i].score + "|" + shownRows[i].plays,
                  expected[i].rank + "|" + expected[i].player + "|" + expected[i].site + "|" +
                      expected[i].score + "|" + expected[i].plays)
            << i;
    }
    EXPECT_NE(shown.out.find("<span class=\"league\">River &lt;Valley&gt; &amp; League</span>"),
              std::string::npos)
        << page;
    if (page == hostilePage) {
      EXPECT_NE(shown.out.find(">&lt;script&gt;alert(1)&lt;/script&gt;<"), std::string::npos);
    }
    CommandResult checked = RunProgram(tidy, {"tidy", "-e", "-q", page}, "/");
    EXPECT_LT(checked.exitCode, 2) << page << "\n" << checked.err;
  }
  ExpectLinksResolveWithin(out + "/");
  std::string data = ReadAll(out + "/standings.json");
  EXPECT_NE(data.find(R"("league":"River \u003cValley\u003e \u0026 League",)"), std::string::npos);
  EXPECT_NE(data.find(R"("player":"\u003cscript\u003ealert(1)\u003c/script\u003e")"),
            std::string::npos);
  // A tie for first: both share rank 1, and both are named, on the page and in the data.
  EXPECT_EQ(expected[0].rank + expected[1].rank + expected[2].rank, "113") << standings.out;
  EXPECT_NE(ReadAll(out + "/index.html")
                .find("Score-To-Beat&gt;</span> &quot;, &lt;SCRIPT&gt;ALERT(1)&lt;/SCRIPT&gt; and "
                      "TIE, NORTH, tied on 2000</p>"),
            std::string::npos);
  EXPECT_NE(data.find(R"("leader":{"player":"\"",)"), std::string::npos) << data;
  EXPECT_NE(data.find(R"(,{"player":"TIE","site":"NORTH","loc":"NTH","score":2000}],)"),
            std::string::npos)
      << data;

  fs::create_directories(LEAGUENET_TEST_ARTEFACTS);
  // The reader's light pages, and the game's dark board for those who prefer it.
  for (std::string look : {"", "-dark"})
    for (std::string size : {"1280x800", "390x844"}) {
      std::string shot =
          std::string(LEAGUENET_TEST_ARTEFACTS) + "/league-pages-" + size + look + ".png";
      fs::remove(shot);
      std::vector<std::string> options = {"--screenshot=" + shot,
                                          "--window-size=" + size.replace(size.find('x'), 1, ",")};
      if (!look.empty()) options.push_back("--force-dark-mode");
      browser.Run(options, out + "/index.html");
      EXPECT_TRUE(fs::exists(shot)) << shot;
    }
}

// The builds beside the served path: its target and what else a run left there.
std::vector<std::string> Builds(const std::string& parent) {
  std::vector<std::string> builds;
  for (const fs::directory_entry& entry : fs::directory_iterator(parent))
    if (entry.path().filename().string().rfind(".league.", 0) == 0 && entry.is_directory() &&
        !entry.is_symlink())
      builds.push_back(entry.path().filename());
  std::sort(builds.begin(), builds.end());
  return builds;
}

// Every file of the publication with its bytes.
std::map<std::string, std::string> Pages(const std::string& out) {
  std::map<std::string, std::string> pages;
  for (const fs::directory_entry& file : fs::recursive_directory_iterator(out + "/"))
    if (file.is_regular_file())
      pages[file.path().string().substr(out.size())] = ReadAll(file.path());
  return pages;
}

TEST(LeaguePages, AKilledPublicationLeavesTheLastOneWholeAndTheNextCleansUp) {
  TestLeague league;
  league.Sql(
      "INSERT INTO league.sites SELECT 'SITE ' || i, 'S00', 'nobody_' || i"
      " FROM generate_series(1, 600) i");
  league.Sql(
      "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code)"
      " SELECT date_trunc('month', league.utc_now()), s.name, 'P' || p, 1 + p,"
      " to_char(league.utc_now(), 'MM') || '-01', '1', 'LEXFRAY0'"
      " FROM league.sites s, generate_series(1, 50) p");
  TempFolder folder;
  std::string settings = PublisherSettings(league, folder);
  std::string out = folder.PathOf("league");
  ASSERT_EQ(Publish(settings, out).exitCode, 0);
  std::string served = fs::read_symlink(out);
  std::map<std::string, std::string> before = Pages(out);
  ASSERT_EQ(before.count("/site/site-599.html"), 1u);

  // Every page changes, so that the killed run was writing new files.
  league.Sql("UPDATE league.entries SET score = score * 2");
  std::vector<char*> argv;
  std::vector<std::string> args = {"leaguenet", "publish", "--config", settings, "--out", out};
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, LeaguenetProgram().c_str(), nullptr, nullptr, argv.data(), environ),
            0);
  bool caught = false;
  for (int wait = 0; wait < 20000 && !caught; ++wait) {
    for (const std::string& build : Builds(folder.path()))
      caught = caught || (build != served && fs::exists(folder.PathOf(build + "/site")) &&
                          !fs::is_empty(folder.PathOf(build + "/site")));
    if (!caught) ::usleep(1000);
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(caught) << "the publication was not seen at work";
  ASSERT_TRUE(WIFSIGNALED(status)) << "the publication ended before it was killed";
  EXPECT_EQ(fs::read_symlink(out), served);
  EXPECT_TRUE(Pages(out) == before) << "the pages changed";
  EXPECT_EQ(Builds(folder.path()).size(), 2u);

  CommandResult next = Publish(settings, out);
  ASSERT_EQ(next.exitCode, 0) << next.err;
  EXPECT_EQ(Builds(folder.path()),
            (std::vector<std::string>{std::min(served, fs::read_symlink(out).string()),
                                      std::max(served, fs::read_symlink(out).string())}))
      << "only the new build and the one it replaced stay";
  EXPECT_NE(Pages(out).at("/site/site-599.html"), before.at("/site/site-599.html"));
}

// A past month takes late scores for a day (sites west of UTC are still in it), and is
// written again until it closes; then its final tables are written once and kept. A site that
// leaves takes its entries of the month in play from the league but not those of the months it
// played, which a publication made afresh shows as they were, also once its name is back.
TEST(LeaguePages, PastMonthsAreFinalOnceClosedAndThenStayAsTheyWere) {
  TestLeague league;
  league.AddSite("NORTH", "NTH");
  league.AddSite("SOUTH", "STH");
  auto clock = [&](const char* utc) {
    league.Sql(
        "CREATE OR REPLACE FUNCTION league.utc_now() RETURNS timestamp LANGUAGE sql STABLE"
        " SET search_path = pg_catalog, pg_temp AS $$ SELECT timestamp '" +
        std::string(utc) + "' $$");
  };
  clock("2026-02-01 04:30");
  AddEntries(league, 1, "NORTH", {{"OLDTIMER", 5000}});
  AddEntries(league, 1, "SOUTH", {{"SUNNY", 8000}});
  AddEntries(league, 0, "NORTH", {{"ANNA", 10}});
  TempFolder folder;
  std::string settings = PublisherSettings(league, folder);
  std::string out = folder.PathOf("league");
  auto publish = [&](const char* kept) {
    CommandResult run = Publish(settings, out);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("1 past months (") + kept + " kept"), std::string::npos)
        << run.out;
    return Pages(out);
  };
  std::map<std::string, std::string> open = publish("0");
  EXPECT_NE(open["/month/2026-01.html"].find("late scores may still come"), std::string::npos);
  EXPECT_NE(open["/month/2026-01.json"].find("\n\"final\":false,"), std::string::npos);
  AddEntries(league, 1, "NORTH", {{"LATE", 7000}});
  EXPECT_NE(publish("0")["/month/2026-01.html"].find("LATE"), std::string::npos);

  clock("2026-02-02 00:00");
  AddEntries(league, 0, "SOUTH", {{"SUNNY", 20}});
  std::map<std::string, std::string> closed = publish("0");
  EXPECT_NE(closed["/month/2026-01.html"].find("January 2026, final tables"), std::string::npos);
  ASSERT_EQ(league.Admin({"remove-site", "--db", league.OrganiserConnection(), "--site", "SOUTH"})
                .exitCode,
            0);
  std::map<std::string, std::string> after = publish("1");
  EXPECT_EQ(after["/month/2026-01.html"], closed["/month/2026-01.html"]);
  EXPECT_NE(after["/month/2026-01.html"].find("SUNNY"), std::string::npos);
  EXPECT_NE(after["/months.html"].find("<td>SUNNY<td>SOUTH<td>STH<td>8000"), std::string::npos)
      << after["/months.html"];
  EXPECT_EQ(after["/index.html"].find("SOUTH"), std::string::npos);
  EXPECT_EQ(after.count("/site/south.html"), 0u);
  for (const char* back : {"", "SOUTH"}) {
    if (*back) league.AddSite(back, "STH");
    std::string afresh = folder.PathOf(std::string("afresh") + back);
    ASSERT_EQ(Publish(settings, afresh).exitCode, 0) << back;
    std::map<std::string, std::string> rebuilt = Pages(afresh);
    EXPECT_EQ(rebuilt["/month/2026-01.html"], closed["/month/2026-01.html"]) << back;
    EXPECT_EQ(rebuilt["/months.html"], after["/months.html"]) << back;
    EXPECT_EQ(rebuilt.count("/site/south.html"), *back ? 1u : 0u);
  }

  // Kept data that cannot be read is kept as it is and said so, not written anew.
  std::ofstream(out + "/month/2026-01.json", std::ios::trunc) << "{\"format\":2,";
  CommandResult damaged = Publish(settings, out);
  EXPECT_EQ(damaged.exitCode, 0) << damaged.err;
  EXPECT_NE(damaged.err.find("leaguenet: month/2026-01.json: it is not well-formed JSON; the "
                             "month's pages stay as they were"),
            std::string::npos)
      << damaged.err;
  std::map<std::string, std::string> kept = Pages(out);
  EXPECT_EQ(kept["/month/2026-01.html"], closed["/month/2026-01.html"]);
  EXPECT_EQ(kept["/month/2026-01.json"], "{\"format\":2,");
  EXPECT_NE(kept["/months.html"].find("Winners not shown: the data kept of this month cannot be "
                                      "read: it is not well-formed JSON"),
            std::string::npos)
      << kept["/months.html"];
}

}  // namespace
}  // namespace lexfray::testing
