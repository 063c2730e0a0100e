#pragma once

#include <memory>
#include <string>

#include "platform/system/curses_terminal.h"
#include "platform/platform.h"
#include "platform/system/process_launcher.h"
#include "platform/system_clock.h"
#include "platform/system/system_random.h"

namespace lexfray {

// The machine the game really runs on: this terminal and this operating system.
class SystemPlatform {
 public:
  // Nothing, with the reason in *error, when there is no terminal to play on.
  static std::unique_ptr<SystemPlatform> Start(std::string* error);

  SystemPlatform(const SystemPlatform&) = delete;
  SystemPlatform& operator=(const SystemPlatform&) = delete;

  Platform& platform() { return platform_; }

 private:
  SystemPlatform(std::unique_ptr<CursesTerminal> terminal, std::string folder,
                 Installation installation);

  std::unique_ptr<CursesTerminal> terminal_;
  SystemClock clock_;
  SystemRandom random_;
  std::unique_ptr<InstanceLock> lock_;
  ProcessLauncher launcher_;
  Platform platform_;
};

}  // namespace lexfray
