#pragma once

#include <string>
#include <vector>

#include "edge/pg_connection.h"
#include "exchange_plan.h"

namespace lexfray::leaguenet {

// The site the league has on record for the credentials, and the first day of the
// league's month (YYYY-MM-DD); false with *error when the credentials are no site's.
bool FetchIdentity(PgConnection& league, SiteIdentity* site, std::string* monthStart,
                   std::string* error);

struct ExchangeResult {
  SiteIdentity site;
  std::vector<Upload> sent;
  std::vector<LeagueRow> others;  // best first, at most the number asked for
};

// In one transaction: this site's entries of the month go up, the best entries of the
// other sites come back.
bool ExchangeWithLeague(PgConnection& league, const ScoreFile& file, int others, int timeoutSeconds,
                        ExchangeResult* result, std::string* error);

// The month's table of the whole league, best first.
bool FetchStandings(PgConnection& league, const std::string& monthStart, int limit,
                    std::vector<LeagueRow>* rows, std::string* error);

}  // namespace lexfray::leaguenet
