#include "publish/html_pages.h"

#include <array>
#include <unordered_map>

#include "exchange/exchange_plan.h"

namespace lexfray::leaguenet {

namespace {

struct NavItem {
  std::string_view page;
  std::string_view label;
};
constexpr std::array<NavItem, 4> kNav = {{{kFrontPageName, "This month"},
                                          {kSitesPageName, "Sites"},
                                          {kMonthsPageName, "Past months"},
                                          {kDataName, "Data (JSON)"}}};

// 1234567 as "1,234,567", for counts in sentences.
std::string Grouped(std::size_t count) {
  return GroupedNumber(static_cast<double>(count));
}

std::string Plural(std::size_t count, std::string_view one, std::string_view many) {
  return Grouped(count) + " " + std::string(count == 1 ? one : many);
}

// From a page to the top of the publication.
std::string RootOf(std::string_view page) {
  return page.find('/') == std::string_view::npos ? "" : "../";
}

// The line under the header bar, as the game's standings show the Score-To-Beat; players
// who share the first rank are named too, up to a line's worth: the table below the header
// shows them all.
std::string LeaderLine(std::string_view label, const std::vector<Leader>& leaders) {
  constexpr std::size_t kMostNamed = 10;
  std::string line = "<p class=\"beat\"><span>" + std::string(label) + "&gt;</span> ";
  if (leaders.empty()) return line + std::string(kNoLeader) + "</p>\n";
  std::size_t named = leaders.size() > kMostNamed ? kMostNamed - 1 : leaders.size();
  for (std::size_t i = 0; i < named; ++i)
    line += std::string(i == 0                    ? ""
                        : i + 1 == leaders.size() ? " and "
                                                  : "; ") +
            HtmlEscaped(leaders[i].player) + ", " + HtmlEscaped(leaders[i].site);
  if (named < leaders.size()) line += " and " + Plural(leaders.size() - named, "other", "others");
  return line + (leaders.size() > 1 ? ", tied on " : " ") + ShownNumber(leaders[0].score) +
         "</p>\n";
}

std::string LeaderLine(const PageFrame& frame) {
  std::string_view one = frame.inPlay ? "Score-To-Beat" : frame.final ? "Winner" : "Leader";
  std::string_view many = frame.inPlay ? "Score-To-Beat" : frame.final ? "Winners" : "Leaders";
  return LeaderLine(frame.leaders.size() > 1 ? many : one, frame.leaders);
}

std::string Head(const PageFrame& frame, std::string_view page, const std::string& what,
                 const std::string& leaderLine) {
  std::string root = RootOf(page);
  std::string title = HtmlEscaped(frame.league) + " LeagueNET standings, " + what;
  std::string text =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      // No script, and nothing from anywhere else, whatever a name may hold.
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'self'; img-src 'self'\">\n"
      "<meta name=\"color-scheme\" content=\"dark light\">\n<title>" +
      title + "</title>\n<link rel=\"stylesheet\" href=\"" + root + std::string(kStyleName) +
      "\">\n<link rel=\"icon\" href=\"" + root + std::string(kIconName) +
      "\" type=\"image/svg+xml\">\n</head>\n<body>\n<header class=\"board\">\n"
      "<p class=\"bar\">LEXFRAY LeagueNET Standings</p>\n" +
      leaderLine + "</header>\n<nav aria-label=\"League pages\"><ul>";
  for (const NavItem& item : kNav)
    text += item.page == page ? "<li><span>" + std::string(item.label) + "</span>"
                              : "<li><a href=\"" + root + std::string(item.page) + "\">" +
                                    std::string(item.label) + "</a>";
  return text + "</ul></nav>\n<main>\n";
}

// The footer says when the page's news is from: the publication, or a site's latest scores,
// which keeps a site's page the same from one publication to the next until it changes.
std::string Head(const PageFrame& frame, std::string_view page, const std::string& what) {
  return Head(frame, page, what, LeaderLine(frame));
}

std::string Foot(std::string_view label, const std::string& when) {
  std::string text = "</main>\n<footer><p>";
  if (!when.empty())
    text += std::string(label) + " <time datetime=\"" + HtmlEscaped(when) + "\">" +
            HtmlEscaped(when.substr(0, 10) + " " + when.substr(11, 5) + " UTC") + "</time>. ";
  return text +
         "Months follow the league's clock (UTC); a score is a player's total of the month. "
         "Made by leaguenet.</p></footer>\n</body>\n</html>\n";
}

std::string Foot(const PageFrame& frame) {
  return Foot("Made", frame.made);
}

std::string Heading(const PageFrame& frame, const std::string& what) {
  return "<h1><span class=\"league\">" + HtmlEscaped(frame.league) + "</span> " + what + "</h1>\n";
}

// A table that scrolls sideways on its own where the page is narrower than the table.
std::string TableStart(std::string_view id, std::string_view kind, const std::string& caption,
                       std::initializer_list<std::string_view> columns) {
  std::string text = "<div class=\"scroll\" role=\"region\" aria-labelledby=\"" + std::string(id) +
                     "\" tabindex=\"0\">\n<table class=\"" + std::string(kind) +
                     "\">\n<caption id=\"" + std::string(id) + "\">" + caption +
                     "</caption>\n<thead><tr>";
  for (std::string_view column : columns) text += "<th scope=\"col\">" + std::string(column);
  return text + "</thead>\n<tbody>\n";
}

constexpr const char* kTableEnd = "</tbody>\n</table>\n</div>\n";

// The day an entry was last played, as "8 Dec".
std::string LastPlayed(const PageFrame& frame, const PublicEntry& entry) {
  return HtmlEscaped(ShortDay(frame.month, entry.lastDate));
}

std::string SiteCell(const PageFrame& frame, std::string_view page, const std::string& site) {
  if (!frame.inPlay) return HtmlEscaped(site);
  return "<a href=\"" + RootOf(page) + SitePageName(site) + "\">" + HtmlEscaped(site) + "</a>";
}

// The rows of one page of a table: from the first to before the last.
struct Slice {
  std::size_t first = 0;
  std::size_t last = 0;
};

Slice PageSlice(std::size_t rows, std::size_t number) {
  std::size_t first = std::min(rows, (number - 1) * kRowsPerPage);
  return {first, std::min(rows, first + kRowsPerPage)};
}

std::string Range(Slice slice, std::size_t rows, std::string_view what) {
  if (slice.first == 0 && slice.last == rows) return Plural(rows, what, std::string(what) + "s");
  if (slice.first == 0)
    return "the best " + Grouped(slice.last) + " of " + Grouped(rows) + " " + std::string(what) +
           "s";
  return Grouped(slice.first + 1) + " to " + Grouped(slice.last) + " of " + Grouped(rows) + " " +
         std::string(what) + "s";
}

std::string PlayersTable(const PageFrame& frame, std::string_view page, const MonthTables& tables) {
  std::string text = TableStart(
      "players", "players",
      "League table, best first: " + Range({0, tables.top.size()}, tables.players, "player"),
      {"Rank", "Player", "Site", "LOC", "Score", "Games", "Last played"});
  std::unordered_map<std::string_view, std::string_view> locs;
  for (const SiteTotals& site : tables.sites) locs.emplace(site.name, site.loc);
  for (const PublicEntry& entry : tables.top)
    text += "<tr><td>" + std::to_string(entry.rank) + "<th scope=\"row\">" +
            HtmlEscaped(entry.player) + "<td>" + SiteCell(frame, page, entry.site) + "<td>" +
            HtmlEscaped(locs[entry.site]) + "<td>" + ShownNumber(entry.score) + "<td>" +
            HtmlEscaped(entry.plays) + "<td>" + LastPlayed(frame, entry) + "\n";
  return text + kTableEnd;
}

// Links to every page of a table that does not fit on one.
std::string Pager(std::string_view firstPage, std::size_t number, std::size_t rows,
                  std::string_view where) {
  std::size_t count = PageCount(rows);
  if (count == 1) return "";
  std::string text =
      "<nav class=\"pages\" aria-label=\"Pages of the table, " + std::string(where) + "\"><ul>";
  for (std::size_t n = 1; n <= count; ++n) {
    std::string page = NumberedPage(firstPage, n);
    std::string file = page.substr(page.rfind('/') + 1);
    text += n == number ? "<li><span>" + std::to_string(n) + "</span>"
                        : "<li><a href=\"" + file + "\">" + std::to_string(n) + "</a>";
  }
  return text + "</ul></nav>\n";
}

std::string SitesTable(const PageFrame& frame, std::string_view page, const MonthTables& tables,
                       Slice slice) {
  std::string text = TableStart(
      "sites", "sites",
      "Sites by the sum of their players' scores: " + Range(slice, tables.sites.size(), "site"),
      {"Rank", "Site", "LOC", "Players", "Best score", "Sum of scores"});
  for (std::size_t i = slice.first; i < slice.last; ++i) {
    const SiteTotals& site = tables.sites[i];
    text += "<tr><td>" + std::to_string(site.rank) + "<th scope=\"row\">" +
            SiteCell(frame, page, site.name) + "<td>" + HtmlEscaped(site.loc) + "<td>" +
            std::to_string(site.players) + "<td>" + ShownNumber(site.best) + "<td>" +
            GroupedNumber(site.total) + "\n";
  }
  return text + kTableEnd;
}

std::string NoScores(const PageFrame& frame) {
  return frame.inPlay ? "<p class=\"none\">No scores yet this month.</p>\n"
                      : "<p class=\"none\">No scores this month.</p>\n";
}

}  // namespace

std::vector<Leader> LeadersOf(const MonthTables& tables) {
  std::unordered_map<std::string_view, std::string_view> locs;
  for (const SiteTotals& site : tables.sites) locs.emplace(site.name, site.loc);
  std::vector<Leader> leaders;
  for (const PublicEntry& entry : tables.top) {
    if (entry.rank != 1) break;
    leaders.push_back({entry.player, entry.site, std::string(locs[entry.site]), entry.score});
  }
  return leaders;
}

std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string MonthName(std::string_view month) {
  static constexpr std::array<std::string_view, 12> kNames = {
      "January", "February", "March",     "April",   "May",      "June",
      "July",    "August",   "September", "October", "November", "December"};
  if (month.size() != 7 || month[4] != '-') return std::string(month);
  int number = (month[5] - '0') * 10 + (month[6] - '0');
  if (number < 1 || number > 12) return std::string(month);
  return std::string(kNames[static_cast<std::size_t>(number - 1)]) + " " +
         std::string(month.substr(0, 4));
}

std::string SitePageName(std::string_view site) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name = "site/";
  for (char c : site) {
    auto byte = static_cast<unsigned char>(c);
    if (c >= 'A' && c <= 'Z')
      name += static_cast<char>(c - 'A' + 'a');
    else if (c >= '0' && c <= '9')
      name += c;
    else if (c == ' ')
      name += '-';
    else
      name += {'_', kHex[byte >> 4], kHex[byte & 15]};
  }
  return name + ".html";
}

