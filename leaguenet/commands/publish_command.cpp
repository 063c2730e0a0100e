#include <algorithm>
#include <ostream>

#include "commands/commands.h"
#include "edge/publish_folder.h"
#include "publish/json_data.h"
#include "publish/kept_month.h"
#include "publish/league_source.h"
#include "publish/style_sheet.h"

namespace lexfray::leaguenet {

namespace {

// A first publication of a large league writes every past month; later ones only the
// month in play.
constexpr int kPublishSeconds = 600;
// A past month's data holds its best players and its sites: far less than this.
constexpr std::size_t kDataLimit = 64 << 20;

struct Counts {
  std::size_t players = 0;
  std::size_t sites = 0;
  std::size_t pastMonths = 0;
  std::size_t carriedOver = 0;
  std::vector<std::string> unread;  // past months kept as they were, though unreadable, and why
};

// One publication: everything read in one transaction, written into a new build.
class Publisher {
 public:
  Publisher(PgConnection& league, PublicationFolder& folder) : league_(league), folder_(folder) {}

  bool Run(Counts* counts, std::string* error) {
    if (!BeginReading(league_, &facts_, error) || !ReadMonths(league_, &months_, error) ||
        !ReadSites(league_, &sites_, &left_, error))
      return false;
    std::vector<MonthSummary> past;
    std::copy_if(months_.begin(), months_.end(), std::back_inserter(past),
                 [&](const MonthSummary& month) { return month.month < facts_.month; });
    for (MonthSummary& month : past)
      if (!PastMonth(month, counts, error)) return false;
    counts->pastMonths = past.size();
    if (!MonthInPlay(past, counts, error)) return false;
    PageFrame frame = Frame(facts_.month, true);
    frame.leaders = leaders_;
    return Write(std::string(kMonthsPageName), MonthsPage(frame, past), error) &&
           Write(std::string(kStyleName), kStylesheet, error) &&
           Write(std::string(kIconName), kIcon, error) && EndReading(league_, error);
  }

 private:
  PageFrame Frame(const std::string& month, bool inPlay) const {
    PageFrame frame{facts_.league, month, facts_.made, inPlay, false, {}};
    for (const MonthSummary& summary : months_)
      if (summary.month == month) frame.final = !inPlay && !summary.open;
    return frame;
  }

  bool Write(const std::string& name, std::string_view text, std::string* error) {
    return folder_.Write(name, text, error);
  }

  // Each site's page is written as soon as its rows are complete.
  bool MonthInPlay(const std::vector<MonthSummary>& past, Counts* counts, std::string* error) {
    PageFrame frame = Frame(facts_.month, true);
    MonthTally tally(sites_, [&](const SiteTotals& site, const std::vector<PublicEntry>& rows) {
      for (std::size_t n = 1; n <= PageCount(rows.size()); ++n)
        if (!Write(NumberedPage(SitePageName(site.name), n), SitePage(frame, site, rows, n), error))
          return false;
      return true;
    });
    if (!StreamEntries(
            league_, facts_.month, [&](PublicEntry entry) { return tally.Add(std::move(entry)); },
            error))
      return false;
    std::optional<MonthTables> tables = tally.Finish();
    if (!tables) return false;
    leaders_ = frame.leaders = LeadersOf(*tables);
    counts->players = tables->players;
    counts->sites = tables->sites.size();
    for (std::size_t n = 1; n <= PageCount(tables->sites.size()); ++n)
      if (!Write(NumberedPage(kSitesPageName, n), SitesPage(frame, *tables, n), error))
        return false;
    return Write(std::string(kFrontPageName), MonthPage(frame, *tables), error) &&
           Write(std::string(kDataName), MonthData(frame, *tables, past), error);
  }

