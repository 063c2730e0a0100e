#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "dialogs/io.h"
#include "platform/record_file.h"
#include "players/player_record.h"

namespace lexfray {

// The player file LEXFRAY.USR in the program folder, open for one pass and closed when the
// object goes (or at Close). A file that cannot be opened, or one too large to be a player
// file, reads as empty and refuses every write. The passes built on it leave the last record read in the program's one PlayerRecord
// buffer, so that a record created afterwards inherits that record's reserved bytes.
class PlayerFile {
 public:
  // Hands record n's bytes over; returning false stops the scan.
  using Visit = std::function<bool(std::int64_t n, std::span<const std::uint8_t> bytes)>;

  explicit PlayerFile(const Settings& settings);

  // The number of whole records; a partial record at the end is not counted, and the next
  // new record is written over it.
  std::int64_t Count() const;

  bool Write(std::int64_t n, const PlayerRecord& buffer);

  // Hands records 1 .. Count() to visit in order, a block at a time rather than one read each.
  // Returns the number of the last record handed over, 0 when there was none.
  std::int64_t Scan(const Visit& visit);

  void Close() { file_.reset(); }

  // Why the last write failed, in words the player can act on.
  std::string WriteFailure() const;

 private:
  std::string path_;
  std::optional<RecordFile> file_;
  std::string openError_;
  std::string fullError_;
};

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

// True when the 30-character name field of a record's bytes matches a name already in its
// comparable form (upper case, trailing blanks removed).
bool NameFieldMatches(std::span<const std::uint8_t> recordBytes, std::string_view comparable);

// The name field of a record's bytes, as stored.
std::string_view NameField(std::span<const std::uint8_t> recordBytes);

}  // namespace lexfray
