#pragma once

#include <string>
#include <vector>

#include "commands/commands.h"

namespace lexfray::leaguenet {

// How the game starts the exchange, as `check` sees it: the link that `enable` made, started
// by that path with a fixed environment, in the game's program folder; with the games group
// in a shared installation.
struct GameStart {
  std::string program;  // ROOT/QuillonHomeSoftware/LeagueNet/LeagueNet.exe
  bool gameGroup = false;
};

GameStart GameStartBelow(const std::string& root);

// The settings files that the exchange so started can read, in the order it looks for them;
// one it cannot read it passes over.
std::vector<std::string> GameSettingsCandidates(const GameStart& start);

// The game's program folder, where it starts the exchange, and why it is that one: the
// settings' folder line; the folder a shared installation was built with; the program folder
// of the game installed or built beside this leaguenet; the current folder when it holds a
// LEXFRAY.CFG. Empty when none of them is known, with why in *why.
std::string GameProgramFolder(const LeagueSettings& settings, std::string* why);

}  // namespace lexfray::leaguenet
