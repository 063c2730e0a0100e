#include "league/score_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "console/primitives.h"
#include "league/league_files.h"
#include "league/standings_file.h"
#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::Entry;
using testing::LeagueSettings;
using testing::Padded;
using testing::Player;
using testing::ScoreEntry;
using testing::ScoreHeader;
using testing::ScoreRecords;
using testing::TempFolder;
using testing::WritePlayers;
using testing::WriteScoreFile;

constexpr std::uintmax_t kFortyGigabytes = std::uintmax_t{40} << 30;

// One installation: its folder, settings and the program's buffers.
struct Site {
  explicit Site(std::string_view name = "NORTH") : settings(LeagueSettings(folder, name)) {}
  std::optional<std::string> Export() { return testing::ExportFailure(settings, state, playerRecord); }

  TempFolder folder;
  Settings settings;
  CompetitionState state;
  PlayerRecord playerRecord;
};

std::string Text(const CompetitionRecordBytes& bytes, std::size_t from, std::size_t count) {
  return std::string(reinterpret_cast<const char*>(bytes.data() + from), count);
}

TEST(ScoreExport, ANewEntryHoldsItsFieldsByteForByte) {
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 1234, 7, "03-15-08")});
  ASSERT_FALSE(site.Export());

  std::vector<CompetitionRecordBytes> records = ScoreRecords(site.folder);
  ASSERT_EQ(records.size(), 2u);
  const CompetitionRecordBytes& e = records[1];
  EXPECT_EQ(Text(e, 0, 35), "NORTH" + std::string(30, ' '));
  EXPECT_EQ(Text(e, 35, 25), "ANNA" + std::string(21, ' '));
  const std::uint8_t score[8] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x48, 0x93, 0x40};
  EXPECT_TRUE(std::equal(std::begin(score), std::end(score), e.begin() + 60));
  EXPECT_EQ(Text(e, 68, 8), "LEXFRAY0");
  EXPECT_EQ(Text(e, 76, 5), "03-15");
  EXPECT_EQ(Text(e, 81, 1), " ");
  EXPECT_EQ(Text(e, 82, 3), "   ");
  EXPECT_EQ(Text(e, 85, 5), "    7");
  EXPECT_EQ(Text(e, 90, 41), std::string(41, ' '));
  EXPECT_EQ(Text(e, 131, 120), std::string(120, '\0'));
}

TEST(ScoreExport, TheFirstExportCreatesTheHeaderAndOneEntryPerPlayerInFileOrder) {
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 100, 1), Player("BOB", 250, 3), Player("CLAIRE", 0, 12)});
  ASSERT_FALSE(site.Export());

  std::vector<CompetitionRecordBytes> records = ScoreRecords(site.folder);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(site.folder.Read("LEXFRAY.ISC").size(), 4 * kCompetitionRecordSize);
  CompetitionHeader header = ScoreHeader(site.folder);
  EXPECT_EQ(header.headerCode, "00");
  EXPECT_EQ(header.beatName, Padded("No Score-To-Beat As Yet", 25));
  EXPECT_EQ(header.programVersion, " 1.6 ");
  EXPECT_EQ(header.beatScore, 0.0);
  EXPECT_EQ(header.beatSite, std::string(35, ' '));
  EXPECT_EQ(header.reservedLead, decltype(header.reservedLead){});
  EXPECT_EQ(header.reservedTail, decltype(header.reservedTail){});

  const char* names[] = {"ANNA", "BOB", "CLAIRE"};
  const double scores[] = {100, 250, 0};
  const char* plays[] = {"    1", "    3", "   12"};
  for (std::size_t i = 0; i < 3; ++i) {
    CompetitionEntry entry = ScoreEntry(site.folder, i + 2);
    EXPECT_EQ(entry.player, Padded(names[i], 25));
    EXPECT_EQ(entry.score, scores[i]);
    EXPECT_EQ(entry.plays, plays[i]);
    EXPECT_EQ(entry.gameCode, "LEXFRAY0");
    EXPECT_EQ(entry.loc, "   ");
    EXPECT_EQ(entry.status, " ");
  }
  // The program's buffers end as the last records read and written.
  EXPECT_EQ(EncodeCompetitionHeader(site.state.header), records[0]);
  EXPECT_EQ(EncodeCompetitionEntry(site.state.entry), records[3]);
  EXPECT_EQ(site.playerRecord.name, Padded("CLAIRE", 30));
}

