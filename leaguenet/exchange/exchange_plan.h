#pragma once

#include <cstdint>
#include <map>
#include <optional>
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

// The players whose record was last played in the month (an entry only says MM-DD, its
// player's record tells the year), by the name their score-file entry is found by: cut to the
// entry's width, in the form the game compares names in. With each, the player's name in full
// as the login list shows it, when the cut name is that one player's; nothing when it is two
// or more players' of the month, who then share one entry.
using MonthPlayers = std::map<std::string, std::optional<std::string>>;

// MonthPlayers of the player file's bytes (LEXFRAY.USR).
MonthPlayers PlayersOfMonth(std::span<const std::uint8_t> playerFile, const SiteMonth& month);

// This site's entries of its month, one per player (the first in the file, the one the game
// finds), of the players of that month, each under the player's name in full where it is
// known and under the entry's own otherwise. Entries under any other site's name are not
// sent. Whether an entry is one that the game can have written is the league's to say
// (league.sound_entry): it keeps the others of an upload and names those it refuses.
std::vector<Upload> UploadsFrom(const ScoreFile& file, const SiteIdentity& site,
                                const SiteMonth& month, const MonthPlayers& players);

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
