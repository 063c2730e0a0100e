#pragma once

#include <functional>
#include <string>
#include <vector>

#include "edge/pg_connection.h"
#include "publish/html_pages.h"

namespace lexfray::leaguenet {

// What the league says about itself when a publication starts.
struct LeagueFacts {
  std::string league;  // its name: as init-league --name gave it, else its database's
  std::string month;   // the month in play, YYYY-MM
  std::string made;    // now, YYYY-MM-DDTHH:MM:SSZ
};

// Every read goes through the functions of the league's read-only role, in one read-only
// transaction that sees the league as it was when Begin ran.
bool BeginReading(PgConnection& league, LeagueFacts* facts, std::string* error);
bool EndReading(PgConnection& league, std::string* error);

// Every month that has entries, newest first, and whether it still takes scores.
bool ReadMonths(PgConnection& league, std::vector<MonthSummary>* months, std::string* error);

// The league's sites, and those that left it but stay in the months they played, with no
// players counted yet.
bool ReadSites(PgConnection& league, std::vector<SiteTotals>* sites, std::vector<SiteTotals>* left,
               std::string* error);

// The entries of a month with a score above 0, each site's together, handed on in chunks
// so that memory stays small whatever the size of the league; false when the league
// failed (with *error) or each refused.
bool StreamEntries(PgConnection& league, const std::string& month,
                   const std::function<bool(PublicEntry)>& each, std::string* error);

}  // namespace lexfray::leaguenet
