#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "dialogs/io.h"
#include "platform/file_lock.h"
#include "platform/record_file.h"
#include "players/player_record.h"

namespace lexfray {

// The player file LEXFRAY.USR in the program folder, open for one pass and closed when the
// object goes (or at Close). Other games of the machine change it at the same time, so a pass
// holds the file's lock from its opening to its closing: shared to read a whole table, which
// then sees no half-appended record nor a half-replaced file; exclusive for a
// read-modify-write. A pass is a short critical section: it never waits for the player.
//
// A file that cannot be opened, one too large to be a player file, or one whose lock
// another game holds past the lock's wait reads as empty and refuses every write. The
// passes built on it leave the last record read in the program's one PlayerRecord buffer,
// so that a record created afterwards inherits that record's reserved bytes.
class PlayerFile {
 public:
  // Hands record n's bytes over; returning false stops the scan.
  using Visit = std::function<bool(std::int64_t n, std::span<const std::uint8_t> bytes)>;

  explicit PlayerFile(const Settings& settings, LockKind lock = LockKind::kShared);

  // The number of whole records; a partial record at the end is not counted, and the next
  // new record is written over it.
  std::int64_t Count() const;

  bool Write(std::int64_t n, const PlayerRecord& buffer);
  bool WriteBytes(std::int64_t n, std::span<const std::uint8_t> record);

  // Hands records 1 .. Count() to visit in order, a block at a time rather than one read each.
  // Returns the number of the last record handed over, 0 when there was none.
  std::int64_t Scan(const Visit& visit);

  // Record n, when the file holds it whole.
  std::optional<PlayerRecordBytes> ReadRecord(std::int64_t n);

  // Every record into records, resized to hold them: Count() records at most (fewer when the
  // file ends early). Memory made with RoomForRecords is used as it is.
  void ReadAll(std::vector<std::uint8_t>& records);

  // Closes the file and lets other games at it.
  void Close() {
    file_.reset();
    lock_.reset();
  }

  // True when another game held the file all the time the lock waits; Failure() says so.
  bool Busy() const { return busy_; }
  // True when the file is there but could not be opened: its players, unread, may be
  // anybody. Failure() says why.
  bool Unopened() const { return unopened_; }
  // Why the file could not be opened, in words the player can act on.
  const std::string& Failure() const { return openError_; }
  // Why the last write failed, in words the player can act on.
  std::string WriteFailure() const;

 private:
  std::string path_;
  std::optional<FileLock> lock_;
  std::optional<RecordFile> file_;
  bool busy_ = false;
  bool unopened_ = false;
  std::string openError_;
  std::string fullError_;
};

// Room for the records of the player file as it stands, and a few more, its memory already
// in place: made before the lock is taken, so that a pass holding the lock reads and does
// nothing else (the first touch of fresh memory costs more than the read).
std::vector<std::uint8_t> RoomForRecords(const Settings& settings);

// Record 1's month, which the monthly fresh start sets: a game writes its total back only
// into the file of the month it began in. Empty for an empty file.
std::string FileMonthOf(std::span<const std::uint8_t> allRecords);

// Tells the player that the player file could not be written, at most once for the operation
// that owns it; play goes on either way.
class WriteFailureNotice {
 public:
  explicit WriteFailureNotice(Io& io) : io_(io) {}
  void Tell(const std::string& reason);
  // Writes buffer as record n and closes the file, telling the player when the write failed.
  bool WriteAndClose(PlayerFile& file, std::int64_t n, const PlayerRecord& buffer);

 private:
  Io& io_;
  bool told_ = false;
};

// Tells the player that the players could not be read, and why.
void TellPlayersNotRead(Io& io, const std::string& reason);

// True when the 30-character name field of a record's bytes matches a name already in its
// comparable form (upper case, trailing blanks removed).
bool NameFieldMatches(std::span<const std::uint8_t> recordBytes, std::string_view comparable);

// The name field of a record's bytes, as stored.
std::string_view NameField(std::span<const std::uint8_t> recordBytes);

}  // namespace lexfray
