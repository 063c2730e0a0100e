#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <variant>

#include "commands/check_list.h"
#include "commands/commands.h"
#include "commands/game_start.h"
#include "config/config_file.h"
#include "edge/files.h"
#include "edge/system.h"
#include "exchange/league_client.h"
#include "league/score_file.h"
#include "platform/executable.h"
#include "platform/files.h"
#include "players/player_record.h"
#include "rules/ranks.h"
#include "rules/safe_text.h"
#include "rules/site_name.h"

namespace lexfray::leaguenet {

namespace {

std::string Column(const std::string& text, std::size_t width) {
  std::string shown = TrimmedPrintable(text, width);
  shown.resize(width, ' ');
  return shown;
}

// As the exchange connects: again while the league is full, within the time limit.
std::unique_ptr<PgConnection> Connect(const LeagueSettings& settings, bool distrust, int* attempts,
                                      std::string* error) {
  Deadline deadline = Clock::now() + std::chrono::seconds(settings.timeoutSeconds);
  return ConnectToLeague(settings.league, {distrust}, deadline, attempts, error);
}

// A line of the standings table, every value within its column: the rank, the score and the
// plays right-aligned, the texts cut to their fields, a player's name shown in full.
std::string TableLine(const std::string& rank, const std::string& player,
                      const std::string& score, const std::string& plays, const std::string& site,
                      const std::string& loc) {
  // The widest score is kMostMonthlyScore's nine digits.
  constexpr std::size_t kScoreWidth = 9;
  auto right = [](const std::string& text, std::size_t width) {
    std::string shown = BarePrintable(text, width);
    return std::string(width - shown.size(), ' ') + shown;
  };
  return right(rank, 4) + "  " + Column(player, PlayerRecord::kNameWidth) + "  " +
         right(score, kScoreWidth) + "  " + right(plays, 5) + "  " + Column(site, 35) + "  " +
         TrimmedPrintable(loc, 3) + "\n";
}

SiteMonth ThisMonth() {
  LocalDate today = Today();
  return {today.year, today.month};
}

// The score file as the exchange would find it, and whether its entries are this site's.
void CheckScoreFile(CheckList& list, const std::string& folder, const SiteIdentity* site,
                    const std::vector<LeagueRow>& others) {
  std::string path = folder + std::string(kScoreFileName);
  std::string error;
  std::optional<ScoreFileRecords> records = ReadScoreFile(path, &error);
  if (!records) {
    list.Say(false, "LEXFRAY.ISC", error);
    return;
  }
  if (records->missing) {
    list.Say(true, "LEXFRAY.ISC", "not there yet; the game makes it at its first export");
    return;
  }
  if (IsReadOnly(path)) {
    list.Say(false, "LEXFRAY.ISC", path + " is read-only: the exchange cannot replace it");
    return;
  }
  ScoreFile file = ParseScoreFile(records->bytes);
  std::vector<std::string> foreign = site ? ForeignSites(file, *site, others) : std::vector<std::string>{};
  if (!foreign.empty()) {
    list.Say(false, "LEXFRAY.ISC", std::to_string(file.entries.size()) + " entries: " +
                                       MismatchText(foreign, *site));
    return;
  }
  std::size_t own = 0;
  for (const CompetitionRecordBytes& entry : file.entries)
    own += site && IsOwnEntry(entry, *site) ? 1 : 0;
  list.Say(!records->partial, "LEXFRAY.ISC",
           std::to_string(file.entries.size()) + " entries, " + std::to_string(own) +
               " of this site" + (records->partial ? ", with a partial record at the end" : ""));
}

// What the game needs there: a program to start, a marker it may write, and nobody else able
// to change either.
void CheckCompetitionFolder(CheckList& list, const GameStart& start) {
  std::string folder = FolderOf(start.program);
  if (!FolderExists(folder)) {
    list.Say(false, "competition folder",
             folder + " is missing: the game starts nothing (leaguenet enable)");
    return;
  }
  if (WritableByOthers(folder)) {
    list.Say(false, "competition folder",
             folder + " may be changed by others than root: run leaguenet enable again");
    return;
  }
  if (!CallerMayRun(start.program)) {
    list.Say(false, "competition folder",
             start.program +
                 " is missing or cannot be run: the game starts nothing (leaguenet "
                 "enable)");
    return;
  }
  // A shared installation's game leaves its marker with the games group; a player's own copy
  // may find it root's, and the exchange runs without it.
  std::string marker = folder + std::string(kCompetitionMarkerName);
  bool markable = !start.gameGroup || MarkerWritableByGame(marker) ||
                  GamesGroupMay(folder, kMayWrite | kMayRun);
  std::error_code failure;
  std::filesystem::path target = std::filesystem::read_symlink(start.program, failure);
  list.Say(markable, "competition folder",
           markable ? "the game starts " + start.program +
                          (failure ? std::string() : " -> " + target.string())
                    : marker +
                          " is missing or not writable by the games group: the game "
                          "cannot leave its marker (leaguenet enable)");
}

// Where else a newcomer may have put the settings, which the game's start never reads.
std::string SettingsNotRead() {
  std::string beside = FolderOf(ExecutablePath()) + std::string(kSettingsName);
  return CallerMayRead(beside) ? "; " + beside + " beside leaguenet itself is not read then"
                               : std::string();
}

std::string Listed(const std::vector<std::string>& paths) {
  std::string text;
  for (std::size_t i = 0; i < paths.size(); ++i)
    text += (i == 0 ? "" : i + 1 == paths.size() ? " nor " : ", ") + paths[i];
  return text;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code failure;
  return std::filesystem::equivalent(a, b, failure) && !failure;
}

// The settings as the exchange that the game starts finds them, or, with --config, that file,
// and whether the game's start reads it too.
bool CheckSettings(CheckList& list, const Invocation& invocation, const GameStart& start,
                   LeagueSettings* settings, std::string* where) {
  std::string error;
  std::string gameWhere;
  LeagueSettings gameSettings;
  bool found = LoadFirstSettings(GameSettingsCandidates(start), &gameSettings, &gameWhere, &error);
  std::string none = "the exchange that the game starts as " + start.program +
                     " finds none: neither " + Listed(SettingsCandidates("", start.program)) +
                     " can be read" + (start.gameGroup ? " by the games group" : "") +
                     SettingsNotRead();
  if (invocation.configFile.empty()) {
    if (!found) return list.Say(false, "settings", error.empty() ? none : error);
    *settings = gameSettings;
    *where = gameWhere;
    return list.Say(true, "settings",
                    gameWhere + ", as the exchange that the game starts finds them");
  }
  if (!LoadSettings(invocation, settings, where, &error)) return list.Say(false, "settings", error);
  list.Say(true, "settings", *where + ", given with --config");
  bool same = found && SameFile(gameWhere, *where);
  list.Say(same, "the game's settings",
           same            ? "the exchange that the game starts reads them too"
           : found         ? "the exchange that the game starts reads " + gameWhere + " instead"
           : error.empty() ? none
                           : error);
  return true;
}

// LEXFRAY.CFG as the game reads it: line 1 must be the site's name in the league, or the
// exchange refuses the game's entries; line 32 must switch the competition on, or the game
// never starts the exchange.
void CheckConfig(CheckList& list, const std::string& folder, const SiteIdentity* site) {
  std::string path = folder + std::string(kConfigFileName);
  std::string error;
  std::optional<std::string> bytes = ReadSmallFile(path, kLargestConfig, &error);
  if (!bytes) {
    list.Say(false, "LEXFRAY.CFG", error + ": the game does not start without it");
    return;
  }
  std::variant<ConfigValues, ConfigError> parsed = ParseConfig(*bytes);
  if (const ConfigError* wrong = std::get_if<ConfigError>(&parsed)) {
    list.Say(false, "LEXFRAY.CFG",
             "line " + std::to_string(wrong->line) + ": " + wrong->message +
                 ", so the game "
                 "does not start");
    return;
  }
  const ConfigValues& values = std::get<ConfigValues>(parsed);
  std::string named = SiteKey(values.siteName.substr(0, CompetitionEntry::kSiteWidth));
  if (site && named != site->name) {
    list.Say(false, "LEXFRAY.CFG",
             "line 1 names site \"" + PrintableText(named, named.size()) +
                 "\", not the league's name of this site: make line 1 of " + path + " read " +
                 site->name);
    return;
  }
  if (values.competitionActive == 0) {
    list.Say(false, "LEXFRAY.CFG",
             "line 32 does not switch the competition on, so the game never starts the "
             "exchange: put 1 on line 32 of " +
                 path + " and start the game again");
    return;
  }
  list.Say(true, "LEXFRAY.CFG",
           (site ? "line 1 names this site" : "line 1 names site " + PrintableText(named, 35)) +
               ", line 32 switches the competition on");
}

}  // namespace

int RunStandings(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  LeagueSettings settings;
  std::string where;
  std::string error;
  if (!LoadSettings(invocation, &settings, &where, &error)) return Fail(err, error);
  int attempts = 0;
  std::unique_ptr<PgConnection> league = Connect(settings, invocation.distrust, &attempts, &error);
  if (!league) return Fail(err, error + FullLeagueNote(attempts));
  SiteIdentity site;
  SiteMonth month = ThisMonth();
  std::vector<LeagueRow> rows;
  std::string name;
  if (!FetchIdentity(*league, &site, &error) || !FetchLeagueName(*league, &name, &error) ||
      !FetchStandings(*league, month, settings.others, false, &rows, &error))
    return Fail(err, error);
  // Ranked as the public pages rank the same players.
  struct Place {
    double score;
    const LeagueRow* row;
  };
  std::vector<Place> places;
  for (const LeagueRow& row : rows) {
    std::optional<double> score = ParseScore(row.score);
    if (score && IsSaneScore(*score) && TakesAPlace(*score)) places.push_back({*score, &row});
  }
  std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
    return AheadInTable({a.score, a.row->site, a.row->player},
                        {b.score, b.row->site, b.row->player});
  });
  std::vector<double> scores;
  for (const Place& place : places) scores.push_back(place.score);
  std::vector<std::size_t> ranks = SharedRanks(scores);
  out << PrintableText(name, name.size()) << ": LeagueNET standings of "
      << month.FirstDay().substr(0, 7) << " (as " << site.name << ")\n";
  out << TableLine("Rank", "Player", "Score", "Plays", "Site", "LOC");
  for (std::size_t i = 0; i < places.size(); ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "%.0f", ShownScore(places[i].score));
    const LeagueRow& row = *places[i].row;
    out << TableLine(std::to_string(ranks[i]), row.player, number, row.plays, row.site, row.loc);
  }
  return kDone;
}

