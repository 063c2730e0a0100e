#pragma once

#include "config/settings.h"
#include "players/player_file.h"

namespace lexfray {

// The game's player file: in its program folder, and in a player's own copy (which one copy
// at a time plays) going on where the file system takes no locks.
inline PlayerFilePlace PlayerFileOf(const Settings& settings) {
  return {settings.programFolder, !settings.Shared()};
}

}  // namespace lexfray
