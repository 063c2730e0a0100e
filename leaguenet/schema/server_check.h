#pragma once

#include <string>
#include <vector>

#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

// One point of the organiser's check of the server.
struct ServerPoint {
  bool holds = false;
  std::string name;
  std::string finding;  // what holds, or what is wrong and how to set it right
};

// What a site's login cannot override, and what no site may have given itself: TLS, SCRAM
// passwords, pg_hba.conf admitting only the sites' addresses, temp_file_limit,
// authentication_timeout, client_connection_check_interval, large objects out of the sites'
// reach, each site's role with its limits, the league's settings and nothing it owns, and the
// league's schema at this leaguenet's step. False only when the server cannot be asked.
bool CheckServer(PgConnection& organiser, std::vector<ServerPoint>* points, std::string* error);

// Gives each site's role that strayed its limits and the league's settings again in place of
// its own, drops what it owns in the league's database, and shuts a suspended site out again;
// the names of the sites repaired into *repaired.
bool RepairSiteRoles(PgConnection& organiser, std::vector<std::string>* repaired,
                     std::string* error);

// The longest authentication_timeout that keeps clients which never finish logging in from
// holding the server's connections for long.
inline constexpr int kLongestAuthenticationSeconds = 10;

}  // namespace lexfray::leaguenet
