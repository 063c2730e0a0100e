#include "shell/main_menu.h"

#include "config/constants.h"
#include "league/competition_program.h"
#include "players/backup.h"
#include "shell/documents.h"
#include "shell/menus.h"
#include "shell/score_screens.h"
#include "shell/title_screen.h"
#include "shell/visit.h"
#include "shell/web_site.h"

namespace lexfray {

MainMenu::MainMenu(Io& io, Platform& platform, ProgramState& state)
    : io_(io), platform_(platform), state_(state), settings_(state.settings), spacedTitle_(kSpacedTitle) {}

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
  if (action == "ENTER" || action.empty() || action == "P") return Play();
  if (action == "EXIT" || action == "E" || action == "X") return Next::kEnd;
  if (action == "SCORES" || action == "S") return ScoresChoice();
  if (action == "HELP" || action == "H") return HelpChoice();
  return Next::kMenu;
}

MainMenu::Next MainMenu::ScoresChoice() {
  std::string choice = ScoresMenu(io_);
  if (choice == "1") {
    ShowCurrentScores(io_, state_);
    return Next::kRedraw;
  }
  if (choice == "2" && settings_.Competition()) {
    RunCompetitionProgram(io_, settings_, platform_.terminal, platform_.launcher);
    ShowCurrentScores(io_, state_);
    return Next::kRedraw;
  }
  if (choice == "3") ShowMenuDocument(io_, settings_, Document::kAdvert, spacedTitle_);
  return Next::kMenu;
}

MainMenu::Next MainMenu::HelpChoice() {
  std::string choice = HelpMiscMenu(io_);
  if (choice == "1") return VisitWebSite(io_, platform_.launcher) ? Next::kEnd : Next::kMenu;
  if (choice == "2") ShowMenuDocument(io_, settings_, Document::kLicence, spacedTitle_);
  if (choice == "3") ShowMenuDocument(io_, settings_, Document::kHistory, spacedTitle_);
  if (choice == "4") ShowMenuDocument(io_, settings_, Document::kInstructions, spacedTitle_);
  if (choice == "5") BackupChoice();
  return Next::kMenu;
}

void MainMenu::BackupChoice() {
  std::string choice = BackupMenu(io_);
  if (choice == "1") BackupPlayerFile(io_, settings_, kProgramCode);
  if (choice == "2") RestorePlayerFile(io_, settings_, kProgramCode);
  if (choice == "3") ShowBackupHelp(io_, settings_);
}

MainMenu::Next MainMenu::Play() {
  Visit visit(io_, platform_, state_);
  return visit.Run() == VisitEnd::kBackToMenu ? Next::kMenu : Next::kEnd;
}

}  // namespace lexfray
