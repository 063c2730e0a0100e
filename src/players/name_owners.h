#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "dialogs/io.h"

namespace lexfray {

// Far more names than a machine's players ever take, few enough that the file stays small.
inline constexpr std::int64_t kMostOwnedNames = 20000;

// Which account took each player name of a shared installation, so that nobody plays on
// another's record. Kept in LEXFRAY.OWN beside the player file, one name a line: the
// account's number, a blank, and the name in its comparable form (upper case, no trailing
// blanks), with '%' and every byte outside printable ASCII written as %XX. A file of its own,
// not the player records: the monthly fresh start deletes the player file and a restore
// replaces it, and a name stays its account's across both. Lines are only ever added, and
// only under the player file's exclusive lock; it is read under the lock too.
class NameOwners {
 public:
  // The owners as the file holds them; none when it is missing. Nothing, with the reason,
  // when it cannot be read or is larger than the game ever makes it.
  static std::optional<NameOwners> Read(const Settings& settings, std::string* error);

  // The account that took the name (comparable form); nothing when nobody has.
  std::optional<std::uint32_t> OwnerOf(std::string_view comparable) const;
  bool OwnedByAnother(std::string_view comparable, std::uint32_t uid) const;

  // Gives the name to the account, at the end of the file; false, with the reason, when
  // the file is full or cannot be written (it is then as it was).
  bool Claim(std::string_view comparable, std::uint32_t uid, std::string* error);

 private:
  NameOwners(std::string path, std::string lines);

  std::string path_;
  std::string lines_;  // the file's whole lines
  std::int64_t count_ = 0;
};

// Says that the name is another account's, which alone plays it, and which account the
// player is.
void TellNameTaken(Io& io, const Settings& settings, std::string_view name);

}  // namespace lexfray
