#include "platform/system/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/system/account.h"
#include "platform/game_group.h"

namespace lexfray {

namespace {

// The process holding a lock on the file with this device and inode, from a line of
// /proc/locks such as "1: FLOCK  ADVISORY  WRITE 4242 08:01:1234 0 EOF"; 0 when none does.
// Waiters ("1: -> FLOCK ...") hold nothing.
pid_t HolderOf(const struct stat& file) {
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, where;
    long pid = 0;
    if (!(fields >> number >> kind) || kind == "->") continue;
    if (!(fields >> mode >> access >> pid >> where)) continue;
    unsigned deviceMajor = 0, deviceMinor = 0;
    unsigned long long inode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%llu", &deviceMajor, &deviceMinor, &inode) != 3) continue;
    if (inode == file.st_ino && deviceMajor == major(file.st_dev) &&
        deviceMinor == minor(file.st_dev) && pid > 0)
      return static_cast<pid_t>(pid);
  }
  return 0;
}

// The login name of the real user of a process, from its status in /proc, which every
// user may read, also for a setgid program.
std::string UserOf(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  long uid = -1;
  while (status >> key) {
    if (key == "Uid:") {
      status >> uid;
      break;
    }
    status.ignore(4096, '\n');
  }
  return uid < 0 ? std::string() : LoginNameOf(static_cast<std::uint32_t>(uid));
}

}  // namespace

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderLock::Acquire(const std::string& folder) {
  if (fd_ >= 0) return true;
  // Close-on-exec: a browser started from the game must not inherit the lock and keep it
  // after the game has ended.
  const char* path = folder.empty() ? "." : folder.c_str();
  int fd = WithGameGroup([&] { return ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    fd_ = fd;
    return true;
  }
  bool heldElsewhere = errno == EWOULDBLOCK;
  ::close(fd);
  return !heldElsewhere;
}

std::string FolderLock::Holder(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0) return {};
  pid_t pid = HolderOf(info);
  return pid > 0 ? UserOf(pid) : std::string();
}

}  // namespace lexfray
