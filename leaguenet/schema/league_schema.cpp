#include "schema/league_schema.h"

#include <cctype>

#include "league/score_file.h"
#include "players/player_record.h"

namespace lexfray::leaguenet {

namespace {

// Roles belong to the whole server, so each league's roles are named after its database.
std::string GroupRoleBase(const std::string& database) {
  std::string prefix;
  for (char c : database.substr(0, 40))
    prefix += std::isalnum(static_cast<unsigned char>(c))
                  ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                  : '_';
  return prefix;
}

// The tables as the first version made them; a league made then is brought up to date by
// the statements after them.
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
ALTER TABLE league.entries ENABLE ROW LEVEL SECURITY;
-- The month's table best first, ties in a fixed order, read from the index alone.
DROP INDEX IF EXISTS league.entries_by_score;
CREATE INDEX IF NOT EXISTS entries_by_rank ON league.entries (month, score DESC, site, player);
)sql";

// Checks that the first version lacked. Rows it let in stay (the constraint then stays
// NOT VALID and checks new rows only), so that no month's entries are lost.
constexpr const char* kChecks = R"sql(
DO $do$
DECLARE c record;
BEGIN
  FOR c IN SELECT * FROM (VALUES
      ('entries_score_sound', $c$score BETWEEN 0 AND @MOST_SCORE@ AND score = trunc(score)
                                 AND get_byte(float8send(score), 0) < 128$c$),
      ('entries_player_sound', $c$player ~ '[^ ]' AND player !~ ' $'$c$),
      ('entries_date_sound', $c$last_date ~ '^(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$'
                                AND substr(last_date, 1, 2)
                                    = lpad(extract(month FROM month)::int::text, 2, '0')$c$),
      ('entries_plays_sound', $c$plays ~ '^[0-9]{1,5}$'$c$)) AS v(name, body)
  LOOP
    IF NOT EXISTS (SELECT FROM pg_constraint
                   WHERE conrelid = 'league.entries'::regclass AND conname = c.name) THEN
      EXECUTE format('ALTER TABLE league.entries ADD CONSTRAINT %I CHECK (%s) NOT VALID',
                     c.name, c.body);
      BEGIN
        EXECUTE format('ALTER TABLE league.entries VALIDATE CONSTRAINT %I', c.name);
      EXCEPTION WHEN check_violation THEN
        NULL;
      END;
    END IF;
  END LOOP;
END $do$;
)sql";

// What a site may do, all of it through these functions. Each runs as the league's owner with
// a fixed search_path, and takes the site from the session's login role (session_user: inside
// the function current_user is the owner), never from an argument.
constexpr const char* kFunctions = R"sql(
-- The league's clock: UTC on the server.
CREATE OR REPLACE FUNCTION league.utc_now() RETURNS timestamp
  LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp
  AS $f$ SELECT now() AT TIME ZONE 'UTC' $f$;

-- A site's month is its own local one: open is every month within a day of the server's date.
CREATE OR REPLACE FUNCTION league.check_month(p_month date) RETURNS void
  LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_now timestamp := league.utc_now();
BEGIN
  IF p_month IS NULL OR p_month <> date_trunc('month', p_month)
     OR p_month < date_trunc('month', v_now - interval '1 day')
     OR p_month > date_trunc('month', v_now + interval '1 day') THEN
    RAISE EXCEPTION 'the month % is not open: the league''s date is % UTC',
      coalesce(to_char(p_month, 'YYYY-MM'), 'given'), to_char(v_now, 'YYYY-MM-DD HH24:MI')
      USING ERRCODE = 'invalid_parameter_value';
  END IF;
END $f$;

CREATE OR REPLACE FUNCTION league.site_of_session() RETURNS league.sites
  LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site league.sites;
BEGIN
  SELECT * INTO v_site FROM league.sites s WHERE s.role_name = session_user;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'these credentials are not a site of the league'
      USING ERRCODE = 'insufficient_privilege';
  END IF;
  RETURN v_site;