  // A past month's final tables are written once, at the first publication after the month
  // closed, and carried over from one publication to the next: they stay as they were, and a
  // publication reads only the months still open. The league keeps a closed month as it was
  // too, the sites that left it since included, so that a publication made afresh shows it
  // the same. A month carried over names its winners from the data kept of it; kept
  // data that cannot be read is carried over all the same, and said so, never written anew
  // from what the league holds now.
  bool PastMonth(MonthSummary& month, Counts* counts, std::string* error) {
    std::string pageName = MonthPageName(month.month);
    std::string dataName = MonthDataName(month.month);
    if (folder_.Replaces(pageName) || folder_.Replaces(dataName)) {
      std::optional<std::string> data = folder_.ReadReplaced(dataName, kDataLimit);
      KeptMonth kept = data ? ReadKeptMonth(*data)
                            : KeptMonth{KeptMonth::State::kUnreadable,
                                        {},
                                        "it is missing, not a plain file, or too large"};
      if (kept.state != KeptMonth::State::kOpen) {
        bool pageKept = folder_.CarryOver(pageName);
        bool dataKept = folder_.CarryOver(dataName);
        if (kept.state == KeptMonth::State::kFinal && !(pageKept && dataKept))
          kept = {KeptMonth::State::kUnreadable, {}, "its page or its data is missing"};
        month.leaders = std::move(kept.winners);
        if (kept.state == KeptMonth::State::kUnreadable) {
          month.unread = "the data kept of this month cannot be read: " + kept.why;
          counts->unread.push_back(dataName + ": " + kept.why);
        }
        ++counts->carriedOver;
        return true;
      }
    }
    PageFrame frame = Frame(month.month, false);
    std::vector<SiteTotals> sites = sites_;
    sites.insert(sites.end(), left_.begin(), left_.end());
    MonthTally tally(std::move(sites), nullptr);
    if (!StreamEntries(
            league_, month.month, [&](PublicEntry entry) { return tally.Add(std::move(entry)); },
            error))
      return false;
    std::optional<MonthTables> tables = tally.Finish();
    if (!tables) return false;
    std::erase_if(tables->sites, [](const SiteTotals& site) { return site.players == 0; });
    month.leaders = frame.leaders = LeadersOf(*tables);
    return Write(pageName, MonthPage(frame, *tables), error) &&
           Write(dataName, MonthData(frame, *tables, {}), error);
  }

  PgConnection& league_;
  PublicationFolder& folder_;
  LeagueFacts facts_;
  std::vector<MonthSummary> months_;
  std::vector<SiteTotals> sites_;  // the league's sites, none counted
  std::vector<SiteTotals> left_;   // the sites that left it, in the months they played
  std::vector<Leader> leaders_;    // of the month in play
};

}  // namespace

int RunPublish(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (invocation.out.empty()) {
    err << "leaguenet: publish needs --out DIR, the path the web server serves the pages from\n";
    return kUsage;
  }
  std::string conninfo = invocation.database;
  std::string error;
  if (conninfo.empty()) {
    LeagueSettings settings;
    std::string where;
    if (!LoadSettings(invocation, &settings, &where, &error)) return Fail(err, error);
    if (std::optional<std::string> open = OpenPassword(settings, where, "chmod 600"))
      err << "leaguenet: warning: " << *open << '\n';
    conninfo = settings.league;
  }
  std::unique_ptr<PublicationFolder> folder = PublicationFolder::Begin(invocation.out, &error);
  if (!folder) return Fail(err, "cannot publish: " + error);
  std::unique_ptr<PgConnection> league = PgConnection::Open(
      conninfo, {}, Clock::now() + std::chrono::seconds(kPublishSeconds), &error);
  if (!league) return Fail(err, error);
  Counts counts;
  if (!Publisher(*league, *folder).Run(&counts, &error))
    return Fail(err, "cannot publish: " + error);
  league.reset();
  if (!folder->Swap(&error)) return Fail(err, "cannot publish: " + error);
  out << "Published " << counts.players << " players of " << counts.sites << " sites, and "
      << counts.pastMonths << " past months (" << counts.carriedOver
      << " kept from the last publication), into " << invocation.out << ".\n";
  for (const std::string& unread : counts.unread)
    err << "leaguenet: " << unread << "; the month's pages stay as they were, and the months "
        << "page says so\n";
  return kDone;
}

}  // namespace lexfray::leaguenet
