#pragma once

#include <memory>
#include <string>
#include <vector>

#include "edge/pg_connection.h"
#include "exchange/exchange_plan.h"

namespace lexfray::leaguenet {

// The site the league has on record for the credentials; false with *error when they are
// no site's. *leagueDate, when given, is the league's date (UTC on the server, YYYY-MM-DD).
bool FetchIdentity(PgConnection& league, SiteIdentity* site, std::string* error,
                   std::string* leagueDate = nullptr);

// Connects to the league, again while the server says it is full (too many connections),
// after waits that grow and are spread at random, until the deadline is near. *attempts
// counts the connections tried.
std::unique_ptr<PgConnection> ConnectToLeague(const std::string& conninfo,
                                              const ConnectPolicy& policy, Deadline deadline,
                                              int* attempts, std::string* error);

// What a connection says of the attempts it took: nothing when the first was let in.
std::string FullLeagueNote(int attempts);

// What an exchange sends and asks for.
struct ExchangeRequest {
  const ScoreFile& file;
  SiteMonth month;
  MonthPlayers players;  // of the player file
  int others = 0;
  int timeoutSeconds = 0;
};

struct ExchangeResult {
  SiteIdentity site;
  std::vector<Upload> sent;       // what the league took
  std::size_t refused = 0;        // entries the league refused as none the game can write
  std::vector<LeagueRow> others;  // best first, at most the number asked for
};

// In one statement of the league (one transaction): this site's entries of its month go up,
// the best entries of the other sites of that month come back.
bool ExchangeWithLeague(PgConnection& league, const ExchangeRequest& request,
                        ExchangeResult* result, std::string* error);

// The league's name, as its organiser gave it (the database's name when none was given).
bool FetchLeagueName(PgConnection& league, std::string* name, std::string* error);

// The best entries of the month, of the whole league or of the other sites only.
bool FetchStandings(PgConnection& league, const SiteMonth& month, int limit, bool othersOnly,
                    std::vector<LeagueRow>* rows, std::string* error);

}  // namespace lexfray::leaguenet
