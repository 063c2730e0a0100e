#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "publish/html_pages.h"
#include "publish/json_data.h"
#include "publish/tables.h"

namespace lexfray::leaguenet {
namespace {

TEST(PublishText, HostileTextStaysText) {
  struct Case {
    std::string text, html, json;
  };
  for (const Case& c : std::vector<Case>{
           {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;",
            R"("\u003cscript\u003ealert(1)\u003c/script\u003e")"},
           {"&amp;", "&amp;amp;", R"("\u0026amp;")"},
           {"\"", "&quot;", R"("\"")"},
           {"O'BRIEN \\", "O&#39;BRIEN \\", R"("O'BRIEN \\")"},
           {std::string("A\x01\x7f", 3), std::string("A\x01\x7f", 3), R"("A\u0001\u007f")"}}) {
    EXPECT_EQ(HtmlEscaped(c.text), c.html) << c.text;
    EXPECT_EQ(JsonString(c.text), c.json) << c.text;
  }
}

// A past month's winner comes back from the final data kept of it, checked like the league's
// rows; data of a month that was still open is not final.
TEST(PublishText, AKeptMonthsWinnerIsReadBackFromItsFinalData) {
  PageFrame frame{"L",   "2026-11", "2026-12-01T00:00:00Z",
                  false, false,     Leader{"<A\"\\&>", "SITE", "S&1", 1234}};
  std::optional<Leader> read;
  EXPECT_FALSE(ReadFinalLeader(MonthData(frame, MonthTables{}, {}), &read));
  frame.final = true;
  ASSERT_TRUE(ReadFinalLeader(MonthData(frame, MonthTables{}, {}), &read));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->player + "|" + read->site + "|" + read->loc, "<A\"\\&>|SITE|S&1");
  EXPECT_EQ(read->score, 1234);
  frame.leader.reset();
  ASSERT_TRUE(ReadFinalLeader(MonthData(frame, MonthTables{}, {}), &read));
  EXPECT_FALSE(read);
  for (std::string_view broken :
       {"{\n\"final\":true,", "{\n\"final\":true,\n\"leader\":{\"player\":\"\\u00zz\"",
        "{\n\"final\":true,\n\"leader\":{\"player\":\"A",
        "{\n\"final\":true,\n\"leader\":{\"player\":\"A\",\"site\":\"B\",\"loc\":\"C\","
        "\"score\":1e99}"})
    EXPECT_FALSE(ReadFinalLeader(broken, &read)) << broken;
}

TEST(PublishText, EverySiteNameGetsAFileNameOfItsOwnMadeOfSafeCharacters) {
  std::vector<std::string> names = {"RIVERSIDE CLUB",
                                    "RIVERSIDE-CLUB",
                                    "RIVERSIDE_CLUB",
                                    "../../ETC/PASSWD",
                                    "<SCRIPT>",
                                    ".HIDDEN",
                                    "A  B",
                                    "A B",
                                    "%2E"};
  std::set<std::string> seen;
  for (const std::string& name : names) {
    std::string page = SitePageName(name);
    ASSERT_EQ(page.substr(0, 5), "site/") << name;
    std::string file = page.substr(5);
    EXPECT_EQ(file.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-_."), std::string::npos)
        << file;
    EXPECT_NE(file.front(), '.') << file;
    EXPECT_EQ(file.find('.'), file.size() - 5) << file;
    EXPECT_TRUE(seen.insert(file).second) << name << " shares " << file;
  }
  EXPECT_EQ(SitePageName("RIVERSIDE CLUB 2"), "site/riverside-club-2.html");
  // Further pages of a long table are named apart from every site's first page.
  EXPECT_EQ(NumberedPage(SitePageName("X"), 2), "site/x_p2.html");
  EXPECT_EQ(NumberedPage(kSitesPageName, 1), "sites.html");
  EXPECT_EQ(PageCount(0), 1u);
  EXPECT_EQ(PageCount(kRowsPerPage + 1), 2u);
  EXPECT_EQ(MonthName("2026-12"), "December 2026");
  EXPECT_EQ(MonthName("2026-13"), "2026-13");
}

TEST(PublishTables, EntriesFromTheLeagueAreCheckedAndMadePrintable) {
  using Columns = std::vector<std::string_view>;
  auto entry = PublicEntryFrom(Columns{"NORTH", "ANN\x1b[2J", "1234", "12-05", "  7", "99"});
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->player, "ANN?[2J");
  EXPECT_EQ(entry->plays, "7");
  EXPECT_EQ(entry->updated, 99);
  EXPECT_EQ(ShownNumber(entry->score), "1234");
  for (std::string_view score : {"NaN", "-1", "1e13", "0x10", "", "Infinity", "1234.75"})
    EXPECT_FALSE(PublicEntryFrom(Columns{"NORTH", "ANN", score, "12-05", "7"})) << score;
  EXPECT_FALSE(PublicEntryFrom(Columns{"NORTH", " ", "5", "12-05", "7"}));
  EXPECT_EQ(IsoTime(0), "1970-01-01T00:00:00Z");
  EXPECT_EQ(IsoTime(1798761599), "2026-12-31T23:59:59Z");
}

// A month streamed site by site gives the same tables as sorting everything at once.
TEST(PublishTables, AStreamedMonthMatchesTheWholeMonthSorted) {
  std::mt19937 random(7);
  std::vector<SiteTotals> sites;
  for (int s = 0; s < 40; ++s) sites.push_back(SiteFrom("SITE " + std::to_string(s), "S00"));
  sites.push_back(SiteFrom("EMPTY", "EMP"));
  std::vector<PublicEntry> all;
  for (int s = 0; s < 40; ++s)
    for (int p = 0; p < 60; ++p)
      all.push_back({"SITE " + std::to_string(s), "P" + std::to_string(p),
                     static_cast<double>(random() % 5000), "12-01", "1", s * 100 + p});

  std::map<std::string, std::vector<PublicEntry>> told;
  MonthTally tally(sites, [&](const SiteTotals& site, const std::vector<PublicEntry>& rows) {
    EXPECT_TRUE(told.emplace(site.name, rows).second) << site.name << " told twice";
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), Ahead)) << site.name;
    return true;
  });
  for (const PublicEntry& entry : all) ASSERT_TRUE(tally.Add(entry));
  std::optional<MonthTables> tables = tally.Finish();
  ASSERT_TRUE(tables);

  std::sort(all.begin(), all.end(), Ahead);
  all.resize(kTopPlayers);
  ASSERT_EQ(tables->top.size(), kTopPlayers);
  for (std::size_t i = 0; i < kTopPlayers; ++i)
    ASSERT_EQ(tables->top[i].site + "/" + tables->top[i].player, all[i].site + "/" + all[i].player)
        << i;
  EXPECT_EQ(tables->players, 2400u);
  EXPECT_EQ(told.size(), 41u);
  EXPECT_TRUE(told.at("EMPTY").empty());
  EXPECT_EQ(tables->sites.back().name, "EMPTY");
  for (std::size_t i = 1; i < tables->sites.size(); ++i)
    EXPECT_GE(tables->sites[i - 1].total, tables->sites[i].total);
  EXPECT_EQ(tables->sites[0].players, 60u);
  EXPECT_EQ(tables->sites[0].latest % 100, 59);

  EXPECT_EQ(SharedRanks({900, 800, 800, 700, 700, 700, 1}),
            (std::vector<std::size_t>{1, 2, 2, 4, 4, 4, 7}));
}

}  // namespace
}  // namespace lexfray::leaguenet
