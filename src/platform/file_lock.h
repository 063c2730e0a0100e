#pragma once

#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/lock_holders.h"

namespace lexfray {

// How long a change of a shared file waits for another process's: far longer than any
// critical section takes (a few renames), short enough that a stopped process holding it
// costs the others a short wait, after which their change is kept in the file's spool.
inline constexpr int kLockWaitMs = 3000;

// Why a lock was not had.
enum class LockTrouble {
  kNone,
  kBusy,     // another process held it all the time of the wait
  kNoLocks,  // the file system takes no locks
  kFailed,   // the lock file cannot be opened or made
};

struct LockFailure {
  LockTrouble kind = LockTrouble::kNone;
  std::string reason;                 // names the file and the cause, or the holder
  std::optional<LockHolder> holder;  // who held it, for a busy lock, when that is known
};

// A short lock of one shared file (the player file, the score file), held by whoever changes
// the file, while it puts a new version in place, and dropped when the object goes. Every
// program that changes the file takes it: the game and the exchange program alike. Readers
// take none: a file is only ever replaced whole.
//
// It lives on a lock file beside the shared file that is never replaced nor removed, so it
// holds across the renames that replace the file whole: a lock on the file itself would be
// lost with its old inode.
class FileLock {
 public:
  // Waits at most waitMs on the clock, and not at all for a holder that is stopped. Nothing,
  // with the reason in *failure, when another process holds it all that time, when the file
  // system takes no locks, or when the lock file cannot be opened (it is made when missing):
  // never a lock that holds nothing.
  static std::optional<FileLock> Take(const std::string& path, Clock& clock,
                                      LockFailure* failure = nullptr, int waitMs = kLockWaitMs);
  // A lock that holds nothing, for a player's own copy on a file system without locks: one
  // copy at a time plays there, so there is nobody to keep out.
  static FileLock Nothing() { return FileLock(-1); }

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  // Drops the lock before the object goes.
  void Release();

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// The process that holds the lock of the shared file at path, when it is stopped: a change
// then goes straight into the spool, without making a version that could not go in place.
std::optional<LockHolder> StoppedHolder(const std::string& path);

// The lock file of the shared file at path: a hidden file beside it.
std::string LockPathOf(const std::string& path);

}  // namespace lexfray