TEST(ScoreExport, ALaterExportUpdatesEntriesInPlaceAndKeepsWhatItDoesNotWrite) {
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 100, 1, "03-15-08"), Player("BOB", 250, 3)});
  ASSERT_FALSE(site.Export());

  // The exchange program sets a score to beat, a LOC, reserved bytes and a status.
  std::vector<CompetitionRecordBytes> records = ScoreRecords(site.folder);
  CompetitionHeader header = DecodeCompetitionHeader(records[0]);
  header.beatName = Padded("JOHN", 25);
  header.beatScore = 5000;
  header.programVersion = " 1.2 ";
  header.reservedTail[7] = 0x99;
  CompetitionEntry anna = DecodeCompetitionEntry(records[1]);
  anna.loc = "GB ";
  anna.status = "X";
  anna.gameCode = "OTHER  1";
  anna.filler[3] = '#';
  anna.reservedTail[0] = 0x55;
  WriteScoreFile(site.folder, header, {anna, DecodeCompetitionEntry(records[2])});

  WritePlayers(site.folder, {Player("ANNA", 340, 2, "03-16-08"), Player("BOB", 250, 3)});
  ASSERT_FALSE(site.Export());

  ASSERT_EQ(ScoreRecords(site.folder).size(), 3u);
  CompetitionEntry updated = ScoreEntry(site.folder, 2);
  EXPECT_EQ(updated.score, 340);
  EXPECT_EQ(updated.lastDate, "03-16");
  EXPECT_EQ(updated.plays, "    2");
  EXPECT_EQ(updated.status, " ");
  EXPECT_EQ(updated.loc, "GB ");
  EXPECT_EQ(updated.gameCode, "OTHER  1");
  EXPECT_EQ(updated.filler[3], '#');
  EXPECT_EQ(updated.reservedTail[0], 0x55);
  CompetitionHeader after = ScoreHeader(site.folder);
  EXPECT_EQ(after.programVersion, " 1.6 ");
  EXPECT_EQ(after.beatName, Padded("JOHN", 25));
  EXPECT_EQ(after.beatScore, 5000);
  EXPECT_EQ(after.reservedTail[7], 0x99);
}

TEST(ScoreExport, ALongNameIsCutToTwentyFiveAndFoundAgain) {
  Site site;
  const std::string name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ12";  // 28 characters
  WritePlayers(site.folder, {Player(name, 10, 1)});
  ASSERT_FALSE(site.Export());
  EXPECT_EQ(ScoreEntry(site.folder, 2).player, name.substr(0, 25));

  WritePlayers(site.folder, {Player(name, 20, 2)});
  ASSERT_FALSE(site.Export());
  WritePlayers(site.folder, {Player(name, 30, 3)});
  ASSERT_FALSE(site.Export());
  ASSERT_EQ(ScoreRecords(site.folder).size(), 2u);
  EXPECT_EQ(ScoreEntry(site.folder, 2).score, 30);
}

TEST(ScoreExport, ASiteRenamedInLetterCaseKeepsItsEntriesAndAnotherNameGetsNewOnes) {
  Site site("North Side");
  WritePlayers(site.folder, {Player("ANNA", 10, 1), Player("BOB", 20, 1)});
  ASSERT_FALSE(site.Export());

  site.settings.siteName = "NORTH SIDE  ";
  ASSERT_FALSE(site.Export());
  ASSERT_EQ(ScoreRecords(site.folder).size(), 3u);
  EXPECT_EQ(ScoreEntry(site.folder, 2).site, Padded("NORTH SIDE", 35));
  EXPECT_EQ(ScoreEntry(site.folder, 3).site, Padded("NORTH SIDE", 35));

  std::vector<CompetitionRecordBytes> before = ScoreRecords(site.folder);
  site.settings.siteName = "East Side";
  WritePlayers(site.folder, {Player("ANNA", 99, 5), Player("BOB", 98, 5)});
  ASSERT_FALSE(site.Export());
  std::vector<CompetitionRecordBytes> after = ScoreRecords(site.folder);
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(after[2], before[2]);
  EXPECT_EQ(ScoreEntry(site.folder, 4).site, Padded("East Side", 35));
  EXPECT_EQ(ScoreEntry(site.folder, 5).player, Padded("BOB", 25));
  EXPECT_EQ(ScoreEntry(site.folder, 5).score, 98);
}

