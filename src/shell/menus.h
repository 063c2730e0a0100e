#pragma once

#include <string>

#include "dialogs/io.h"

namespace lexfray {

// The main menu's two option menus. Each returns the chosen entry's position ("1" for the
// first) or the empty text when cancelled.
std::string ScoresMenu(Io& io);
std::string HelpMiscMenu(Io& io);

// "WANT TO PLAY ANOTHER GAME?" after a game; only Yes counts as yes.
bool AskPlayAgain(Io& io);

}  // namespace lexfray
