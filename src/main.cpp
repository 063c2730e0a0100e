#include <cstdio>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/system/system_platform.h"
#include "shell/program.h"

int main() {
  lexfray::FailWritesBeyondSizeLimit();
  std::string error;
  std::unique_ptr<lexfray::SystemPlatform> system = lexfray::SystemPlatform::Start(&error);
  if (!system) {
    std::fprintf(stderr, "lexfray: %s\n", error.c_str());
    return 1;
  }
  return lexfray::RunProgram(system->platform());
}
