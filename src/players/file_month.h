#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/clock.h"
#include "players/player_record.h"

namespace lexfray {

// Record 1's month, which the monthly fresh start sets: a game writes its total back only
// into the file of the month it began in. Empty for an empty file.
std::string FileMonthOf(std::span<const std::uint8_t> allRecords);

// Whether the file begun by record 1, first, is of a month before now's: the monthly fresh
// start is due. Only forward: a clock set back, or a zone behind the file's, never makes it
// due.
bool BeganInAnEarlierMonth(const PlayerRecord& first, const LocalTime& now);

}  // namespace lexfray
