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

// Sets an environment variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() { ::unsetenv(name_); }

 private:
  const char* name_;
};

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

TEST(EnableCommand, MakesTheCompetitionFolderForTheGamesGroupAndDisableTakesItAway) {
  if (!CanPlaySetgid()) GTEST_SKIP() << "needs root and a games group";
  TempFolder root;
  CommandResult enabled =
      RunProgram(LeaguenetProgram(), {"leaguenet", "enable", "--root", root.path()}, "/");
  ASSERT_EQ(enabled.exitCode, 0) << enabled.err;
  struct stat base {};
  struct stat folder {};
  ASSERT_EQ(::stat(root.PathOf("QuillonHomeSoftware").c_str(), &base), 0);
  ASSERT_EQ(::stat(root.PathOf("QuillonHomeSoftware/LeagueNet").c_str(), &folder), 0);
  EXPECT_EQ(base.st_mode & 07777, 0755u);
  EXPECT_EQ(base.st_uid, 0u);
  EXPECT_EQ(folder.st_mode & 07777, 0775u);
  EXPECT_EQ(folder.st_gid, ::getgrnam("games")->gr_gid);
  EXPECT_EQ(fs::read_symlink(root.PathOf("QuillonHomeSoftware/LeagueNet/LeagueNet.exe")),
            fs::canonical(LeaguenetProgram()));
  // Twice is no mistake.
  EXPECT_EQ(
      RunProgram(LeaguenetProgram(), {"leaguenet", "enable", "--root", root.path()}, "/").exitCode,
      0);

  std::ofstream(root.PathOf("QuillonHomeSoftware/LeagueNet/GOLN")).close();
  CommandResult disabled =
      RunProgram(LeaguenetProgram(), {"leaguenet", "disable", "--root", root.path()}, "/");
  EXPECT_EQ(disabled.exitCode, 0) << disabled.err;
  EXPECT_FALSE(fs::exists(root.PathOf("QuillonHomeSoftware")));
}

}  // namespace
}  // namespace lexfray::testing
