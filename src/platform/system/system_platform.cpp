#include "platform/system/system_platform.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/system/account.h"
#include "platform/system/account_lock.h"
#include "platform/system/folder_lock.h"
#include "platform/game_group.h"
#include "platform/system/program_folder.h"

namespace lexfray {

namespace {

// A player's own copy keeps to one copy at a time in its folder, whoever starts it; a shared
// installation to one copy for each account.
std::unique_ptr<InstanceLock> SingleCopyLock(const Installation& installation) {
  if (installation.shared) return std::make_unique<AccountLock>(installation.uid);
  return std::make_unique<FolderLock>();
}

}  // namespace

std::unique_ptr<SystemPlatform> SystemPlatform::Start(std::string* error) {
  std::string folder = ProgramFolder();
  Installation installation = ThisInstallation(folder);
  if (installation.shared) {
    OpenGroupBitsOfUmask();
    UseMachineTimeZone();
  }
  std::unique_ptr<CursesTerminal> terminal = CursesTerminal::Open(TerminalDevice{}, error);
  if (!terminal) return nullptr;
  // The terminal was set up with the group; from here on the game holds it only for its
  // files and the exchange program.
  if (!PutGameGroupAside()) {
    if (error)
      *error = "cannot put the games group aside (" + std::string(std::strerror(errno)) +
               "); the game does not play with it held";
    return nullptr;
  }
  return std::unique_ptr<SystemPlatform>(
      new SystemPlatform(std::move(terminal), std::move(folder), std::move(installation)));
}

SystemPlatform::SystemPlatform(std::unique_ptr<CursesTerminal> terminal, std::string folder,
                               Installation installation)
    : terminal_(std::move(terminal)),
      lock_(SingleCopyLock(installation)),
      platform_{*terminal_, clock_, random_, *lock_, launcher_, std::move(folder), "/",
                std::move(installation)} {}

}  // namespace lexfray
