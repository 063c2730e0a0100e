#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "dialogs/io.h"
#include "players/play_limits.h"
#include "players/player_record.h"

namespace lexfray {

enum class StartOutcome {
  kPlay,          // the game begins
  kLimitReached,  // the allowance is used up; the limit message has been shown
  kNotStarted,    // the name is another account's or cannot be taken, or the player file
                  // cannot be read; nothing was written and the reason has been shown
  kEndProgram,    // too close to the month's end; the message has been shown
};

struct GameStart {
  StartOutcome outcome = StartOutcome::kPlay;
  std::int64_t playerRecordNo = 0;
  double playerTotal = 0;         // the player's running total as the file holds it
  std::int16_t gamesCounted = 0;  // this month's games with the competition, else today's
  // Record 1's month when the game began: its total goes back only into that month's file.
  std::string fileMonth;
};

// The start of every game of a visit: with the competition the end-of-month check; then the
// player's record is found (the first whose name matches) or appended, the monthly reset is
// applied when due, the game counters are advanced and written, the allowance is worked out
// and, with the competition, the start may be refused (the limit message shown, the counters
// of a start beyond the month's allowance taken back). playerName is the visit's name, upper
// case and padded to 30. buffer is the program's one record buffer; limits the visit's state.
//
// The player file is read as every player sees it (players/player_file.h) and the start's
// change saved through its spool. In a shared installation the name must be the account's
// own; a name nobody has taken yet becomes the account's in the same step as its record,
// and a new player who cannot have a record this month (the file full, the account's names
// or the machine's used up) is refused before the game, with the reason.
GameStart StartGameRecord(Io& io, const Settings& settings, PlayLimits& limits,
                          PlayerRecord& buffer, std::string_view playerName);

}  // namespace lexfray
