#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "commands/commands.h"
#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

// The organiser's connection to the league named by --db; nothing, with the reason said on
// err, when there is none.
std::unique_ptr<PgConnection> Organiser(const Invocation& invocation, std::ostream& err,
                                        std::string* error);

// The exit code of a command whose connection Organiser() could not make.
int NoOrganiser(const Invocation& invocation);

}  // namespace lexfray::leaguenet
