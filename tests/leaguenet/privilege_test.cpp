#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "test_league.h"

namespace lexfray::testing {
namespace {

namespace fs = std::filesystem;

bool CanPlaySetgid() {
  return ::geteuid() == 0 && ::getgrnam("games") != nullptr;
}

// The exchange as a shared installation runs it: a copy of the program that holds the
// games group, started by someone (root here) whose own group is another.
void MakeSetgidCopy(const TestSite& site) {
  std::string copy = site.CompetitionFolder() + "LeagueNet.exe";
  fs::remove(copy);
  fs::copy_file(LeaguenetProgram(), copy);
  ASSERT_EQ(::chown(copy.c_str(), 0, ::getgrnam("games")->gr_gid), 0);
  ASSERT_EQ(::chmod(copy.c_str(), 02755), 0);
}

TEST(ExchangeWithTheGamesGroup, NoPlayersVariableSteersTheConnectionAndOnlyTheExchangeRuns) {
  if (!CanPlaySetgid()) GTEST_SKIP() << "needs root and a games group";
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, ThisMonth() + "-05", 4)});
  // The settings leave the port to the environment: trusted by the admin's own run only.
  std::string conninfo = north.League();
  std::size_t port = conninfo.find(" port='");
  conninfo.erase(port, conninfo.find('\'', port + 7) + 1 - port);
  north.SetLeague(conninfo);
  ScopedVariable pgport("PGPORT", TestCluster().port);
  CommandResult trusted = north.Exchange();
  EXPECT_EQ(trusted.exitCode, 0) << trusted.err;

  // Without the variable the default port is tried, where this league is not.
  MakeSetgidCopy(north);
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 999, ThisMonth() + "-05", 5)});
  std::string before = north.ScoreFileBytes();
  CommandResult distrusted = north.Exchange();
  EXPECT_EQ(distrusted.exitCode, 1) << distrusted.err;
  EXPECT_EQ(north.ScoreFileBytes(), before);
  EXPECT_EQ(league.Sql("SELECT score FROM league.entries WHERE player = 'ANNA'")[0][0], "300");

  std::string program = north.CompetitionFolder() + "LeagueNet.exe";
  for (const std::vector<std::string>& argv :
       {std::vector<std::string>{program, "check"},
        {program, "--config", north.SettingsPath()},
        {program, "add-site", "--db", league.OrganiserConnection(), "--site", "X", "--loc",
         "XXX"}}) {
    CommandResult refused = RunProgram(program, argv, north.ProgramFolder());
    EXPECT_EQ(refused.exitCode, 2) << argv[1];
    EXPECT_EQ(refused.err, "leaguenet: with the game's group only the exchange itself runs\n");
  }
}

// Only root may change what the game starts with its group; the game's one write there is
// its marker, into a file made for it.
TEST(EnableCommand, MakesTheCompetitionFolderRootsAloneAndDisableTakesItAway) {
  if (!CanPlaySetgid()) GTEST_SKIP() << "needs root and a games group";
  TempFolder root;
  std::string folder = root.PathOf("QuillonHomeSoftware/LeagueNet/");
  // As an earlier enable left it: open to the group, and something planted in it.
  fs::create_directories(folder);
  ::chmod(folder.c_str(), 0775);
  fs::create_symlink("/etc/shadow", folder + "GOLN");
  for (int run = 0; run < 2; ++run) {  // twice is no mistake
    CommandResult enabled =
        RunProgram(LeaguenetProgram(), {"leaguenet", "enable", "--root", root.path()}, "/");
    ASSERT_EQ(enabled.exitCode, 0) << enabled.err;
  }
  for (const std::string& made : {root.PathOf("QuillonHomeSoftware"), folder}) {
    struct stat info {};
    ASSERT_EQ(::stat(made.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u) << made;
    EXPECT_EQ(info.st_uid, 0u) << made;
    EXPECT_EQ(info.st_gid, 0u) << made;
  }
  struct stat marker {};
  ASSERT_EQ(::lstat((folder + "GOLN").c_str(), &marker), 0);
  EXPECT_TRUE(S_ISREG(marker.st_mode));
  EXPECT_EQ(marker.st_mode & 07777, 0660u);
  EXPECT_EQ(marker.st_gid, ::getgrnam("games")->gr_gid);
  EXPECT_EQ(fs::read_symlink(folder + "LeagueNet.exe"), fs::canonical(LeaguenetProgram()));

  CommandResult disabled =
      RunProgram(LeaguenetProgram(), {"leaguenet", "disable", "--root", root.path()}, "/");
  EXPECT_EQ(disabled.exitCode, 0) << disabled.err;
  EXPECT_FALSE(fs::exists(root.PathOf("QuillonHomeSoftware")));
}

}  // namespace
}  // namespace lexfray::testing
