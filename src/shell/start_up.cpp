#include "shell/start_up.h"

#include <optional>
#include <string>
#include <variant>

#include "config/calendar.h"
#include "config/config_file.h"
#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/message_box.h"
#include "platform/files.h"

namespace lexfray {

namespace {

// Who to wait for: on a machine shared by several players, this account's own other copy;
// in a player's own copy, whoever plays it.
void TellWhoIsPlaying(Io& io, const Platform& platform, const std::string& holder) {
  std::string text =
      platform.installation.shared
          ? "Your other copy of the game is still running (" + holder +
                "). One copy for each account plays at a time:\nfinish or end that one first."
          : holder +
                " is playing the game now. One player at a time plays it here:\ntry again when " +
                holder + " has finished.";
  ConsoleMessageBox(io, text, kStyleOk, "PLAYING NOW", kIconNone);
}

// Without the lock nothing keeps a second copy out. A player's own copy says so and plays
// on; a shared installation relies on one copy per account for each name's changes to come
// one after another, so it does not start, and says who can mend it.
bool RefuseWithoutTheLock(Io& io, const Platform& platform, const std::string& reason) {
  const Installation& installation = platform.installation;
  if (!installation.shared) {
    ConsoleMessageBox(io,
                      "The game cannot make sure that only one copy of it runs here (" + reason +
                          ").\n\nPlay goes on: please start no second copy while this one runs.",
                      kStyleExclamation, "ONE COPY AT A TIME", kIconWarning);
    return false;
  }
  ConsoleMessageBox(io,
                    "The game cannot make sure that each account runs one copy of it at a time (" +
                        reason + "), so it does not start.\n\nTrying again will not help: the "
                        "administrator (" + installation.administratorName + ") can mend it.",
                    kStyleExclamation, "GAME NOT STARTED", kIconWarning);
  return true;
}

bool RefuseSecondCopy(Io& io, Platform& platform) {
  std::string reason;
  CopyLock lock = platform.lock.Acquire(platform.programFolder, &reason);
  if (lock == CopyLock::kHeld) return false;
  if (lock != CopyLock::kHeldElsewhere) return RefuseWithoutTheLock(io, platform, reason);
  ConsoleMessageBox(io, "You can only run one instance of this program at a time!", kStyleOk,
                    "DUPLICATE PROGRAM", kIconNone);
  std::string holder = platform.lock.Holder(platform.programFolder);
  if (!holder.empty()) TellWhoIsPlaying(io, platform, holder);
  return true;
}

void SeedRandom(Platform& platform) {
  LocalTime now = platform.clock.Now();
  platform.random.Seed(now.SecondsSinceMidnight() + now.millisecond / 1000.0);
}

void ConfigProblem(Io& io, const std::string& text) {
  ConsoleMessageBox(io, text, kStyleExclamation, "CONFIGURATION ERROR", kIconWarning);
}

// The configuration's values, or nothing when the file is missing or unusable.
std::optional<ConfigValues> ReadConfig(Io& io, const std::string& path) {
  if (!FileExists(path)) {
    ConsoleMessageBox(io, "The LEXFRAY.CFG file is MISSING! Correct and restart!",
                      kStyleExclamation, "MISSING FILE", kIconWarning);
    return std::nullopt;
  }
  std::string reason;
  std::optional<std::string> bytes = ReadSmallFile(path, kLargestConfig, &reason);
  if (!bytes) {
    ConfigProblem(io, "The LEXFRAY.CFG file cannot be read (" + reason + "). Correct and restart!");
    return std::nullopt;
  }
  std::variant<ConfigValues, ConfigError> parsed = ParseConfig(*bytes);
  if (const ConfigError* error = std::get_if<ConfigError>(&parsed)) {
    ConfigProblem(io, "Line " + std::to_string(error->line) + " of LEXFRAY.CFG: " + error->message +
                          ". Correct and restart!");
    return std::nullopt;
  }
  return std::get<ConfigValues>(parsed);
}

// Without its index no word would count in a game, so the game does not start.
bool LoadDictionary(Io& io, ProgramState& state) {
  state.dictionary =
      LoadDictionaryIndex(state.settings.PathOf(kIndexFileName), state.settings.PathOf(kWordFileName));
  if (state.dictionary.usable) return true;
  ConsoleMessageBox(io, state.dictionary.problem + " Correct and restart!", kStyleExclamation,
                    "DICTIONARY ERROR", kIconWarning);
  return false;
}

Settings Derive(const Platform& platform, const ConfigValues& config, int year) {
  Settings settings;
  settings.programFolder = platform.programFolder;
  settings.driveRoot = platform.driveRoot;
  settings.installation = platform.installation;
  settings.siteName = config.siteName;
  settings.gamesPerDayText = config.gamesPerDayText;
  settings.gamesPerDay = config.gamesPerDay;
  settings.monthlyReset = config.monthlyReset;
  settings.competitionActive = config.competitionActive;
  settings.monthDays = MonthDaysFor(year);
  settings.capDays = settings.Competition() ? 0 : 27;
  return settings;
}

}  // namespace

bool StartUp(Io& io, Platform& platform, ProgramState& state) {
  if (RefuseSecondCopy(io, platform)) return false;
  platform.terminal.SetTitle(kProgramTitle);
  SeedRandom(platform);
  std::optional<ConfigValues> config =
      ReadConfig(io, platform.programFolder + std::string(kConfigFileName));
  if (!config) return false;
  state.settings = Derive(platform, *config, platform.clock.Now().year);
  return LoadDictionary(io, state);
}

}  // namespace lexfray
