#include "players/player_record.h"

#include <algorithm>

#include "platform/record_fields.h"

namespace lexfray {

namespace {

constexpr std::size_t kStartMonth = 0;
constexpr std::size_t kName = 2;
constexpr std::size_t kTotalScore = 32;
constexpr std::size_t kMonthGames = 40;
constexpr std::size_t kLastPlayed = 42;
constexpr std::size_t kDayGames = 50;
constexpr std::size_t kCreatedMark = 52;
constexpr std::size_t kReserved = 53;
static_assert(kReserved + PlayerRecord::kReservedSize == PlayerRecord::kSize);

}  // namespace

PlayerRecordBytes EncodePlayerRecord(const PlayerRecord& record) {
  PlayerRecordBytes bytes{};
  fields::PutText(bytes, kStartMonth, 2, record.startMonth);
  fields::PutText(bytes, kName, PlayerRecord::kNameWidth, record.name);
  fields::PutDouble(bytes, kTotalScore, record.totalScore);
  fields::PutInt16(bytes, kMonthGames, record.monthGames);
  fields::PutText(bytes, kLastPlayed, 8, record.lastPlayed);
  fields::PutInt16(bytes, kDayGames, record.dayGames);
  fields::PutText(bytes, kCreatedMark, 1, record.createdMark);
  std::copy(record.reserved.begin(), record.reserved.end(), bytes.begin() + kReserved);
  return bytes;
}

PlayerRecord DecodePlayerRecord(std::span<const std::uint8_t> bytes) {
  PlayerRecord record;
  record.startMonth = fields::GetText(bytes, kStartMonth, 2);
  record.name = fields::GetText(bytes, kName, PlayerRecord::kNameWidth);
  record.totalScore = fields::GetDouble(bytes, kTotalScore);
  record.monthGames = fields::GetInt16(bytes, kMonthGames);
  record.lastPlayed = fields::GetText(bytes, kLastPlayed, 8);
  record.dayGames = fields::GetInt16(bytes, kDayGames);
  record.createdMark = fields::GetText(bytes, kCreatedMark, 1);
  std::copy_n(bytes.begin() + kReserved, PlayerRecord::kReservedSize, record.reserved.begin());
  return record;
}

}  // namespace lexfray
