#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lexfray::leaguenet {

// The month's league table on the front page, and in a past month's page, holds this many.
inline constexpr std::size_t kTopPlayers = 1000;

// One player's entry of a month as the public pages show it: printable texts, cut to their
// fields, and a sane score.
struct PublicEntry {
  std::string site;
  std::string player;
  double score = 0;
  std::string lastDate;
  std::string plays;
  std::int64_t updated = 0;  // when the site last sent it, in seconds since 1970 (UTC)
  std::size_t rank = 0;      // in the table it is shown in
};

// The entry from the league's columns (site, player, score, last date, plays, and when
// given, when it last changed); nothing when the score is no sane number or the site or
// player is empty.
std::optional<PublicEntry> PublicEntryFrom(const std::vector<std::string_view>& columns);

// Best first, by the rule of every league table (rules/ranks.h).
bool Ahead(const PublicEntry& a, const PublicEntry& b);

struct SiteTotals {
  std::string name;
  std::string loc;
  std::size_t players = 0;
  double best = 0;
  double total = 0;
  std::int64_t latest = 0;  // the newest of its entries' updates
  std::size_t rank = 0;     // by the sum of its players' scores
};

// A site's printable name and loc as the league has them.
SiteTotals SiteFrom(const std::string& name, const std::string& loc);

// The month's tables: the best players, how many there are, and every site best first, each
// with its rank.
struct MonthTables {
  std::vector<PublicEntry> top;
  std::size_t players = 0;
  std::vector<SiteTotals> sites;
};

// Counts a month's entries as they stream in, each site's rows together, holding no more
// than one site's rows and the best kTopPlayers at a time.
class MonthTally {
 public:
  // Called with a site and all its rows, best first and ranked, once they are complete.
  using SiteDone = std::function<bool(const SiteTotals&, const std::vector<PublicEntry>&)>;

  // sites: the league's sites, each of which is told to siteDone (when given), with or
  // without rows.
  MonthTally(std::vector<SiteTotals> sites, SiteDone siteDone);

  // False when siteDone refused.
  bool Add(PublicEntry entry);
  // The sites not told yet are told with no rows; nothing when siteDone refused.
  std::optional<MonthTables> Finish();

 private:
  bool CloseSite();
  void KeepIfAmongTheBest(const PublicEntry& entry);

  std::vector<SiteTotals> sites_;
  std::unordered_map<std::string, std::size_t> siteIndex_;
  std::vector<bool> told_;
  SiteDone siteDone_;
  std::optional<std::size_t> open_;
  std::vector<PublicEntry> openRows_;
  std::vector<PublicEntry> top_;  // a heap with the last of the best on top
  std::size_t players_ = 0;
};

// The whole number a score is shown as (ShownScore), as text: "1234567", and for people,
// "1,234,567".
std::string ShownNumber(double score);
std::string GroupedNumber(double score);

// The day an entry of the month YYYY-MM was last played, from its MM-DD: "2026-12-08" for
// programs and "8 Dec" for people; empty when it is no day of that month.
std::string IsoDay(std::string_view month, std::string_view lastDate);
std::string ShortDay(std::string_view month, std::string_view lastDate);

// Seconds since 1970 as YYYY-MM-DDTHH:MM:SSZ.
std::string IsoTime(std::int64_t seconds);

}  // namespace lexfray::leaguenet
