#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/lock_holders.h"
#include "platform/save_result.h"
#include "players/player_changes.h"

namespace lexfray {

// The player file LEXFRAY.USR and its companion LEXFRAY.OWN in a program folder, as the game
// and the exchange program both read them: the last whole file (it is only ever replaced
// whole, so no lock is needed to read it) with the changes pending in its spool applied
// (platform/spooled_file.h). What a player is shown is always this.
struct PlayerFileView {
  PlayerFileImage image;
  std::uint64_t lastOrder = 0;  // of the pending changes: a change spooled now comes after them
  bool pending = false;         // changes wait in the spool for the lock's holder
  bool missing = false;         // there is no player file, and nothing waits to make one
};

// Nothing, with the reason in words the player can act on, when the file or the spool cannot
// be read, or when the file holds more than kMostPlayers records (more than the game ever
// writes: it is damaged, and refused rather than read).
std::optional<PlayerFileView> ReadPlayerFile(const std::string& folder, std::string* error);

// Makes an empty player file where there is none; a file that is there stays as it is.
void CreatePlayerFile(const std::string& folder);

// Where the player file lives and how it is locked.
struct PlayerFilePlace {
  std::string folder;         // the program folder, ending in '/'
  bool withoutLocks = false;  // a player's own copy: go on on a file system without locks
};

// Applies every pending change and, when given, own after them, and puts the result in place
// under the lock. When the lock is held elsewhere past its wait, own goes into the spool
// instead (kKept). A change that does not apply (see ApplyPlayerChange) is no failure.
SaveResult SavePlayerChange(const PlayerFilePlace& place, Clock& clock,
                            const std::optional<PlayerChange>& own);

// Puts bytes in place of the player file (a restore), after the pending changes, which it
// overwrites. Never spooled: a file held elsewhere past the wait fails, naming the holder.
SaveResult PutPlayerFile(const PlayerFilePlace& place, Clock& clock, std::string bytes);

// Frees a player name: its owner's line goes from LEXFRAY.OWN, after the pending changes,
// so that another account may take it. *freed tells whether anybody had it. Never spooled,
// like a restore.
SaveResult FreeName(const PlayerFilePlace& place, Clock& clock, std::string_view comparable,
                    bool* freed);

// A claim of a new name: the new player's change, spooled under the name itself so that of
// two accounts claiming one name at the same moment only the first gets it, whoever holds
// the lock; then applied like any change. kTaken: another claim of the name is pending.
enum class ClaimOutcome { kClaimed, kTaken, kFailed };
ClaimOutcome SpoolClaim(const PlayerFilePlace& place, const PlayerChange& change,
                        std::uint64_t after, std::string* error);
// Takes a pending claim back.
void WithdrawClaim(const PlayerFilePlace& place, std::string_view comparable);

// The most bytes of a player file: kMostPlayers records and a partial one. Anything that
// reads or copies the player file takes no more.
std::size_t LargestPlayerFile();

}  // namespace lexfray