std::optional<std::string> OpenPassword(const LeagueSettings& settings, const std::string& where,
                                        std::string_view fix) {
  // Whoever can read a site's password can upload any score under the site's name.
  if (settings.league.find("password") == std::string::npos || !ReadableByEveryone(where))
    return std::nullopt;
  return where + " is readable by every user: " + std::string(fix) + " it";
}

int RunCheck(const Invocation& invocation, std::ostream& out, std::ostream&) {
  CheckList list(out);
  GameStart start = GameStartBelow(invocation.root);
  LeagueSettings settings;
  std::string where;
  if (!CheckSettings(list, invocation, start, &settings, &where)) return list.Result();
  std::optional<std::string> open = OpenPassword(settings, where, "chgrp games and chmod 640");
  if (settings.league.find("password") != std::string::npos)
    list.Say(!open, "password", open ? *open : "readable by its owner and group only");
  // The connection as the game's exchange makes it: the game's fixed environment holds no
  // PG* variable and no TZ, and with the games group nothing of the caller's is trusted.
  DistrustEnvironment(start.gameGroup);
  std::string error;
  int attempts = 0;
  std::unique_ptr<PgConnection> league = Connect(settings, start.gameGroup, &attempts, &error);
  SiteIdentity site;
  std::vector<LeagueRow> others;
  bool known = false;
  if (list.Say(
          league != nullptr, "connection",
          (league ? "PostgreSQL " + league->ServerVersion() : error) + FullLeagueNote(attempts))) {
    bool socket = league->Option("host").empty() || league->Option("host").front() == '/';
    list.Say(league->TlsInUse() || socket, "TLS",
             league->TlsInUse() ? league->TlsVersion()
             : socket           ? "not used on a local socket"
                                : "not in use");
    std::string leagueDate;
    SiteMonth month = ThisMonth();
    known = FetchIdentity(*league, &site, &error, &leagueDate) &&
            FetchStandings(*league, month, settings.others, true, &others, &error);
    list.Say(known, "credentials",
             known ? "site " + site.name + " (" + site.loc + "), month " +
                         month.FirstDay().substr(0, 7) + " (the league's date " + leagueDate + ")"
                   : error);
  }
  std::string why;
  std::string folder = GameProgramFolder(settings, &why);
  bool writable = !folder.empty() && (start.gameGroup ? GamesGroupMay(folder, kMayWrite | kMayRun)
                                                      : FolderIsWritable(folder));
  if (list.Say(writable, "program folder",
               folder.empty() ? why
                              : folder + " (" + why + ")" +
                                    (writable ? "" : ": the exchange cannot write there"))) {
    CheckConfig(list, folder, known ? &site : nullptr);
    CheckScoreFile(list, folder, known ? &site : nullptr, others);
  }
  CheckCompetitionFolder(list, start);
  return list.Result();
}

}  // namespace lexfray::leaguenet
