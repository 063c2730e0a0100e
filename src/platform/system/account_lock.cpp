#include "platform/system/account_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/files.h"
#include "platform/lock_holders.h"

namespace lexfray {

namespace {

constexpr std::string_view kLockFileName = ".LEXFRAY.RUN.lock";

struct flock ByteOf(std::uint32_t uid, short type) {
  struct flock byte {};
  byte.l_type = type;
  byte.l_whence = SEEK_SET;
  byte.l_start = static_cast<off_t>(uid);
  byte.l_len = 1;
  return byte;
}

std::string LockFileOf(const std::string& folder) {
  return folder + std::string(kLockFileName);
}

// The terminal of a process as its name under /dev/pts, from the tty number in its stat
// line, which every user may read (its descriptors are closed to others, setgid as it is).
std::string TerminalOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  std::size_t afterName = line.rfind(')');
  if (afterName == std::string::npos) return {};
  std::istringstream fields(line.substr(afterName + 1));
  std::string state;
  long parent = 0, group = 0, session = 0, tty = 0;
  if (!(fields >> state >> parent >> group >> session >> tty)) return {};
  // Pseudo-terminal slaves are majors 136 to 143, 256 terminals to a major.
  long major = (tty >> 8) & 0xff;
  long minor = (tty & 0xff) | ((tty >> 12) & 0xfff00);
  if (major < 136 || major > 143) return {};
  return "/dev/pts/" + std::to_string((major - 136) * 256 + minor);
}

}  // namespace

AccountLock::~AccountLock() {
  if (fd_ >= 0) ::close(fd_);
}

CopyLock AccountLock::Acquire(const std::string& folder, std::string* reason) {
  if (fd_ >= 0) return CopyLock::kHeld;
  // Close-on-exec: a browser started from the game must not keep the lock after the game.
  std::string path = LockFileOf(folder);
  int fd = OpenOrCreate(path, O_RDWR);
  if (fd < 0) {
    if (reason) *reason = "cannot open " + path + ": " + std::strerror(errno);
    return CopyLock::kFailed;
  }
  struct flock byte = ByteOf(uid_, F_WRLCK);
  if (::fcntl(fd, F_SETLK, &byte) == 0) {
    fd_ = fd;
    return CopyLock::kHeld;
  }
  int error = errno;
  ::close(fd);
  if (error == EACCES || error == EAGAIN) return CopyLock::kHeldElsewhere;
  if (reason) *reason = "cannot lock " + path + ": " + std::strerror(error);
  return error == ENOLCK || error == EINVAL || error == EOPNOTSUPP ? CopyLock::kNoLocks
                                                                    : CopyLock::kFailed;
}

std::string AccountLock::Holder(const std::string& folder) {
  std::optional<LockHolder> holder = LockHolderOf(LockFileOf(folder), uid_);
  if (!holder || holder->pid == ::getpid()) return {};
  std::string text = "process " + std::to_string(holder->pid);
  std::string terminal = TerminalOf(holder->pid);
  return terminal.empty() ? text : text + " on " + terminal;
}

}  // namespace lexfray
