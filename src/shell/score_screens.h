#pragma once

#include "dialogs/io.h"
#include "shell/program_state.h"

namespace lexfray {

// "The scores" as the main menu and the game's "S" option show them: with the competition
// on, the standings of all sites after this site's totals have been exported; otherwise
// the top-players table, read without writing anything.
void ShowCurrentScores(Io& io, ProgramState& state);

}  // namespace lexfray
