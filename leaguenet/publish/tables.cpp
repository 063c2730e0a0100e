#include "publish/tables.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "league/competition_records.h"
#include "players/player_record.h"
#include "rules/league_rows.h"
#include "rules/ranks.h"
#include "rules/safe_text.h"

namespace lexfray::leaguenet {

namespace {

using E = CompetitionEntry;

bool SiteAhead(const SiteTotals& a, const SiteTotals& b) {
  if (ShownScore(a.total) != ShownScore(b.total)) return a.total > b.total;
  if (a.best != b.best) return a.best > b.best;
  return a.name < b.name;
}

// Rows already in order take their ranks from the value they are ordered by.
template <typename Row, typename Value>
void Rank(std::vector<Row>& rows, Value value) {
  std::vector<double> values;
  values.reserve(rows.size());
  for (const Row& row : rows) values.push_back(value(row));
  std::vector<std::size_t> ranks = SharedRanks(values);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i].rank = ranks[i];
}

void RankPlayers(std::vector<PublicEntry>& rows) {
  Rank(rows, [](const PublicEntry& entry) { return entry.score; });
}

std::string Digits(double score) {
  // Every sane score, and the sum of ten thousand of them, is exact in 64 bits.
  double shown = ShownScore(score);
  if (!(std::fabs(shown) < 9e18)) return "0";
  char text[24];
  std::to_chars_result written =
      std::to_chars(text, text + sizeof text, static_cast<long long>(shown));
  return std::string(text, written.ptr);
}

// The day of lastDate (MM-DD) when it is a day of month (YYYY-MM).
std::optional<std::chrono::year_month_day> DayOf(std::string_view month,
                                                 std::string_view lastDate) {
  auto number = [](std::string_view text, unsigned& value) {
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text[0])) &&
           std::from_chars(text.data(), text.data() + text.size(), value).ptr ==
               text.data() + text.size();
  };
  unsigned year = 0;
  unsigned monthNumber = 0;
  unsigned day = 0;
  if (month.size() != 7 || month[4] != '-' || lastDate.size() != 5 || lastDate[2] != '-' ||
      month.substr(5) != lastDate.substr(0, 2) || !number(month.substr(0, 4), year) ||
      !number(month.substr(5), monthNumber) || !number(lastDate.substr(3), day))
    return std::nullopt;
  std::chrono::year_month_day date{std::chrono::year(static_cast<int>(year)),
                                   std::chrono::month(monthNumber), std::chrono::day(day)};
  if (!date.ok()) return std::nullopt;
  return date;
}

}  // namespace

std::optional<PublicEntry> PublicEntryFrom(const std::vector<std::string_view>& columns) {
  if (columns.size() < 5) return std::nullopt;
  std::optional<double> score = ParseScore(std::string(columns[2]));
  if (!score || !IsSaneScore(*score)) return std::nullopt;
  // A player's name in full, as the game's login list shows it.
  PublicEntry entry{TrimmedPrintable(columns[0], E::kSiteWidth),
                    TrimmedPrintable(columns[1], PlayerRecord::kNameWidth), *score,
                    BarePrintable(columns[3], E::kDateWidth),
                    BarePrintable(columns[4], E::kPlaysWidth)};
  if (entry.site.empty() || entry.player.empty()) return std::nullopt;
  if (columns.size() > 5)
    std::from_chars(columns[5].data(), columns[5].data() + columns[5].size(), entry.updated);
  return entry;
}

bool Ahead(const PublicEntry& a, const PublicEntry& b) {
  return AheadInTable(TablePlace{a.score, a.site, a.player}, TablePlace{b.score, b.site, b.player});
}

SiteTotals SiteFrom(const std::string& name, const std::string& loc) {
  SiteTotals site;
  site.name = TrimmedPrintable(name, E::kSiteWidth);
  site.loc = PrintableText(loc, E::kLocWidth);
  return site;
}

MonthTally::MonthTally(std::vector<SiteTotals> sites, SiteDone siteDone)
    : sites_(std::move(sites)), told_(sites_.size(), false), siteDone_(std::move(siteDone)) {
  for (std::size_t i = 0; i < sites_.size(); ++i) siteIndex_.emplace(sites_[i].name, i);
}

bool MonthTally::Add(PublicEntry entry) {
  auto found = siteIndex_.find(entry.site);
  if (found == siteIndex_.end()) {
    // Not among the sites read before: shown all the same, without a loc.
    found = siteIndex_.emplace(entry.site, sites_.size()).first;
    sites_.push_back(SiteFrom(entry.site, ""));
    told_.push_back(false);
  }
  if (open_ != found->second) {
    if (!CloseSite()) return false;
    open_ = found->second;
  }
  SiteTotals& site = sites_[found->second];
  ++site.players;
  site.best = std::max(site.best, entry.score);
  site.total += entry.score;
  site.latest = std::max(site.latest, entry.updated);
  ++players_;
  KeepIfAmongTheBest(entry);
  if (siteDone_) openRows_.push_back(std::move(entry));
  return true;
}

void MonthTally::KeepIfAmongTheBest(const PublicEntry& entry) {
  if (top_.size() == kTopPlayers) {
    if (!Ahead(entry, top_.front())) return;
    std::pop_heap(top_.begin(), top_.end(), Ahead);
    top_.pop_back();
  }
  top_.push_back(entry);
  std::push_heap(top_.begin(), top_.end(), Ahead);
}

bool MonthTally::CloseSite() {
  if (!open_) return true;
  std::size_t index = *open_;
  open_.reset();
  told_[index] = true;
  if (!siteDone_) return true;
  std::sort(openRows_.begin(), openRows_.end(), Ahead);
  RankPlayers(openRows_);
  bool taken = siteDone_(sites_[index], openRows_);
  openRows_.clear();
  return taken;
}

std::optional<MonthTables> MonthTally::Finish() {
  if (!CloseSite()) return std::nullopt;
  for (std::size_t i = 0; i < sites_.size(); ++i)
    if (!told_[i] && siteDone_ && !siteDone_(sites_[i], {})) return std::nullopt;
  MonthTables tables;
  std::sort_heap(top_.begin(), top_.end(), Ahead);
  tables.top = std::move(top_);
  RankPlayers(tables.top);
  tables.players = players_;
  std::sort(sites_.begin(), sites_.end(), SiteAhead);
  Rank(sites_, [](const SiteTotals& site) { return site.total; });
  tables.sites = std::move(sites_);
  return tables;
}

std::string ShownNumber(double score) {
  return Digits(score);
}

std::string GroupedNumber(double score) {
  std::string digits = Digits(score);
  std::size_t lead = digits.front() == '-' ? 1 : 0;
  std::string grouped = digits.substr(0, lead);
  for (std::size_t i = lead; i < digits.size(); ++i) {
    if (i > lead && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string IsoDay(std::string_view month, std::string_view lastDate) {
  if (!DayOf(month, lastDate)) return "";
  return std::string(month) + "-" + std::string(lastDate.substr(3));
}

std::string ShortDay(std::string_view month, std::string_view lastDate) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::optional<std::chrono::year_month_day> day = DayOf(month, lastDate);
  if (!day) return "";
  return std::to_string(static_cast<unsigned>(day->day())) + " " +
         std::string(kMonths[static_cast<unsigned>(day->month()) - 1]);
}

std::string IsoTime(std::int64_t seconds) {
  using namespace std::chrono;
  sys_seconds time{std::chrono::seconds(seconds)};
  sys_days day = floor<days>(time);
  year_month_day date(day);
  hh_mm_ss<std::chrono::seconds> clock(time - day);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

}  // namespace lexfray::leaguenet
