#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace lexfray {

// How long a change of a shared file waits for another process's: far longer than any
// critical section takes (a read and a few writes), short enough that a stopped process
// holding it costs the others a message rather than their game.
inline constexpr std::chrono::milliseconds kLockWait{3000};

enum class LockKind {
  kShared,     // reading a whole table: many readers at once
  kExclusive,  // a read-modify-write of the file
};

// A short lock of one shared file (the player file, the score file), held while its bytes
// are read or changed and dropped when the object goes. Every program touching the file
// takes it: the game and the exchange program alike.
//
// It lives on a lock file beside the shared file that is never replaced nor removed, so it
// holds across the renames that replace the file whole and the removal of the monthly fresh
// start: a lock on the file itself would be lost with its old inode.
class FileLock {
 public:
  // Waits at most wait for the lock. Nothing, with the reason in *error, when another
  // process holds it all that time or the lock file fails. A folder where no lock file can
  // be made (read-only, closed to this process, or missing) gives a lock that holds
  // nothing: nobody can change the file there by way of the folder either.
  static std::optional<FileLock> Take(const std::string& path, LockKind kind,
                                      std::string* error = nullptr,
                                      std::chrono::milliseconds wait = kLockWait);

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

// The lock file of the shared file at path: a hidden file beside it.
std::string LockPathOf(const std::string& path);

}  // namespace lexfray
