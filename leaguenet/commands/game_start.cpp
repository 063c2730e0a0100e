#include "commands/game_start.h"

#include <algorithm>
#include <filesystem>

#include "config/constants.h"
#include "edge/files.h"
#include "platform/executable.h"
#include "platform/files.h"

#ifndef LEXFRAY_SHARED_PROGRAM_FOLDER
#define LEXFRAY_SHARED_PROGRAM_FOLDER ""
#endif
#ifndef LEXFRAY_OWN_COPY_FOLDERS
#define LEXFRAY_OWN_COPY_FOLDERS ""
#endif

namespace lexfray::leaguenet {

namespace {

// Fixed when both were built: the shared installation's program folder, and where a player's
// own copy keeps its program folder seen from this program's own (installed, then built),
// separated by ':'.
constexpr std::string_view kSharedFolder = LEXFRAY_SHARED_PROGRAM_FOLDER;
constexpr std::string_view kOwnCopyFolders = LEXFRAY_OWN_COPY_FOLDERS;

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool HoldsConfig(const std::string& folder) {
  return CallerMayRead(folder + std::string(kConfigFileName));
}

}  // namespace

GameStart GameStartBelow(const std::string& root) {
  return {WithSlash(root) + std::string(kCompetitionFolder) + std::string(kCompetitionProgramName),
          !kSharedFolder.empty()};
}

std::vector<std::string> GameSettingsCandidates(const GameStart& start) {
  std::vector<std::string> readable;
  for (const std::string& candidate : SettingsCandidates("", start.program))
    if (start.gameGroup ? GamesGroupMay(candidate, kMayRead) : CallerMayRead(candidate))
      readable.push_back(candidate);
  return readable;
}

std::string GameProgramFolder(const LeagueSettings& settings, std::string* why) {
  if (!settings.folder.empty()) {
    *why = "the settings' folder line";
    return WithSlash(settings.folder);
  }
  if (!kSharedFolder.empty()) {
    *why = "the shared installation's, fixed when it was built";
    return WithSlash(std::string(kSharedFolder));
  }
  std::string own = FolderOf(ExecutablePath());
  for (std::string_view rest = kOwnCopyFolders; !rest.empty();) {
    std::string_view relative = rest.substr(0, rest.find(':'));
    rest.remove_prefix(std::min(rest.size(), relative.size() + 1));
    std::string folder =
        WithSlash(std::filesystem::path(own + std::string(relative)).lexically_normal().string());
    if (HoldsConfig(folder)) {
      *why = "the game's beside this leaguenet";
      return folder;
    }
  }
  std::string current = CurrentFolder();
  if (HoldsConfig(current)) {
    *why = "the current folder, which holds a LEXFRAY.CFG";
    return current;
  }
  *why =
      "none: the game starts the exchange in its own program folder, and neither the "
      "settings (folder = ...) nor the current folder name one";
  return "";
}

}  // namespace lexfray::leaguenet
