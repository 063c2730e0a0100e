#include "platform/game_group.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/terminal_signals.h"

namespace lexfray {

namespace {

struct Groups {
  gid_t real = 0;
  gid_t effective = 0;
  gid_t saved = 0;
};

Groups CurrentGroups() {
  Groups groups;
  ::getresgid(&groups.real, &groups.effective, &groups.saved);
  return groups;
}

// Changes the effective group only; the real and saved ones stay as they are.
bool SetEffectiveGroup(gid_t group) {
  constexpr gid_t kUnchanged = static_cast<gid_t>(-1);
  return ::setresgid(kUnchanged, group, kUnchanged) == 0;
}

}  // namespace

bool PutGameGroupAside() {
  Groups groups = CurrentGroups();
  return groups.effective == groups.real || SetEffectiveGroup(groups.real);
}

bool IsGameGroup(gid_t group) { return group == CurrentGroups().saved; }

GameGroup::GameGroup() {
  Groups groups = CurrentGroups();
  if (groups.saved == groups.real || groups.effective == groups.saved) return;
  int saved = errno;
  taken_ = SetEffectiveGroup(groups.saved);
  previous_ = groups.effective;
  errno = saved;
}

GameGroup::~GameGroup() {
  if (!taken_) return;
  int saved = errno;
  if (!SetEffectiveGroup(previous_))
    EndWithMessage("cannot give the games group back (" + std::string(std::strerror(errno)) +
                   "); the game stops rather than play on with it");
  errno = saved;
}

}  // namespace lexfray
