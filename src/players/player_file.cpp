#include "players/player_file.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "config/constants.h"
#include "dialogs/message_box.h"
#include "platform/files.h"
#include "platform/record_fields.h"
#include "players/save_failures.h"

namespace lexfray {

namespace {

// Records read at once by Scan: large enough that a full file takes a handful of reads,
// small enough that a damaged, enormous file does not take all memory.
constexpr std::int64_t kScanBlock = 4096;

}  // namespace

PlayerFile::PlayerFile(const Settings& settings, LockKind lock)
    : path_(settings.PathOf(kPlayerFileName)) {
  lock_ = FileLock::Take(path_, lock, &openError_);
  busy_ = !lock_;
  if (busy_) return;
  file_ = RecordFile::Open(path_, PlayerRecord::kSize, &openError_);
  unopened_ = !file_ && FileExists(path_);
  if (file_ && file_->Count() > kMostPlayers) {
    file_.reset();
    openError_ = path_ + " is too large: more than " + std::to_string(kMostPlayers) + " players";
  }
}

std::int64_t PlayerFile::Count() const {
  return file_ ? file_->Count() : 0;
}

bool PlayerFile::Write(std::int64_t n, const PlayerRecord& buffer) {
  return WriteBytes(n, EncodePlayerRecord(buffer));
}

bool PlayerFile::WriteBytes(std::int64_t n, std::span<const std::uint8_t> record) {
  // One record more and the whole file would be refused as damaged at its next opening.
  if (file_ && n > kMostPlayers) {
    fullError_ = path_ + " is full: it holds " + std::to_string(kMostPlayers) + " players";
    return false;
  }
  fullError_.clear();
  return file_ && file_->Write(n, record);
}

std::int64_t PlayerFile::Scan(const Visit& visit) {
  std::int64_t count = Count();
  std::vector<std::uint8_t> block;
  std::int64_t last = 0;
  for (std::int64_t first = 1; first <= count; first += kScanBlock) {
    std::int64_t wanted = std::min(kScanBlock, count - first + 1);
    block.resize(static_cast<std::size_t>(wanted) * PlayerRecord::kSize);
    std::int64_t got = file_->ReadMany(first, wanted, block);
    for (std::int64_t i = 0; i < got; ++i) {
      last = first + i;
      std::span<const std::uint8_t> bytes(block.data() + i * PlayerRecord::kSize,
                                          PlayerRecord::kSize);
      if (!visit(last, bytes)) return last;
    }
    if (got < wanted) break;  // the file shrank under us
  }
  return last;
}

std::optional<PlayerRecordBytes> PlayerFile::ReadRecord(std::int64_t n) {
  PlayerRecordBytes bytes{};
  if (!file_ || n > Count() || !file_->Read(n, bytes)) return std::nullopt;
  return bytes;
}

void PlayerFile::ReadAll(std::vector<std::uint8_t>& records) {
  std::int64_t count = Count();
  records.resize(static_cast<std::size_t>(count) * PlayerRecord::kSize);
  std::int64_t got = count > 0 ? file_->ReadMany(1, count, records) : 0;
  records.resize(static_cast<std::size_t>(got) * PlayerRecord::kSize);
}

std::vector<std::uint8_t> RoomForRecords(const Settings& settings) {
  // The file may grow by a few new players before the lock is had.
  constexpr std::uint64_t kHeadroom = 16 * PlayerRecord::kSize;
  constexpr std::uint64_t kLargest = kMostPlayers * PlayerRecord::kSize;
  std::uint64_t size = RegularFileSize(settings.PathOf(kPlayerFileName)).value_or(0);
  // Zeroed here, so that its pages are in place: ReadAll only shrinks it to the file.
  return std::vector<std::uint8_t>(static_cast<std::size_t>(std::min(size, kLargest) + kHeadroom));
}

std::string FileMonthOf(std::span<const std::uint8_t> allRecords) {
  if (allRecords.size() < PlayerRecord::kSize) return {};
  return fields::GetText(allRecords, player_fields::kStartMonth, 2);
}

std::string PlayerFile::WriteFailure() const {
  if (!file_) return openError_;
  if (!fullError_.empty()) return fullError_;
  return file_->LastError().empty() ? "cannot write " + path_ : file_->LastError();
}

void WriteFailureNotice::Tell(const std::string& reason) {
  if (told_) return;
  told_ = true;
  ConsoleMessageBox(io_,
                    "The player file could not be written (" + reason +
                        ").\n\nPlay goes on, but this change to the scores is not kept.",
                    kStyleExclamation, kPlayerFileNotSavedTitle, kIconWarning);
}

bool WriteFailureNotice::WriteAndClose(PlayerFile& file, std::int64_t n,
                                       const PlayerRecord& buffer) {
  bool written = file.Write(n, buffer);
  std::string reason = written ? std::string() : file.WriteFailure();
  file.Close();
  if (!written) Tell(reason);
  return written;
}

void TellPlayersNotRead(Io& io, const std::string& reason) {
  ConsoleMessageBox(io,
                    "The players could not be read (" + reason +
                        ").\n\nPlease try again in a moment.",
                    kStyleExclamation, "PLAYER FILE NOT READ", kIconWarning);
}

std::string_view NameField(std::span<const std::uint8_t> recordBytes) {
  return {reinterpret_cast<const char*>(recordBytes.data() + player_fields::kName),
          PlayerRecord::kNameWidth};
}

// Compared from the front, so that the names of a whole file are told apart at their first
// differing letter: a game over runs through all of them while it holds the lock.
bool NameFieldMatches(std::span<const std::uint8_t> recordBytes, std::string_view comparable) {
  std::string_view name = NameField(recordBytes);
  if (comparable.size() > name.size()) return false;
  for (std::size_t i = 0; i < comparable.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) !=
        static_cast<unsigned char>(comparable[i]))
      return false;
  return name.find_first_not_of(' ', comparable.size()) == std::string_view::npos;
}

}  // namespace lexfray
