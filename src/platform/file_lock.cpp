#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/files.h"
#include "platform/game_group.h"

namespace lexfray {

namespace {

// The lock file is made by whichever program comes first; one it may only read still takes
// a lock, since flock needs no write permission.
int OpenLockFile(const std::string& path) {
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW;
  int fd = WithGameGroup([&] { return ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0664); });
  if (fd >= 0 || (errno != EACCES && errno != EROFS && errno != EPERM)) return fd;
  int refused = errno;
  fd = WithGameGroup([&] { return ::open(path.c_str(), O_RDONLY | kFlags); });
  // Not there to read either: why it could not be made is the reason.
  if (fd < 0 && errno == ENOENT) errno = refused;
  return fd;
}

// How often a waiter looks whether the holder is stopped.
constexpr int kStopCheckMs = 250;

// Critical sections last well under a millisecond: the first pauses are short, and they
// grow only for a holder that takes long. The wait is the sum of the pauses on the clock,
// so that only time spent waiting counts against it; a holder that is stopped lets go of
// nothing, so nobody waits for it. The errno of a failure is kept.
LockTrouble WaitForLock(int fd, const std::string& lockPath, Clock& clock, int waitMs) {
  int waited = 0;
  int pause = 1;
  int nextCheck = 0;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockTrouble::kNone;
    if (errno == EINTR) continue;
    if (errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP) return LockTrouble::kNoLocks;
    if (errno != EWOULDBLOCK) return LockTrouble::kFailed;
    if (waited >= waitMs) return LockTrouble::kBusy;
    if (waited >= nextCheck) {
      std::optional<LockHolder> holder = LockHolderOf(lockPath);
      if (holder && holder->stopped) return LockTrouble::kBusy;
      nextCheck = waited + kStopCheckMs;
    }
    clock.Sleep(pause);
    waited += pause;
    pause = std::min(pause * 2, 5);
  }
}

void Tell(LockFailure* failure, LockTrouble kind, std::string reason) {
  if (!failure) return;
  failure->kind = kind;
  failure->reason = std::move(reason);
}

}  // namespace

std::optional<FileLock> FileLock::Take(const std::string& path, Clock& clock,
                                       LockFailure* failure, int waitMs) {
  std::string lockPath = LockPathOf(path);
  int fd = OpenLockFile(lockPath);
  if (fd < 0) {
    Tell(failure, LockTrouble::kFailed,
         "cannot open the lock file " + lockPath + ": " + std::strerror(errno));
    return std::nullopt;
  }
  LockTrouble trouble = WaitForLock(fd, lockPath, clock, waitMs);
  if (trouble == LockTrouble::kNone) return FileLock(fd);
  int reason = errno;
  if (trouble == LockTrouble::kBusy) {
    std::optional<LockHolder> holder = LockHolderOf(lockPath);
    ::close(fd);
    Tell(failure, trouble,
         path + " is busy: " + (holder ? HolderText(*holder) : "another program") + " holds it");
    if (failure) failure->holder = holder;
    return std::nullopt;
  }
  ::close(fd);
  Tell(failure, trouble,
       trouble == LockTrouble::kNoLocks
           ? "the file system of " + path + " takes no locks"
           : "cannot lock " + lockPath + ": " + std::strerror(reason));
  return std::nullopt;
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileLock::~FileLock() { Release(); }

// Closing the descriptor drops the lock.
void FileLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::optional<LockHolder> StoppedHolder(const std::string& path) {
  std::optional<LockHolder> holder = LockHolderOf(LockPathOf(path));
  if (holder && holder->stopped) return holder;
  return std::nullopt;
}

std::string LockPathOf(const std::string& path) {
  std::string folder = FolderOf(path);
  return folder + "." + path.substr(folder.size()) + ".lock";
}

}  // namespace lexfray
