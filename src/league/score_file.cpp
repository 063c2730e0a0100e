#include "league/score_file.h"

#include <cerrno>

#include "platform/files.h"

namespace lexfray {

namespace {

constexpr auto kSize = static_cast<std::int64_t>(kCompetitionRecordSize);
constexpr std::size_t kLargestFile = static_cast<std::size_t>(kMostScoreRecords * kSize);

std::string TooLarge(const std::string& path) {
  return path + " is too large: more than " + std::to_string(kMostScoreEntries) + " entries";
}

}  // namespace

std::optional<ScoreFileRecords> ReadScoreRecords(RecordFile& file, std::string* error) {
  std::int64_t count = file.Count();
  if (count > kMostScoreRecords) {
    if (error) *error = TooLarge(file.path());
    return std::nullopt;
  }
  ScoreFileRecords records;
  records.bytes.resize(static_cast<std::size_t>(count * kSize));
  if (count > 0 && file.ReadMany(1, count, records.bytes) != count) {
    if (error) *error = "cannot read " + file.path();
    return std::nullopt;
  }
  return records;
}

std::optional<ScoreFileRecords> ReadScoreFile(const std::string& path, std::string* error) {
  // One partial record more than the largest file is still a file of that many records.
  std::optional<FilePrefix> read = ReadFilePrefix(path, kLargestFile + kCompetitionRecordSize - 1, error);
  ScoreFileRecords records;
  if (!read) {
    if (errno != ENOENT) return std::nullopt;
    records.missing = true;
    return records;
  }
  if (read->cut) {
    if (error) *error = TooLarge(path);
    return std::nullopt;
  }
  std::size_t whole = read->bytes.size() - read->bytes.size() % kCompetitionRecordSize;
  records.partial = whole != read->bytes.size();
  records.bytes.assign(read->bytes.begin(), read->bytes.begin() + static_cast<std::ptrdiff_t>(whole));
  return records;
}

bool ReplaceScoreFile(const std::string& path, std::span<const std::uint8_t> records,
                      std::string* error) {
  if (records.size() % kCompetitionRecordSize != 0 || records.size() > kLargestFile) {
    if (error) *error = path + " would hold more than " + std::to_string(kMostScoreEntries) +
                        " entries or a partial record: it is left as it was";
    return false;
  }
  std::string_view bytes(reinterpret_cast<const char*>(records.data()), records.size());
  return ReplaceFile(path, bytes, error);
}

}  // namespace lexfray
