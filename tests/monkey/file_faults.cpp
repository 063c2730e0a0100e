#include "monkey/file_faults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <string_view>
#include <utility>


// The wrapped calls of the file layer: the linker sends the game's calls here, and the
// real ones stay reachable as __real_*.
extern "C" {
ssize_t __real_read(int fd, void* buffer, size_t size);
ssize_t __real_write(int fd, const void* buffer, size_t size);
ssize_t __real_pread(int fd, void* buffer, size_t size, off_t offset);
ssize_t __real_pwrite(int fd, const void* buffer, size_t size, off_t offset);
int __real_unlink(const char* path);
int __real_rename(const char* from, const char* to);
int __real_open(const char* path, int flags, ...);
int __real_fsync(int fd);
int __real_flock(int fd, int operation);
int __real_link(const char* from, const char* to);
}

namespace lexfray::monkey {

namespace {

// Which of the saved files a path is.
enum class Family { kNone, kPlayers, kScores };

// A lock held elsewhere: it stays so for all the tries of one taking of the lock, until the
// lock file is opened again for the next.
struct Busy {
  bool on = false;
  int fd = -1;
};

// A wrapped C call has no object to ask, so the plan lives here, for this process's one
// monkey.
struct FaultState {
  FaultPlan plan;
  FileEvents events;
  Busy busy;
  std::function<void(const std::string&)> replaced;
};

FaultState& State() {
  static FaultState state;
  return state;
}

std::string_view BaseName(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsLockFile(std::string_view path) {
  std::string_view name = BaseName(path);
  return name.starts_with('.') && name.ends_with(".lock");
}

// The file a spool, a new version or a lock file stands for: ".LEXFRAY.USR.spool/x",
// ".LEXFRAY.USR.next-x" and ".LEXFRAY.USR.lock" all stand for LEXFRAY.USR.
std::string_view SharedFileOf(std::string_view path) {
  std::size_t spool = path.find(".spool/");
  if (spool != std::string_view::npos) path = path.substr(0, spool);
  std::string_view name = BaseName(path);
  if (!name.starts_with('.')) return name;
  name.remove_prefix(1);
  for (std::string_view tail : {".spool", ".lock"})
    if (name.ends_with(tail)) return name.substr(0, name.size() - tail.size());
  std::size_t next = name.find(".next-");
  return next == std::string_view::npos ? name : name.substr(0, next);
}

Family FamilyOf(std::string_view path) {
  std::string_view name = SharedFileOf(path);
  if (name == "LEXFRAY.ISC") return Family::kScores;
  if (name == "LEXFRAY.USR" || name == "LEXFRAY.BKP" || name == "LEXFRAY.OWN" ||
      name.starts_with("lexfray-copy-"))
    return Family::kPlayers;
  return Family::kNone;
}

std::string PathOf(int fd) {
  char link[PATH_MAX];
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  ssize_t length = ::readlink(self.c_str(), link, sizeof link);
  return length > 0 ? std::string(link, static_cast<std::size_t>(length)) : std::string();
}

bool IsSavedFile(int fd) {
  std::string path = PathOf(fd);
  return FamilyOf(path) != Family::kNone && !IsLockFile(path);
}

// A kill in the middle of changing the saved files: nothing after this call happens.
void KillAt(bool saved) {
  FaultPlan& plan = State().plan;
  if (plan.fault != Fault::kKill || !saved || --plan.countdown > 0) return;
  ::_exit(kKilledStatus);
}

// True when this call, on a saved file, is the one the plan makes fail.
bool CountsDown(Fault kind, bool saved) {
  FaultPlan& plan = State().plan;
  if (plan.fault != kind || !saved) return false;
  if (--plan.countdown > 0) return false;
  plan.fault = Fault::kNone;
  return true;
}

// A slow disk widens every critical section over the saved files, so that games of other
// accounts that did not wait for each other would overlap.
void TakeTime(int fd) {
  const FaultPlan& plan = State().plan;
  if (plan.fault != Fault::kSlowDisk || !IsSavedFile(fd)) return;
  timespec pause{0, static_cast<long>(plan.countdown) * 1000000L};
  while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

void NoteWriteFailed(Family family) {
  if (family == Family::kScores) ++State().events.scoreWritesFailed;
  else ++State().events.writesFailed;
}

int FailWith(int error) {
  errno = error;
  return -1;
}

int FailRead() {
  ++State().events.readsFailed;
  return FailWith(EIO);
}

// How much of a write at offset may go before the disk is full: what stays within the
// file's present size.
std::size_t RoomFor(int fd, std::size_t size, off_t offset) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || offset >= info.st_size) return 0;
  return std::min(size, static_cast<std::size_t>(info.st_size - offset));
}

ssize_t WriteAt(int fd, const void* buffer, size_t size, off_t offset, bool positioned) {
  TakeTime(fd);
  KillAt(IsSavedFile(fd));
  if (CountsDown(Fault::kFailWrite, IsSavedFile(fd))) {
    NoteWriteFailed(FamilyOf(PathOf(fd)));
    return FailWith(EIO);
  }
  if (State().plan.fault == Fault::kDiskFull && IsSavedFile(fd)) {
    off_t at = positioned ? offset : ::lseek(fd, 0, SEEK_CUR);
    std::size_t room = RoomFor(fd, size, at);
    if (room < size) {
      NoteWriteFailed(FamilyOf(PathOf(fd)));
      if (room == 0) return FailWith(ENOSPC);
      size = room;  // a short write; the next one finds the disk full
    }
  }
  return positioned ? __real_pwrite(fd, buffer, size, offset) : __real_write(fd, buffer, size);
}

// The lock of a saved file, held elsewhere from the n-th try on for all of the program's
// wait for it. A change that finds it so is kept in the file's spool, not lost: nothing to
// tell but that it is kept.
int Lock(int fd, int operation) {
  Busy& busy = State().busy;
  std::string path = PathOf(fd);
  bool shared = IsLockFile(path) && FamilyOf(path) != Family::kNone;
  if (shared && State().plan.fault == Fault::kNoLocks) return FailWith(ENOLCK);
  if (!busy.on && CountsDown(Fault::kLockBusy, shared)) busy = {true, fd};
  if (!busy.on || busy.fd != fd) return __real_flock(fd, operation);
  return FailWith(EWOULDBLOCK);
}

}  // namespace

void ArmFault(const FaultPlan& plan) { State().plan = plan; }
void DisarmFaults() {
  State().plan = FaultPlan{};
  State().busy = Busy{};
}
FileEvents TakeFileEvents() { return std::exchange(State().events, FileEvents{}); }

void OnPlayerFileReplaced(std::function<void(const std::string&)> listener) {
  State().replaced = std::move(listener);
}

}  // namespace lexfray::monkey

