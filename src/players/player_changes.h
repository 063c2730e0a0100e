#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/clock.h"
#include "players/name_owners.h"
#include "players/player_record.h"

namespace lexfray {

// One change of the player file, as a game makes it: applied at once when the file's lock is
// had, or written into the file's spool to be applied by the next holder. Each says what it
// sets, not what it adds, and names the month of the file it was made for, so that it lands
// on the player's record of that month or nowhere.
struct PlayerChange {
  enum class Kind : char {
    kCounters = 'C',    // a game start or its undoing: the player's game counters and date
    kNewPlayer = 'N',   // a new player's record, appended
    kTotal = 'T',       // a game over: the player's total, in every record of the name
    kFreshStart = 'R',  // the monthly fresh start: the file empties, if it is still due
  };
  Kind kind = Kind::kCounters;
  std::uint32_t account = 0;
  // kNewPlayer in a shared installation: the name becomes the account's with its record.
  bool claim = false;
  PlayerRecordBytes record{};  // the player's name; the counters or the new record
  double total = 0;            // kTotal
  std::string fileMonth;       // kCounters, kTotal: record 1's month when the game began
  int year = 0, month = 0;     // kFreshStart: the month it starts

  static PlayerChange Of(Kind kind, std::uint32_t account) {
    PlayerChange change;
    change.kind = kind;
    change.account = account;
    return change;
  }
  std::string Name() const;  // the comparable form of the record's name
};

// A line of text, and back; nothing for bytes that are no change.
std::string EncodePlayerChange(const PlayerChange& change);
std::optional<PlayerChange> DecodePlayerChange(std::string_view text);

// The player file as a change sees it: its whole records, and the names' owners.
struct PlayerFileImage {
  std::vector<std::uint8_t> records;
  NameOwners owners;
  std::int64_t Count() const { return static_cast<std::int64_t>(records.size() / PlayerRecord::kSize); }

  // The numbers of the records of a name (comparable form), first first. Made at the first
  // ask and kept up to date by the changes, so that applying a long spool costs a look-up
  // per change, not a pass over every record.
  const std::vector<std::int64_t>& RecordsOf(const std::string& comparable);
  void Appended();  // a record was added at the end
  void Emptied();   // every record went

 private:
  std::optional<std::unordered_map<std::string, std::vector<std::int64_t>>> index_;
};

// Applies the change; false when it does not apply (a file started afresh since, a name
// another account took, a file with no room left) and the image stays as it was.
bool ApplyPlayerChange(const PlayerChange& change, PlayerFileImage& image);

// The first record whose name matches (comparable form), from 1; 0 when none does.
std::int64_t FindPlayer(const std::vector<std::uint8_t>& records, std::string_view comparable);

// True when the 30-character name field of a record's bytes matches a name already in its
// comparable form (upper case, trailing blanks removed).
bool NameFieldMatches(std::span<const std::uint8_t> recordBytes, std::string_view comparable);

// The name field of a record's bytes, as stored.
std::string_view NameField(std::span<const std::uint8_t> recordBytes);

}  // namespace lexfray
