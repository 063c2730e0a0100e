#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/constants.h"
#include "edge/pg_connection.h"
#include "exchange/exchange_plan.h"
#include "rules/league_settings.h"

namespace lexfray::leaguenet {

// Exit codes of every command.
enum ExitCode { kDone = 0, kFailed = 1, kUsage = 2, kTimeLimit = 3 };

// What every command is given from the command line.
struct Invocation {
  std::string invokedAs;   // argv[0]: the exchange looks for its settings and marker there
  std::string configFile;  // --config
  std::string database;    // --db
  std::string site;        // --site
  std::string loc;         // --loc
  std::string siteCa;      // --site-ca: where sites keep the league's own authority's certificate
  std::string out;         // --out: the file or folder a command writes what it makes into
  std::optional<std::string> leagueName;  // --name: init-league names the league
  std::string root = "/";  // --root: below it stands the competition folder
  bool repair = false;     // --repair: check-server sets right what it can
  bool distrust = false;   // runs with a group that is not the caller's
};

// The first of the candidates that can be read, read and checked; false with the reason in
// *error, which is empty when none of them can be read.
bool LoadFirstSettings(const std::vector<std::string>& candidates, LeagueSettings* settings,
                       std::string* where, std::string* error);

// The settings file of the invocation read and checked; false with the reason in *error.
bool LoadSettings(const Invocation& invocation, LeagueSettings* settings, std::string* where,
                  std::string* error);

// Why the settings read from where give their password away, when every user of the machine
// may read them; fix says how to close them.
std::optional<std::string> OpenPassword(const LeagueSettings& settings, const std::string& where,
                                        std::string_view fix);

int RunExchange(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunStandings(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunCheck(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunInitLeague(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunAddSite(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunRemoveSite(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunSuspendSite(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunResumeSite(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunCheckServer(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunPublish(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunAddPublisher(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunEnable(const Invocation& invocation, std::ostream& out, std::ostream& err);
int RunDisable(const Invocation& invocation, std::ostream& out, std::ostream& err);

// Writes "leaguenet: line" on err and into the system log; returns kFailed, or kTimeLimit
// when the deadline given has passed.
int Fail(std::ostream& err, const std::string& line,
         std::optional<Deadline> deadline = std::nullopt);

// Why the exchange refuses a score file none of whose entries is this site's (ForeignSites).
std::string MismatchText(const std::vector<std::string>& fileSites, const SiteIdentity& site);

}  // namespace lexfray::leaguenet
