#pragma once

#include <cstdint>
#include <string>

#include "config/settings.h"
#include "dialogs/io.h"
#include "platform/clock.h"
#include "players/player_record.h"

namespace lexfray {

// How many games may start, as the visit learns it. The limit starts as the configured games
// per day and becomes the computed allowance at the first game start of the run.
struct PlayLimits {
  std::int16_t gamesLimit = 0;
  std::string gamesLimitText;      // the game screen shows it after " of"
  bool allowanceComputed = false;  // the allowance is worked out once per run
  bool followOnGame = false;       // set once the player chose another game; never cleared
  bool retryDone = false;          // the same-day retry runs once per run
};

PlayLimits InitialPlayLimits(const Settings& settings);

// Replaces the games limit by the allowance, the first time only. With the competition it is
// the month's days times the games per day, plus one; without it, the games the days so far
// allow minus those played this month, plus one and today's, capped at 28 days' worth. The
// counters are those just written for the player.
void ComputeAllowance(PlayLimits& limits, const Settings& settings, const LocalTime& now,
                      const PlayerRecord& record);

// Whether the first game start of a new month empties the player file: record 1 began in
// an earlier month, the reset is configured on, and this is not a follow-on game. Only
// forward: a clock set back, or a player's zone behind the file's, never empties it.
bool MonthlyResetDue(const Settings& settings, const PlayLimits& limits, const PlayerRecord& first,
                     const LocalTime& now);

// Shows the maintenance notice, then empties the player file, when the reset is still due
// once the change is applied (another game may have done it meanwhile). A file held by
// another game gets the change in its spool, and it applies when the holder lets go; one
// that cannot be changed is told in a box; false then, and the file stays as it was.
bool PerformMonthlyReset(Io& io, const Settings& settings, const LocalTime& now);

// True, after its message, when the game may not begin: the last day of the month from
// 23:40 on, when a game could run past midnight into the next month.
bool EndOfMonthNotice(Io& io, const LocalTime& now);

void ShowLimitReached(Io& io);

// The two-digit month and the MM-DD-YY date of now, as the player file holds them.
std::string MonthText(const LocalTime& now);
std::string TodayText(const LocalTime& now);

}  // namespace lexfray
