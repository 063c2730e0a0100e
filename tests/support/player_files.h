#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "players/player_record.h"
#include "support/temp_folder.h"

namespace lexfray::testing {

// A record as a test writes it into the player file.
PlayerRecord Player(std::string_view name, double total = 0, std::int16_t monthGames = 1,
                    std::string_view lastPlayed = "12-07-26", std::int16_t dayGames = 1,
                    std::string_view startMonth = "12");

std::string RecordBytes(const PlayerRecord& record);

// The player file of a folder, written from records and read back whole.
void WritePlayerFile(const TempFolder& folder, const std::vector<PlayerRecord>& records);
std::vector<PlayerRecord> ReadPlayerFile(const TempFolder& folder);

}  // namespace lexfray::testing
