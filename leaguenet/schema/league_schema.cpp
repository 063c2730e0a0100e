#include "schema/league_schema.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include "edge/system.h"
#include "league/competition_records.h"
#include "league/score_file.h"
#include "players/player_record.h"
#include "schema/league_sql.h"
#include "schema/publish_schema.h"

namespace lexfray::leaguenet {

namespace {

// An upgrade waits this long for a lock, then lets the sites' work queued behind it through
// and tries again, for so long in all: neither a site's open transaction nor init-league holds
// the league up.
constexpr auto kLockWait = std::chrono::milliseconds(1000);
constexpr auto kBetweenTries = std::chrono::milliseconds(1000);
constexpr auto kTryFor = std::chrono::seconds(7);

// Roles belong to the whole server, so each league's roles are named after its database.
std::string GroupRoleBase(const std::string& database) {
  std::string prefix;
  for (char c : database.substr(0, 40))
    prefix += std::isalnum(static_cast<unsigned char>(c))
                  ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                  : '_';
  return prefix;
}

// A group role name that no other league of the server uses yet.
bool FreeGroupName(PgConnection& organiser, const std::string& database, std::string* group,
                   std::string* error) {
  std::string base = GroupRoleBase(database);
  for (int n = 0; n < 1000; ++n) {
    std::string candidate = base + (n == 0 ? "" : "_" + std::to_string(n)) + "_sites";
    Rows rows;
    if (!organiser.Run("SELECT 1 FROM pg_roles WHERE rolname = $1", {candidate}, &rows, error))
      return false;
    if (rows.empty()) {
      *group = candidate;
      return true;
    }
  }
  *error = "no free name for the league's group role";
  return false;
}

// The league's SQL with its marks (@NAME@) filled in: the roles of this league, and the game's
// limits, which the SQL takes from here rather than saying them again.
bool Filled(const PgConnection& organiser, const std::string& group, std::string_view sql,
            std::string* filled, std::string* error) {
  using E = CompetitionEntry;
  std::string reader = ReaderRoleOf(group);
  const std::pair<std::string_view, std::string> marks[] = {
      {"SITES", organiser.QuoteIdentifier(group)},
      {"SITES_NAME", organiser.QuoteLiteral(group)},
      {"READER", organiser.QuoteIdentifier(reader)},
      {"READER_NAME", organiser.QuoteLiteral(reader)},
      {"MOST_SCORE", std::to_string(static_cast<long long>(kMostMonthlyScore))},
      {"MOST_GAME_SCORE", std::to_string(static_cast<long long>(kMostGameScore))},
      {"MOST_ENTRIES", std::to_string(kMostPlayers)},
      {"MOST_ROWS", std::to_string(kMostScoreEntries)},
      {"PLAYER_WIDTH", std::to_string(PlayerRecord::kNameWidth)},
      {"ENTRY_NAME_WIDTH", std::to_string(E::kPlayerWidth)},
      {"PLAYS_WIDTH", std::to_string(E::kPlaysWidth)},
      {"GAME_CODE_WIDTH", std::to_string(E::kGameCodeWidth)},
      {"SITE_CONNECTIONS", std::to_string(kSiteConnections)},
      {"NAME_WIDTH", std::to_string(kLeagueNameWidth)},
  };
  for (std::size_t at = sql.find('@'); at != std::string_view::npos; at = sql.find('@')) {
    std::size_t end = sql.find('@', at + 1);
    std::string_view mark = sql.substr(at + 1, end == std::string_view::npos ? 0 : end - at - 1);
    auto known = std::find_if(std::begin(marks), std::end(marks),
                              [&](const auto& entry) { return entry.first == mark; });
    if (known == std::end(marks)) {
      *error =
          "the league's SQL holds a mark that nothing fills: " + std::string(sql.substr(at, 24));
      return false;
    }
    *filled += sql.substr(0, at);
    *filled += known->second;
    sql.remove_prefix(end + 1);
  }
  *filled += sql;
  return true;
}

bool FilledAll(const PgConnection& organiser, const std::string& group,
               std::span<const std::string_view> texts, std::string* filled, std::string* error) {
  for (std::string_view text : texts) {
    if (!Filled(organiser, group, text, filled, error)) return false;
    *filled += '\n';
  }
  return true;
}

// This version's functions, privileges and limits for the league of that group, and their md5.
bool Definitions(PgConnection& organiser, const std::string& group, std::string* definitions,
                 std::string* digest, std::string* error) {
  Rows rows;
  if (!FilledAll(organiser, group, league_sql::kDefinitions, definitions, error) ||
      !organiser.Run("SELECT md5($1)", {*definitions}, &rows, error))
    return false;
  *digest = rows.at(0).at(0);
  return true;
}

// Who holds a lock on the league's tables, by site where it is one: what an upgrade waits for.
std::string Holders(PgConnection& organiser) {
  Rows rows;
  std::string error;
  if (!organiser.Run(
          "SELECT string_agg(DISTINCT coalesce('site ' || s.name, 'role ' || a.usename), ', ')"
          " FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid"
          " LEFT JOIN league.sites s ON s.role_name = a.usename"
          " WHERE l.granted AND l.pid <> pg_backend_pid() AND l.locktype = 'relation'"
          " AND l.database = (SELECT oid FROM pg_database WHERE datname = current_database())"
          " AND l.relation IN (SELECT c.oid FROM pg_class c"
          "                    WHERE c.relnamespace = 'league'::regnamespace)",
          {}, &rows, &error) ||
      rows.empty() || rows[0][0].empty())
    return "another session";
  return rows[0][0];
}

// Runs the upgrade's one transaction, again while a site's transaction holds a lock it needs.
bool RunUpgrade(PgConnection& organiser, const std::string& script, const LeagueSetup& setup,
                std::string* error) {
  Deadline giveUp = Clock::now() + kTryFor;
  for (;;) {
    if (organiser.RunScript(script, error)) return true;
    bool locked = organiser.FailedState() == kLockNotAvailable;
    std::string ignored;
    organiser.RunScript("ROLLBACK", &ignored);
    if (!locked) return false;
    std::string holders = Holders(organiser);
    if (Clock::now() >= giveUp) {
      *error = holders +
               " holds the league's tables in an open transaction; nothing was changed: run "
               "init-league again when it has ended";
      return false;
    }
    setup.say("waiting: " + holders + " holds the league's tables in an open transaction");
    Pause(kBetweenTries);
  }
}

// The statement that gives the league its name; the table's check says what a name may be.
std::string NameStatement(const PgConnection& organiser, const std::string& name) {
  std::string literal = organiser.QuoteLiteral(name);
  return "UPDATE league.about SET league_name = btrim(" + literal +
         ") WHERE league_name IS DISTINCT FROM btrim(" + literal + ");\n";
}

// The upgrade's one transaction: the steps that the league lacks, this version's functions
// and privileges, what it holds now recorded, and its name when one is given.
std::string UpgradeScript(const std::string& steps, const std::string& definitions,
                          const std::string& digest, const std::string& name) {
  return "BEGIN;\nSET LOCAL lock_timeout = " + std::to_string(kLockWait.count()) + ";\n" + steps +
         definitions + "INSERT INTO league.version (step, functions) VALUES (" +
         std::to_string(SchemaStep()) + ", '" + digest +
         "') ON CONFLICT (only_row) DO UPDATE SET step = EXCLUDED.step,"
         " functions = EXCLUDED.functions;\n" +
         name + "COMMIT;\n";
}

std::string WhyNot(const std::string& error) {
  if (error.find("league_name_sound") == std::string::npos) return error;
  return "a league's name is 1 to " + std::to_string(kLeagueNameWidth) +
         " printable ASCII characters, not all blank";
}

bool ReadName(PgConnection& organiser, SetupResult* result, std::string* error) {
  Rows rows;
  if (!organiser.Run("SELECT league.league_name(), league_name IS NOT NULL FROM league.about", {},
                     &rows, error))
    return false;
  result->name = rows.at(0).at(0);
  result->ownName = rows[0][1] == "t";
  return true;
}

}  // namespace

int SchemaStep() {
  return static_cast<int>(league_sql::kSteps.size());
}

bool ReadLeagueState(PgConnection& organiser, LeagueState* state, std::string* error) {
  Rows rows;
  if (!organiser.Run("SELECT current_database(), to_regclass('league.about') IS NOT NULL,"
                     " to_regclass('league.version') IS NOT NULL",
                     {}, &rows, error))
    return false;
  *state = LeagueState{};
  state->database = rows.at(0).at(0);
  state->there = rows[0][1] == "t";
  bool counted = rows[0][2] == "t";
  if (!state->there) return true;
  Rows about;
  if (!organiser.Run("SELECT site_group FROM league.about", {}, &about, error)) return false;
  if (about.empty()) {
    *error = "the league in this database is not complete; run leaguenet init-league again";
    return false;
  }
  state->group = about[0][0];
  if (!counted) return true;
  Rows version;
  if (!organiser.Run("SELECT step, functions FROM league.version", {}, &version, error))
    return false;
  if (!version.empty()) {
    state->step = std::stoi(version[0][0]);
    state->functions = version[0][1];
  }
  return true;
}

bool SetUpLeague(PgConnection& organiser, const LeagueSetup& setup, SetupResult* result,
                 std::string* error) {
  LeagueState& state = result->before;
  if (!ReadLeagueState(organiser, &state, error)) return false;
  if (state.step > SchemaStep()) {
    *error = "the league's schema is at step " + std::to_string(state.step) +
             ", newer than this leaguenet's " + std::to_string(SchemaStep()) +
             ": set it up with the leaguenet that upgraded it";
    return false;
  }
  std::string group = state.group;
  if (!state.there && !FreeGroupName(organiser, state.database, &group, error)) return false;
  std::string definitions;
  std::string digest;
  if (!Definitions(organiser, group, &definitions, &digest, error)) return false;
  std::string name = setup.name ? NameStatement(organiser, *setup.name) : "";
  result->changed = state.step < SchemaStep() || state.functions != digest;
  std::string steps;
  if (result->changed &&
      !FilledAll(organiser, group, league_sql::kSteps.subspan(state.step), &steps, error))
    return false;
  bool done =
      result->changed
          ? RunUpgrade(organiser, UpgradeScript(steps, definitions, digest, name), setup, error)
          : name.empty() || organiser.RunScript(name, error);
  if (!done) *error = WhyNot(*error);
  return done && ReadName(organiser, result, error);
}

bool IsUpToDate(PgConnection& organiser, const LeagueState& state, bool* upToDate,
                std::string* error) {
  std::string definitions;
  std::string digest;
  if (!state.there || state.step != SchemaStep()) {
    *upToDate = false;
    return true;
  }
  if (!Definitions(organiser, state.group, &definitions, &digest, error)) return false;
  *upToDate = state.functions == digest;
  return true;
}

bool SiteGroup(PgConnection& organiser, std::string* group, std::string* error) {
  LeagueState state;
  if (!ReadLeagueState(organiser, &state, error)) return false;
  if (!state.there) {
    *error = "there is no league in this database; set one up with: leaguenet init-league --db ...";
    return false;
  }
  if (state.step != SchemaStep()) {
    *error =
        "the league's schema is at step " + std::to_string(state.step) + ", this leaguenet's at " +
        std::to_string(SchemaStep()) +
        (state.step < SchemaStep() ? ": bring it up to date with leaguenet init-league --db ..."
                                   : ": use the leaguenet that upgraded it");
    return false;
  }
  *group = state.group;
  return true;
}

}  // namespace lexfray::leaguenet
