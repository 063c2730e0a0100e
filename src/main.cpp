#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/game_group.h"
#include "platform/system/account.h"
#include "platform/system/program_folder.h"
#include "platform/system/system_platform.h"
#include "shell/name_command.h"
#include "shell/program.h"

namespace {

// The administrator's commands need no terminal.
int RunCommand(int argc, char** argv) {
  std::string folder = lexfray::ProgramFolder();
  lexfray::Installation installation = lexfray::ThisInstallation(folder);
  if (installation.shared) lexfray::OpenGroupBitsOfUmask();
  if (!lexfray::PutGameGroupAside()) {
    std::fprintf(stderr, "lexfray: cannot put the games group aside (%s)\n", std::strerror(errno));
    return 1;
  }
  lexfray::SystemClock clock;
  return lexfray::RunNameCommand({argv + 1, argv + argc}, folder, installation, clock, std::cout,
                                 std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  lexfray::FailWritesBeyondSizeLimit();
  if (argc > 1) return RunCommand(argc, argv);
  std::string error;
  std::unique_ptr<lexfray::SystemPlatform> system = lexfray::SystemPlatform::Start(&error);
  if (!system) {
    std::fprintf(stderr, "lexfray: %s\n", error.c_str());
    return 1;
  }
  return lexfray::RunProgram(system->platform());
}
