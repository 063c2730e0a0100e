#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "league/competition_records.h"

namespace lexfray::leaguenet {

// LEXFRAY.ISC as whole records: the header (none in an empty file) and the entries, each
// kept as the bytes read so that what is passed through stays byte for byte.
struct ScoreFile {
  std::optional<CompetitionRecordBytes> header;
  std::vector<CompetitionRecordBytes> entries;
};

// A partial record at the end, which the game would ignore too, is left out.
ScoreFile ParseScoreFile(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> ScoreFileBytes(const ScoreFile& file);

}  // namespace lexfray::leaguenet