std::string MonthPageName(std::string_view month) {
  return "month/" + std::string(month) + ".html";
}

std::string MonthDataName(std::string_view month) {
  return "month/" + std::string(month) + ".json";
}

std::string MonthPage(const PageFrame& frame, const MonthTables& tables) {
  std::string page = frame.inPlay ? std::string(kFrontPageName) : MonthPageName(frame.month);
  std::string month = MonthName(frame.month);
  std::string text =
      Head(frame, page, month) +
      Heading(frame, frame.inPlay  ? month
                     : frame.final ? month + ", final tables"
                                   : month + ", tables so far: late scores may still come");
  if (tables.players == 0) return text + NoScores(frame) + Foot(frame);
  text += PlayersTable(frame, page, tables);
  // A past month's page is its front page as the month ended; its data holds every site.
  text += SitesTable(frame, page, tables, {0, std::min(kFrontPageSites, tables.sites.size())});
  if (frame.inPlay && tables.sites.size() > kFrontPageSites)
    text += "<p class=\"more\"><a href=\"" + std::string(kSitesPageName) + "\">All " +
            Plural(tables.sites.size(), "site", "sites") + "</a></p>\n";
  return text + Foot(frame);
}

std::size_t PageCount(std::size_t rows) {
  return std::max<std::size_t>(1, (rows + kRowsPerPage - 1) / kRowsPerPage);
}

