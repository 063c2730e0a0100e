#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "league/competition_records.h"
#include "platform/clock.h"
#include "platform/lock_holders.h"
#include "platform/save_result.h"

namespace lexfray {

// The competition score file LEXFRAY.ISC as both of its writers handle it: the game, which
// exports its players into it, and the exchange program, which merges the league's
// standings into it. Both read it here, with the same limit, and change it only here: it is
// replaced whole, under its short lock, through its spool (platform/spooled_file.h), so a
// reader needs no lock and a stopped writer holds up nobody's export. The game's player file
// lock is never held at the same time.

// The header and 10000 entries: far more than a league's month ever has, few enough that
// the file and its standings fit in a few megabytes. A larger file is damaged, and is
// refused rather than read; nothing ever writes one.
inline constexpr std::int64_t kMostScoreEntries = 10000;
inline constexpr std::int64_t kMostScoreRecords = kMostScoreEntries + 1;

// The score to beat of a file that no exchange has filled in yet.
inline constexpr std::string_view kNoScoreToBeat = "No Score-To-Beat As Yet";

// The score file as read: its whole records, header first, as every program sees them (the
// file, with the exports pending in its spool applied).
struct ScoreFileRecords {
  std::vector<std::uint8_t> bytes;  // a multiple of kCompetitionRecordSize
  bool missing = false;             // there was no file and nothing waits to make one
  bool partial = false;             // a partial record at the end was left out, as the
                                    // record count leaves it out
  std::int64_t Count() const {
    return static_cast<std::int64_t>(bytes.size() / kCompetitionRecordSize);
  }
};

// The file at path. Nothing, with the reason in *error, when it cannot be read or holds more
// than kMostScoreRecords records.
std::optional<ScoreFileRecords> ReadScoreFile(const std::string& path,
                                              std::string* error = nullptr);

// LEXFRAY.ISC as whole records: the header (none in an empty file) and the entries, each
// kept as the bytes read so that what is passed through stays byte for byte.
struct ScoreFile {
  std::optional<CompetitionRecordBytes> header;
  std::vector<CompetitionRecordBytes> entries;
};

// A partial record at the end, which the game would ignore too, is left out.
ScoreFile ParseScoreFile(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> ScoreFileBytes(const ScoreFile& file);

// Where the score file is and how it is locked.
struct ScoreFilePlace {
  std::string path;
  bool withoutLocks = false;  // a player's own copy: go on on a file system without locks
};

struct SiteExport;

// The game's export (league/site_export.h), after the exports pending before it, with the
// program's header and entry buffers; kept in the spool when the file is held past the
// lock's wait. A file that the export would grow past kMostScoreRecords is not written.
SaveResult SaveSiteExport(const ScoreFilePlace& place, Clock& clock, const SiteExport& export_,
                         CompetitionHeader& header, CompetitionEntry& entry);

// The exchange's change: change makes the new file from the file as every program sees it,
// and the result goes in place under the lock; it is not spooled (the exchange fails then,
// and the players see the standings they had). Refuses, naming the file, a result that the
// readers above would refuse.
bool UpdateScoreFile(const ScoreFilePlace& place, Clock& clock,
                     const std::function<bool(ScoreFile&, std::string* error)>& change,
                     std::string* error);

}  // namespace lexfray