TEST(ScoreExport, TheComputerPlayerIsNeverExportedButLexfrayAndZeroTotalsAre) {
  Site site;
  WritePlayers(site.folder, {Player("COMPUTER PLAYER", 900, 4), Player("LEXFRAY", 50, 1),
                             Player("computer player", 800, 4), Player("ZED", 0, 1)});
  ASSERT_FALSE(site.Export());
  std::vector<CompetitionRecordBytes> records = ScoreRecords(site.folder);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(ScoreEntry(site.folder, 2).player, Padded("LEXFRAY", 25));
  EXPECT_EQ(ScoreEntry(site.folder, 3).player, Padded("ZED", 25));
  EXPECT_EQ(ScoreEntry(site.folder, 3).score, 0);
}

TEST(ScoreExport, OtherSitesEntriesAreNeverChanged) {
  Site site;
  CompetitionHeader header;
  header.headerCode = "00";
  header.reservedLead[3] = 0x44;
  CompetitionEntry south = Entry("SOUTH", "ANNA", 700, "    9", "US ");
  south.reservedTail[5] = 0x66;
  CompetitionEntry northLike = Entry("NORTHERN", "ANNA", 5);
  WriteScoreFile(site.folder, header, {south, northLike});
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  std::vector<CompetitionRecordBytes> before = ScoreRecords(site.folder);

  ASSERT_FALSE(site.Export());
  std::vector<CompetitionRecordBytes> after = ScoreRecords(site.folder);
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(after[2], before[2]);
  EXPECT_EQ(ScoreHeader(site.folder).reservedLead[3], 0x44);
  EXPECT_EQ(ScoreEntry(site.folder, 4).site, Padded("NORTH", 35));
}

TEST(ScoreExport, TheFirstOfTwoEntriesOfTheSamePlayerIsTheOneUpdated) {
  Site site;
  WriteScoreFile(site.folder, CompetitionHeader{},
                 {Entry("north", "anna  ", 1), Entry("NORTH", "ANNA", 2)});
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  ASSERT_FALSE(site.Export());
  EXPECT_EQ(ScoreEntry(site.folder, 2).score, 10);
  EXPECT_EQ(ScoreEntry(site.folder, 2).player, Padded("anna", 25));  // the name stays as stored
  EXPECT_EQ(ScoreEntry(site.folder, 2).site, Padded("NORTH", 35));
  EXPECT_EQ(ScoreEntry(site.folder, 3).score, 2);
}

TEST(ScoreExport, ANewEntryTakesItsReservedTailFromTheLastRecordRead) {
  Site site;
  CompetitionEntry last = Entry("SOUTH", "ZOE", 5);
  last.reservedTail.fill(0xAB);
  WriteScoreFile(site.folder, CompetitionHeader{}, {Entry("SOUTH", "YAN", 4), last});
  WritePlayers(site.folder, {Player("ANNA", 10, 1), Player("BOB", 20, 1)});
  ASSERT_FALSE(site.Export());
  // ANNA's search read ZOE last; BOB's read ANNA's new entry last, which carries ZOE's tail.
  EXPECT_EQ(ScoreEntry(site.folder, 4).reservedTail, last.reservedTail);
  EXPECT_EQ(ScoreEntry(site.folder, 5).reservedTail, last.reservedTail);
}

TEST(ScoreExport, WithOnlyAHeaderTheNewEntryTakesTheBufferAsItWas) {
  Site site;
  CompetitionHeader header;
  header.headerCode = "00";
  WriteScoreFile(site.folder, header, {});
  site.state.entry.reservedTail.fill(0x3C);
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  ASSERT_FALSE(site.Export());
  EXPECT_EQ(ScoreEntry(site.folder, 2).reservedTail, site.state.entry.reservedTail);
  EXPECT_EQ(ScoreEntry(site.folder, 2).reservedTail[119], 0x3C);
}