std::string NumberedPage(std::string_view firstPage, std::size_t number) {
  std::string page(firstPage);
  if (number > 1) page.insert(page.size() - 5, "_p" + std::to_string(number));
  return page;
}

std::string SitesPage(const PageFrame& frame, const MonthTables& tables, std::size_t number) {
  std::string month = MonthName(frame.month);
  std::string page = NumberedPage(kSitesPageName, number);
  std::size_t rows = tables.sites.size();
  return Head(frame, page, "sites, " + month) + Heading(frame, "Sites, " + month) +
         Pager(kSitesPageName, number, rows, "above") +
         SitesTable(frame, page, tables, PageSlice(rows, number)) +
         Pager(kSitesPageName, number, rows, "below") + Foot(frame);
}

std::string SitePage(const PageFrame& frame, const SiteTotals& site,
                     const std::vector<PublicEntry>& rows, std::size_t number) {
  std::string page = NumberedPage(SitePageName(site.name), number);
  std::string month = MonthName(frame.month);
  // The site's own best rather than the league's leader, whose every game would change
  // every site's page.
  std::vector<Leader> best;
  for (std::size_t i = 0; i < rows.size() && rows[i].rank == 1; ++i)
    best.push_back({rows[i].player, site.name, site.loc, rows[i].score});
  std::string text = Head(frame, page, HtmlEscaped(site.name) + ", " + month,
                          !best.empty() ? LeaderLine("Best of the site", best)
                                        : "<p class=\"beat\">No scores from this site yet.</p>\n") +
                     "<h1><span class=\"league\">" + HtmlEscaped(frame.league) +
                     "</span> <span class=\"site\">" + HtmlEscaped(site.name) +
                     "</span> <span class=\"loc\">" + HtmlEscaped(site.loc) + "</span></h1>\n";
  std::string foot = Foot("Latest scores from this site:", site.latest ? IsoTime(site.latest) : "");
  if (rows.empty()) return text + NoScores(frame) + foot;
  text += "<p class=\"totals\">" + month + ": " + Plural(rows.size(), "player", "players") +
          ", best score <span class=\"score\">" + ShownNumber(site.best) +
          "</span>, sum of scores <span class=\"score\">" + GroupedNumber(site.total) +
          "</span></p>\n";
  Slice slice = PageSlice(rows.size(), number);
  text += Pager(SitePageName(site.name), number, rows.size(), "above") +
          TableStart(
              "players", "site-players",
              "Players of " + HtmlEscaped(site.name) + ": " + Range(slice, rows.size(), "player"),
              {"Rank", "Player", "Score", "Games", "Last played"});
  for (std::size_t i = slice.first; i < slice.last; ++i)
    text += "<tr><td>" + std::to_string(rows[i].rank) + "<th scope=\"row\">" +
            HtmlEscaped(rows[i].player) + "<td>" + ShownNumber(rows[i].score) + "<td>" +
            HtmlEscaped(rows[i].plays) + "<td>" + LastPlayed(frame, rows[i]) + "\n";
  return text + kTableEnd + Pager(SitePageName(site.name), number, rows.size(), "below") + foot;
}

