#include "shell/main_menu.h"

#include "config/constants.h"
#include "shell/documents.h"
#include "shell/menus.h"
#include "shell/title_screen.h"
#include "shell/web_site.h"

namespace lexfray {

MainMenu::MainMenu(Io& io, Platform& platform, const Settings& settings)
    : io_(io), platform_(platform), settings_(settings), spacedTitle_(kSpacedTitle) {}

void MainMenu::DrawTitle() {
  io_.screen.SetColours(kLightGrey, kBlack);
  io_.screen.Clear();
  io_.screen.SetCursorVisible(false);
  ShowTitleScreen(io_, spacedTitle_, settings_.Competition());
}

void MainMenu::Run() {
  DrawTitle();
  for (;;) {
    io_.screen.SetCursorVisible(false);
    platform_.terminal.SetTitle(spacedTitle_);
    ActionRequest request{1, kBlack, kBlack, io_.screen.CursorRow(), io_.screen.CursorColumn(), false, {}};
    std::string action = ReadAction(io_, request, kMainMenuHotAreas);
    io_.screen.SetCursorVisible(true);
    Next next = Dispatch(action);
    if (next == Next::kEnd) return;
    if (next == Next::kRedraw) DrawTitle();
  }
}

MainMenu::Next MainMenu::Dispatch(const std::string& action) {
  if (action == "EXIT" || action == "E" || action == "X") return Next::kEnd;
  if (action == "SCORES" || action == "S") return ScoresChoice();
  if (action == "HELP" || action == "H") return HelpChoice();
  return Next::kMenu;
}

MainMenu::Next MainMenu::ScoresChoice() {
  std::string choice = ScoresMenu(io_);
  if (choice == "3") ShowMenuDocument(io_, settings_, Document::kAdvert, spacedTitle_);
  return Next::kMenu;
}

MainMenu::Next MainMenu::HelpChoice() {
  std::string choice = HelpMiscMenu(io_);
  if (choice == "1") return VisitWebSite(io_, platform_.launcher) ? Next::kEnd : Next::kMenu;
  if (choice == "2") ShowMenuDocument(io_, settings_, Document::kLicence, spacedTitle_);
  if (choice == "3") ShowMenuDocument(io_, settings_, Document::kHistory, spacedTitle_);
  if (choice == "4") ShowMenuDocument(io_, settings_, Document::kInstructions, spacedTitle_);
  return Next::kMenu;
}

}  // namespace lexfray
