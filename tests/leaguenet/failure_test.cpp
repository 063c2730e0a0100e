#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>

#include "test_league.h"

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
  // Runs the exchange with the league setting changed, and checks that it fails with one line
  // of reason and leaves the score file as it was. Exit code 1 is a failure before the time
  // limit; 3 the limit itself, reached by the exchange's own deadline rather than its last-resort
  // alarm.
  std::string FailsWith(const std::string& conninfo, int timeout, int exitCode = 1) {
    site.SetLeague(conninfo, "timeout = " + std::to_string(timeout) + "\n");
    CommandResult run = site.Exchange();
    EXPECT_EQ(run.exitCode, exitCode) << run.err;
    EXPECT_EQ(run.err.find("was stopped"), std::string::npos) << run.err;
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
};

TEST(ExchangeFailure, EachEndsInTimeWithItsReasonAndLeavesTheFileAlone) {
  FailingSite north;
  SilentServer nobody(false);
  EXPECT_NE(north.FailsWith(north.Replaced("port", nobody.Port()), 5).find("Connection refused"),
            std::string::npos);
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
  EXPECT_NE(north.FailsWith(north.Replaced("port", silent.Port()), 2, 3).find("time limit"),
            std::string::npos);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

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

// The exchange killed on entering each call that changes a file or a folder, in turn: the
// first such call, the second, and so on for each kind (strace counts them) until a run gets
// through. Between two of them the files are as they were at the last.
TEST(ExchangeFailure, AKillAtAnyStepLeavesTheOldFileOrTheNewWhole) {
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

  std::string program = north.CompetitionFolder() + "LeagueNet.exe";
  int leftOld = 0;
  int leftNew = 0;
  for (const char* call : {"openat", "write", "ftruncate", "fsync", "fdatasync", "fchmod",
                           "fchown", "rename", "renameat2", "unlink", "unlinkat"}) {
    for (int n = 1;; ++n) {
      north.WriteScoreFile(entries);
      std::string inject = std::string(call) + ":signal=KILL:when=" + std::to_string(n);
      CommandResult run = RunProgram(
          LEAGUENET_TEST_STRACE,
          // A traced program cannot trace itself, as the leak checker would at its end.
          {"strace", "-qq", "-o", "/dev/null", "-E",
           "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0", "-e",
           "trace=" + std::string(call), "-e", "inject=" + inject, program},
          north.ProgramFolder());
      std::string now = north.ScoreFileBytes();
      ASSERT_TRUE(now == old || now == fresh) << inject << ": " << now.size() << " bytes";
      if (run.exitCode != 128 + SIGKILL) {
        ASSERT_EQ(run.exitCode, 0) << inject << ": " << run.err;
        break;
      }
      ++(now == old ? leftOld : leftNew);
    }
  }
  // Both ends were reached: kills before the file's replacement and after it.
  EXPECT_GT(leftOld, 0);
  EXPECT_GT(leftNew, 0);
}

}  // namespace
}  // namespace lexfray::testing