std::string MonthsPage(const PageFrame& frame, const std::vector<MonthSummary>& months) {
  std::string text = Head(frame, kMonthsPageName, "past months") + Heading(frame, "Past months");
  std::string rows;
  for (const MonthSummary& month : months) {
    if (month.month >= frame.month) continue;
    std::string name = "<tr><th scope=\"row\"><a href=\"" + MonthPageName(month.month) + "\">" +
                       MonthName(month.month) + "</a>";
    // Winners who share the first rank take a row each.
    for (const Leader& leader : month.leaders)
      rows += name + "<td>" + HtmlEscaped(leader.player) + "<td>" + HtmlEscaped(leader.site) +
              "<td>" + HtmlEscaped(leader.loc) + "<td>" + ShownNumber(leader.score) + "\n";
    if (!month.unread.empty())
      rows += name +
              "<td class=\"unread\" colspan=\"4\">Winners not shown: " + HtmlEscaped(month.unread) +
              "\n";
    else if (month.leaders.empty())
      rows += name + "<td><td><td><td>\n";
  }
  if (rows.empty()) return text + "<p class=\"none\">No past months yet.</p>\n" + Foot(frame);
  return text +
         TableStart("months", "months", "Past months and their winners, newest first",
                    {"Month", "Winner", "Site", "LOC", "Score"}) +
         rows + kTableEnd + Foot(frame);
}

}  // namespace lexfray::leaguenet
