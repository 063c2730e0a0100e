#include "exchange/score_file.h"

#include <algorithm>

namespace lexfray::leaguenet {

ScoreFile ParseScoreFile(std::span<const std::uint8_t> bytes) {
  ScoreFile file;
  std::size_t records = bytes.size() / kCompetitionRecordSize;
  for (std::size_t r = 0; r < records; ++r) {
    CompetitionRecordBytes record;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(r * kCompetitionRecordSize),
                kCompetitionRecordSize, record.begin());
    if (r == 0)
      file.header = record;
    else
      file.entries.push_back(record);
  }
  return file;
}

std::vector<std::uint8_t> ScoreFileBytes(const ScoreFile& file) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve((file.entries.size() + 1) * kCompetitionRecordSize);
  if (file.header) bytes.insert(bytes.end(), file.header->begin(), file.header->end());
  for (const CompetitionRecordBytes& entry : file.entries)
    bytes.insert(bytes.end(), entry.begin(), entry.end());
  return bytes;
}

}  // namespace lexfray::leaguenet
