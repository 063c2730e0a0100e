#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

namespace lexfray {

// A process that holds a lock on a file, as the kernel's table of locks (/proc/locks) and the
// process's own status tell it: both are readable by every account, also for a setgid game,
// and reading them opens nothing of the locked file (opening a file drops the process's own
// record locks on it when the descriptor closes).
struct LockHolder {
  pid_t pid = 0;
  std::string program;   // the process's name: the game, or the exchange program
  std::string account;   // the login name of the process's real user; empty when unknown
  bool stopped = false;  // stopped by a signal or a debugger: it holds the lock until it goes on
};

// The holder of a lock on the file at path: for a record lock, the one covering byte (any
// byte when none is given); nothing when nobody holds one or it cannot be known (a holder
// in another process namespace).
std::optional<LockHolder> LockHolderOf(const std::string& path,
                                       std::optional<std::uint64_t> byte = std::nullopt);

// "process 4242 (lexfray) of account bob, which is stopped", for the player's boxes.
std::string HolderText(const LockHolder& holder);

}  // namespace lexfray
