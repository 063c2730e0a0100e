#include "test_league.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "edge/files.h"
#include "platform/record_fields.h"
#include "players/player_record.h"

extern char** environ;

namespace lexfray::testing {

namespace {

std::map<std::string, std::string> ReadEnvFile(const std::string& path) {
  std::map<std::string, std::string> values;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string value = line.substr(equals + 1);
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
      value = value.substr(1, value.size() - 2);
    values[line.substr(0, equals)] = value;
  }
  return values;
}

std::unique_ptr<leaguenet::PgConnection> Connect(const std::string& conninfo) {
  std::string error;
  auto connection = leaguenet::PgConnection::Open(
      conninfo, {}, leaguenet::Clock::now() + std::chrono::seconds(30), &error);
  if (!connection) ADD_FAILURE() << "cannot connect as the organiser: " << error;
  return connection;
}

std::string OrganiserOf(const std::string& database) {
  return TestCluster().organiser + " dbname=" + database;
}

leaguenet::Rows RunSql(const std::string& conninfo, const std::string& sql,
                       const std::vector<std::string>& params) {
  leaguenet::Rows rows;
  auto connection = Connect(conninfo);
  std::string error;
  if (connection && !connection->Run(sql, params, &rows, &error))
    ADD_FAILURE() << sql << ": " << error;
  return rows;
}

std::tm TestDate() {
  std::tm date{};
  gmtime_r(&kTestMoment, &date);
  return date;
}

// The environment given, or else the test's own, with the clock at the moment at. The preloaded
// libfaketime comes before a sanitizer's runtime, which is told not to mind.
std::vector<std::string> EnvironmentAt(const std::optional<std::vector<std::string>>& given,
                                       std::optional<std::time_t> at) {
  std::vector<std::string> variables;
  if (given)
    variables = *given;
  else
    for (char** variable = environ; *variable; ++variable) variables.emplace_back(*variable);
  if (!at) return variables;
  std::string sanitizer = "verify_asan_link_order=0";
  std::erase_if(variables, [&sanitizer](const std::string& entry) {
    if (entry.starts_with("ASAN_OPTIONS=")) sanitizer = entry.substr(13) + ":" + sanitizer;
    return entry.starts_with("ASAN_OPTIONS=") || entry.starts_with("LD_PRELOAD=") ||
           entry.starts_with("FAKETIME");
  });
  variables.push_back("ASAN_OPTIONS=" + sanitizer);
  variables.push_back("LD_PRELOAD=" LEAGUENET_TEST_FAKETIME);
  variables.push_back("FAKETIME_FMT=%s");
  variables.push_back("FAKETIME=@" + std::to_string(*at));
  // Deadlines and waits keep the real pace.
  variables.push_back("FAKETIME_DONT_FAKE_MONOTONIC=1");
  return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The server's last lines about a database, where a failed test may find what the server made
// of it.
void ShowServerLogTail(const std::string& database) {
  std::string path = TestCluster().folder + "/server.log";
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (line.find(" " + database + " ") != std::string::npos) lines.push_back(line);
  std::size_t from = lines.size() > 30 ? lines.size() - 30 : 0;
  std::cerr << "--- the last lines of " << path << " about " << database << ":\n";
  for (std::size_t i = from; i < lines.size(); ++i) std::cerr << lines[i] << '\n';
}

// libfaketime names a semaphore and a shared memory object after each process's pid and
// removes them as the process ends. A killed process leaves them, and a later process given
// the same pid would then fail to start: what names a process that is gone goes.
void ForgetClocksOfEndedProcesses() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
    std::string name = entry.path().filename().string();
    for (std::string_view prefix : {"faketime_shm_", "sem.faketime_sem_"}) {
      if (!name.starts_with(prefix)) continue;
      pid_t pid = std::atoi(name.c_str() + prefix.size());
      if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) std::filesystem::remove(entry, ignored);
    }
  }
}

void DrainInto(int fd, std::string& into, bool& open) {
  char buffer[4096];
  ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got > 0)
    into.append(buffer, static_cast<std::size_t>(got));
  else if (got == 0 || errno != EINTR)
    open = false;
}

}  // namespace

std::string LastPlayed(const CompetitionEntry& entry) {
  std::tm now = TestDate();
  int month = std::atoi(entry.lastDate.substr(0, 2).c_str());
  int year = (now.tm_year + 1900 - (month > now.tm_mon + 1 ? 1 : 0)) % 100;
  char played[16];
  std::snprintf(played, sizeof played, "%.5s-%02d", entry.lastDate.c_str(), year);
  return played;
}

