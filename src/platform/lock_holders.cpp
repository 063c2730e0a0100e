#include "platform/lock_holders.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/account_names.h"
#include "platform/game_group.h"

namespace lexfray {

namespace {

// One line of /proc/locks, such as "1: POSIX  ADVISORY  WRITE 4242 08:01:1234 7 7" or
// "2: FLOCK  ADVISORY  WRITE 4242 08:01:1234 0 EOF". Waiters ("1: -> FLOCK ...") hold nothing.
struct LockLine {
  pid_t pid = 0;
  unsigned deviceMajor = 0, deviceMinor = 0;
  unsigned long long inode = 0;
  std::uint64_t start = 0, end = UINT64_MAX;
};

std::optional<LockLine> ParseLockLine(const std::string& text) {
  std::istringstream fields(text);
  std::string number, kind, mode, access, where, start, end;
  long pid = 0;
  if (!(fields >> number >> kind) || kind == "->") return std::nullopt;
  if (!(fields >> mode >> access >> pid >> where >> start >> end) || pid <= 0) return std::nullopt;
  LockLine line;
  line.pid = static_cast<pid_t>(pid);
  if (std::sscanf(where.c_str(), "%x:%x:%llu", &line.deviceMajor, &line.deviceMinor, &line.inode) != 3)
    return std::nullopt;
  line.start = std::strtoull(start.c_str(), nullptr, 10);
  if (end != "EOF") line.end = std::strtoull(end.c_str(), nullptr, 10);
  return line;
}

// The real user of a process, from its status.
std::optional<std::uint32_t> RealUserOf(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (status >> key) {
    if (key == "Uid:") {
      long uid = -1;
      status >> uid;
      if (uid < 0) return std::nullopt;
      return static_cast<std::uint32_t>(uid);
    }
    status.ignore(4096, '\n');
  }
  return std::nullopt;
}

std::string ProgramOf(pid_t pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

// The state letter of a process's stat line, after its name in parentheses.
bool IsStopped(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  std::size_t afterName = line.rfind(')');
  if (afterName == std::string::npos || afterName + 2 >= line.size()) return false;
  char state = line[afterName + 2];
  return state == 'T' || state == 't';
}

}  // namespace

std::optional<LockHolder> LockHolderOf(const std::string& path, std::optional<std::uint64_t> byte) {
  struct stat file {};
  if (WithGameGroup([&] { return ::stat(path.c_str(), &file); }) != 0) return std::nullopt;
  std::ifstream locks("/proc/locks");
  std::string text;
  while (std::getline(locks, text)) {
    std::optional<LockLine> line = ParseLockLine(text);
    if (!line || line->inode != file.st_ino || line->deviceMajor != major(file.st_dev) ||
        line->deviceMinor != minor(file.st_dev))
      continue;
    if (byte && (*byte < line->start || *byte > line->end)) continue;
    LockHolder holder;
    holder.pid = line->pid;
    holder.program = ProgramOf(line->pid);
    if (std::optional<std::uint32_t> uid = RealUserOf(line->pid)) holder.account = LoginNameOf(*uid);
    holder.stopped = IsStopped(line->pid);
    return holder;
  }
  return std::nullopt;
}

std::string HolderText(const LockHolder& holder) {
  std::string text = "process " + std::to_string(holder.pid);
  if (!holder.program.empty()) text += " (" + holder.program + ")";
  if (!holder.account.empty()) text += " of account " + holder.account;
  if (holder.stopped) text += ", which is stopped";
  return text;
}

}  // namespace lexfray
