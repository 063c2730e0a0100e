#include "league/score_file.h"

#include <algorithm>

#include "league/site_export.h"
#include "platform/files.h"
#include "platform/spooled_file.h"

namespace lexfray {

namespace {

constexpr auto kSize = static_cast<std::int64_t>(kCompetitionRecordSize);
constexpr std::size_t kLargestFile = static_cast<std::size_t>(kMostScoreRecords * kSize);

std::string TooLarge(const std::string& path) {
  return path + " is too large: more than " + std::to_string(kMostScoreEntries) + " entries";
}

// One partial record more than the largest file is still a file of that many records.
SpooledFile ScoreSpool(const ScoreFilePlace& place) {
  return SpooledFile({place.path, kLargestFile + kCompetitionRecordSize - 1}, {}, place.withoutLocks);
}

// The whole records of a file, with the exports pending for it applied (each through buffers
// of its own: they are not this program's). file is taken over: a reader hands the
// snapshot's own bytes on rather than copy them.
std::optional<ScoreFileRecords> RecordsOf(FileVersion file, const std::vector<SpoolEntry>& pending,
                                          const std::string& path, std::string* error) {
  if (file.cut) {
    if (error) *error = TooLarge(path);
    return std::nullopt;
  }
  ScoreFileRecords records;
  records.missing = file.missing && pending.empty();
  records.bytes = std::move(file.bytes);
  std::size_t whole = records.bytes.size() - records.bytes.size() % kCompetitionRecordSize;
  records.partial = whole != records.bytes.size();
  records.bytes.resize(whole);
  for (const SpoolEntry& entry : pending) {
    std::optional<SiteExport> waiting = DecodeSiteExport(entry.change);
    if (!waiting) continue;
    CompetitionHeader header;
    CompetitionEntry last;
    std::size_t before = records.bytes.size();
    ApplySiteExport(*waiting, records.bytes, header, last);
    // The new players of an export that would grow the file past what the readers take
    // find no room; those already in it are brought up to date.
    if (records.bytes.size() > kLargestFile) records.bytes.resize(before);
  }
  return records;
}

SpooledFile::Versions VersionOf(std::vector<std::uint8_t> records, const FileVersion& before) {
  SpooledFile::Versions versions(1);
  versions[0] = SpooledFile::Changed(std::move(records), before);
  return versions;
}

std::string Full(const std::string& path) {
  return path + " is full: it would hold more than " + std::to_string(kMostScoreEntries) + " entries";
}

}  // namespace

std::optional<ScoreFileRecords> ReadScoreFile(const std::string& path, std::string* error) {
  std::optional<SpoolSnapshot> snapshot = ScoreSpool({path}).Read(error);
  if (!snapshot) return std::nullopt;
  return RecordsOf(std::move(snapshot->files[0]), snapshot->pending, path, error);
}

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

SaveResult SaveSiteExport(const ScoreFilePlace& place, Clock& clock, const SiteExport& export_,
                         CompetitionHeader& header, CompetitionEntry& entry) {
  SpooledFile file = ScoreSpool(place);
  std::string encoded;  // made only where it is looked for: it may be half a megabyte
  std::uint64_t lastOrder = 0;
  bool waiting = false;  // the same export waits in the spool already
  CompetitionHeader headerAfter = header;
  CompetitionEntry entryAfter = entry;
  CommitResult committed = file.Commit(clock, [&](SpoolSnapshot& snapshot, std::string* error)
                                                  -> std::optional<SpooledFile::Versions> {
    lastOrder = snapshot.LastOrder();
    if (!snapshot.pending.empty() && encoded.empty()) encoded = EncodeSiteExport(export_);
    waiting = std::any_of(snapshot.pending.begin(), snapshot.pending.end(),
                          [&](const SpoolEntry& pending) { return pending.change == encoded; });
    // The file's bytes are taken over, not copied (a full file is 2.5 MB): what changes is
    // told by the export itself.
    bool unchanged = !snapshot.files[0].missing && snapshot.pending.empty();
    std::optional<ScoreFileRecords> records =
        RecordsOf(std::move(snapshot.files[0]), snapshot.pending, place.path, error);
    if (!records) return std::nullopt;
    headerAfter = header;
    entryAfter = entry;
    unchanged = !ApplySiteExport(export_, records->bytes, headerAfter, entryAfter) &&
                !records->partial && unchanged;
    // Grown beyond what the readers take, the file would be refused from then on.
    if (records->bytes.size() > kLargestFile) {
      if (error) *error = Full(place.path);
      return std::nullopt;
    }
    SpooledFile::Versions versions(1);
    if (!unchanged) versions[0] = std::move(records->bytes);
    return versions;
  });
  if (committed.outcome == CommitResult::kDone || committed.outcome == CommitResult::kPending) {
    header = headerAfter;
    entry = entryAfter;
  }
  switch (committed.outcome) {
    case CommitResult::kDone: return {};
    case CommitResult::kPending: return {SaveResult::kKept, committed.reason, {}};
    case CommitResult::kFailed: return {SaveResult::kFailed, committed.reason, {}};
    case CommitResult::kBusy: break;
  }
  // Showing the scores again while the file is held spools no second copy of the same export.
  std::string error;
  if (encoded.empty()) encoded = EncodeSiteExport(export_);
  if (!waiting && !file.Add(encoded, lastOrder, &error))
    return {SaveResult::kFailed, committed.reason + "; " + error, {}};
  return {SaveResult::kKept, committed.reason, committed.holder};
}

bool UpdateScoreFile(const ScoreFilePlace& place, Clock& clock,
                     const std::function<bool(ScoreFile&, std::string* error)>& change,
                     std::string* error) {
  CommitResult committed = ScoreSpool(place).Commit(
      clock, [&](SpoolSnapshot& snapshot, std::string* why) -> std::optional<SpooledFile::Versions> {
        std::optional<ScoreFileRecords> records = RecordsOf(snapshot.files[0], snapshot.pending, place.path, why);
        if (!records) return std::nullopt;
        ScoreFile file = ParseScoreFile(records->bytes);
        if (!change(file, why)) return std::nullopt;
        std::vector<std::uint8_t> bytes = ScoreFileBytes(file);
        if (bytes.size() > kLargestFile) {
          if (why) *why = Full(place.path) + ": it is left as it was";
          return std::nullopt;
        }
        return VersionOf(std::move(bytes), snapshot.files[0]);
      });
  if (committed.outcome == CommitResult::kDone || committed.outcome == CommitResult::kPending)
    return true;
  if (error) *error = committed.reason;
  return false;
}

}  // namespace lexfray