TEST(ScoreExport, ACreatedHeaderTakesTheBuffersOtherBytes) {
  Site site;
  site.state.header.reservedTail.fill(0x21);
  site.state.header.beatScore = 77;
  WritePlayers(site.folder, {});
  ASSERT_FALSE(site.Export());
  CompetitionHeader header = ScoreHeader(site.folder);
  EXPECT_EQ(header.reservedTail, site.state.header.reservedTail);
  EXPECT_EQ(header.beatName, Padded("No Score-To-Beat As Yet", 25));
  EXPECT_EQ(header.beatScore, 77);
}

TEST(ScoreExport, AFileWithoutAWholeHeaderGetsAFreshOne) {
  Site site;
  site.folder.Write("LEXFRAY.ISC", std::string(100, 'x'));
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  ASSERT_FALSE(site.Export());
  EXPECT_EQ(site.folder.Read("LEXFRAY.ISC").size(), 2 * kCompetitionRecordSize);
  EXPECT_EQ(ScoreHeader(site.folder).beatName, Padded("No Score-To-Beat As Yet", 25));
  EXPECT_EQ(ScoreHeader(site.folder).headerCode, "00");
  EXPECT_EQ(ScoreEntry(site.folder, 2).player, Padded("ANNA", 25));
}

TEST(ScoreExport, APartialRecordAtTheEndIsOverwrittenByTheNextNewEntry) {
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  ASSERT_FALSE(site.Export());
  site.folder.Write("LEXFRAY.ISC", site.folder.Read("LEXFRAY.ISC") + std::string(40, 'p'));
  WritePlayers(site.folder, {Player("ANNA", 10, 1), Player("BOB", 20, 2)});
  ASSERT_FALSE(site.Export());
  EXPECT_EQ(site.folder.Read("LEXFRAY.ISC").size(), 3 * kCompetitionRecordSize);
  EXPECT_EQ(ScoreEntry(site.folder, 3).player, Padded("BOB", 25));
}

TEST(ScoreExport, AMissingPlayerFileExportsNobody) {
  Site site;
  ASSERT_FALSE(site.Export());
  EXPECT_EQ(ScoreRecords(site.folder).size(), 1u);
}

TEST(ScoreExport, AScoreFileThatCannotBeWrittenIsReported) {
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  ASSERT_FALSE(site.Export());
  std::filesystem::permissions(site.folder.PathOf("LEXFRAY.ISC"), std::filesystem::perms::owner_read);
  std::vector<CompetitionRecordBytes> before = ScoreRecords(site.folder);

  // Nothing to change: nothing to write, nothing to report.
  EXPECT_FALSE(site.Export());
  WritePlayers(site.folder, {Player("ANNA", 20, 2)});
  std::optional<std::string> failure = site.Export();
  ASSERT_TRUE(failure);
  EXPECT_EQ(*failure, site.folder.PathOf("LEXFRAY.ISC") + " is read-only");
  EXPECT_EQ(ScoreRecords(site.folder), before);

  site.settings.programFolder = site.folder.PathOf("missing/");
  failure = site.Export();
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("missing/LEXFRAY.ISC"), std::string::npos);
}

TEST(ScoreExport, ATotalThatIsNoNumberIsExportedAsTheTableCountsIt) {
  Site site;
  WritePlayers(site.folder, {Player("INF", std::numeric_limits<double>::infinity(), 1),
                             Player("NAN", std::nan(""), 1), Player("LOW", -5, 1)});
  ASSERT_FALSE(site.Export());
  EXPECT_EQ(ScoreEntry(site.folder, 2).score, 0);
  EXPECT_EQ(ScoreEntry(site.folder, 3).score, 0);
  EXPECT_EQ(ScoreEntry(site.folder, 4).score, -5);
}

