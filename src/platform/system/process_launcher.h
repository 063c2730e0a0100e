#pragma once

#include "platform/services.h"

namespace lexfray {

// Starts programs directly, never through a shell, with their standard streams on
// /dev/null, so that nothing they print lands on the board.
class ProcessLauncher final : public Launcher {
 public:
  // The program runs with the game's group on behalf of whoever plays: nothing of the
  // player's environment (PG*, LD_*, HOME) reaches it.
  void RunAndWait(const std::string& path, const std::string& folder) override;
  // xdg-open in a session of its own, so that it outlives the game, and without the games
  // group of a shared installation; a machine without xdg-open opens nothing.
  void OpenInBrowser(const std::string& url) override;
};

}  // namespace lexfray
