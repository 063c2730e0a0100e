#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "edge/pg_connection.h"
#include "league/competition_records.h"
#include "league/score_file.h"
#include "support/temp_folder.h"

namespace lexfray::testing {

// The shared throwaway cluster that pg_cluster.sh started for this test run.
struct Cluster {
  std::string folder;
  std::string port;
  std::string authority;       // the certificate authority of the server's certificate
  std::string wrongAuthority;  // one that did not sign it
  std::string organiser;       // the organiser's connection string, without a dbname
};
const Cluster& TestCluster();

struct CommandResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The moment at which every program that the tests run and every test league's clock stand,
// unless a test sets its own: the middle of June 2026, far from a month's end in any zone.
inline constexpr std::time_t kTestMoment = 1781524800;  // 2026-06-15 12:00 UTC

// The leaguenet program as built.
std::string LeaguenetProgram();

// Runs program with argv (argv[0] included) in folder, standard input on /dev/null; with the
// test's environment, or the one given ("NAME=value" each); its clock at the moment at
// (through libfaketime, which a program that runs with another's group ignores, as it ignores
// the rest of its caller's environment), or on the real clock.
CommandResult RunProgram(const std::string& program, const std::vector<std::string>& argv,
                         const std::string& folder,
                         const std::optional<std::vector<std::string>>& environment = {},
                         std::optional<std::time_t> at = kTestMoment);

// A league of its own in a new database of the shared cluster, set up with init-league and its
// clock at kTestMoment; the database and its roles go with the object. When the test has
// failed by then, the server's log tail is shown.
class TestLeague {
 public:
  enum class Setup { kInitLeague, kEmptyDatabase };
  explicit TestLeague(Setup setup = Setup::kInitLeague);
  TestLeague(const TestLeague&) = delete;
  TestLeague& operator=(const TestLeague&) = delete;
  ~TestLeague();

  const std::string& Database() const { return database_; }
  // As the organiser: a role that may create databases and roles, with its password, over TLS.
  std::string OrganiserConnection() const;
  CommandResult Admin(const std::vector<std::string>& arguments) const;
  // Runs sql as the organiser; fails the test on an error.
  leaguenet::Rows Sql(const std::string& sql, const std::vector<std::string>& params = {}) const;
  // Runs statements without parameters as the organiser; fails the test on an error.
  void Script(const std::string& sql) const;
  // The text that add-site printed.
  std::string AddSite(const std::string& name, const std::string& loc) const;
  // Stops the league's clock (league.utc_now) at the moment at.
  void SetClock(std::time_t at) const;

 private:
  std::string database_;
};

// An entry as the game writes it.
CompetitionEntry GameEntry(const std::string& site, const std::string& player, double score,
                           const std::string& lastDate, int plays);

// When the entry's player last played, as the player file records it (MM-DD-YY): on the
// entry's date, in the test moment's year unless that date is still to come.
std::string LastPlayed(const CompetitionEntry& entry);

// A site's program folder with the exchange installed as the game starts it:
// root/QuillonHomeSoftware/LeagueNet/LeagueNet.exe, a link to the program, with the site's
// leaguenet.conf beside it.
class TestSite {
 public:
  TestSite(const TestLeague& league, const std::string& name, const std::string& loc);
  // A site whose credentials were made otherwise.
  explicit TestSite(const std::string& conninfo);

  std::string ProgramFolder() const { return folder_.PathOf("prog/"); }
  std::string CompetitionFolder() const {
    return folder_.PathOf("root/QuillonHomeSoftware/LeagueNet/");
  }
  std::string SettingsPath() const { return CompetitionFolder() + "leaguenet.conf"; }
  // Below it stands the competition folder, as / does for the game.
  std::string Root() const { return folder_.PathOf("root/"); }
  std::string ScoreFilePath() const { return ProgramFolder() + "LEXFRAY.ISC"; }
  // Replaces the league line of the settings.
  void SetLeague(const std::string& conninfo, const std::string& moreLines = "") const;
  const std::string& League() const { return league_; }

  // A score file as the game's export leaves it: a new header and these entries; and the
  // player file with a record for each entry's player, last played on the entry's date.
  void WriteScoreFile(const std::vector<CompetitionEntry>& entries) const;
  std::string ScoreFileBytes() const;
  lexfray::ScoreFile ScoreFile() const;

  // LEXFRAY.CFG as the game reads it: the site's name on line 1, the competition on line 32.
  void WriteConfig(const std::string& siteName, bool competition = true) const;

  // Replaces the player file: a record for each name, last played on that date (MM-DD-YY).
  void WritePlayers(const std::vector<std::pair<std::string, std::string>>& lastPlayed) const;

  // The exchange as the game runs it: no arguments, in the program folder; with the game's
  // fixed environment when asked.
  CommandResult Exchange(bool gameEnvironment = false) const;
  // The same at another moment than kTestMoment.
  CommandResult ExchangeAt(std::time_t at) const;

 private:
  TempFolder folder_;
  std::string league_;
};

// Sets an environment variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value);
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;
  ~ScopedVariable();

 private:
  const char* name_;
};

// The entry's text fields without their padding, for comparisons.
std::string Trimmed(const std::string& text);
CompetitionEntry EntryAt(const lexfray::ScoreFile& file, std::size_t index);
CompetitionHeader HeaderOf(const lexfray::ScoreFile& file);
// MM of kTestMoment's month, and of the month before.
std::string ThisMonth();
std::string LastMonth();
// The first day of kTestMoment's month, or of a month before it, as YYYY-MM-DD.
std::string FirstDay(int monthsBack = 0);

}  // namespace lexfray::testing
