#include "support/harness.h"

#include "shell/program.h"

namespace lexfray::testing {

ProgramHarness::ProgramHarness() { folder.Write("LEXFRAY.CFG", ConfigText()); }

int ProgramHarness::Run() { return RunProgram(platform); }

}  // namespace lexfray::testing
