#include "game/game_menus.h"

#include <vector>

#include "config/constants.h"
#include "dialogs/list_box.h"
#include "dialogs/message_box.h"
#include "dialogs/show_document.h"
#include "game/about_box.h"
#include "platform/files.h"

namespace lexfray {

namespace {

constexpr int kHelpMenuStyle = 1;
constexpr int kQuitStyle = kStyleYesNo | kStyleExclamation;

}  // namespace

std::string GameHelpMenu(Io& io) {
  const std::vector<std::string> entries = {"About This Program", "Help/Instructions",
                                            "End User License Agreement", "LeagueNET Information", ""};
  return ConsoleListBox(io, kHelpMenuStyle, "Choose Your Option", "HELP MENU", entries,
                        kListReturnsPosition);
}

void GameHelp(Io& io, const Settings& settings) {
  std::string choice = GameHelpMenu(io);
  if (choice == "1") {
    ShowAbout(io, kProgramCode, kVersionText, kVersionDate, kReleaseYears);
  } else if (choice == "2") {
    std::string path = settings.PathOf(kInstructionsFileName);
    if (FileExists(path)) ShowDocument(io, path, "LEX FRAY HELP FILE");
  } else if (choice == "3") {
    ShowDocument(io, settings.PathOf(kLicenceFileName), "END USER LICENSE AGREEMENT");
  } else if (choice == "4") {
    ShowDocument(io, settings.PathOf(kAdvertFileName), "LEAGUENET ADVERTISEMENT");
  }
}

bool ConfirmQuit(Io& io) {
  return ConsoleMessageBox(io, "Are you sure you want to QUIT?", kQuitStyle, "QUIT VALIDATION",
                           kIconExclamation) == kResultYes;
}

}  // namespace lexfray
