#pragma once

#include <sys/types.h>

namespace lexfray {

// The group of a setgid installation (games) lets the game, and only the game, write the
// shared files. The game holds it only while it opens or changes those files and while it
// starts the exchange program; the rest of the time it acts with the player's own group,
// keeping the games group as its saved group so that it can take it again.
//
// In a copy that is not setgid (the build folder, a player's own installation) the real
// and saved groups are the same, and all of this does nothing.

// Sets the effective group back to the real one. Called once the terminal is open, so that
// the terminal was set up with the group (ncurses then ignores a player's TERMINFO). False,
// with errno set, when the games group is still held: the game must not play on then.
bool PutGameGroupAside();

// True for the games group of a setgid game (its saved group), and in a copy that is not
// setgid for the player's own group: the group trusted with the game's files.
bool IsGameGroup(gid_t group);

// Holds the games group as the effective group for its scope, then gives back the group
// that was effective before, so guards nest. errno survives the hand-back, so that a
// failure inside the scope can still be told after it. A hand-back that fails ends the
// program at once (see EndWithMessage): it never plays on holding the group.
class GameGroup {
 public:
  GameGroup();
  GameGroup(const GameGroup&) = delete;
  GameGroup& operator=(const GameGroup&) = delete;
  ~GameGroup();

 private:
  gid_t previous_ = 0;
  bool taken_ = false;
};

// The result of action, done while holding the games group.
template <typename Action>
auto WithGameGroup(Action action) {
  GameGroup group;
  return action();
}

}  // namespace lexfray
