#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "platform/file_lock.h"
#include "support/fakes.h"

namespace lexfray::testing {

// Another copy of the game stopped (SIGSTOP, a player's Ctrl-Z) while it holds a file's lock.
// Ended with SIGKILL by End or when the object goes, as an administrator would end it.
class StoppedHolder {
 public:
  explicit StoppedHolder(const std::string& path) {
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      FakeClock clock;
      std::optional<FileLock> held = FileLock::Take(path, clock);
      ::raise(SIGSTOP);
      ::_exit(held ? 0 : 1);
    }
    int status = 0;
    stopped_ = pid_ > 0 && ::waitpid(pid_, &status, WUNTRACED) == pid_ && WIFSTOPPED(status);
  }
  StoppedHolder(const StoppedHolder&) = delete;
  StoppedHolder& operator=(const StoppedHolder&) = delete;
  ~StoppedHolder() { End(); }

  // True once the holder has the lock and is stopped.
  bool Stopped() const { return stopped_; }

  void End() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_ = 0;
  bool stopped_ = false;
};

}  // namespace lexfray::testing
