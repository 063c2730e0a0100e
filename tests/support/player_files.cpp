#include "support/player_files.h"

#include <span>

namespace lexfray::testing {

PlayerRecord Player(std::string_view name, double total, std::int16_t monthGames,
                    std::string_view lastPlayed, std::int16_t dayGames,
                    std::string_view startMonth) {
  std::string paddedName(name);
  paddedName.resize(PlayerRecord::kNameWidth, ' ');
  return PlayerRecord{std::string(startMonth), paddedName, total, monthGames, std::string(lastPlayed),
                      dayGames, "Y", {}};
}

std::string RecordBytes(const PlayerRecord& record) {
  PlayerRecordBytes bytes = EncodePlayerRecord(record);
  return std::string(bytes.begin(), bytes.end());
}

void WritePlayerFile(const TempFolder& folder, const std::vector<PlayerRecord>& records) {
  std::string bytes;
  for (const PlayerRecord& record : records) bytes += RecordBytes(record);
  folder.Write("LEXFRAY.USR", bytes);
}

std::vector<PlayerRecord> ReadPlayerFile(const TempFolder& folder) {
  std::string bytes = folder.Read("LEXFRAY.USR");
  std::vector<PlayerRecord> records;
  for (std::size_t at = 0; at + PlayerRecord::kSize <= bytes.size(); at += PlayerRecord::kSize)
    records.push_back(DecodePlayerRecord(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data() + at), PlayerRecord::kSize)));
  return records;
}

}  // namespace lexfray::testing
