#pragma once

#include "config/settings.h"
#include "dialogs/io.h"
#include "platform/services.h"
#include "platform/terminal.h"

namespace lexfray {

// Asks whether to run the LeagueNET exchange now; on any answer but No, leaves the empty
// marker file for the exchange program, runs that program in the program folder while the
// board shows a notice, and waits for its end. A missing folder or program passes quietly:
// the caller goes on with the export and the standings either way.
void RunCompetitionProgram(Io& io, const Settings& settings, Terminal& terminal, Launcher& launcher);

}  // namespace lexfray
