#include "shell/program.h"

#include "shell/main_menu.h"
#include "shell/start_up.h"

namespace lexfray {

int RunProgram(Platform& platform) {
  Screen screen;
  Io io{screen, platform.terminal, platform.clock};
  std::optional<Settings> settings = StartUp(io, platform);
  if (!settings) return 0;
  MainMenu menu(io, platform, *settings);
  menu.Run();
  return 0;
}

}  // namespace lexfray
