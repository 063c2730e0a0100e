#pragma once

#include <string>
#include <vector>

#include "league_rows.h"
#include "score_file.h"

namespace lexfray::leaguenet {

// What the league has on record for the credentials, and its month.
struct SiteIdentity {
  std::string name;  // upper case, no trailing blanks
  std::string loc;
  int month = 0;  // 1..12, the calendar month in UTC on the server
};

// One entry of this site as it goes to the league: printable texts without trailing blanks.
struct Upload {
  std::string player;
  double score = 0;
  std::string lastDate;
  std::string plays;
  std::string gameCode;
};

// True when the entry's site is this site: upper case, trailing blanks removed.
bool IsOwnEntry(const CompetitionRecordBytes& entry, const SiteIdentity& site);

// The month of a lastDate "MM-DD", 0 when it is not of that form.
int MonthOf(const std::string& lastDate);

// This site's entries that count for the league's month, one per player name (the first
// in the file), with a sane score. Entries under any other site's name are not sent.
std::vector<Upload> UploadsFrom(const ScoreFile& file, const SiteIdentity& site);

// The score file after the exchange: the header names the month's leader of the whole
// league, this site's entries keep their bytes but for the league's loc, and the entries
// of other sites are exactly those the league sent that pass the checks, best first.
ScoreFile MergedScoreFile(const ScoreFile& file, const SiteIdentity& site,
                          const std::vector<Upload>& sent, const std::vector<LeagueRow>& others);

// headerCode of a file that a completed exchange wrote.
inline constexpr std::string_view kExchangedCode = "01";
inline constexpr std::string_view kNoLeader = "No Score-To-Beat As Yet";

}  // namespace lexfray::leaguenet
