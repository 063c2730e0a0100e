#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "league/competition_records.h"
#include "players/player_record.h"

namespace lexfray {

// One export of a site's players into the score file: what the player file held when it
// was made, applied to whatever the score file holds when it lands (at once, or later from
// the file's spool).
struct SiteExport {
  std::string site;                   // siteName, as configured
  std::vector<PlayerRecord> players;  // in player-file order
};

// A text, and back; nothing for bytes that are no export.
std::string EncodeSiteExport(const SiteExport& export_);
std::optional<SiteExport> DecodeSiteExport(std::string_view text);

// The export into records (the score file's whole records, header first): the first entry
// with the same name (first 25 characters) and site (first 35), compared in upper case
// without trailing blanks, gets the new score, status, date, site spelling and plays; a
// player without one gets a new entry at the end. A file without a header gets one with an
// empty score to beat; the header's programVersion is rewritten. "COMPUTER PLAYER" is never
// exported.
//
// header and entry are the program's buffers: header ends as the file's header, entry as
// the last entry written; a new header or entry takes its unwritten bytes from them. True
// when any byte of records changed.
bool ApplySiteExport(const SiteExport& export_, std::vector<std::uint8_t>& records,
                     CompetitionHeader& header, CompetitionEntry& entry);

}  // namespace lexfray
