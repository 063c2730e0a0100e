#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "league/competition_records.h"
#include "platform/record_file.h"

namespace lexfray {

// The competition score file LEXFRAY.ISC as both of its writers handle it: the game, which
// exports its players into it record by record, and the exchange program, which replaces it
// whole. Both read it here, with the same limit, and change it only under its FileLock
// (platform/file_lock.h), the game's player file lock never held at the same time.

// The header and 10000 entries: far more than a league's month ever has, few enough that
// the file and its standings fit in a few megabytes. A larger file is damaged, and is
// refused rather than read; nothing ever writes one.
inline constexpr std::int64_t kMostScoreEntries = 10000;
inline constexpr std::int64_t kMostScoreRecords = kMostScoreEntries + 1;

// The score file as read: its whole records, header first.
struct ScoreFileRecords {
  std::vector<std::uint8_t> bytes;  // a multiple of kCompetitionRecordSize
  bool missing = false;             // there was no file: no records
  bool partial = false;             // a partial record at the end was left out, as the
                                    // record count leaves it out
  std::int64_t Count() const {
    return static_cast<std::int64_t>(bytes.size() / kCompetitionRecordSize);
  }
};

// Every whole record of the file open in file. Nothing, with the reason in *error, when they
// cannot all be read (an export would then append over the ones missed) or when there are
// more than kMostScoreRecords of them.
std::optional<ScoreFileRecords> ReadScoreRecords(RecordFile& file, std::string* error = nullptr);

// The same for the file at path, opened for reading only, so that reading creates nothing.
std::optional<ScoreFileRecords> ReadScoreFile(const std::string& path,
                                              std::string* error = nullptr);

// Replaces the file at path whole with records (see ReplaceFile: a link stays, a read-only
// file is left alone). Refuses, naming the file, bytes that the readers above would refuse.
bool ReplaceScoreFile(const std::string& path, std::span<const std::uint8_t> records,
                      std::string* error = nullptr);

}  // namespace lexfray
