#pragma once

#include <string>

#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

// What became of a site's sessions when it was shut out.
struct ShutOut {
  long long sessionsLeft = 0;  // that did not end within 5 s of being told to
};

// The role can log in no more, and its sessions end.
bool ShutOutRole(PgConnection& organiser, const std::string& role, ShutOut* shutOut,
                 std::string* error);

// Removes the site whatever it did with its login: its role can log in no more, its sessions
// end, whatever it owns in any database of the server goes (organiserConninfo reaches the
// others), its entries of the months still open go, and its role is dropped. The months
// already closed stay in the league as they were published, and with them the site's name and
// loc.
bool RemoveSite(PgConnection& organiser, const std::string& organiserConninfo,
                const std::string& name, ShutOut* shutOut, std::string* error);

// The site can log in no more and its sessions end; its entries are left out of the standings
// and the pages until it is resumed.
bool SuspendSite(PgConnection& organiser, const std::string& name, ShutOut* shutOut,
                 std::string* error);

// The site takes part again.
bool ResumeSite(PgConnection& organiser, const std::string& name, std::string* error);

}  // namespace lexfray::leaguenet