END $f$;

-- The calling site as the league has it on record, and the league's date.
CREATE OR REPLACE FUNCTION league.calling_site(OUT name text, OUT loc text, OUT today date)
  LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site league.sites := league.site_of_session();
BEGIN
  name := v_site.name;
  loc := v_site.loc;
  today := league.utc_now()::date;
END $f$;

-- Whether an entry is one that the game can have written in that month.
CREATE OR REPLACE FUNCTION league.sound_entry(p_month date, p_player text, p_score float8,
    p_last_date text, p_plays text, p_game_code text) RETURNS boolean
  LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $f$
  SELECT coalesce(
    octet_length(p_player) BETWEEN 1 AND 25 AND p_player !~ '[^\x20-\x7e]'
    AND p_player ~ '[^ ]' AND p_player !~ ' $'
    AND p_score BETWEEN 0 AND @MOST_SCORE@ AND p_score = trunc(p_score)
    AND get_byte(float8send(p_score), 0) < 128
    AND p_last_date ~ '^(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$'
    AND substr(p_last_date, 1, 2) = to_char(p_month, 'MM')
    AND p_plays ~ '^[0-9]{1,5}$'
    AND octet_length(p_game_code) <= 8 AND p_game_code !~ '[^\x20-\x7e]', false)
$f$;

-- This site's entries of its month: each added, or replacing the site's entry of that
-- player. Nothing is stored unless all of them are sound and the site stays within the
-- game's number of players.
CREATE OR REPLACE FUNCTION league.upload(p_month date, p_players text[], p_scores float8[],
    p_last_dates text[], p_plays text[], p_game_codes text[]) RETURNS integer
  LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site text := (league.site_of_session()).name;
  v_count integer := coalesce(cardinality(p_players), 0);
  v_bad record;
  v_held bigint;
BEGIN
  PERFORM league.check_month(p_month);
  IF v_count > @MOST_ENTRIES@ THEN
    RAISE EXCEPTION 'at most @MOST_ENTRIES@ entries of a site a month, not %', v_count
      USING ERRCODE = 'program_limit_exceeded';
  END IF;
  IF coalesce(cardinality(p_scores), 0) <> v_count
     OR coalesce(cardinality(p_last_dates), 0) <> v_count
     OR coalesce(cardinality(p_plays), 0) <> v_count
     OR coalesce(cardinality(p_game_codes), 0) <> v_count THEN
    RAISE EXCEPTION 'the entries'' columns differ in length' USING ERRCODE = 'invalid_parameter_value';
  END IF;
  SELECT u.n, u.player INTO v_bad
    FROM unnest(p_players, p_scores, p_last_dates, p_plays, p_game_codes) WITH ORDINALITY
      AS u(player, score, last_date, plays, game_code, n)
    WHERE NOT league.sound_entry(p_month, u.player, u.score, u.last_date, u.plays, u.game_code)
    ORDER BY u.n LIMIT 1;
  IF FOUND THEN
    RAISE EXCEPTION 'entry % is no entry of the game for %', v_bad.n, to_char(p_month, 'YYYY-MM')
      USING ERRCODE = 'check_violation';
  END IF;
  IF (SELECT count(DISTINCT p) FROM unnest(p_players) p) <> v_count THEN
    RAISE EXCEPTION 'a player is sent twice' USING ERRCODE = 'unique_violation';
  END IF;
  -- One upload of a site at a time, so that the count below holds; other sites go on.
  PERFORM 1 FROM league.sites s WHERE s.name = v_site FOR NO KEY UPDATE;
  INSERT INTO league.entries AS e (month, site, player, score, last_date, plays, game_code, updated)
    SELECT p_month, v_site, u.player, u.score, u.last_date, u.plays, u.game_code, now()
    FROM unnest(p_players, p_scores, p_last_dates, p_plays, p_game_codes)
      AS u(player, score, last_date, plays, game_code)
  ON CONFLICT (month, site, player) DO UPDATE
    SET score = EXCLUDED.score, last_date = EXCLUDED.last_date, plays = EXCLUDED.plays,
        game_code = EXCLUDED.game_code, updated = EXCLUDED.updated
    WHERE (e.score, e.last_date, e.plays, e.game_code)
          IS DISTINCT FROM (EXCLUDED.score, EXCLUDED.last_date, EXCLUDED.plays, EXCLUDED.game_code);
  SELECT count(*) INTO v_held FROM league.entries e WHERE e.month = p_month AND e.site = v_site;
  IF v_held > @MOST_ENTRIES@ THEN
    RAISE EXCEPTION 'at most @MOST_ENTRIES@ entries of a site a month: this upload would leave %',
      v_held USING ERRCODE = 'program_limit_exceeded';
  END IF;
  RETURN v_count;
