#include <iostream>

#include "commands/command_line.h"
#include "edge/system.h"
#include "platform/files.h"

#ifndef LEAGUENET_VERSION
#define LEAGUENET_VERSION "0"
#endif

namespace lexfray::leaguenet {
namespace {

int Run(const CommandLine& line) {
  switch (line.command) {
    case Command::kExchange:
      return RunExchange(line.invocation, std::cout, std::cerr);
    case Command::kInitLeague:
      return RunInitLeague(line.invocation, std::cout, std::cerr);
    case Command::kAddSite:
      return RunAddSite(line.invocation, std::cout, std::cerr);
    case Command::kRemoveSite:
      return RunRemoveSite(line.invocation, std::cout, std::cerr);
    case Command::kSuspendSite:
      return RunSuspendSite(line.invocation, std::cout, std::cerr);
    case Command::kResumeSite:
      return RunResumeSite(line.invocation, std::cout, std::cerr);
    case Command::kCheckServer:
      return RunCheckServer(line.invocation, std::cout, std::cerr);
    case Command::kStandings:
      return RunStandings(line.invocation, std::cout, std::cerr);
    case Command::kCheck:
      return RunCheck(line.invocation, std::cout, std::cerr);
    case Command::kPublish:
      return RunPublish(line.invocation, std::cout, std::cerr);
    case Command::kAddPublisher:
      return RunAddPublisher(line.invocation, std::cout, std::cerr);
    case Command::kEnable:
      return RunEnable(line.invocation, std::cout, std::cerr);
    case Command::kDisable:
      return RunDisable(line.invocation, std::cout, std::cerr);
    case Command::kHelp:
      std::cout << kUsageText;
      return kDone;
    case Command::kVersion:
      std::cout << "leaguenet " LEAGUENET_VERSION "\n";
      return kDone;
  }
  return kUsage;
}

}  // namespace
}  // namespace lexfray::leaguenet

int main(int argc, char** argv) {
  using namespace lexfray::leaguenet;
  lexfray::FailWritesBeyondSizeLimit();
  CommandLine line = ParseCommandLine(std::vector<std::string>(argv, argv + argc));
  if (!line.error.empty()) {
    std::cerr << "leaguenet: " << line.error << '\n' << kUsageText;
    return kUsage;
  }
  // Started with the game's group on behalf of a player: only the plain exchange, with its
  // own settings, and nothing from the player's environment steering the connection.
  if (RunsWithOtherIdentity()) {
    DistrustEnvironment();
    line.invocation.distrust = true;
    if (line.command != Command::kExchange || !line.invocation.configFile.empty()) {
      std::cerr << "leaguenet: with the game's group only the exchange itself runs\n";
      return kUsage;
    }
  }
  return Run(line);
}
