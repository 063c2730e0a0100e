#include "league_schema.h"

#include <cctype>

namespace lexfray::leaguenet {

namespace {

// Roles belong to the whole server, so each league's roles are named after its database.
std::string GroupRoleFor(const std::string& database) {
  std::string prefix;
  for (char c : database.substr(0, 40))
    prefix += std::isalnum(static_cast<unsigned char>(c))
                  ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                  : '_';
  return prefix + "_sites";
}

// The part of the script that does not depend on names.
constexpr const char* kTables = R"sql(
CREATE SCHEMA IF NOT EXISTS league;
CREATE TABLE IF NOT EXISTS league.about (
  only_row boolean PRIMARY KEY DEFAULT true CHECK (only_row),
  site_group name NOT NULL);
CREATE SEQUENCE IF NOT EXISTS league.site_numbers;
CREATE TABLE IF NOT EXISTS league.sites (
  name text PRIMARY KEY
    CHECK (octet_length(name) BETWEEN 1 AND 35 AND name !~ '[^\x20-\x7e]' AND name = upper(name)
           AND name !~ '^ | $'),
  loc text NOT NULL CHECK (octet_length(loc) = 3 AND loc !~ '[^\x20-\x7e]'),
  role_name name NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS league.entries (
  month date NOT NULL CHECK (extract(day FROM month) = 1),
  site text NOT NULL REFERENCES league.sites (name) ON DELETE CASCADE,
  player text NOT NULL CHECK (octet_length(player) BETWEEN 1 AND 25 AND player !~ '[^\x20-\x7e]'),
  score double precision NOT NULL CHECK (score >= 0 AND score <= 1e12),
  last_date text NOT NULL CHECK (last_date ~ '^[0-9][0-9]-[0-9][0-9]$'),
  plays text NOT NULL CHECK (octet_length(plays) <= 5 AND plays !~ '[^\x20-\x7e]'),
  game_code text NOT NULL CHECK (octet_length(game_code) <= 8 AND game_code !~ '[^\x20-\x7e]'),
  updated timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (month, site, player));
CREATE INDEX IF NOT EXISTS entries_by_score ON league.entries (month, score DESC);
ALTER TABLE league.entries ENABLE ROW LEVEL SECURITY;
)sql";

std::string Script(PgConnection& organiser, const std::string& group) {
  std::string role = organiser.QuoteIdentifier(group);
  std::string name = organiser.QuoteLiteral(group);
  std::string own = "site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user)";
  auto policy = [&](const char* policyName, const std::string& rest) {
    return std::string(
               "  IF NOT EXISTS (SELECT FROM pg_policies WHERE schemaname = 'league' AND tablename "
               "= 'entries'"
               " AND policyname = '") +
           policyName + "') THEN\n    CREATE POLICY " + policyName + " ON league.entries " + rest +
           ";\n  END IF;\n";
  };
  return "BEGIN;\n"
         "DO $$BEGIN\n  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = " +
         name +
         ") THEN\n"
         "    CREATE ROLE " +
         role + " NOLOGIN;\n  END IF;\nEND$$;\n" + kTables +
         "INSERT INTO league.about (site_group) VALUES (" + name +
         ") ON CONFLICT DO NOTHING;\n"
         "REVOKE ALL ON SCHEMA league FROM PUBLIC;\n"
         "GRANT USAGE ON SCHEMA league TO " +
         role +
         ";\n"
         "GRANT SELECT ON league.sites TO " +
         role +
         ";\n"
         "GRANT SELECT, INSERT, UPDATE, DELETE ON league.entries TO " +
         role +
         ";\n"
         "DO $$BEGIN\n" +
         policy("everyone_reads", "FOR SELECT TO " + role + " USING (true)") +
         policy("own_inserts", "FOR INSERT TO " + role + " WITH CHECK (" + own + ")") +
         policy("own_updates",
                "FOR UPDATE TO " + role + " USING (" + own + ") WITH CHECK (" + own + ")") +
         policy("own_deletes", "FOR DELETE TO " + role + " USING (" + own + ")") +
         "END$$;\nCOMMIT;\n";
}

}  // namespace

bool InitLeague(PgConnection& organiser, bool* alreadyThere, std::string* error) {
  Rows rows;
  if (!organiser.Run("SELECT current_database(), to_regclass('league.entries') IS NOT NULL", {},
                     &rows, error))
    return false;
  *alreadyThere = rows.at(0).at(1) == "t";
  std::string group;
  if (*alreadyThere && !SiteGroup(organiser, &group, error)) return false;
  if (!*alreadyThere) group = GroupRoleFor(rows[0][0]);
  return organiser.RunScript(Script(organiser, group), error);
}

bool SiteGroup(PgConnection& organiser, std::string* group, std::string* error) {
  Rows rows;
  if (!organiser.Run("SELECT to_regclass('league.about') IS NOT NULL", {}, &rows, error))
    return false;
  if (rows.at(0).at(0) != "t") {
    *error = "there is no league in this database; set one up with: leaguenet init-league --db ...";
    return false;
  }
  rows.clear();
  if (!organiser.Run("SELECT site_group FROM league.about", {}, &rows, error)) return false;
  if (rows.empty()) {
    *error = "the league in this database is not complete; run leaguenet init-league again";
    return false;
  }
  *group = rows[0][0];
  return true;
}

}  // namespace lexfray::leaguenet
