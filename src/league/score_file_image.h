#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "league/competition_records.h"
#include "league/score_file.h"
#include "platform/record_file.h"

namespace lexfray {

// The score file held whole in memory: read in one pass, changed record by record, and
// written back as only the records that changed, so one pass over thousands of entries
// costs one read and as many writes as there are changes.
class ScoreFileImage {
 public:
  // Every whole record of the file, as ReadScoreRecords reads them.
  static std::optional<ScoreFileImage> Read(RecordFile& file, std::string* error = nullptr);

  std::int64_t Count() const { return static_cast<std::int64_t>(changed_.size()); }
  // Record n, from 1 to Count().
  std::span<const std::uint8_t> Record(std::int64_t n) const;
  // Room for count more records, so that appending them does not take twice the memory.
  void Reserve(std::int64_t count);
  // Puts bytes in place of record n, 1 <= n <= Count() + 1 (Count() + 1 appends). Storing
  // the bytes a record already holds leaves it unchanged, so it is not written again.
  void Store(std::int64_t n, std::span<const std::uint8_t> bytes);
  // Writes every changed record to file. On failure the first reason is kept in *error and
  // the rest are still tried, so one bad record does not cost the others; but nothing is
  // appended after an append that failed, so that no gap is left in the file.
  bool WriteChanges(RecordFile& file, std::string* error);

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<bool> changed_;
};

}  // namespace lexfray