using lexfray::monkey::Fault;
namespace monkey = lexfray::monkey;

extern "C" {

ssize_t __wrap_read(int fd, void* buffer, size_t size) {
  monkey::TakeTime(fd);
  if (monkey::CountsDown(Fault::kFailRead, monkey::IsSavedFile(fd))) return monkey::FailRead();
  return __real_read(fd, buffer, size);
}

ssize_t __wrap_pread(int fd, void* buffer, size_t size, off_t offset) {
  monkey::TakeTime(fd);
  if (monkey::CountsDown(Fault::kFailRead, monkey::IsSavedFile(fd))) return monkey::FailRead();
  return __real_pread(fd, buffer, size, offset);
}

ssize_t __wrap_write(int fd, const void* buffer, size_t size) {
  return monkey::WriteAt(fd, buffer, size, 0, false);
}

ssize_t __wrap_pwrite(int fd, const void* buffer, size_t size, off_t offset) {
  return monkey::WriteAt(fd, buffer, size, offset, true);
}

int __wrap_open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
  }
  bool saved = monkey::FamilyOf(path) != monkey::Family::kNone && !monkey::IsLockFile(path);
  if (monkey::IsLockFile(path)) monkey::State().busy = {};
  if (monkey::CountsDown(Fault::kFailOpen, saved)) return monkey::FailRead();
  return __real_open(path, flags, mode);
}

int __wrap_fsync(int fd) {
  monkey::KillAt(monkey::IsSavedFile(fd));
  if (monkey::CountsDown(Fault::kFailSync, monkey::IsSavedFile(fd))) {
    monkey::NoteWriteFailed(monkey::FamilyOf(monkey::PathOf(fd)));
    return monkey::FailWith(EIO);
  }
  return __real_fsync(fd);
}

int __wrap_flock(int fd, int operation) { return monkey::Lock(fd, operation); }

int __wrap_unlink(const char* path) {
  monkey::KillAt(monkey::FamilyOf(path) != monkey::Family::kNone && !monkey::IsLockFile(path));
  int result = __real_unlink(path);
  auto& state = monkey::State();
  if (result == 0 && monkey::BaseName(path) == "LEXFRAY.USR" && state.replaced)
    state.replaced(path);
  return result;
}

int __wrap_link(const char* from, const char* to) {
  monkey::KillAt(monkey::FamilyOf(to) != monkey::Family::kNone);
  return __real_link(from, to);
}

int __wrap_rename(const char* from, const char* to) {
  monkey::Family family = monkey::FamilyOf(to);
  monkey::KillAt(family != monkey::Family::kNone);
  if (monkey::CountsDown(Fault::kFailRename, family != monkey::Family::kNone)) {
    monkey::NoteWriteFailed(family);
    return monkey::FailWith(EIO);
  }
  int result = __real_rename(from, to);
  auto& state = monkey::State();
  if (result == 0 && monkey::BaseName(to) == "LEXFRAY.USR" && state.replaced)
    state.replaced(to);
  return result;
}

}  // extern "C"
