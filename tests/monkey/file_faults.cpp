#include "monkey/file_faults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
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
}

namespace lexfray::monkey {

namespace {

// A wrapped C call has no object to ask, so the plan lives here, for this process's one
// monkey.
struct FaultState {
  FaultPlan plan;
  FileEvents events;
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

bool IsSavedFile(std::string_view path) {
  std::string_view name = BaseName(path);
  return name == "LEXFRAY.USR" || name == "LEXFRAY.BKP" || name == "LEXFRAY.ISC" ||
         name == "LEXFRAY.OWN" || name.starts_with(".lexfray-copy-");
}

bool IsSavedFile(int fd) {
  char link[PATH_MAX];
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  ssize_t length = ::readlink(self.c_str(), link, sizeof link);
  return length > 0 && IsSavedFile(std::string_view(link, static_cast<std::size_t>(length)));
}

// True when this call is the one the plan makes fail.
bool CountsDown(Fault kind, int fd) {
  FaultPlan& plan = State().plan;
  if (plan.fault != kind || !IsSavedFile(fd)) return false;
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

ssize_t FailWith(int error) {
  errno = error;
  return -1;
}

ssize_t FailRead() {
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
  if (CountsDown(Fault::kFailWrite, fd)) {
    ++State().events.writesFailed;
    return FailWith(EIO);
  }
  if (State().plan.fault == Fault::kDiskFull && IsSavedFile(fd)) {
    off_t at = positioned ? offset : ::lseek(fd, 0, SEEK_CUR);
    std::size_t room = RoomFor(fd, size, at);
    if (room < size) {
      ++State().events.writesFailed;
      if (room == 0) return FailWith(ENOSPC);
      State().events.partialWrite = true;
      size = room;  // a short write; the next one finds the disk full
    }
  }
  return positioned ? __real_pwrite(fd, buffer, size, offset) : __real_write(fd, buffer, size);
}

}  // namespace

void ArmFault(const FaultPlan& plan) { State().plan = plan; }
void DisarmFaults() { State().plan = FaultPlan{}; }
FileEvents TakeFileEvents() { return std::exchange(State().events, FileEvents{}); }

void OnPlayerFileReplaced(std::function<void(const std::string&)> listener) {
  State().replaced = std::move(listener);
}

}  // namespace lexfray::monkey

using lexfray::monkey::Fault;

extern "C" {

ssize_t __wrap_read(int fd, void* buffer, size_t size) {
  lexfray::monkey::TakeTime(fd);
  if (lexfray::monkey::CountsDown(Fault::kFailRead, fd)) return lexfray::monkey::FailRead();
  return __real_read(fd, buffer, size);
}

ssize_t __wrap_pread(int fd, void* buffer, size_t size, off_t offset) {
  lexfray::monkey::TakeTime(fd);
  if (lexfray::monkey::CountsDown(Fault::kFailRead, fd)) return lexfray::monkey::FailRead();
  return __real_pread(fd, buffer, size, offset);
}

ssize_t __wrap_write(int fd, const void* buffer, size_t size) {
  return lexfray::monkey::WriteAt(fd, buffer, size, 0, false);
}

ssize_t __wrap_pwrite(int fd, const void* buffer, size_t size, off_t offset) {
  return lexfray::monkey::WriteAt(fd, buffer, size, offset, true);
}

int __wrap_unlink(const char* path) {
  int result = __real_unlink(path);
  auto& state = lexfray::monkey::State();
  if (result == 0 && lexfray::monkey::BaseName(path) == "LEXFRAY.USR" && state.replaced)
    state.replaced(path);
  return result;
}

int __wrap_rename(const char* from, const char* to) {
  int result = __real_rename(from, to);
  auto& state = lexfray::monkey::State();
  if (result == 0 && lexfray::monkey::BaseName(to) == "LEXFRAY.USR" && state.replaced)
    state.replaced(to);
  return result;
}

}  // extern "C"
