#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "rules/league_rows.h"
#include "league/score_file.h"

namespace lexfray::leaguenet {

// What the league has on record for the credentials.
struct SiteIdentity {
  std::string name;  // upper case, no blanks at either end
  std::string loc;
};

// The site's current month on its own clock, as the game counts it: what the exchange sends
// and fetches.
struct SiteMonth {
  int year = 0;   // four digits
  int month = 0;  // 1..12
  std::string FirstDay() const;  // YYYY-MM-01, as the league names the month
};

// One entry of this site as it goes to the league: printable texts without trailing blanks.
struct Upload {
  std::string player;
  double score = 0;
  std::string lastDate;
  std::string plays;
  std::string gameCode;
};

// True when the entry's site is this site: upper case, blanks at either end removed.
bool IsOwnEntry(const CompetitionRecordBytes& entry, const SiteIdentity& site);

// The month of a lastDate "MM-DD", 0 when it is not a date of that form.
int MonthOf(const std::string& lastDate);

// The names of the players in the player file's bytes (LEXFRAY.USR) whose record was last
// played in month, cut to an entry's width and in the form names are compared in: an entry
// only says MM-DD, its player's record tells the year.
std::set<std::string> PlayersOfMonth(std::span<const std::uint8_t> playerFile,
                                     const SiteMonth& month);

// This site's entries of its month, one per player name (the first in the file), of the
// players whose record was last played in that month. Entries under any other site's name
// are not sent. Whether an entry is one that the game can have written is the league's to
// say (league.sound_entry): it keeps the others of an upload and names those it refuses.
std::vector<Upload> UploadsFrom(const ScoreFile& file, const SiteIdentity& site,
                                const SiteMonth& month, const std::set<std::string>& players);

// The site names of the file's entries when none of them is this site's and some are of no
// site the league sent either: then line 1 of the game's LEXFRAY.CFG names the site other
// than the league registered it, and an exchange would drop the site's players from the
// file. Empty otherwise.
std::vector<std::string> ForeignSites(const ScoreFile& file, const SiteIdentity& site,
                                      const std::vector<LeagueRow>& others);

// The score file after the exchange: the header names the month's leader of the whole
// league, this site's entries keep their bytes but for the league's loc, and the entries
// of other sites are exactly those the league sent that pass the checks, best first.
ScoreFile MergedScoreFile(const ScoreFile& file, const SiteIdentity& site,
                          const std::vector<Upload>& sent, const std::vector<LeagueRow>& others);

// headerCode of a file that a completed exchange wrote.
inline constexpr std::string_view kExchangedCode = "01";
inline constexpr std::string_view kNoLeader = kNoScoreToBeat;

}  // namespace lexfray::leaguenet
