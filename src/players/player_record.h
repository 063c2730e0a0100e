#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace lexfray {

// One record of the player file LEXFRAY.USR, 133 bytes:
//   0 startMonth (2)  2 name (30)  32 totalScore (double)  40 monthGames (int16)
//   42 lastPlayed MM-DD-YY (8)  50 dayGames (int16)  52 createdMark (1)  53 reserved (80)
// Texts are kept at their full width, blanks included.
struct PlayerRecord {
  static constexpr std::size_t kSize = 133;
  static constexpr std::size_t kNameWidth = 30;
  static constexpr std::size_t kReservedSize = 80;

  std::string startMonth = "  ";
  std::string name = std::string(kNameWidth, ' ');
  double totalScore = 0.0;
  std::int16_t monthGames = 0;
  std::string lastPlayed = "        ";
  std::int16_t dayGames = 0;
  std::string createdMark = " ";
  std::array<std::uint8_t, kReservedSize> reserved{};  // never interpreted, kept as read
};

// Far more players than a site ever has, few enough that every pass holding a line per
// player stays small: a larger player file is damaged, and is refused rather than read.
// The league takes no more entries of one site in a month either.
inline constexpr std::int64_t kMostPlayers = 5000;

// The program's own record: never offered at login nor sent to the league.
inline constexpr std::string_view kComputerPlayer = "COMPUTER PLAYER";

// The most a game can bring: it holds 12 words of each length 3 to 7 (300 letters), each
// letter worth at most 90 ('Z'), and a full game earns the completion bonus of 1000.
inline constexpr double kMostGameScore = 12 * (3 + 4 + 5 + 6 + 7) * 90 + 1000;
static_assert(kMostGameScore == 28'000.0);

// The most a player's total can reach in a month: the month's games are counted in 16 bits,
// so at most 32767 of them. Anything above it did not come from a game.
inline constexpr double kMostMonthlyScore = 32767.0 * kMostGameScore;
static_assert(kMostMonthlyScore == 917'476'000.0);

using PlayerRecordBytes = std::array<std::uint8_t, PlayerRecord::kSize>;

// Where each field starts in the record's bytes.
namespace player_fields {
inline constexpr std::size_t kStartMonth = 0;
inline constexpr std::size_t kName = 2;
inline constexpr std::size_t kTotalScore = 32;
inline constexpr std::size_t kMonthGames = 40;
inline constexpr std::size_t kLastPlayed = 42;
inline constexpr std::size_t kDayGames = 50;
inline constexpr std::size_t kCreatedMark = 52;
inline constexpr std::size_t kReserved = 53;
static_assert(kReserved + PlayerRecord::kReservedSize == PlayerRecord::kSize);
}  // namespace player_fields

PlayerRecordBytes EncodePlayerRecord(const PlayerRecord& record);
PlayerRecord DecodePlayerRecord(std::span<const std::uint8_t> bytes);

}  // namespace lexfray
