#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "publish/tables.h"

namespace lexfray::leaguenet {

// The front page's table of sites, and a past month's, holds this many; the sites pages
// hold them all.
inline constexpr std::size_t kFrontPageSites = 100;
// A longer table is cut into pages of this many rows, so that every page loads at once.
inline constexpr std::size_t kRowsPerPage = 1000;

struct Leader {
  std::string player;
  std::string site;
  std::string loc;
  double score = 0;
};

// The best of a month's tables, every one that shares the first rank, with their sites' locs.
std::vector<Leader> LeadersOf(const MonthTables& tables);

struct MonthSummary {
  std::string month;  // YYYY-MM
  std::vector<Leader> leaders;  // its winners once it is over: all who share the first rank
  bool open = false;            // sites may still send scores of it
  // A past month whose kept data could not be read: its pages stay as they were, and this
  // says why.
  std::string unread;
};

// What every page says around its tables.
struct PageFrame {
  std::string league;  // the league's name
  std::string month;   // YYYY-MM of the tables on the page
  std::string made;    // when the publication was made, YYYY-MM-DDTHH:MM:SSZ
  bool inPlay = true;  // the month in play, or a past month
  bool final = false;  // a past month that takes no more scores: its final tables
  std::vector<Leader> leaders;
};

// Every text from the league, as HTML text or attribute value.
std::string HtmlEscaped(std::string_view text);

// "2026-12" as "December 2026"; anything else as it is.
std::string MonthName(std::string_view month);

// Where the pages stand within the publication. A site's page is named by its name written
// with letters, digits and hyphens only, one way for each name.
std::string SitePageName(std::string_view site);
std::string MonthPageName(std::string_view month);
std::string MonthDataName(std::string_view month);
inline constexpr std::string_view kFrontPageName = "index.html";
inline constexpr std::string_view kSitesPageName = "sites.html";
inline constexpr std::string_view kMonthsPageName = "months.html";
inline constexpr std::string_view kDataName = "standings.json";
inline constexpr std::string_view kStyleName = "style.css";
inline constexpr std::string_view kIconName = "icon.svg";

// The month's front page (the month in play) or its final tables (a past month).
std::string MonthPage(const PageFrame& frame, const MonthTables& tables);
// A table of this many rows takes this many pages; page n of a table whose first page is
// "sites.html" is "sites_pn.html" (no site's page name holds "_p").
std::size_t PageCount(std::size_t rows);
std::string NumberedPage(std::string_view firstPage, std::size_t number);
// Page number (from 1) of the sites, or of a site's players.
std::string SitesPage(const PageFrame& frame, const MonthTables& tables, std::size_t number);
std::string SitePage(const PageFrame& frame, const SiteTotals& site,
                     const std::vector<PublicEntry>& rows, std::size_t number);
std::string MonthsPage(const PageFrame& frame, const std::vector<MonthSummary>& months);

}  // namespace lexfray::leaguenet
