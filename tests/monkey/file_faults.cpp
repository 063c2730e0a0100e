#include "monkey/file_faults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <string_view>
#include <utility>

#include "platform/file_lock.h"

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
int __real_ftruncate(int fd, off_t length);
int __real_flock(int fd, int operation);
}

namespace lexfray::monkey {

namespace {

// Which of the saved files a path is.
enum class Family { kNone, kPlayers, kScores };

// A lock held elsewhere: it stays so until the program's wait for it has run out.
struct Busy {
  bool on = false;
  std::chrono::microseconds slept{0};
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

Family FamilyOf(std::string_view path) {
  std::string_view name = BaseName(path);
  if (IsLockFile(path)) name = name.substr(1, name.size() - 6);
  if (name == "LEXFRAY.ISC") return Family::kScores;
  if (name == "LEXFRAY.USR" || name == "LEXFRAY.BKP" || name.starts_with(".lexfray-copy-"))
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

// True when this call, on a saved file, is the one the plan makes fail.
bool CountsDown(Fault kind, bool saved) {
  FaultPlan& plan = State().plan;
  if (plan.fault != kind || !saved) return false;
  if (--plan.countdown > 0) return false;
  plan.fault = Fault::kNone;
  return true;
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

// The lock of a saved file, held elsewhere from the n-th try on until the program has
// waited all it waits for it.
int Lock(int fd, int operation) {
  Busy& busy = State().busy;
  std::string path = PathOf(fd);
  if (!busy.on && CountsDown(Fault::kLockBusy, IsLockFile(path) && FamilyOf(path) != Family::kNone)) {
    busy = {true, std::chrono::microseconds{0}};
    if (operation & LOCK_EX) NoteWriteFailed(FamilyOf(path));
    else ++State().events.readsFailed;
  }
  if (!busy.on) return __real_flock(fd, operation);
  if (busy.slept >= kLockWait) busy.on = false;
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
  if (monkey::CountsDown(Fault::kFailRead, monkey::IsSavedFile(fd))) return monkey::FailRead();
  return __real_read(fd, buffer, size);
}

ssize_t __wrap_pread(int fd, void* buffer, size_t size, off_t offset) {
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
  if (monkey::CountsDown(Fault::kFailOpen, saved)) return monkey::FailRead();
  return __real_open(path, flags, mode);
}

int __wrap_fsync(int fd) {
  if (monkey::CountsDown(Fault::kFailSync, monkey::IsSavedFile(fd))) {
    monkey::NoteWriteFailed(monkey::FamilyOf(monkey::PathOf(fd)));
    return monkey::FailWith(EIO);
  }
  return __real_fsync(fd);
}

int __wrap_ftruncate(int fd, off_t length) {
  if (monkey::CountsDown(Fault::kFailTruncate, monkey::IsSavedFile(fd))) {
    monkey::State().events.cutBackFailed = true;
    return monkey::FailWith(EIO);
  }
  return __real_ftruncate(fd, length);
}

int __wrap_flock(int fd, int operation) { return monkey::Lock(fd, operation); }

// The only real pauses of the program are those of a wait for a lock: they take no time
// here, and a busy lock is held for as long as they add up to.
int __wrap_nanosleep(const struct timespec* pause, struct timespec* left) {
  if (left) *left = {0, 0};
  monkey::State().busy.slept += std::chrono::seconds(pause->tv_sec) +
                                std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::nanoseconds(pause->tv_nsec));
  return 0;
}

int __wrap_unlink(const char* path) {
  int result = __real_unlink(path);
  auto& state = monkey::State();
  if (result == 0 && monkey::BaseName(path) == "LEXFRAY.USR" && state.replaced)
    state.replaced(path);
  return result;
}

int __wrap_rename(const char* from, const char* to) {
  monkey::Family family = monkey::FamilyOf(to);
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
