#include "support/harness.h"

#include "shell/program.h"
#include "support/word_files.h"

namespace lexfray::testing {

ProgramHarness::ProgramHarness() {
  folder.Write("LEXFRAY.CFG", ConfigText());
  WriteDictionary(folder, {"CAT"});
}

int ProgramHarness::Run() { return RunProgram(platform); }

}  // namespace lexfray::testing