// 40 GB of score file (sparse: nothing on disk) is damaged beyond use: refused at once with
// the reason, never read into memory, never written.
TEST(ScoreExport, AHugeScoreFileIsRefusedWithItsReasonAndLeftAlone) {
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  site.folder.Write("LEXFRAY.ISC", "");
  std::filesystem::resize_file(site.folder.PathOf("LEXFRAY.ISC"), kFortyGigabytes);
  std::optional<std::string> failure = site.Export();
  ASSERT_TRUE(failure);
  EXPECT_EQ(*failure, site.folder.PathOf("LEXFRAY.ISC") + " is too large: more than 10000 entries");
  EXPECT_EQ(LoadTopScore(site.settings, site.state), 0);
  EXPECT_EQ(std::filesystem::file_size(site.folder.PathOf("LEXFRAY.ISC")), kFortyGigabytes);
}

TEST(ScoreExport, AScoreFileIsReadUpToItsLargestAndNeverGrownBeyond) {
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  WriteScoreFile(site.folder, CompetitionHeader{}, {Entry("SOUTH", "BOB", 99)});
  std::filesystem::resize_file(site.folder.PathOf("LEXFRAY.ISC"), 10000 * 251);
  ASSERT_FALSE(site.Export());
  EXPECT_EQ(ScoreRecords(site.folder).size(), 10001u);
  EXPECT_EQ(LoadTopScore(site.settings, site.state), 99);

  // One more entry would make the file one the game refuses: nothing is written.
  WritePlayers(site.folder, {Player("ANNA", 20, 2), Player("BOB", 5, 1)});
  std::optional<std::string> failure = site.Export();
  ASSERT_TRUE(failure);
  EXPECT_EQ(*failure, site.folder.PathOf("LEXFRAY.ISC") + " is full: it would hold more than 10000 entries");
  EXPECT_EQ(ScoreEntry(site.folder, 10001).score, 10);
}

TEST(ExportScores, ShowsOneMomentPleaseWhileItRuns) {
  testing::BoardHarness board;
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  ExportScores(board.io, site.settings, site.state, site.playerRecord);
  const Screen& shown = board.terminal.shown();
  int column = CentreColumn(" One Moment Please.... ");
  EXPECT_TRUE(testing::HasTextAt(shown, 12, column, " One Moment Please.... "));
  EXPECT_EQ(testing::FgAt(shown, 12, column), kBrightWhite);
  EXPECT_EQ(testing::BgAt(shown, 12, column), kBlue);
  EXPECT_EQ(board.terminal.waits(), 0);
  EXPECT_EQ(ScoreRecords(site.folder).size(), 2u);
}

TEST(ExportScores, TellsAFailedWriteOnceAndGoesOn) {
  testing::BoardHarness board;
  Site site;
  WritePlayers(site.folder, {Player("ANNA", 10, 1), Player("BOB", 20, 1)});
  ASSERT_FALSE(site.Export());
  std::filesystem::permissions(site.folder.PathOf("LEXFRAY.ISC"), std::filesystem::perms::owner_read);
  WritePlayers(site.folder, {Player("ANNA", 11, 2), Player("BOB", 21, 2), Player("CY", 5, 1)});

  board.terminal
      .Then([](const Screen& screen) {
        EXPECT_NE(testing::RowOf(screen, "could not be saved"), 0);
      })
      .Key(kKeyEnter);
  ExportScores(board.io, site.settings, site.state, site.playerRecord);
  EXPECT_EQ(board.terminal.waits(), 1);
  EXPECT_TRUE(board.terminal.ScriptDone());
}

// Without the competition the player file keeps every score: a score file that cannot be
// written loses nothing the player entered, so there is nothing to tell.
TEST(ExportScores, WithTheCompetitionOffAFailureIsNotTold) {
  testing::BoardHarness board;
  Site site;
  site.settings.competitionActive = 0;
  WritePlayers(site.folder, {Player("ANNA", 10, 1)});
  site.folder.Write("LEXFRAY.ISC", "");
  std::filesystem::permissions(site.folder.PathOf("LEXFRAY.ISC"), std::filesystem::perms::owner_read);
  ExportScores(board.io, site.settings, site.state, site.playerRecord);
  EXPECT_EQ(board.terminal.waits(), 0);
}

}  // namespace
}  // namespace lexfray
