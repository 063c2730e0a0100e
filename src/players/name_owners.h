#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lexfray {

// Far more names than a machine's players ever take, few enough that the file stays small.
inline constexpr std::int64_t kMostOwnedNames = 20000;
// Names one account may take, unless the administrator sets another number in LEXFRAY.NPA:
// enough for a player and a few friends, too few for one account to use up the player file.
inline constexpr std::int64_t kDefaultNamesPerAccount = 5;
// The longest line of LEXFRAY.OWN: an account number of ten digits, a blank, a name of thirty
// bytes written as %XX each, the line's end.
inline constexpr std::size_t kLongestOwnerLine = 10 + 1 + 3 * 30 + 1;

// Which account took each player name of a shared installation, so that nobody plays on
// another's record. Kept in LEXFRAY.OWN beside the player file, one name a line: the
// account's number, a blank, and the name in its comparable form (upper case, no trailing
// blanks), with '%' and every byte outside printable ASCII written as %XX. A file of its own,
// not the player records: the monthly fresh start empties the player file and a restore
// replaces it, and a name stays its account's across both. It changes together with the
// player file, through the player file's spool (players/player_file.h).
class NameOwners {
 public:
  // The owners of a file's bytes; a line a crash left torn at the end is no line.
  explicit NameOwners(std::string bytes = {});

  // The account that took the name (comparable form); nothing when nobody has.
  std::optional<std::uint32_t> OwnerOf(std::string_view comparable) const;
  bool OwnedByAnother(std::string_view comparable, std::uint32_t account) const;
  std::int64_t Count() const { return count_; }
  std::int64_t CountOf(std::uint32_t account) const;

  void Add(std::string_view comparable, std::uint32_t account);
  // Frees the name; false when nobody had it.
  bool Remove(std::string_view comparable);

  // Every name with its account, in the file's order, each as ShownName shows it.
  std::vector<std::pair<std::uint32_t, std::string>> All() const;
  const std::string& Bytes() const { return lines_; }

 private:
  std::string lines_;  // whole lines only
  std::int64_t count_ = 0;
};

// A name (comparable form) as the file holds it and the administrator's commands show it:
// '%' and every byte outside printable ASCII as %XX, so that no name drives a terminal.
std::string ShownName(std::string_view comparable);
// The name that a shown one stands for.
std::string NameFromShown(std::string_view shown);

// The names an account may take, from the administrator's file at path: its first line's
// whole number, or kDefaultNamesPerAccount when there is none.
std::int64_t NamesPerAccount(const std::string& path);

}  // namespace lexfray
