#include "shell/menus.h"

#include <vector>

#include "dialogs/list_box.h"
#include "dialogs/message_box.h"

namespace lexfray {

namespace {

constexpr int kMenuStyle = 222111;
constexpr std::string_view kMenuPrompt = "Choose Option        (Cancel Returns To Game)";

}  // namespace

std::string ScoresMenu(Io& io) {
  const std::vector<std::string> entries = {"Display Current Scores", "Run LeagueNET Process",
                                            "LeagueNET Information (Competition Feature)"};
  return ConsoleListBox(io, kMenuStyle, kMenuPrompt, "SCORES/LEAGUENET PROCESSING", entries,
                        kListReturnsPosition);
}

std::string HelpMiscMenu(Io& io) {
  const std::vector<std::string> entries = {
      "Quillon Home Software WEB Site", "End User License Agreement (EULA)", "Review Change History",
      "Game Instructions", "Backup/Restore Player File"};
  return ConsoleListBox(io, kMenuStyle, kMenuPrompt, "HELP/MISC OPTIONS", entries,
                        kListReturnsPosition);
}

bool AskPlayAgain(Io& io) {
  return ConsoleMessageBox(io, "WANT TO PLAY ANOTHER GAME?", kStyleYesNo, "GAME OVER", kIconNone) == kResultYes;
}

}  // namespace lexfray
