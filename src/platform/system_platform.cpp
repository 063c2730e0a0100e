#include "platform/system_platform.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/game_group.h"
#include "platform/program_folder.h"

namespace lexfray {

std::unique_ptr<SystemPlatform> SystemPlatform::Start(std::string* error) {
  if (IsSharedInstallation()) OpenGroupBitsOfUmask();
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
  return std::unique_ptr<SystemPlatform>(new SystemPlatform(std::move(terminal)));
}

SystemPlatform::SystemPlatform(std::unique_ptr<CursesTerminal> terminal)
    : terminal_(std::move(terminal)),
      platform_{*terminal_, clock_, random_, lock_, launcher_, ProgramFolder(), "/"} {}

}  // namespace lexfray
