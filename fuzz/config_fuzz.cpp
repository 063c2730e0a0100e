// LEXFRAY.CFG: the parser on any bytes, then start-up on the fakes with that file.
#include <cctype>
#include <cstdint>
#include <variant>

#include "config/config_file.h"
#include "fuzz_check.h"
#include "shell/program_state.h"
#include "shell/start_up.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "support/word_files.h"

using namespace lexfray;

namespace {

bool EndsLine(char c) { return c == '\r' || c == '\n' || c == 26; }

bool HoldsLineEnd(std::string_view text) {
  for (char c : text)
    if (EndsLine(c)) return true;
  return false;
}

bool HoldsLowerCase(std::string_view text) {
  for (char c : text)
    if (std::islower(static_cast<unsigned char>(c))) return true;
  return false;
}

void CheckParse(std::string_view bytes, const std::variant<ConfigValues, ConfigError>& parsed) {
  if (const auto* error = std::get_if<ConfigError>(&parsed)) {
    fuzz::Require(error->line == 7 || error->line == 32, "only lines 7 and 32 can be out of range");
    return;
  }
  const ConfigValues& values = std::get<ConfigValues>(parsed);
  std::size_t firstEnd = 0;
  while (firstEnd < bytes.size() && !EndsLine(bytes[firstEnd])) ++firstEnd;
  fuzz::Require(values.siteName == bytes.substr(0, firstEnd), "the site is the whole first line");
  fuzz::Require(!HoldsLineEnd(values.gamesPerDayText) && !HoldsLineEnd(values.monthlyReset),
                "a value never holds a line end");
  fuzz::Require(!HoldsLowerCase(values.monthlyReset), "the reset switch is upper-cased");
  fuzz::Require(LeadingNumber(values.gamesPerDayText) == values.gamesPerDay,
                "the games per day are the leading number of line 7");
}

// Start-up takes the file exactly when the parser does, and keeps what the parser read.
void CheckStartUp(std::string_view bytes, const std::variant<ConfigValues, ConfigError>& parsed) {
  testing::TempFolder folder;
  folder.Write("LEXFRAY.CFG", bytes);
  testing::WriteDictionary(folder, {"CAT"});
  fuzz::WatchingTerminal terminal;
  fuzz::AnswerBoxes(terminal, kKeyEnter);
  testing::FakeClock clock;
  testing::ScriptedRandom random;
  testing::FakeLock lock;
  testing::FakeLauncher launcher;
  Platform platform{terminal, clock, random, lock, launcher, folder.path(), folder.PathOf("root/")};
  Screen screen;
  Io io{screen, terminal, clock};
  ProgramState state;
  bool started = StartUp(io, platform, state);
  const auto* values = std::get_if<ConfigValues>(&parsed);
  fuzz::Require(started == (values != nullptr), "start-up refuses exactly the refused files");
  if (!started) {
    fuzz::Require(terminal.Saw("LEXFRAY.CFG"), "a refused file is told by its name");
    return;
  }
  const Settings& settings = state.settings;
  fuzz::Require(settings.siteName == values->siteName &&
                    settings.gamesPerDay == values->gamesPerDay &&
                    settings.monthlyReset == values->monthlyReset &&
                    settings.competitionActive == values->competitionActive,
                "start-up keeps the parsed values");
  fuzz::Require(settings.capDays == (settings.Competition() ? 0 : 27),
                "the cap follows the competition switch");
  fuzz::Require(state.dictionary.usable, "the folder's dictionary is in use");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes = fuzz::Bytes(data, size);
  std::variant<ConfigValues, ConfigError> parsed = ParseConfig(bytes);
  CheckParse(bytes, parsed);
  CheckStartUp(bytes, parsed);
  return 0;
}
