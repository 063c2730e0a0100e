#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "dialogs/io.h"
#include "players/player_record.h"

namespace lexfray {

// The entry of the login list that asks for a new name.
inline constexpr std::string_view kNewPlayerEntry = "New Player";

// The login list: every name of the player file in file order, trimmed and upper-cased,
// without the computer's own player, then "New Player". buffer ends holding the last record.
std::vector<std::string> LoginList(const Settings& settings, PlayerRecord& buffer);

// Asks who is playing: a returning player picks a name from the list, a new one types a
// name, which must pass the word filter and start with two letters (a longer name is cut to
// the 30 characters a record holds). Returns the name, or the empty text when the login was
// cancelled or the name refused (after telling why).
std::string PlayerLogin(Io& io, const Settings& settings, PlayerRecord& buffer);

// True, after a message, when the name holds one of the unacceptable words in any case.
bool NameIsBlocked(Io& io, std::string_view name);

// The name as the visit keeps it: upper case, padded with blanks to 30 characters.
std::string VisitName(std::string_view loginName);

}  // namespace lexfray