END $f$;

-- The month's best entries, of every site or of the other sites only, best first.
CREATE OR REPLACE FUNCTION league.standings(p_month date, p_limit integer, p_others_only boolean)
  RETURNS TABLE (site text, loc text, player text, score float8, last_date text, plays text,
                 game_code text)
  LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
#variable_conflict use_column
DECLARE
  v_site text := (league.site_of_session()).name;
BEGIN
  PERFORM league.check_month(p_month);
  RETURN QUERY
    SELECT e.site, s.loc, e.player, e.score, e.last_date, e.plays, e.game_code
    FROM league.entries e JOIN league.sites s ON s.name = e.site
    WHERE e.month = p_month AND e.score BETWEEN 0 AND @MOST_SCORE@
      AND NOT (p_others_only AND e.site = v_site)
    ORDER BY e.score DESC, e.site, e.player
    LIMIT least(greatest(coalesce(p_limit, 0), 0), @MOST_ROWS@);
END $f$;
)sql";

constexpr const char* kSiteFunctions[] = {
    "league.calling_site()",
    "league.upload(date, text[], float8[], text[], text[], text[])",
    "league.standings(date, integer, boolean)",
};
constexpr const char* kInnerFunctions[] = {
    "league.utc_now()",
    "league.check_month(date)",
    "league.site_of_session()",
    "league.sound_entry(date, text, float8, text, text, text)",
};

std::string WithLimits(std::string sql) {
  const std::pair<std::string, std::string> limits[] = {
      {"@MOST_SCORE@", std::to_string(static_cast<long long>(kMostMonthlyScore))},
      {"@MOST_ENTRIES@", std::to_string(kMostPlayers)},
      {"@MOST_ROWS@", std::to_string(kMostScoreEntries)},
  };
  for (const auto& [mark, value] : limits)
    for (std::size_t at = sql.find(mark); at != std::string::npos; at = sql.find(mark, at))
      sql.replace(at, mark.size(), value);
  return sql;
}

// The site roles reach the tables through the functions alone; the policies stay as a second
// line should a privilege ever be granted by mistake.
std::string Privileges(const std::string& role) {
  std::string sql =
      "REVOKE ALL ON SCHEMA league FROM PUBLIC;\n"
      "GRANT USAGE ON SCHEMA league TO " + role + ";\n"
      "REVOKE ALL ON ALL TABLES IN SCHEMA league FROM PUBLIC, " + role + ";\n"
      "REVOKE ALL ON ALL SEQUENCES IN SCHEMA league FROM PUBLIC, " + role + ";\n";
  for (const char* function : kInnerFunctions)
    sql += "REVOKE ALL ON FUNCTION " + std::string(function) + " FROM PUBLIC;\n";
  for (const char* function : kSiteFunctions)
    sql += "REVOKE ALL ON FUNCTION " + std::string(function) + " FROM PUBLIC;\n"
           "GRANT EXECUTE ON FUNCTION " + std::string(function) + " TO " + role + ";\n";
  // Nothing of a site's outside the league: no temporary tables, nothing in public.
  sql += "DO $do$BEGIN EXECUTE format('REVOKE TEMPORARY ON DATABASE %I FROM PUBLIC', "
         "current_database()); END$do$;\n"
         "REVOKE ALL ON SCHEMA public FROM PUBLIC;\n";
  return sql;
}

