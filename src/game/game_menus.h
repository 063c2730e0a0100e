#pragma once

#include <string>

#include "config/settings.h"
#include "dialogs/io.h"

namespace lexfray {

// The game's help menu: the chosen entry's position ("1" to "5"), or the empty text when
// cancelled. The fifth entry is an empty line that leads straight back to the game.
std::string GameHelpMenu(Io& io);

// The help menu and its choice: the about box, or one of the documents from the program
// folder (the instructions only when their file is there). The game goes on afterwards.
void GameHelp(Io& io, const Settings& settings);

// "Are you sure you want to QUIT?"; true only for Yes.
bool ConfirmQuit(Io& io);

}  // namespace lexfray
