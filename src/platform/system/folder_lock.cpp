#include "platform/system/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/game_group.h"
#include "platform/lock_holders.h"

namespace lexfray {

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

CopyLock FolderLock::Acquire(const std::string& folder, std::string* reason) {
  if (fd_ >= 0) return CopyLock::kHeld;
  // Close-on-exec: a browser started from the game must not inherit the lock and keep it
  // after the game has ended.
  std::string path = folder.empty() ? "." : folder;
  int fd = WithGameGroup([&] { return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (fd < 0) {
    if (reason) *reason = "cannot open the folder " + path + ": " + std::strerror(errno);
    return CopyLock::kFailed;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    fd_ = fd;
    return CopyLock::kHeld;
  }
  int error = errno;
  ::close(fd);
  if (error == EWOULDBLOCK) return CopyLock::kHeldElsewhere;
  if (reason) *reason = "cannot lock the folder " + path + ": " + std::strerror(error);
  return error == ENOLCK || error == EINVAL || error == EOPNOTSUPP ? CopyLock::kNoLocks
                                                                    : CopyLock::kFailed;
}

std::string FolderLock::Holder(const std::string& folder) {
  std::optional<LockHolder> holder = LockHolderOf(folder.empty() ? "." : folder);
  return holder ? holder->account : std::string();
}

}  // namespace lexfray
