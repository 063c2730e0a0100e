#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <regex>
#include <thread>

#include "test_league.h"

extern char** environ;

namespace lexfray::testing {
namespace {

// A TCP port on 127.0.0.1 that takes connections into its queue and never answers them,
// or (closed) one where nothing listens.
class SilentServer {
 public:
  explicit SilentServer(bool listening) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (listening) {
      ::listen(fd_, 16);
    } else {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~SilentServer() {
    if (fd_ >= 0) ::close(fd_);
  }
  std::string Port() const { return std::to_string(port_); }

 private:
  int fd_ = -1;
  int port_ = 0;
};

struct FailingSite {
  FailingSite() : site(league, "NORTH", "NTH") {
    site.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, ThisMonth() + "-05", 4),
                         GameEntry("SOUTH", "DORA", 900, "01-01", 1)});
    before = site.ScoreFileBytes();
  }
  // Runs the exchange with the league setting changed, and checks that it fails in time
  // with one line of reason and leaves the score file as it was.
  std::string FailsWith(const std::string& conninfo, int timeout) {
    site.SetLeague(conninfo, "timeout = " + std::to_string(timeout) + "\n");
    CommandResult run = site.Exchange();
    exitCode = run.exitCode;
    EXPECT_NE(run.exitCode, 0);
    EXPECT_LT(run.took.count(), timeout * 1000 + 1500);
    EXPECT_EQ(run.err.rfind("leaguenet: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(site.ScoreFileBytes(), before);
    return run.err;
  }
  std::string Replaced(const std::string& key, const std::string& value) const {
    std::string conninfo = site.League();
    std::size_t at = conninfo.find(key + "='");
    std::size_t end = conninfo.find('\'', at + key.size() + 2);
    return conninfo.substr(0, at) + key + "='" + value + conninfo.substr(end);
  }

  TestLeague league;
  TestSite site;
  std::string before;
  int exitCode = -1;  // of the last exchange
};

TEST(ExchangeFailure, EachEndsInTimeWithItsReasonAndLeavesTheFileAlone) {
  FailingSite north;
  SilentServer nobody(false);
  EXPECT_NE(north.FailsWith(north.Replaced("port", nobody.Port()), 5).find("Connection refused"),
            std::string::npos);
  EXPECT_EQ(north.exitCode, 1);
  EXPECT_NE(north.FailsWith(north.Replaced("password", "wrong"), 5)
                .find("password authentication failed"),
            std::string::npos);
  EXPECT_NE(north.FailsWith(north.Replaced("sslrootcert", TestCluster().wrongAuthority), 5)
                .find("certificate"),
            std::string::npos);
  EXPECT_NE(north.FailsWith(north.Replaced("dbname", "nosuchleague"), 5).find("nosuchleague"),
            std::string::npos);

  SilentServer silent(true);
  auto start = std::chrono::steady_clock::now();
  EXPECT_NE(north.FailsWith(north.Replaced("port", silent.Port()), 2).find("time limit"),
            std::string::npos);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(north.exitCode, 3);

  // Not TLS when the settings ask for nothing: the exchange insists on a checked certificate.
  std::string plain = north.site.League();
  plain = plain.substr(0, plain.find(" sslrootcert"));
  plain.replace(plain.find("sslmode='verify-full'"), 21, "");
  north.FailsWith(plain, 5);
}

// A libpq service that names no TLS mode gets the same checked TLS as a connection string.
TEST(ExchangeFailure, AServiceIsHeldToTheSameTls) {
  FailingSite north;
  TempFolder services;
  std::string conninfo = north.site.League();
  conninfo = conninfo.substr(0, conninfo.find(" sslmode"));
  std::string service = "[north]\n" + std::regex_replace(conninfo, std::regex("'? ([a-z]+=)'?"), "\n$1");
  service = std::regex_replace(service, std::regex("'"), "");
  std::ofstream(services.PathOf("services.conf")) << service << "\n";
  ScopedVariable file("PGSERVICEFILE", services.PathOf("services.conf"));
  EXPECT_NE(north.FailsWith("service=north", 5).find("certificate verify failed"),
            std::string::npos);
  std::ofstream(services.PathOf("services.conf"), std::ios::app)
      << "sslrootcert=" << TestCluster().authority << "\n";
  CommandResult run = north.site.Exchange();
  EXPECT_EQ(run.exitCode, 0) << run.err << service;
}

TEST(ExchangeFailure, CredentialsOfNoSiteAreRefused) {
  FailingSite north;
  north.league.Sql("DELETE FROM league.sites WHERE name = 'NORTH'");
  EXPECT_NE(north.FailsWith(north.site.League(), 5).find("not a site of the league"),
            std::string::npos);
}

TEST(ExchangeFailure, AKillAtAnyMomentLeavesTheOldFileOrTheNewWhole) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TestSite south(league, "SOUTH", "STH");
  south.WriteScoreFile({GameEntry("SOUTH", "DORA", 900, ThisMonth() + "-05", 9)});
  ASSERT_EQ(south.Exchange().exitCode, 0);
  std::vector<CompetitionEntry> entries;
  for (int i = 0; i < 40; ++i)
    entries.push_back(
        GameEntry("NORTH", "PLAYER " + std::to_string(i), 10.0 * i, ThisMonth() + "-05", i));
  north.WriteScoreFile(entries);
  std::string old = north.ScoreFileBytes();
  ASSERT_EQ(north.Exchange().exitCode, 0);
  std::string fresh = north.ScoreFileBytes();
  ASSERT_NE(fresh, old);

  std::mt19937 random(20261207);
  std::string program = north.CompetitionFolder() + "LeagueNet.exe";
  int completed = 0;
  for (int run = 0; run < 60; ++run) {
    north.WriteScoreFile(entries);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addchdir_np(&actions, north.ProgramFolder().c_str());
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    ::posix_spawn_file_actions_destroy(&actions);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60000)(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    completed += WIFEXITED(status) ? 1 : 0;
    std::string now = north.ScoreFileBytes();
    ASSERT_TRUE(now == old || now == fresh) << "run " << run << ": " << now.size() << " bytes";
  }
  // Both ends of the race were reached.
  EXPECT_LT(completed, 60);
  RecordProperty("completed", completed);
}

}  // namespace
}  // namespace lexfray::testing
