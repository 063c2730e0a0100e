#pragma once

#include <string>
#include <vector>

#include "commands/commands.h"

namespace lexfray::leaguenet {

enum class Command {
  kExchange,
  kInitLeague,
  kAddSite,
  kRemoveSite,
  kSuspendSite,
  kResumeSite,
  kCheckServer,
  kStandings,
  kCheck,
  kPublish,
  kAddPublisher,
  kEnable,
  kDisable,
  kHelp,
  kVersion
};

struct CommandLine {
  Command command = Command::kExchange;
  Invocation invocation;
  std::string error;  // a command line that cannot be followed, and why
};

// argv as given, argv[0] included.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kUsageText;

}  // namespace lexfray::leaguenet
