#include "edge/system.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

extern char** environ;

namespace lexfray::leaguenet {

namespace {

constexpr char kTooLong[] =
    "leaguenet: the exchange took longer than its time limit and was stopped\n";

void StopOnAlarm(int) {
  ssize_t ignored = ::write(STDERR_FILENO, kTooLong, sizeof kTooLong - 1);
  static_cast<void>(ignored);
  ::_exit(3);
}

}  // namespace

void LogLine(bool failure, std::string_view line) {
  ::openlog("leaguenet", LOG_PID, LOG_USER);
  ::syslog(failure ? LOG_ERR : LOG_INFO, "%.*s", static_cast<int>(line.size()), line.data());
  ::closelog();
}

bool RunsWithOtherIdentity() {
  return ::getegid() != ::getgid() || ::geteuid() != ::getuid();
}

void DistrustEnvironment(bool gameGroup) {
  std::vector<std::string> names;
  for (char** variable = environ; *variable; ++variable) {
    std::string_view entry = *variable;
    if (entry.substr(0, 2) == "PG") names.emplace_back(entry.substr(0, entry.find('=')));
  }
  for (const std::string& name : names) ::unsetenv(name.c_str());
  if (gameGroup) ::setenv("PGSERVICEFILE", "/etc/postgresql-common/pg_service.conf", 1);
  ::unsetenv("TZ");
  ::tzset();
}

LocalDate Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void ArmHardTimeLimit(int seconds) {
  struct sigaction action {};
  action.sa_handler = StopOnAlarm;
  ::sigaction(SIGALRM, &action, nullptr);
  ::alarm(static_cast<unsigned>(seconds));
}

void Pause(std::chrono::milliseconds wait) {
  std::this_thread::sleep_for(wait);
}

bool RunsAsRoot() {
  return ::geteuid() == 0;
}

bool SetOwnerAndMode(const std::string& path, std::string_view group, unsigned mode,
                     std::string* error) {
  std::string name(group);
  struct group* entry = ::getgrnam(name.c_str());
  if (!entry) {
    *error = "there is no group " + name;
    return false;
  }
  if (::chown(path.c_str(), 0, entry->gr_gid) != 0 ||
      ::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool CreateEmptyFile(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 || ::close(fd) != 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace lexfray::leaguenet

namespace lexfray::leaguenet {

bool WriteNewFile(const std::string& path, std::string_view text, unsigned mode,
                  std::string* error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  bool written = ::fchmod(fd, static_cast<mode_t>(mode)) == 0;
  for (std::size_t done = 0; written && done < text.size();) {
    ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    written = wrote > 0;
    done += written ? static_cast<std::size_t>(wrote) : 0;
  }
  written = ::close(fd) == 0 && written;
  if (!written) {
    *error = path + ": " + std::strerror(errno);
    ::unlink(path.c_str());
  }
  return written;
}

}  // namespace lexfray::leaguenet
