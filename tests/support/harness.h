#pragma once

#include <string>

#include "console/screen.h"
#include "dialogs/io.h"
#include "platform/platform.h"
#include "support/fakes.h"
#include "support/scripted_terminal.h"
#include "support/temp_folder.h"

namespace lexfray::testing {

// A board with a scripted terminal and a fake clock, for the boxes and prompts alone.
struct BoardHarness {
  ScriptedTerminal terminal;
  FakeClock clock;
  Screen screen;
  Io io{screen, terminal, clock};
};

// The whole program on fakes, in a temporary program folder holding a configuration file
// and a dictionary of one word.
struct ProgramHarness {
  ScriptedTerminal terminal;
  FakeClock clock;
  ScriptedRandom random;
  FakeLock lock;
  FakeLauncher launcher;
  TempFolder folder;
  Platform platform{terminal, clock, random, lock, launcher, folder.path(), folder.PathOf("root/")};

  ProgramHarness();
  // Runs the program from its start; throws ScriptEnded when it asks for more input than
  // the script holds.
  int Run();
};

}  // namespace lexfray::testing
