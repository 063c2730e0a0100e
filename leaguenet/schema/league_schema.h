#pragma once

#include <string>

#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

// Sets up the league in the connected database, or brings a league made by an earlier
// version up to date keeping its entries: the schema and its tables, which belong to the
// organiser alone; the group role that every site's role is a member of, which may only call
// the league's functions (upload this site's entries of its month, read the standings); the
// checks on every text and score, and row-level security, behind them. Running it again
// changes nothing. *alreadyThere tells whether the league was set up before.
bool InitLeague(PgConnection& organiser, bool* alreadyThere, std::string* error);

// The group role of the league in the connected database; false when there is no league.
bool SiteGroup(PgConnection& organiser, std::string* group, std::string* error);

// What every site's role is allowed and limited to, as statements for the role named.
std::string SiteRoleLimits(PgConnection& organiser, const std::string& role);

// At most this many connections of one site at a time: an exchange takes one.
inline constexpr int kSiteConnections = 3;

}  // namespace lexfray::leaguenet
