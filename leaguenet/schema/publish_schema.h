#pragma once

#include <string>

#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

// The read-only role of the league in the connected database, named after its site group.
bool PublishRole(PgConnection& organiser, std::string* role, std::string* error);

// Sets up the league's read-only role and the functions through which it reads the league
// for its public pages; it holds no privilege on any table. Running it again changes nothing.
bool InitPublishing(PgConnection& organiser, std::string* error);

// Gives the read-only role a new random password and the settings that `publish` reads.
// rootCert checks the league's certificate (the system's roots when empty).
bool AddPublisher(PgConnection& organiser, const std::string& rootCert, std::string* settingsText,
                  std::string* error);

}  // namespace lexfray::leaguenet
