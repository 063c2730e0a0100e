#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "edge/pg_connection.h"

namespace lexfray::leaguenet {

// The step of the league's schema that this leaguenet brings a league to and expects.
int SchemaStep();

struct LeagueSetup {
  std::optional<std::string> name;  // the league's name from now on, blanks at either end cut
  // News for the organiser while a site holds the upgrade up.
  std::function<void(const std::string&)> say = [](const std::string&) {};
};

struct LeagueState {
  bool there = false;     // the database holds a league
  int step = 0;           // of its schema: 0 for a league made before the steps were counted
  std::string functions;  // the md5 of its functions and privileges as applied
  std::string database;
  std::string group;  // the group role of its sites
};

struct SetupResult {
  LeagueState before;
  bool changed = false;  // the schema was brought to this leaguenet's
  std::string name;      // the league's name afterwards
  bool ownName = false;  // false: it goes by the database's name
};

// Sets up the league in the connected database, or brings it from the step it is at to this
// leaguenet's, keeping its entries, and gives it its name when one is given. The tables belong
// to the organiser alone; the sites' group role may only call the league's functions, and the
// read-only role only the publisher's. A league already at this step is left as it is, without
// any lock that a site's work waits on. An upgrade waits for its locks briefly and tries again
// while a site holds them, telling setup.say; it gives up, changing nothing, within 10 s.
bool SetUpLeague(PgConnection& organiser, const LeagueSetup& setup, SetupResult* result,
                 std::string* error);

// What the connected database holds; false only when it cannot be asked.
bool ReadLeagueState(PgConnection& organiser, LeagueState* state, std::string* error);

// Whether the league in the state read is at this leaguenet's step, with its functions and
// privileges; false only when that cannot be asked.
bool IsUpToDate(PgConnection& organiser, const LeagueState& state, bool* upToDate,
                std::string* error);

// The group role of the league in the connected database; false when there is no league, or
// one at another step than this leaguenet's.
bool SiteGroup(PgConnection& organiser, std::string* group, std::string* error);

// At most this many connections of one site at a time: an exchange takes one.
inline constexpr int kSiteConnections = 3;

// The longest name a league may have.
inline constexpr std::size_t kLeagueNameWidth = 60;

}  // namespace lexfray::leaguenet
