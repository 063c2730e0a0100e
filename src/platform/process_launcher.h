#pragma once

#include "platform/services.h"

namespace lexfray {

// Starts programs directly, never through a shell, with their standard streams on
// /dev/null, so that nothing they print lands on the board.
class ProcessLauncher final : public Launcher {
 public:
  void RunAndWait(const std::string& path) override;
  // xdg-open in a session of its own, so that it outlives the game, and without the games
  // group of a shared installation; a machine without xdg-open opens nothing.
  void OpenInBrowser(const std::string& url) override;
};

}  // namespace lexfray
