#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/installation.h"

namespace lexfray {

// The administrator's commands of the game, for the player names of a shared installation:
//   lexfray --names              lists every name taken, with its account
//   lexfray --free-name NAME     frees a name, so that another account may take it
// Names are shown, and may be given, with '%' and bytes outside printable ASCII as %XX.
// Only the administrator (root, or the owner of the program folder) runs them. The exit
// status: 0 done, 1 refused or failed (the reason on err), 2 a command line it does not know.
int RunNameCommand(const std::vector<std::string>& arguments, const std::string& programFolder,
                   const Installation& installation, Clock& clock, std::ostream& out,
                   std::ostream& err);

}  // namespace lexfray