std::string Policies(const std::string& role) {
  std::string own = "site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user)";
  auto policy = [&](const char* policyName, const std::string& rest) {
    return std::string(
               "  IF NOT EXISTS (SELECT FROM pg_policies WHERE schemaname = 'league' AND tablename "
               "= 'entries' AND policyname = '") +
           policyName + "') THEN\n    CREATE POLICY " + policyName + " ON league.entries " + rest +
           ";\n  END IF;\n";
  };
  return "DO $$BEGIN\n" + policy("everyone_reads", "FOR SELECT TO " + role + " USING (true)") +
         policy("own_inserts", "FOR INSERT TO " + role + " WITH CHECK (" + own + ")") +
         policy("own_updates",
                "FOR UPDATE TO " + role + " USING (" + own + ") WITH CHECK (" + own + ")") +
         policy("own_deletes", "FOR DELETE TO " + role + " USING (" + own + ")") + "END$$;\n";
}

std::string Script(PgConnection& organiser, const std::string& group) {
  std::string role = organiser.QuoteIdentifier(group);
  std::string name = organiser.QuoteLiteral(group);
  return "BEGIN;\n"
         "DO $$BEGIN\n  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = " + name + ") THEN\n"
         "    CREATE ROLE " + role + " NOLOGIN;\n  END IF;\nEND$$;\n" + kTables +
         "INSERT INTO league.about (site_group) VALUES (" + name + ") ON CONFLICT DO NOTHING;\n" +
         WithLimits(kChecks) + WithLimits(kFunctions) + Privileges(role) + Policies(role) +
         "COMMIT;\n";
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

// Site roles made by an earlier version get the limits of today's.
bool LimitSiteRoles(PgConnection& organiser, std::string* error) {
  Rows roles;
  if (!organiser.Run("SELECT s.role_name FROM league.sites s JOIN pg_roles r"
                     " ON r.rolname = s.role_name ORDER BY 1",
                     {}, &roles, error))
    return false;
  for (const auto& role : roles)
    if (!organiser.RunScript(SiteRoleLimits(organiser, role.at(0)), error)) return false;
  return true;
}

}  // namespace

std::string SiteRoleLimits(PgConnection& organiser, const std::string& roleName) {
  std::string role = organiser.QuoteIdentifier(roleName);
  return "DO $$BEGIN\n"
         "  ALTER ROLE " + role + " CONNECTION LIMIT " + std::to_string(kSiteConnections) + ";\n"
         "  ALTER ROLE " + role + " SET statement_timeout = '30s';\n"
         "  ALTER ROLE " + role + " SET idle_in_transaction_session_timeout = '10s';\n"
         "  IF current_setting('server_version_num')::int >= 140000 THEN\n"
         "    ALTER ROLE " + role + " SET idle_session_timeout = '60s';\n"
         "  END IF;\n"
         "END$$;\n";
}

bool InitLeague(PgConnection& organiser, bool* alreadyThere, std::string* error) {
  Rows rows;
  if (!organiser.Run("SELECT current_database(), to_regclass('league.about') IS NOT NULL", {},
                     &rows, error))
    return false;
  *alreadyThere = rows.at(0).at(1) == "t";
  std::string group;
  if (*alreadyThere ? !SiteGroup(organiser, &group, error)
                    : !FreeGroupName(organiser, rows[0][0], &group, error))
    return false;
  return organiser.RunScript(Script(organiser, group), error) && LimitSiteRoles(organiser, error);
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
