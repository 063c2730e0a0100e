#pragma once

#include <string>

#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

struct NewSite {
  std::string name;  // as given; kept in upper case without blanks at either end
  std::string loc;   // three printable characters
  // Where the site keeps the certificate of the league's own authority; empty for a league
  // whose certificate comes from a public one, checked against the system's roots.
  std::string siteCa;
};

// The site's name and loc as the league keeps them, or the reason they cannot be.
bool CheckSite(NewSite* site, std::string* error);

// Registers the site with a login role of its own and a random password, and gives back
// the site's leaguenet.conf.
bool AddSite(PgConnection& organiser, NewSite site, std::string* settingsText, std::string* error);

// The connection string a role of the league uses: where the organiser reached the league,
// with the role's own name and password and TLS that checks the server against rootCert
// (the system's roots when empty).
std::string SiteConnection(const PgConnection& organiser, const std::string& role,
                           const std::string& password, const std::string& rootCert = "");

// A password of 32 letters and digits from the system's random source.
std::string RandomPassword();

}  // namespace lexfray::leaguenet
