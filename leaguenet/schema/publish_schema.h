#pragma once

#include <string>

#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

// The league's read-only role, through whose functions the publisher reads the league (it
// holds no privilege on any table), named after the sites' group role.
std::string ReaderRoleOf(std::string group);

// The read-only role of the league in the connected database.
bool PublishRole(PgConnection& organiser, std::string* role, std::string* error);

// Gives the read-only role a new random password and the settings that `publish` reads.
// rootCert checks the league's certificate (the system's roots when empty).
bool AddPublisher(PgConnection& organiser, const std::string& rootCert, std::string* settingsText,
                  std::string* error);

}  // namespace lexfray::leaguenet
