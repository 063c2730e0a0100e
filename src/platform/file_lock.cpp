#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/files.h"
#include "platform/game_group.h"

namespace lexfray {

namespace {

using std::chrono::microseconds;

// The lock file is made by whichever program comes first; one it may only read still takes
// a lock, since flock needs no write permission.
int OpenLockFile(const std::string& path) {
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW;
  int fd = WithGameGroup([&] { return ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0664); });
  if (fd >= 0 || (errno != EACCES && errno != EROFS && errno != EPERM)) return fd;
  return WithGameGroup([&] { return ::open(path.c_str(), O_RDONLY | kFlags); });
}

// Critical sections last well under a millisecond: the first pauses are short, and they
// grow only for a holder that takes long. The wait is the sum of the pauses, so that only
// time spent waiting counts against it.
bool WaitForLock(int fd, int operation, std::chrono::milliseconds wait) {
  microseconds waited{0};
  microseconds pause{50};
  for (;;) {
    if (::flock(fd, operation | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return errno == ENOLCK || errno == EINVAL;  // no locks here
    if (waited >= wait) return false;
    std::this_thread::sleep_for(pause);
    waited += pause;
    pause = std::min(pause * 2, microseconds{5000});
  }
}

}  // namespace

std::optional<FileLock> FileLock::Take(const std::string& path, LockKind kind, std::string* error,
                                       std::chrono::milliseconds wait) {
  int fd = OpenLockFile(LockPathOf(path));
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ENOENT))
    return FileLock(-1);
  if (fd < 0) {
    if (error) *error = "cannot lock " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  int operation = kind == LockKind::kShared ? LOCK_SH : LOCK_EX;
  if (WaitForLock(fd, operation, wait)) return FileLock(fd);
  ::close(fd);
  if (error)
    *error = path + " is busy: another game or the exchange program is changing it";
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

std::string LockPathOf(const std::string& path) {
  std::string folder = FolderOf(path);
  return folder + "." + path.substr(folder.size()) + ".lock";
}

}  // namespace lexfray
