#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace lexfray {

// The competition score file LEXFRAY.ISC holds 251-byte records: record 1 is the header,
// records 2 and up are the entries, one per player and site. The external competition
// program reads and writes the same file, so every byte this program does not interpret
// is carried through unchanged.
inline constexpr std::size_t kCompetitionRecordSize = 251;
using CompetitionRecordBytes = std::array<std::uint8_t, kCompetitionRecordSize>;

// Texts are kept at their full width as stored. A default-constructed record is all zero
// bytes: that is what a record created before anything was read gets in the bytes this
// program does not write.
//   0 reserved (22)  22 headerCode (2)  24 beatName (25)  49 programVersion (5)
//   54 reserved (6)  60 beatScore (double)  68 reserved (8)  76 beatSite (35)
//   111 reserved (140)
struct CompetitionHeader {
  static constexpr std::size_t kBeatNameWidth = 25;
  static constexpr std::size_t kBeatSiteWidth = 35;
  static constexpr std::size_t kVersionWidth = 5;

  std::array<std::uint8_t, 22> reservedLead{};
  std::string headerCode = std::string(2, '\0');
  std::string beatName = std::string(kBeatNameWidth, '\0');
  std::string programVersion = std::string(kVersionWidth, '\0');
  std::array<std::uint8_t, 6> reservedAfterVersion{};
  double beatScore = 0.0;
  std::array<std::uint8_t, 8> reservedAfterScore{};
  std::string beatSite = std::string(kBeatSiteWidth, '\0');
  std::array<std::uint8_t, 140> reservedTail{};
};

//   0 site (35)  35 player (25)  60 score (double)  68 gameCode (8)  76 lastDate MM-DD (5)
//   81 status (1)  82 loc (3)  85 plays (5)  90 filler (41)  131 reserved (120)
struct CompetitionEntry {
  static constexpr std::size_t kSiteWidth = 35;
  static constexpr std::size_t kPlayerWidth = 25;
  static constexpr std::size_t kGameCodeWidth = 8;
  static constexpr std::size_t kDateWidth = 5;
  static constexpr std::size_t kLocWidth = 3;
  static constexpr std::size_t kPlaysWidth = 5;
  static constexpr std::size_t kFillerWidth = 41;

  std::string site = std::string(kSiteWidth, '\0');
  std::string player = std::string(kPlayerWidth, '\0');
  double score = 0.0;
  std::string gameCode = std::string(kGameCodeWidth, '\0');
  std::string lastDate = std::string(kDateWidth, '\0');
  std::string status = std::string(1, '\0');
  std::string loc = std::string(kLocWidth, '\0');
  std::string plays = std::string(kPlaysWidth, '\0');
  std::string filler = std::string(kFillerWidth, '\0');
  std::array<std::uint8_t, 120> reservedTail{};
};

CompetitionRecordBytes EncodeCompetitionHeader(const CompetitionHeader& header);
CompetitionHeader DecodeCompetitionHeader(std::span<const std::uint8_t> bytes);
CompetitionRecordBytes EncodeCompetitionEntry(const CompetitionEntry& entry);
CompetitionEntry DecodeCompetitionEntry(std::span<const std::uint8_t> bytes);

// Where the entry fields the export and the standings look at stand in a record.
namespace entry_layout {
inline constexpr std::size_t kSite = 0;
inline constexpr std::size_t kPlayer = 35;
inline constexpr std::size_t kScore = 60;
inline constexpr std::size_t kGameCode = 68;
inline constexpr std::size_t kLastDate = 76;
inline constexpr std::size_t kStatus = 81;
inline constexpr std::size_t kLoc = 82;
inline constexpr std::size_t kPlays = 85;
inline constexpr std::size_t kFiller = 90;
inline constexpr std::size_t kReserved = 131;
}  // namespace entry_layout

}  // namespace lexfray
