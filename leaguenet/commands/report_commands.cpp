#include <cstdio>
#include <ostream>

#include "commands/commands.h"
#include "edge/files.h"
#include "edge/system.h"
#include "league/score_file.h"
#include "exchange/league_client.h"
#include "platform/files.h"
#include "rules/safe_text.h"

namespace lexfray::leaguenet {

namespace {

std::string Column(const std::string& text, std::size_t width) {
  std::string shown = TrimmedPrintable(text, width);
  shown.resize(width, ' ');
  return shown;
}

std::string Folder(const LeagueSettings& settings) {
  std::string folder = settings.folder.empty() ? CurrentFolder() : settings.folder;
  return folder.back() == '/' ? folder : folder + '/';
}

std::unique_ptr<PgConnection> Connect(const Invocation& invocation, const LeagueSettings& settings,
                                      std::string* error) {
  Deadline deadline = Clock::now() + std::chrono::seconds(settings.timeoutSeconds);
  return PgConnection::Open(settings.league, {invocation.distrust}, deadline, error);
}

// A line of the standings table, every value within its column: the rank, the score and the
// plays right-aligned, the texts cut to their fields.
std::string TableLine(const std::string& rank, const std::string& player,
                      const std::string& score, const std::string& plays, const std::string& site,
                      const std::string& loc) {
  // The widest score is kMostMonthlyScore's nine digits.
  constexpr std::size_t kScoreWidth = 9;
  auto right = [](const std::string& text, std::size_t width) {
    std::string shown = BarePrintable(text, width);
    return std::string(width - shown.size(), ' ') + shown;
  };
  return right(rank, 4) + "  " + Column(player, 25) + "  " + right(score, kScoreWidth) + "  " +
         right(plays, 5) + "  " + Column(site, 35) + "  " + TrimmedPrintable(loc, 3) + "\n";
}

// One line of the check: what was looked at and what was found.
class CheckList {
 public:
  explicit CheckList(std::ostream& out) : out_(out) {}
  bool Say(bool good, const std::string& what, const std::string& finding) {
    out_ << (good ? "ok    " : "FAIL  ") << what << ": " << finding << '\n';
    failed_ = failed_ || !good;
    return good;
  }
  int Result() const { return failed_ ? kFailed : kDone; }

 private:
  std::ostream& out_;
  bool failed_ = false;
};

SiteMonth ThisMonth(const Invocation& invocation) {
  LocalDate today = Today(invocation.distrust);
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
void CheckCompetitionFolder(CheckList& list, const std::string& folder) {
  if (!FolderExists(folder)) {
    list.Say(false, "competition folder", folder + " is missing: the game starts nothing (leaguenet enable)");
    return;
  }
  if (WritableByOthers(folder)) {
    list.Say(false, "competition folder",
             folder + " may be changed by others than root: run leaguenet enable again");
    return;
  }
  std::string marker = folder + std::string(kCompetitionMarkerName);
  bool markable = MarkerWritableByGame(marker) || FolderIsWritable(folder);
  list.Say(markable, "competition folder",
           markable ? folder : marker + " is missing or not writable by the games group: the game "
                                        "cannot leave its marker (leaguenet enable)");
}

}  // namespace

int RunStandings(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  LeagueSettings settings;
  std::string where;
  std::string error;
  if (!LoadSettings(invocation, &settings, &where, &error)) return Fail(err, error);
  std::unique_ptr<PgConnection> league = Connect(invocation, settings, &error);
  if (!league) return Fail(err, error);
  SiteIdentity site;
  SiteMonth month = ThisMonth(invocation);
  std::vector<LeagueRow> rows;
  std::string name;
  if (!FetchIdentity(*league, &site, &error) || !FetchLeagueName(*league, &name, &error) ||
      !FetchStandings(*league, month, settings.others, false, &rows, &error))
    return Fail(err, error);
  out << PrintableText(name, name.size()) << ": LeagueNET standings of "
      << month.FirstDay().substr(0, 7) << " (as " << site.name << ")\n";
  out << TableLine("Rank", "Player", "Score", "Plays", "Site", "LOC");
  int rank = 0;
  for (const LeagueRow& row : rows) {
    std::optional<double> score = ParseScore(row.score);
    if (!score || !IsSaneScore(*score)) continue;
    char number[32];
    std::snprintf(number, sizeof number, "%.0f", *score);
    out << TableLine(std::to_string(++rank), row.player, number, row.plays, row.site, row.loc);
  }
  return kDone;
}

int RunCheck(const Invocation& invocation, std::ostream& out, std::ostream&) {
  CheckList list(out);
  LeagueSettings settings;
  std::string where;
  std::string error;
  bool loaded = LoadSettings(invocation, &settings, &where, &error);
  if (!list.Say(loaded, "settings", loaded ? where : error)) return list.Result();
  // A player who can read the site's password can upload any score under the site's name.
  if (settings.league.find("password") != std::string::npos) {
    bool open = ReadableByEveryone(where);
    list.Say(!open, "password",
             open ? where + " is readable by every user: chgrp games and chmod 640 it"
                  : "readable by its owner and group only");
  }
  std::unique_ptr<PgConnection> league = Connect(invocation, settings, &error);
  SiteIdentity site;
  std::vector<LeagueRow> others;
  bool known = false;
  if (list.Say(league != nullptr, "connection",
               league ? "PostgreSQL " + league->ServerVersion() : error)) {
    bool socket = league->Option("host").empty() || league->Option("host").front() == '/';
    list.Say(league->TlsInUse() || socket, "TLS",
             league->TlsInUse() ? league->TlsVersion()
             : socket           ? "not used on a local socket"
                                : "not in use");
    std::string leagueDate;
    SiteMonth month = ThisMonth(invocation);
    known = FetchIdentity(*league, &site, &error, &leagueDate) &&
            FetchStandings(*league, month, settings.others, true, &others, &error);
    list.Say(known, "credentials",
             known ? "site " + site.name + " (" + site.loc + "), month " +
                         month.FirstDay().substr(0, 7) + " (the league's date " + leagueDate + ")"
                   : error);
  }
  std::string folder = Folder(settings);
  list.Say(FolderIsWritable(folder), "program folder",
           folder + (FolderIsWritable(folder) ? "" : " is not writable"));
  CheckScoreFile(list, folder, known ? &site : nullptr, others);
  CheckCompetitionFolder(list, invocation.root + std::string(kCompetitionFolder));
  return list.Result();
}

}  // namespace lexfray::leaguenet
