#include <algorithm>
#include <ostream>

#include "commands/commands.h"
#include "edge/files.h"
#include "edge/system.h"
#include "exchange/league_client.h"
#include "exchange/site_players.h"
#include "league/score_file.h"
#include "platform/files.h"
#include "platform/record_fields.h"
#include "platform/system_clock.h"
#include "rules/safe_text.h"

namespace lexfray::leaguenet {

namespace {

// Far more than any settings file; a larger one is no settings file.
constexpr std::size_t kLargestSettings = 64 * 1024;

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The marker only says that fresh scores are waiting; a run without it exchanges anyway.
void RemoveMarker(const std::string& invokedAs) {
  std::size_t slash = invokedAs.rfind('/');
  if (slash != std::string::npos)
    RemoveFile(invokedAs.substr(0, slash + 1) + std::string(kCompetitionMarkerName));
}

}  // namespace

int Fail(std::ostream& err, const std::string& line, std::optional<Deadline> deadline) {
  // The reason may quote the server, which is no reason to let it drive a terminal.
  std::string shown = PrintableText(line, line.size());
  err << "leaguenet: " << shown << '\n';
  LogLine(true, shown);
  // Whatever the wait was (the connection, the server's answer, its statement timeout), a
  // failure at the deadline is the time limit.
  return deadline && Clock::now() >= *deadline ? kTimeLimit : kFailed;
}

std::string MismatchText(const std::vector<std::string>& fileSites, const SiteIdentity& site) {
  std::string names;
  for (const std::string& name : fileSites) names += (names.empty() ? "" : ", ") + name;
  return "its entries are of site " + names + ", none of " + site.name +
         " as the league registered this site; make line 1 of LEXFRAY.CFG read " + site.name;
}

bool LoadFirstSettings(const std::vector<std::string>& candidates, LeagueSettings* settings,
                       std::string* where, std::string* error) {
  error->clear();
  for (const std::string& candidate : candidates) {
    std::optional<std::string> text = ReadSmallFile(candidate, kLargestSettings);
    if (!text) continue;
    SettingsReading reading = ParseSettings(*text);
    std::string why;
    if (reading.settings && !IsConnectionString(reading.settings->league, &why))
      reading = {std::nullopt, "line " + std::to_string(reading.settings->leagueLine) +
                                   ": league is " + why};
    if (!reading.settings) {
      *error = candidate + ": " + reading.error;
      return false;
    }
    *settings = *reading.settings;
    *where = candidate;
    return true;
  }
  return false;
}

bool LoadSettings(const Invocation& invocation, LeagueSettings* settings, std::string* where,
                  std::string* error) {
  if (LoadFirstSettings(SettingsCandidates(invocation.configFile, invocation.invokedAs), settings,
                        where, error))
    return true;
  if (error->empty())
    *error = invocation.configFile.empty()
                 ? "no settings: neither leaguenet.conf beside the command nor " +
                       std::string(kSystemSettings) + " can be read"
                 : "cannot read the settings " + invocation.configFile;
  return false;
}

namespace {

// The score file as the game sees it (with its pending exports), split into header and
// entries.
std::optional<ScoreFile> ReadAsTheGame(const std::string& path, std::string* error) {
  std::optional<ScoreFileRecords> records = ReadScoreFile(path, error);
  if (!records) return std::nullopt;
  return ParseScoreFile(records->bytes);
}

// The file the game reads back: this site's entries first, then as many of the other sites'
// best as leave room for every player the site may still have this month, so that the game
// never finds the file full when it adds one. Those are as many as the player file holds; an
// own entry of a player who has not played this month keeps its place beside them.
void KeepRoomForTheSitesPlayers(ScoreFile& merged, const SiteIdentity& site,
                                const MonthPlayers& players) {
  std::size_t own = 0;
  std::size_t idle = 0;
  for (const CompetitionRecordBytes& entry : merged.entries) {
    if (!IsOwnEntry(entry, site)) break;
    ++own;
    std::string player =
        fields::GetText(entry, entry_layout::kPlayer, CompetitionEntry::kPlayerWidth);
    idle += players.count(ComparableName(player)) ? 0 : 1;
  }
  auto room = static_cast<std::size_t>(
      std::max<std::int64_t>(0, kMostOthers - static_cast<std::int64_t>(idle)));
  std::size_t kept = own + std::min(merged.entries.size() - own, room);
  merged.entries.resize(std::min(kept, static_cast<std::size_t>(kMostScoreEntries)));
}

// The game may have exported while the league was asked: the merge is made from the file as
// it is when it goes in place, with the game's exports pending in its spool, and this site's
// entries are taken as they are then.
bool MergeIntoScoreFile(const std::string& path, const ExchangeResult& result,
                        const MonthPlayers& players, std::size_t* entries, std::string* error) {
  SystemClock clock;
  return UpdateScoreFile({path}, clock, [&](ScoreFile& file, std::string*) {
    file = MergedScoreFile(file, result.site, result.sent, result.others);
    KeepRoomForTheSitesPlayers(file, result.site, players);
    *entries = file.entries.size();
    return true;
  }, error);
}

}  // namespace

int RunExchange(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  LeagueSettings settings;
  std::string where;
  std::string error;
  if (!LoadSettings(invocation, &settings, &where, &error)) return Fail(err, error);
  Deadline deadline = Clock::now() + std::chrono::seconds(settings.timeoutSeconds);
  // A hung name lookup is the one wait that no deadline of ours reaches.
  ArmHardTimeLimit(settings.timeoutSeconds + 2);
  RemoveMarker(invocation.invokedAs);

  std::string path =
      WithSlash(settings.folder.empty() ? CurrentFolder() : settings.folder) + std::string(kScoreFileName);
  if (IsReadOnly(path)) return Fail(err, path + " is read-only");
  std::optional<ScoreFile> file = ReadAsTheGame(path, &error);
  if (!file) return Fail(err, error);

  LocalDate today = Today();
  SiteMonth month{today.year, today.month};
  std::optional<MonthPlayers> players = PlayersOfThisMonth(FolderOf(path), month, &error);
  if (!players) return Fail(err, error);

  int attempts = 0;
  std::unique_ptr<PgConnection> league =
      ConnectToLeague(settings.league, {invocation.distrust}, deadline, &attempts, &error);
  std::string full = FullLeagueNote(attempts);
  if (!league) return Fail(err, error + full, deadline);
  ExchangeResult result;
  ExchangeRequest request{*file, month, *players, settings.others, settings.timeoutSeconds};
  if (!ExchangeWithLeague(*league, request, &result, &error))
    return Fail(err, "exchange failed: " + error, deadline);
  league.reset();
  std::vector<std::string> foreign = ForeignSites(*file, result.site, result.others);
  if (!foreign.empty()) return Fail(err, path + ": " + MismatchText(foreign, result.site));
  // The rest is local and bounded by the file's lock: a kill now would only leave a stray
  // temporary copy beside the file.
  ArmHardTimeLimit(0);

  std::size_t entries = 0;
  if (!MergeIntoScoreFile(path, result, *players, &entries, &error)) return Fail(err, error);
  std::string refused = result.refused == 0 ? ""
                        : std::to_string(result.refused) +
                              " refused by the league as no entry of the game, ";
  std::string done = "exchanged as " + TrimmedPrintable(result.site.name, 35) + ": " +
                     std::to_string(result.sent.size()) + " entries sent, " + refused +
                     std::to_string(entries) + " in " + path + full;
  out << done << '\n';
  LogLine(false, done);
  return kDone;
}

}  // namespace lexfray::leaguenet
