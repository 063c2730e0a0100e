#include "platform/system/process_launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/game_group.h"

extern char** environ;

namespace lexfray {

namespace {

// The attributes and file actions of a child: standard streams on /dev/null, default
// signal handling (not the game's terminal restorer), nothing blocked, a session of its
// own without the game's terminal.
class SpawnSetup {
 public:
  SpawnSetup() {
    ::posix_spawn_file_actions_init(&actions_);
    for (int fd : {0, 1, 2})
      ::posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    ::posix_spawnattr_init(&attributes_);
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attributes_, &all);
    ::posix_spawnattr_setsigmask(&attributes_, &none);
    ::posix_spawnattr_setflags(&attributes_,
                               POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attributes_);
  }

  // The child starts in folder; one that is not there keeps the child from starting.
  void StartIn(const std::string& folder) {
    ::posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str());
  }

  // The child runs with the player's own group: its effective group is set back to the real
  // one before exec, and exec copies it into the saved one, so a setgid game's group is gone
  // from all three.
  void DropGameGroup() {
    short flags = 0;
    ::posix_spawnattr_getflags(&attributes_, &flags);
    ::posix_spawnattr_setflags(&attributes_, static_cast<short>(flags | POSIX_SPAWN_RESETIDS));
  }

  // The child's process id, or nothing when it could not start.
  std::optional<pid_t> Start(const char* file, char* const argv[], bool searchPath,
                             char* const envp[] = environ) {
    pid_t pid = 0;
    int result = searchPath ? ::posix_spawnp(&pid, file, &actions_, &attributes_, argv, envp)
                            : ::posix_spawn(&pid, file, &actions_, &attributes_, argv, envp);
    if (result != 0) return std::nullopt;
    return pid;
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

}  // namespace

void ProcessLauncher::RunAndWait(const std::string& path, const std::string& folder) {
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  // Fixed, so that the player's variables cannot steer a program that holds the game's group.
  std::string searchPath = "PATH=/usr/local/bin:/usr/bin:/bin";
  std::string locale = "LC_ALL=C";
  char* envp[] = {searchPath.data(), locale.data(), nullptr};
  SpawnSetup setup;
  if (!folder.empty()) setup.StartIn(folder);
  // The exchange writes the competition file in the program folder: it starts with the
  // games group as its effective and saved group, and the player's as its real one.
  std::optional<pid_t> pid =
      WithGameGroup([&] { return setup.Start(program.c_str(), argv, false, envp); });
  if (!pid) return;
  int status = 0;
  while (::waitpid(*pid, &status, 0) < 0 && errno == EINTR) {
  }
}

void ProcessLauncher::OpenInBrowser(const std::string& url) {
  std::string opener = "xdg-open";
  std::string address = url;
  char* argv[] = {opener.data(), address.data(), nullptr};
  SpawnSetup setup;
  setup.DropGameGroup();
  setup.Start(opener.c_str(), argv, true);
}

}  // namespace lexfray
