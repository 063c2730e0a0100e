#include "publish/league_source.h"

#include "rules/safe_text.h"
#include "schema/league_schema.h"

namespace lexfray::leaguenet {

namespace {

constexpr const char* kCursor = "publish_entries";

bool Unknown(std::string* error) {
  *error = "the league sent rows of an unknown form";
  return false;
}

}  // namespace

bool BeginReading(PgConnection& league, LeagueFacts* facts, std::string* error) {
  Rows rows;
  if (!league.RunScript("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", error) ||
      !league.Run("SELECT league, to_char(month, 'YYYY-MM'), made FROM league.publish_league()", {},
                  &rows, error))
    return false;
  if (rows.size() != 1 || rows[0].size() != 3) return Unknown(error);
  facts->league = TrimmedPrintable(rows[0][0], kLeagueNameWidth);
  facts->month = rows[0][1];
  facts->made = rows[0][2];
  return true;
}

bool EndReading(PgConnection& league, std::string* error) {
  return league.RunScript("COMMIT", error);
}

bool ReadMonths(PgConnection& league, std::vector<MonthSummary>* months, std::string* error) {
  Rows rows;
  // The leaders come from the month's own tables, where every tied one is seen.
  if (!league.Run("SELECT to_char(month, 'YYYY-MM'), open FROM league.publish_months()", {}, &rows,
                  error))
    return false;
  for (const std::vector<std::string>& columns : rows) {
    if (columns.size() != 2) return Unknown(error);
    months->push_back({columns[0], {}, columns[1] == "t", {}});
  }
  return true;
}

bool ReadSites(PgConnection& league, std::vector<SiteTotals>* sites, std::vector<SiteTotals>* left,
               std::string* error) {
  Rows rows;
  if (!league.Run("SELECT * FROM league.publish_sites()", {}, &rows, error)) return false;
  for (const std::vector<std::string>& columns : rows) {
    // A league not yet brought up to date says nothing of sites that left.
    if (columns.size() != 2 && columns.size() != 3) return Unknown(error);
    bool in = columns.size() == 2 || columns[2] == "t";
    (in ? sites : left)->push_back(SiteFrom(columns[0], columns[1]));
  }
  return true;
}

bool StreamEntries(PgConnection& league, const std::string& month,
                   const std::function<bool(PublicEntry)>& each, std::string* error) {
  if (!league.Run("SELECT league.publish_entries(($1 || '-01')::date, $2)", {month, kCursor},
                  nullptr, error))
    return false;
  RowSink take = [&](const std::vector<std::string_view>& columns) {
    std::optional<PublicEntry> entry = PublicEntryFrom(columns);
    return !entry || each(std::move(*entry));
  };
  return league.RunEach(std::string("FETCH ALL FROM ") + kCursor, {}, take, error) &&
         league.RunScript(std::string("CLOSE ") + kCursor, error);
}

}  // namespace lexfray::leaguenet
