#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "league/score_file.h"
#include "players/player_record.h"

namespace lexfray::leaguenet {

// leaguenet.conf: one `key = value` a line, each key at most once; blank lines and lines
// starting with '#' are left out, and so is a byte-order mark at the start.
struct LeagueSettings {
  std::string league;       // a libpq connection string, or service=NAME
  int leagueLine = 0;       // the line it stands on
  std::string folder;       // the program folder; empty for the current folder
  int others = 2000;        // at most this many entries of other sites come back (kMostOthers)
  int timeoutSeconds = 20;  // the whole exchange, connection included
};

// The most entries of other sites a score file takes: whatever the others, it keeps room for
// as many players of the site's own as the player file holds, so that a new player of the
// month always finds a place in it and so reaches the league.
inline constexpr int kMostOthers = static_cast<int>(kMostScoreEntries - kMostPlayers);

struct SettingsReading {
  std::optional<LeagueSettings> settings;
  std::string error;  // why there are none, naming the line
};

SettingsReading ParseSettings(std::string_view text);

// Where the settings are looked for, in order: given with --config alone; else beside the
// command as it was invoked, then the system-wide file.
std::vector<std::string> SettingsCandidates(const std::string& given, const std::string& invokedAs);

inline constexpr std::string_view kSystemSettings = "/etc/lexfray/leaguenet.conf";
inline constexpr std::string_view kSettingsName = "leaguenet.conf";

}  // namespace lexfray::leaguenet
