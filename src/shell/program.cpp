#include "shell/program.h"

#include "shell/main_menu.h"
#include "shell/program_state.h"
#include "shell/start_up.h"

namespace lexfray {

int RunProgram(Platform& platform) {
  Screen screen;
  Io io{screen, platform.terminal, platform.clock};
  ProgramState state;
  if (!StartUp(io, platform, state)) return 0;
  MainMenu menu(io, platform, state);
  menu.Run();
  return 0;
}

}  // namespace lexfray
