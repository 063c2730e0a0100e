#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/installation.h"
#include "platform/random_source.h"
#include "platform/services.h"
#include "platform/terminal.h"

namespace lexfray {

// Everything the program takes from the machine it runs on. main() builds the real one;
// tests build one from fakes and a temporary program folder.
struct Platform {
  Terminal& terminal;
  Clock& clock;
  RandomSource& random;
  InstanceLock& lock;
  Launcher& launcher;
  std::string programFolder;  // where the game's files are, ending in '/'
  std::string driveRoot;      // where the competition program's folder lives: "/"
  Installation installation{};
};

}  // namespace lexfray
