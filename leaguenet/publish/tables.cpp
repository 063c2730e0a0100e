#include "publish/tables.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "league/competition_records.h"
#include "rules/league_rows.h"
#include "rules/safe_text.h"

namespace lexfray::leaguenet {

namespace {

using E = CompetitionEntry;

bool SiteAhead(const SiteTotals& a, const SiteTotals& b) {
  if (a.total != b.total) return a.total > b.total;
  if (a.best != b.best) return a.best > b.best;
  return a.name < b.name;
}

}  // namespace

std::optional<PublicEntry> PublicEntryFrom(const std::vector<std::string_view>& columns) {
  if (columns.size() < 5) return std::nullopt;
  std::optional<double> score = ParseScore(std::string(columns[2]));
  if (!score || !IsSaneScore(*score)) return std::nullopt;
  PublicEntry entry{
      TrimmedPrintable(columns[0], E::kSiteWidth), TrimmedPrintable(columns[1], E::kPlayerWidth),
      *score, BarePrintable(columns[3], E::kDateWidth), BarePrintable(columns[4], E::kPlaysWidth)};
  if (entry.site.empty() || entry.player.empty()) return std::nullopt;
  if (columns.size() > 5)
    std::from_chars(columns[5].data(), columns[5].data() + columns[5].size(), entry.updated);
  return entry;
}

bool Ahead(const PublicEntry& a, const PublicEntry& b) {
  if (a.score != b.score) return a.score > b.score;
  if (a.site != b.site) return a.site < b.site;
  return a.player < b.player;
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
  tables.players = players_;
  std::sort(sites_.begin(), sites_.end(), SiteAhead);
  tables.sites = std::move(sites_);
  return tables;
}

std::vector<std::size_t> SharedRanks(const std::vector<double>& shownValues) {
  std::vector<std::size_t> ranks(shownValues.size());
  for (std::size_t i = 0; i < shownValues.size(); ++i)
    ranks[i] = i > 0 && shownValues[i] == shownValues[i - 1] ? ranks[i - 1] : i + 1;
  return ranks;
}

double ShownScore(double score) {
  return std::floor(score);
}

std::string ShownNumber(double score) {
  // Every sane score, and the sum of ten thousand of them, is exact in 64 bits.
  double shown = ShownScore(score);
  if (!(std::fabs(shown) < 9e18)) return "0";
  char text[24];
  std::to_chars_result written =
      std::to_chars(text, text + sizeof text, static_cast<long long>(shown));
  return std::string(text, written.ptr);
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
