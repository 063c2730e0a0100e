#include "players/player_record.h"

#include <algorithm>

#include "platform/record_fields.h"

namespace lexfray {

using player_fields::kCreatedMark;
using player_fields::kDayGames;
using player_fields::kLastPlayed;
using player_fields::kMonthGames;
using player_fields::kName;
using player_fields::kReserved;
using player_fields::kStartMonth;
using player_fields::kTotalScore;

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
