#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "publish/html_pages.h"
#include "publish/json_data.h"
#include "publish/kept_month.h"
#include "publish/tables.h"
#include "rules/ranks.h"

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

std::string Golden(const std::string& name) {
  std::ifstream in(std::string(LEAGUENET_TEST_DATA) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// November 2026: two players tie for first at two sites, and one is far behind.
MonthTables TiedMonth() {
  MonthTally tally({SiteFrom("NORTH", "NTH"), SiteFrom("SOUTH", "STH")}, nullptr);
  for (PublicEntry entry : {PublicEntry{"NORTH", "ANNA", 702311, "11-08", "12", 0},
                            PublicEntry{"NORTH", "<CAT>", 500, "11-31", "x", 1796032800},
                            PublicEntry{"SOUTH", "BOB", 702311, "11-30", "40", 0}})
    EXPECT_TRUE(tally.Add(std::move(entry)));
  return tally.Finish().value();
}

PageFrame FinalNovember(const MonthTables& tables) {
  return {"L", "2026-11", "2026-12-02T00:00:00Z", false, true, LeadersOf(tables)};
}

// A tie for first shares the rank on the page and in the data, and names every winner; the
// data's format is pinned by a golden file, and so is the format before it, which a
// publication still reads from the months it kept.
TEST(PublishData, ATieForFirstNamesEveryWinnerOnThePageAndInTheData) {
  MonthTables tables = TiedMonth();
  PageFrame frame = FinalNovember(tables);
  EXPECT_EQ(MonthData(frame, tables, {}), Golden("month_format2.json"));
  std::string page = MonthPage(frame, tables);
  for (const char* shown :
       {"Winners&gt;</span> ANNA, NORTH and BOB, SOUTH, tied on 702311</p>",
        "<tr><td>1<th scope=\"row\">ANNA<td>NORTH<td>NTH<td>702311<td>12<td>8 Nov\n",
        "<tr><td>1<th scope=\"row\">BOB<td>SOUTH<td>STH<td>702311<td>40<td>30 Nov\n",
        "<tr><td>3<th scope=\"row\">&lt;CAT&gt;<td>NORTH<td>NTH<td>500<td>x<td>\n",
        "<tr><td>1<th scope=\"row\">NORTH<td>NTH<td>2<td>702311<td>702,811\n"})
    EXPECT_NE(page.find(shown), std::string::npos) << shown << "\n" << page;
  // Many tied: the header names a line's worth, the table all of them.
  MonthTally many({SiteFrom("NORTH", "NTH")}, nullptr);
  for (int n = 0; n < 12; ++n) many.Add({"NORTH", "P" + std::to_string(n), 5, "11-01", "1", 0});
  MonthTables crowd = many.Finish().value();
  EXPECT_NE(MonthPage(FinalNovember(crowd), crowd).find("P6, NORTH and 3 others, tied on 5</p>"),
            std::string::npos);
  std::vector<MonthSummary> months = {{"2026-11", frame.leaders, false, {}}};
  std::string listed = MonthsPage({"L", "2026-12", "", true, false, {}}, months);
  EXPECT_NE(listed.find("November 2026</a><td>ANNA<td>NORTH<td>NTH<td>702311\n"),
            std::string::npos);
  EXPECT_NE(listed.find("November 2026</a><td>BOB<td>SOUTH<td>STH<td>702311\n"), std::string::npos);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

// Data kept of a past month is read back in this format and the one before; whatever else
// lies there is kept as it is, and why is said.
TEST(PublishData, KeptMonthsAreReadInEveryFormatWrittenAndOtherwiseSaidToBeUnreadable) {
  using State = KeptMonth::State;
  std::string now = Golden("month_format2.json");
  const std::string tied = "ANNA/NORTH/NTH/702311 BOB/SOUTH/STH/702311 ";
  struct Case {
    const char* name;
    std::string data;
    State state;
    std::string winners;
    std::string why;
  };
  for (const Case& c : std::vector<Case>{
           {"this format", now, State::kFinal, tied, ""},
           {"the format before", Golden("month_format1.json"), State::kFinal, tied, ""},
           {"still open", Replaced(now, "\"final\":true", "\"final\":false"), State::kOpen, "", ""},
           {"cut short", now.substr(0, 300), State::kUnreadable, "", "it is not well-formed JSON"},
           {"deeply nested", std::string(100000, '['), State::kUnreadable, "",
            "it is not well-formed JSON"},
           {"a format to come", Replaced(now, "\"format\":2", "\"format\":3"), State::kUnreadable,
            "", "its format 3 is not one from 1 to 2, which this leaguenet reads"},
           {"a winner no game can reach", Replaced(now, "702311}]", "1e99}]"), State::kUnreadable,
            "", "its winners cannot be read"},
           {"a winner without a name", Replaced(now, "\"player\":\"BOB\"", "\"player\":\" \""),
            State::kUnreadable, "", "its winners cannot be read"}}) {
    KeptMonth kept = ReadKeptMonth(c.data);
    std::string winners;
    for (const Leader& winner : kept.winners)
      winners += winner.player + "/" + winner.site + "/" + winner.loc + "/" +
                 ShownNumber(winner.score) + " ";
    EXPECT_EQ(kept.state, c.state) << c.name;
    EXPECT_EQ(winners, c.winners) << c.name;
    EXPECT_EQ(kept.why, c.why) << c.name;
  }
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
  // A name in full, as the game's login list shows it.
  std::string name(30, 'N');
  EXPECT_EQ(PublicEntryFrom(Columns{"NORTH", name + "XYZ", "5", "12-05", "7"})->player, name);
  EXPECT_EQ(IsoTime(0), "1970-01-01T00:00:00Z");
  EXPECT_EQ(IsoTime(1798761599), "2026-12-31T23:59:59Z");
  for (auto [month, day, iso, shown] :
       std::vector<std::array<std::string, 4>>{{"2026-12", "12-08", "2026-12-08", "8 Dec"},
                                               {"2028-02", "02-29", "2028-02-29", "29 Feb"},
                                               {"2026-02", "02-29", "", ""},
                                               {"2026-12", "11-08", "", ""},
                                               {"2026-12", "12-00", "", ""},
                                               {"2026-12", "12-8 ", "", ""},
                                               {"2026-12", "12-+8", "", ""}}) {
    EXPECT_EQ(IsoDay(month, day), iso) << month << " " << day;
    EXPECT_EQ(ShortDay(month, day), shown) << month << " " << day;
  }
  EXPECT_EQ(GroupedNumber(999), "999");
  EXPECT_EQ(GroupedNumber(1234567.9), "1,234,567");
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

  EXPECT_EQ(SharedRanks({900, 800, 800.5, 700, 700, 700, 1}),
            (std::vector<std::size_t>{1, 2, 2, 4, 4, 4, 7}));
  EXPECT_FALSE(TakesAPlace(0.9));
}

}  // namespace
}  // namespace lexfray::leaguenet
