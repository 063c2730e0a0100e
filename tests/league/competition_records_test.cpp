#include "league/competition_records.h"

#include <gtest/gtest.h>

#include <random>

namespace lexfray {
namespace {

CompetitionRecordBytes RandomRecord(unsigned seed) {
  std::mt19937 random(seed);
  CompetitionRecordBytes bytes;
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

TEST(CompetitionRecords, EveryByteSurvivesADecodeAndEncode) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    CompetitionRecordBytes bytes = RandomRecord(seed);
    EXPECT_EQ(EncodeCompetitionHeader(DecodeCompetitionHeader(bytes)), bytes);
    EXPECT_EQ(EncodeCompetitionEntry(DecodeCompetitionEntry(bytes)), bytes);
  }
}

TEST(CompetitionRecords, AFreshBufferIsAllZeroBytes) {
  EXPECT_EQ(EncodeCompetitionHeader(CompetitionHeader{}), CompetitionRecordBytes{});
  EXPECT_EQ(EncodeCompetitionEntry(CompetitionEntry{}), CompetitionRecordBytes{});
}

TEST(CompetitionRecords, HeaderFieldsStandAtTheirOffsets) {
  CompetitionRecordBytes bytes{};
  auto put = [&bytes](std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) bytes[offset + i] = static_cast<std::uint8_t>(text[i]);
  };
  put(22, "00");
  put(24, "JOHN SMITH               ");
  put(49, " 1.6 ");
  put(76, "SOUTH");
  const std::uint8_t score[8] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x88, 0xB3, 0x40};  // 5000.0
  std::copy(std::begin(score), std::end(score), bytes.begin() + 60);
  bytes[0] = 0x11;
  bytes[250] = 0x22;

  CompetitionHeader header = DecodeCompetitionHeader(bytes);
  EXPECT_EQ(header.headerCode, "00");
  EXPECT_EQ(header.beatName, "JOHN SMITH               ");
  EXPECT_EQ(header.programVersion, " 1.6 ");
  EXPECT_EQ(header.beatScore, 5000.0);
  EXPECT_EQ(header.beatSite.substr(0, 6), std::string("SOUTH\0", 6));
  EXPECT_EQ(header.reservedLead[0], 0x11);
  EXPECT_EQ(header.reservedTail[139], 0x22);
}

TEST(CompetitionRecords, EntryFieldsStandAtTheirOffsets) {
  CompetitionEntry entry;
  entry.site = "S";
  entry.player = "P";
  entry.score = 1.0;
  entry.gameCode = "G";
  entry.lastDate = "D";
  entry.status = "T";
  entry.loc = "L";
  entry.plays = "Y";
  entry.filler = "F";
  entry.reservedTail[0] = 0x7E;
  CompetitionRecordBytes bytes = EncodeCompetitionEntry(entry);
  EXPECT_EQ(bytes[0], 'S');
  EXPECT_EQ(bytes[1], ' ');  // short texts are padded with blanks to their width
  EXPECT_EQ(bytes[35], 'P');
  EXPECT_EQ(bytes[67], 0x3F);  // 1.0, little-endian
  EXPECT_EQ(bytes[68], 'G');
  EXPECT_EQ(bytes[76], 'D');
  EXPECT_EQ(bytes[81], 'T');
  EXPECT_EQ(bytes[82], 'L');
  EXPECT_EQ(bytes[85], 'Y');
  EXPECT_EQ(bytes[90], 'F');
  EXPECT_EQ(bytes[130], ' ');
  EXPECT_EQ(bytes[131], 0x7E);
}

}  // namespace
}  // namespace lexfray
