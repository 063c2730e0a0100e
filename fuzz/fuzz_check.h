#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/calendar.h"
#include "config/settings.h"
#include "support/scripted_terminal.h"

namespace lexfray::fuzz {

// A rule of the file that the program broke: abort, so that libFuzzer keeps the input.
inline void Require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "broken rule: %s\n", rule);
  std::abort();
}

// Enough keys to answer every box a pass may raise; a pass that asks for more is stuck.
inline void AnswerBoxes(testing::ScriptedTerminal& terminal, int key, int count = 64) {
  for (int i = 0; i < count; ++i) terminal.Key(key);
}

// A scripted terminal that remembers the texts of every board it was shown.
class WatchingTerminal : public testing::ScriptedTerminal {
 public:
  void Show(const Screen& screen) override {
    bool changed = shown().cells() != screen.cells();
    ScriptedTerminal::Show(screen);
    if (!changed) return;  // timed boxes show the same board many times over
    for (int row = 1; row <= kRows; ++row) seen_ += screen.RowText(row) + "\n";
  }
  bool Saw(std::string_view text) const { return seen_.find(text) != std::string::npos; }

 private:
  std::string seen_;
};

// Settings for a program folder, as start-up derives them from a plain configuration.
inline Settings SettingsFor(const std::string& folder, bool competition, bool monthlyReset) {
  Settings settings;
  settings.programFolder = folder;
  settings.driveRoot = folder + "root/";
  settings.siteName = "Fuzz Site";
  settings.gamesPerDayText = "5";
  settings.gamesPerDay = 5;
  settings.monthlyReset = monthlyReset ? "Y" : "N";
  settings.competitionActive = competition ? 1 : 0;
  settings.capDays = competition ? 0 : 27;
  settings.monthDays = MonthDaysFor(2026);
  return settings;
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace lexfray::fuzz