const Cluster& TestCluster() {
  static const Cluster cluster = [] {
    auto values = ReadEnvFile(std::string(LEAGUENET_TEST_STATE) + "/cluster.env");
    return Cluster{values["LEAGUENET_PG_DIR"], values["LEAGUENET_PG_PORT"],
                   values["LEAGUENET_PG_CA"], values["LEAGUENET_PG_WRONG_CA"],
                   values["LEAGUENET_PG_ORGANISER"]};
  }();
  if (cluster.port.empty())
    ADD_FAILURE() << "no test cluster: run the leaguenet_cluster_start test first";
  return cluster;
}

std::string LeaguenetProgram() {
  return LEAGUENET_PROGRAM;
}

CommandResult RunProgram(const std::string& program, const std::vector<std::string>& argv,
                         const std::string& folder,
                         const std::optional<std::vector<std::string>>& environment,
                         std::optional<std::time_t> at) {
  int out[2];
  int err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  if (!folder.empty()) ::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<std::string> copies = argv;
  std::vector<std::string> variables = EnvironmentAt(environment, at);
  pid_t pid = 0;
  int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, Pointers(copies).data(),
                              Pointers(variables).data());
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  CommandResult result;
  bool outOpen = spawned == 0;
  bool errOpen = spawned == 0;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[0].revents) DrainInto(out[0], result.out, outOpen);
    if (fds[1].revents) DrainInto(err[0], result.err, errOpen);
  }
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  if (spawned == 0 && ::waitpid(pid, &status, 0) == pid)
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (at && result.exitCode > 128) ForgetClocksOfEndedProcesses();
  return result;
}

TestLeague::TestLeague(Setup setup) {
  std::random_device random;
  char name[32];
  std::snprintf(name, sizeof name, "lg_%08x", random());
  database_ = name;
  RunSql(OrganiserOf("postgres"), "CREATE DATABASE " + database_, {});
  if (setup == Setup::kEmptyDatabase) return;
  CommandResult init = Admin({"init-league", "--db", OrganiserConnection()});
  EXPECT_EQ(init.exitCode, 0) << init.err;
  SetClock(kTestMoment);
}

TestLeague::~TestLeague() {
  if (::testing::Test::HasFailure()) ShowServerLogTail(database_);
  auto connection = Connect(OrganiserOf("postgres"));
  if (!connection) return;
  std::string error;
  connection->RunScript("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)", &error);
  leaguenet::Rows roles;
  connection->Run(
      "SELECT rolname FROM pg_roles WHERE starts_with(rolname, $1) ORDER BY rolname DESC",
      {database_ + "_"}, &roles, &error);
  for (const auto& role : roles)
    connection->RunScript("DROP ROLE IF EXISTS " + connection->QuoteIdentifier(role[0]), &error);
}

std::string TestLeague::OrganiserConnection() const {
  return OrganiserOf(database_);
}

