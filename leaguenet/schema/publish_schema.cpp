#include "schema/publish_schema.h"

#include "schema/league_schema.h"
#include "schema/site_admin.h"

namespace lexfray::leaguenet {

namespace {

// Each function reads as the league's owner and gives out only what the public pages show.
// A set-returning function would gather a month of entries on the server before the first
// row; the cursor streams them instead, in the order that keeps each site's rows together.
constexpr const char* kFunctions = R"sql(
CREATE OR REPLACE FUNCTION league.publish_league()
  RETURNS TABLE (league text, month date, made text)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    SELECT current_database()::text, date_trunc('month', league.utc_now())::date,
           to_char(league.utc_now(), 'YYYY-MM-DD"T"HH24:MI:SS"Z"')
  $f$;
-- Whether sites may still send scores of the month, by the rule the uploads follow.
CREATE OR REPLACE FUNCTION league.publish_open(p_month date) RETURNS boolean
  LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $f$
  BEGIN
    PERFORM league.check_month(p_month);
    RETURN true;
  EXCEPTION WHEN invalid_parameter_value THEN
    RETURN false;
  END
  $f$;
CREATE OR REPLACE FUNCTION league.publish_months()
  RETURNS TABLE (month date, player text, site text, loc text, score float8, open boolean)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    WITH RECURSIVE months(month) AS (
      SELECT max(e.month) FROM league.entries e
      UNION ALL
      SELECT (SELECT max(e.month) FROM league.entries e WHERE e.month < m.month)
      FROM months m WHERE m.month IS NOT NULL)
    SELECT m.month, top.player, top.site, s.loc, top.score, league.publish_open(m.month)
    FROM months m
    LEFT JOIN LATERAL (
      SELECT e.player, e.site, e.score FROM league.entries e
      WHERE e.month = m.month AND e.score > 0
      ORDER BY e.score DESC, e.site COLLATE "C", e.player COLLATE "C" LIMIT 1) top ON true
    LEFT JOIN league.sites s ON s.name = top.site
    WHERE m.month IS NOT NULL ORDER BY m.month DESC
  $f$;
CREATE OR REPLACE FUNCTION league.publish_sites()
  RETURNS TABLE (name text, loc text)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    SELECT s.name, s.loc FROM league.sites s ORDER BY s.name COLLATE "C"
  $f$;
CREATE OR REPLACE FUNCTION league.publish_entries(p_month date, p_cursor refcursor)
  RETURNS refcursor
  LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
  BEGIN
    OPEN p_cursor NO SCROLL FOR
      SELECT e.site, e.player, e.score, e.last_date, e.plays,
             extract(epoch FROM e.updated)::bigint FROM league.entries e
      WHERE e.month = p_month AND e.score > 0 ORDER BY e.site;
    RETURN p_cursor;
  END
  $f$;
)sql";

constexpr const char* kSignatures[] = {"league.publish_league()", "league.publish_months()",
                                       "league.publish_sites()",
                                       "league.publish_entries(date, refcursor)"};

std::string Script(PgConnection& organiser, const std::string& roleName) {
  std::string role = organiser.QuoteIdentifier(roleName);
  std::string script =
      "BEGIN;\nDO $$BEGIN\n  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = " +
      organiser.QuoteLiteral(roleName) + ") THEN\n    CREATE ROLE " + role +
      " LOGIN;\n  END IF;\nEND$$;\n";
  // One publication at a time, with room for a second by hand; none may hold the league.
  script += "ALTER ROLE " + role + " CONNECTION LIMIT 2;\n";
  script += "ALTER ROLE " + role + " SET statement_timeout = '60s';\n";
  script += "ALTER ROLE " + role + " SET idle_in_transaction_session_timeout = '60s';\n";
  script += "GRANT USAGE ON SCHEMA league TO " + role + ";\n";
  // Made afresh, so that a function whose columns changed since an earlier version is
  // replaced too; nothing depends on them.
  for (const char* function : kSignatures)
    script += "DROP FUNCTION IF EXISTS " + std::string(function) + ";\n";
  script += kFunctions;
  script += "REVOKE ALL ON FUNCTION league.publish_open(date) FROM PUBLIC;\n";
  for (const char* function : kSignatures) {
    script += "REVOKE ALL ON FUNCTION " + std::string(function) + " FROM PUBLIC;\n";
    script += "GRANT EXECUTE ON FUNCTION " + std::string(function) + " TO " + role + ";\n";
  }
  return script + "COMMIT;\n";
}

}  // namespace

bool PublishRole(PgConnection& organiser, std::string* role, std::string* error) {
  std::string group;
  if (!SiteGroup(organiser, &group, error)) return false;
  constexpr std::string_view kGroupSuffix = "_sites";
  if (group.size() > kGroupSuffix.size() && group.ends_with(kGroupSuffix))
    group.resize(group.size() - kGroupSuffix.size());
  *role = group + "_reader";
  return true;
}

bool InitPublishing(PgConnection& organiser, std::string* error) {
  std::string role;
  return PublishRole(organiser, &role, error) &&
         organiser.RunScript(Script(organiser, role), error);
}

bool AddPublisher(PgConnection& organiser, const std::string& rootCert, std::string* settingsText,
                  std::string* error) {
  std::string role;
  if (!PublishRole(organiser, &role, error)) return false;
  Rows rows;
  if (!organiser.Run("SELECT 1 FROM pg_roles WHERE rolname = $1", {role}, &rows, error))
    return false;
  if (rows.empty()) {
    *error = "the league has no read-only role yet; run leaguenet init-league again";
    return false;
  }
  std::string password = RandomPassword();
  if (!organiser.RunScript("ALTER ROLE " + organiser.QuoteIdentifier(role) + " PASSWORD " +
                               organiser.QuoteLiteral(organiser.EncryptedPassword(password, role)),
                           error))
    return false;
  *settingsText =
      "# LeagueNET public pages: the league's read-only role\n"
      "# Keep this file readable by root only: it holds the role's password.\n"
      "league = " +
      SiteConnection(organiser, role, password, rootCert) + "\n";
  return true;
}

}  // namespace lexfray::leaguenet
