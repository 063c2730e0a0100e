#include "league/competition_records.h"

#include <algorithm>

#include "platform/record_fields.h"

namespace lexfray {

namespace {

namespace header_layout {
constexpr std::size_t kReservedLead = 0;
constexpr std::size_t kHeaderCode = 22;
constexpr std::size_t kBeatName = 24;
constexpr std::size_t kProgramVersion = 49;
constexpr std::size_t kReservedAfterVersion = 54;
constexpr std::size_t kBeatScore = 60;
constexpr std::size_t kReservedAfterScore = 68;
constexpr std::size_t kBeatSite = 76;
constexpr std::size_t kReservedTail = 111;
}  // namespace header_layout

static_assert(header_layout::kReservedTail + 140 == kCompetitionRecordSize);
static_assert(entry_layout::kReserved + 120 == kCompetitionRecordSize);
static_assert(entry_layout::kFiller + CompetitionEntry::kFillerWidth == entry_layout::kReserved);

template <std::size_t N>
void PutBytes(fields::Bytes record, std::size_t offset, const std::array<std::uint8_t, N>& from) {
  std::copy(from.begin(), from.end(), record.begin() + static_cast<std::ptrdiff_t>(offset));
}

template <std::size_t N>
void GetBytes(fields::ConstBytes record, std::size_t offset, std::array<std::uint8_t, N>& to) {
  std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(offset), N, to.begin());
}

}  // namespace

CompetitionRecordBytes EncodeCompetitionHeader(const CompetitionHeader& header) {
  using namespace header_layout;
  CompetitionRecordBytes bytes{};
  PutBytes(bytes, kReservedLead, header.reservedLead);
  fields::PutText(bytes, kHeaderCode, 2, header.headerCode);
  fields::PutText(bytes, kBeatName, CompetitionHeader::kBeatNameWidth, header.beatName);
  fields::PutText(bytes, kProgramVersion, CompetitionHeader::kVersionWidth, header.programVersion);
  PutBytes(bytes, kReservedAfterVersion, header.reservedAfterVersion);
  fields::PutDouble(bytes, kBeatScore, header.beatScore);
  PutBytes(bytes, kReservedAfterScore, header.reservedAfterScore);
  fields::PutText(bytes, kBeatSite, CompetitionHeader::kBeatSiteWidth, header.beatSite);
  PutBytes(bytes, kReservedTail, header.reservedTail);
  return bytes;
}

CompetitionHeader DecodeCompetitionHeader(std::span<const std::uint8_t> bytes) {
  using namespace header_layout;
  CompetitionHeader header;
  GetBytes(bytes, kReservedLead, header.reservedLead);
  header.headerCode = fields::GetText(bytes, kHeaderCode, 2);
  header.beatName = fields::GetText(bytes, kBeatName, CompetitionHeader::kBeatNameWidth);
  header.programVersion = fields::GetText(bytes, kProgramVersion, CompetitionHeader::kVersionWidth);
  GetBytes(bytes, kReservedAfterVersion, header.reservedAfterVersion);
  header.beatScore = fields::GetDouble(bytes, kBeatScore);
  GetBytes(bytes, kReservedAfterScore, header.reservedAfterScore);
  header.beatSite = fields::GetText(bytes, kBeatSite, CompetitionHeader::kBeatSiteWidth);
  GetBytes(bytes, kReservedTail, header.reservedTail);
  return header;
}

CompetitionRecordBytes EncodeCompetitionEntry(const CompetitionEntry& entry) {
  using namespace entry_layout;
  using E = CompetitionEntry;
  CompetitionRecordBytes bytes{};
  fields::PutText(bytes, kSite, E::kSiteWidth, entry.site);
  fields::PutText(bytes, kPlayer, E::kPlayerWidth, entry.player);
  fields::PutDouble(bytes, kScore, entry.score);
  fields::PutText(bytes, kGameCode, E::kGameCodeWidth, entry.gameCode);
  fields::PutText(bytes, kLastDate, E::kDateWidth, entry.lastDate);
  fields::PutText(bytes, kStatus, 1, entry.status);
  fields::PutText(bytes, kLoc, E::kLocWidth, entry.loc);
  fields::PutText(bytes, kPlays, E::kPlaysWidth, entry.plays);
  fields::PutText(bytes, kFiller, E::kFillerWidth, entry.filler);
  PutBytes(bytes, kReserved, entry.reservedTail);
  return bytes;
}

CompetitionEntry DecodeCompetitionEntry(std::span<const std::uint8_t> bytes) {
  using namespace entry_layout;
  using E = CompetitionEntry;
  CompetitionEntry entry;
  entry.site = fields::GetText(bytes, kSite, E::kSiteWidth);
  entry.player = fields::GetText(bytes, kPlayer, E::kPlayerWidth);
  entry.score = fields::GetDouble(bytes, kScore);
  entry.gameCode = fields::GetText(bytes, kGameCode, E::kGameCodeWidth);
  entry.lastDate = fields::GetText(bytes, kLastDate, E::kDateWidth);
  entry.status = fields::GetText(bytes, kStatus, 1);
  entry.loc = fields::GetText(bytes, kLoc, E::kLocWidth);
  entry.plays = fields::GetText(bytes, kPlays, E::kPlaysWidth);
  entry.filler = fields::GetText(bytes, kFiller, E::kFillerWidth);
  GetBytes(bytes, kReserved, entry.reservedTail);
  return entry;
}

}  // namespace lexfray
