#include "platform/system/account_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/files.h"
#include "platform/game_group.h"

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

bool AccountLock::Acquire(const std::string& folder) {
  if (fd_ >= 0) return true;
  // Close-on-exec: a browser started from the game must not keep the lock after the game.
  int fd = OpenOrCreate(LockFileOf(folder), O_RDWR);
  if (fd < 0) return true;
  struct flock byte = ByteOf(uid_, F_WRLCK);
  if (::fcntl(fd, F_SETLK, &byte) == 0) {
    fd_ = fd;
    return true;
  }
  bool heldElsewhere = errno == EACCES || errno == EAGAIN;
  ::close(fd);
  return !heldElsewhere;
}

std::string AccountLock::Holder(const std::string& folder) {
  // Asked only by a copy that holds nothing, so closing this descriptor drops no lock.
  if (fd_ >= 0) return {};
  int fd = WithGameGroup([&] { return ::open(LockFileOf(folder).c_str(), O_RDONLY | O_CLOEXEC); });
  if (fd < 0) return {};
  // A read lock is what the test asks about: it conflicts with the holder's write lock.
  struct flock byte = ByteOf(uid_, F_RDLCK);
  bool asked = ::fcntl(fd, F_GETLK, &byte) == 0;
  ::close(fd);
  if (!asked || byte.l_type == F_UNLCK || byte.l_pid <= 0) return {};
  std::string holder = "process " + std::to_string(byte.l_pid);
  std::string terminal = TerminalOf(byte.l_pid);
  return terminal.empty() ? holder : holder + " on " + terminal;
}

}  // namespace lexfray
