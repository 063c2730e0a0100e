#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"
#include "dialogs/io.h"
#include "players/player_file.h"

namespace lexfray {

// The boxes that tell a player how a change of the player file went, and why a name or a
// start is refused. Each says whether trying again can help and, where only someone else
// can act, who.

// Tells, at most once for the operation that owns it, that a change was not saved or is
// kept for later; play goes on either way.
class SaveNotice {
 public:
  SaveNotice(Io& io, const Settings& settings) : io_(io), settings_(settings) {}
  // Nothing for kSaved.
  void Tell(const SaveResult& result);
  void TellNotSaved(const std::string& reason);

 private:
  Io& io_;
  const Settings& settings_;
  bool told_ = false;
};

// Tells that the players could not be read, and why.
void TellPlayersNotRead(Io& io, const std::string& reason);

// Says that the name is another account's, which alone plays it, and which account the
// player is.
void TellNameTaken(Io& io, const Settings& settings, std::string_view name);

// Why a new player cannot start this month, and who can act (nothing for the empty text).
void TellNoNewPlayer(Io& io, const std::string& reason);

}  // namespace lexfray