CommandResult TestLeague::Admin(const std::vector<std::string>& arguments) const {
  std::vector<std::string> argv = {"leaguenet"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunProgram(LeaguenetProgram(), argv, "/");
}

leaguenet::Rows TestLeague::Sql(const std::string& sql,
                                const std::vector<std::string>& params) const {
  return RunSql(OrganiserConnection(), sql, params);
}

void TestLeague::Script(const std::string& sql) const {
  auto connection = Connect(OrganiserConnection());
  std::string error;
  if (connection && !connection->RunScript(sql, &error)) ADD_FAILURE() << sql << ": " << error;
}

std::string TestLeague::AddSite(const std::string& name, const std::string& loc) const {
  CommandResult added = Admin({"add-site", "--db", OrganiserConnection(), "--site", name, "--loc",
                               loc, "--site-ca", TestCluster().authority});
  EXPECT_EQ(added.exitCode, 0) << added.err;
  return added.out;
}

void TestLeague::SetClock(std::time_t at) const {
  Sql("CREATE OR REPLACE FUNCTION league.utc_now() RETURNS timestamp LANGUAGE sql STABLE"
      " SET search_path = pg_catalog, pg_temp AS $$ SELECT to_timestamp(" +
      std::to_string(at) + ") AT TIME ZONE 'UTC' $$");
}

CompetitionEntry GameEntry(const std::string& site, const std::string& player, double score,
                           const std::string& lastDate, int plays) {
  CompetitionEntry entry;
  entry.site = site;
  entry.player = player;
  entry.score = score;
  entry.gameCode = "LEXFRAY0";
  entry.lastDate = lastDate;
  entry.status = " ";
  entry.loc = "   ";
  std::string count = std::to_string(plays);
  entry.plays = std::string(5 - count.size(), ' ') + count;
  entry.filler = std::string(41, ' ');
  return entry;
}

TestSite::TestSite(const std::string& conninfo) : league_(conninfo) {
  std::filesystem::create_directories(ProgramFolder());
  std::filesystem::create_directories(CompetitionFolder());
  std::filesystem::create_symlink(LeaguenetProgram(), CompetitionFolder() + "LeagueNet.exe");
  SetLeague(league_);
}

namespace {

std::string SettingsLeague(const std::string& settings) {
  std::size_t at = settings.find("league = ");
  return at == std::string::npos ? "" : settings.substr(at + 9, settings.find('\n', at) - at - 9);
}

}  // namespace

TestSite::TestSite(const TestLeague& league, const std::string& name, const std::string& loc)
    : TestSite(SettingsLeague(league.AddSite(name, loc))) {
  WriteConfig(name);
}

void TestSite::WriteConfig(const std::string& siteName, bool competition) const {
  std::ofstream out(ProgramFolder() + "LEXFRAY.CFG", std::ios::binary | std::ios::trunc);
  out << siteName << "\r\n";
  for (int line = 2; line < 32; ++line) out << (line == 7 ? "5" : "") << "\r\n";
  out << (competition ? "1" : "0") << "\r\n";
}

void TestSite::SetLeague(const std::string& conninfo, const std::string& moreLines) const {
  std::ofstream(SettingsPath()) << "# test site\nleague = " << conninfo << "\n" << moreLines;
}

void TestSite::WriteScoreFile(const std::vector<CompetitionEntry>& entries) const {
  CompetitionHeader header;
  header.headerCode = "00";
  header.beatName = "No Score-To-Beat As Yet";
  header.beatSite = "";
  header.programVersion = " 1.6";
  std::ofstream out(ScoreFilePath(), std::ios::binary | std::ios::trunc);
  auto put = [&out](const CompetitionRecordBytes& bytes) {
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  };
  put(EncodeCompetitionHeader(header));
  for (const CompetitionEntry& entry : entries) put(EncodeCompetitionEntry(entry));
  std::vector<std::pair<std::string, std::string>> players;
  for (const CompetitionEntry& entry : entries)
    players.emplace_back(entry.player, LastPlayed(entry));
  WritePlayers(players);
}

void TestSite::WritePlayers(
    const std::vector<std::pair<std::string, std::string>>& lastPlayed) const {
  std::ofstream out(ProgramFolder() + "LEXFRAY.USR", std::ios::binary | std::ios::trunc);
  for (const auto& [name, date] : lastPlayed) {
    PlayerRecord record;
    record.startMonth = date.substr(0, 2);
    record.name = name;
    record.monthGames = 1;
    record.lastPlayed = date;
    record.dayGames = 1;
    record.createdMark = "Y";
    PlayerRecordBytes bytes = EncodePlayerRecord(record);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
}

std::string TestSite::ScoreFileBytes() const {
  std::ifstream in(ScoreFilePath(), std::ios::binary);
  std::ostringstream bytes;  // in one piece: a test's file may be 100 MB
  bytes << in.rdbuf();
  return bytes.str();
}

ScoreFile TestSite::ScoreFile() const {
  std::string bytes = ScoreFileBytes();
  return ParseScoreFile(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

CommandResult TestSite::Exchange(bool gameEnvironment) const {
  std::string program = CompetitionFolder() + "LeagueNet.exe";
  if (!gameEnvironment) return RunProgram(program, {program}, ProgramFolder());
  return RunProgram(program, {program}, ProgramFolder(),
                    std::vector<std::string>{"PATH=/usr/local/bin:/usr/bin:/bin", "LC_ALL=C"});
}

CommandResult TestSite::ExchangeAt(std::time_t at) const {
  std::string program = CompetitionFolder() + "LeagueNet.exe";
  return RunProgram(program, {program}, ProgramFolder(), std::nullopt, at);
}

ScopedVariable::ScopedVariable(const char* name, const std::string& value) : name_(name) {
  ::setenv(name, value.c_str(), 1);
}

ScopedVariable::~ScopedVariable() {
  ::unsetenv(name_);
}

std::string Trimmed(const std::string& text) {
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

CompetitionEntry EntryAt(const ScoreFile& file, std::size_t index) {
  return DecodeCompetitionEntry(file.entries.at(index));
}

CompetitionHeader HeaderOf(const ScoreFile& file) {
  return DecodeCompetitionHeader(file.header.value());
}

std::string ThisMonth() {
  return FirstDay(0).substr(5, 2);
}
std::string LastMonth() {
  return FirstDay(1).substr(5, 2);
}

std::string FirstDay(int monthsBack) {
  std::tm date = TestDate();
  int months = (date.tm_year + 1900) * 12 + date.tm_mon - monthsBack;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-01", months / 12, months % 12 + 1);
  return text;
}

}  // namespace lexfray::testing
