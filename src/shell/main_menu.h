#pragma once

#include <string>

#include "dialogs/io.h"
#include "platform/platform.h"
#include "shell/program_state.h"

namespace lexfray {

// The title screen and the main menu under it, with the scores and help menus.
class MainMenu {
 public:
  MainMenu(Io& io, Platform& platform, ProgramState& state);

  // Runs until the program is to end.
  void Run();

 private:
  enum class Next { kMenu, kRedraw, kEnd };

  void DrawTitle();
  Next Dispatch(const std::string& action);
  Next ScoresChoice();
  Next HelpChoice();
  Next Play();
  void BackupChoice();

  Io& io_;
  Platform& platform_;
  ProgramState& state_;
  const Settings& settings_;
  std::string spacedTitle_;
};

}  // namespace lexfray
