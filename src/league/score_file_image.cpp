#include "league/score_file_image.h"

#include <algorithm>

namespace lexfray {

namespace {

constexpr auto kSize = static_cast<std::int64_t>(kCompetitionRecordSize);

std::size_t OffsetOf(std::int64_t n) { return static_cast<std::size_t>((n - 1) * kSize); }

}  // namespace

std::optional<ScoreFileImage> ScoreFileImage::Read(RecordFile& file, std::string* error) {
  std::optional<ScoreFileRecords> records = ReadScoreRecords(file, error);
  if (!records) return std::nullopt;
  ScoreFileImage image;
  image.changed_.assign(static_cast<std::size_t>(records->Count()), false);
  image.bytes_ = std::move(records->bytes);
  return image;
}

std::span<const std::uint8_t> ScoreFileImage::Record(std::int64_t n) const {
  return std::span<const std::uint8_t>(bytes_).subspan(OffsetOf(n), kCompetitionRecordSize);
}

void ScoreFileImage::Reserve(std::int64_t count) {
  bytes_.reserve(bytes_.size() + static_cast<std::size_t>(count * kSize));
  changed_.reserve(changed_.size() + static_cast<std::size_t>(count));
}

void ScoreFileImage::Store(std::int64_t n, std::span<const std::uint8_t> bytes) {
  bytes = bytes.first(kCompetitionRecordSize);
  if (n == Count() + 1) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    changed_.push_back(true);
    return;
  }
  auto at = bytes_.begin() + static_cast<std::ptrdiff_t>(OffsetOf(n));
  if (std::equal(bytes.begin(), bytes.end(), at)) return;
  std::copy(bytes.begin(), bytes.end(), at);
  changed_[static_cast<std::size_t>(n - 1)] = true;
}

bool ScoreFileImage::WriteChanges(RecordFile& file, std::string* error) {
  bool allWritten = true;
  std::int64_t whole = file.Count();
  for (std::int64_t n = 1; n <= Count(); ++n) {
    if (!changed_[static_cast<std::size_t>(n - 1)]) continue;
    // A record past one whose append failed would leave a record of zero bytes between
    // them, which the other sites would take for an entry.
    if (n > whole + 1) {
      allWritten = false;
      continue;
    }
    if (file.Write(n, Record(n))) {
      changed_[static_cast<std::size_t>(n - 1)] = false;
      whole = std::max(whole, n);
      continue;
    }
    if (allWritten && error) *error = file.LastError();
    allWritten = false;
  }
  return allWritten;
}

}  // namespace lexfray
