#pragma once

#include <string>

#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

// Sets up the league in the connected database: the schema, the group role that every
// site's role is a member of, the checks on every text and score, and the row-level
// security that lets a site write only its own entries and read everyone's. Running it
// again changes nothing. *alreadyThere tells whether the league was set up before.
bool InitLeague(PgConnection& organiser, bool* alreadyThere, std::string* error);

// The group role of the league in the connected database; false when there is no league.
bool SiteGroup(PgConnection& organiser, std::string* group, std::string* error);

}  // namespace lexfray::leaguenet
