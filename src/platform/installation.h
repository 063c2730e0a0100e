#pragma once

#include <cstdint>
#include <string>

namespace lexfray {

// Who plays, and on what kind of installation. A player's own copy has one account and no
// sharing to guard; a shared installation (the Debian package, or any setgid copy) is played
// by every account of the machine at once, each with the same program folder.
struct Installation {
  bool shared = false;
  std::uint32_t uid = 0;  // the real user: who the account says the player is
  std::string loginName;  // that account's login name, or its number when it has none
  // Root, or the account that owns the program folder: who may back up and restore the
  // whole player file of a shared installation.
  bool administrator = false;
  std::string administratorName;  // how the players are told to reach them
};

}  // namespace lexfray
