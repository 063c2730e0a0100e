#include "league/standings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "league/league_files.h"
#include "league/standings_file.h"

namespace lexfray {
namespace {

using testing::Entry;
using testing::LeagueSettings;
using testing::Padded;
using testing::TempFolder;
using testing::WriteScoreFile;

Standings Scored(std::initializer_list<std::pair<const char*, double>> rows) {
  Standings standings;
  for (auto [name, score] : rows) standings.push_back({"SITE", name, score, "", "", ""});
  return standings;
}

std::string NamesOf(const Standings& standings) {
  std::string names;
  for (const StandingsEntry& entry : standings) names += entry.name;
  return names;
}

TEST(RankByScore, MovesOnlyOnAStrictlyHigherScore) {
  // An exchange across the gap carries C over B; equal scores are not put back.
  Standings standings = Scored({{"A", 2}, {"B", 1}, {"C", 1}, {"D", 3}});
  RankByScore(standings);
  EXPECT_EQ(NamesOf(standings), "DACB");

  Standings ties = Scored({{"A", 5}, {"B", 5}, {"C", 5}});
  RankByScore(ties);
  EXPECT_EQ(NamesOf(ties), "ABC");

  Standings none;
  RankByScore(none);
  EXPECT_TRUE(none.empty());
}

TEST(RankByScore, LeavesAnyListHighestFirstWithEveryEntryKept) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    Standings standings;
    int count = static_cast<int>(random() % 200);
    for (int i = 0; i < count; ++i)
      standings.push_back({"", std::to_string(i), static_cast<double>(random() % 20), "", "", ""});
    Standings ranked = standings;
    RankByScore(ranked);
    ASSERT_EQ(ranked.size(), standings.size());
    for (std::size_t i = 1; i < ranked.size(); ++i) EXPECT_GE(ranked[i - 1].score, ranked[i].score);
    std::vector<bool> seen(standings.size());
    for (const StandingsEntry& entry : ranked) seen[std::stoul(entry.name)] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), count);
  }
}

TEST(WholeScore, CutsDownAndKeepsOddValuesSane) {
  EXPECT_EQ(WholeScore(123456.7), 123456);
  EXPECT_EQ(WholeScore(-0.5), -1);
  EXPECT_EQ(WholeScore(42), 42);
  EXPECT_EQ(WholeScore(std::nan("")), 0);
  EXPECT_EQ(WholeScore(std::numeric_limits<double>::infinity()), kLargestWholeScore);
  EXPECT_EQ(WholeScore(-std::numeric_limits<double>::infinity()), -kLargestWholeScore);
  EXPECT_EQ(WholeScore(1e300), kLargestWholeScore);
  EXPECT_EQ(TopScore(Scored({{"A", kLargestWholeScore}})), 9007199254740992);
}

struct StandingsFolder {
  TempFolder folder;
  Settings settings = LeagueSettings(folder, "NORTH");
  CompetitionState state;
};

TEST(LoadStandings, ReadsTheHeaderAndEveryEntryRankedWithWholeScores) {
  StandingsFolder site;
  CompetitionHeader header;
  header.beatName = Padded("JOHN", 25);
  CompetitionEntry last = Entry("SOUTH", "CY", 0.9, "   12", "US ");
  WriteScoreFile(site.folder, header,
                 {Entry("NORTH", "ANNA", 10.5), Entry("SOUTH", "BOB", 123456.7), last});
  LoadStandings(site.settings, site.state);

  ASSERT_EQ(site.state.standings.size(), 3u);
  EXPECT_EQ(site.state.header.beatName, Padded("JOHN", 25));
  const StandingsEntry& top = site.state.standings[0];
  EXPECT_EQ(top.name, Padded("BOB", 25));
  EXPECT_EQ(top.site, Padded("SOUTH", 35));
  EXPECT_EQ(top.score, 123456);
  EXPECT_EQ(site.state.standings[1].score, 10);
  const StandingsEntry& bottom = site.state.standings[2];
  EXPECT_EQ(bottom.score, 0);
  EXPECT_EQ(bottom.plays, "   12");
  EXPECT_EQ(bottom.loc, "US ");
  EXPECT_EQ(bottom.date, "02-01");
  // The entry buffer holds the last record read, as a new entry of the export expects.
  EXPECT_EQ(EncodeCompetitionEntry(site.state.entry), EncodeCompetitionEntry(last));
}

TEST(LoadStandings, AMissingFileLeavesThePreviousStandings) {
  StandingsFolder site;
  WriteScoreFile(site.folder, CompetitionHeader{}, {Entry("NORTH", "ANNA", 10)});
  LoadStandings(site.settings, site.state);
  site.folder.Remove("LEXFRAY.ISC");
  LoadStandings(site.settings, site.state);
  ASSERT_EQ(site.state.standings.size(), 1u);
  EXPECT_EQ(site.state.standings[0].name, Padded("ANNA", 25));
  EXPECT_FALSE(site.folder.Exists("LEXFRAY.ISC"));
}

TEST(LoadStandings, TheTopScoreIsTheHighestOfAllSitesOrZero) {
  StandingsFolder site;
  WriteScoreFile(site.folder, CompetitionHeader{}, {});
  EXPECT_EQ(LoadTopScore(site.settings, site.state), 0);

  WriteScoreFile(site.folder, CompetitionHeader{},
                 {Entry("NORTH", "ANNA", 10), Entry("SOUTH", "BOB", 4321.9), Entry("EAST", "CY", std::nan(""))});
  EXPECT_EQ(LoadTopScore(site.settings, site.state), 4321);
  EXPECT_EQ(TopScore(site.state.standings), 4321);
}

}  // namespace
}  // namespace lexfray
