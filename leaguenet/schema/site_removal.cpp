#include "schema/site_removal.h"

#include <memory>

#include "rules/site_name.h"
#include "schema/league_schema.h"

namespace lexfray::leaguenet {

namespace {

constexpr auto kOtherDatabaseWait = std::chrono::seconds(30);

struct SiteRole {
  std::string site;  // as the league keeps it
  std::string role;
  bool there = false;  // the role exists
};

bool FindSite(PgConnection& organiser, const std::string& name, SiteRole* found,
              std::string* error) {
  std::string group;
  if (!SiteGroup(organiser, &group, error)) return false;
  Rows rows;
  if (!organiser.Run("SELECT s.name, s.role_name, r.rolname IS NOT NULL FROM league.sites s"
                     " LEFT JOIN pg_roles r ON r.rolname = s.role_name"
                     " WHERE s.name = $1 AND s.role_name IS NOT NULL",
                     {SiteKey(name)}, &rows, error))
    return false;
  if (rows.empty()) {
    *error = "there is no site " + SiteKey(name) + " in the league";
    return false;
  }
  *found = {rows[0][0], rows[0][1], rows[0][2] == "t"};
  return true;
}

bool EndSessions(PgConnection& organiser, const SiteRole& site, ShutOut* shutOut,
                 std::string* error) {
  return !site.there || ShutOutRole(organiser, site.role, shutOut, error);
}

// What the role owns in the other databases of the server, which pg_hba.conf may have let it
// reach: dropped there, by the organiser as a member of the role for that moment.
bool DropOwnedElsewhere(PgConnection& organiser, const std::string& organiserConninfo,
                        const SiteRole& site, std::string* error) {
  if (!site.there) return true;
  Rows databases;
  if (!organiser.Run("SELECT DISTINCT d.datname FROM pg_shdepend c"
                     " JOIN pg_database d ON d.oid = c.dbid"
                     " WHERE c.refclassid = 'pg_authid'::regclass"
                     " AND c.refobjid = (SELECT oid FROM pg_roles WHERE rolname = $1)"
                     " AND d.datname <> current_database()",
                     {site.role}, &databases, error))
    return false;
  std::string role = organiser.QuoteIdentifier(site.role);
  for (const std::vector<std::string>& database : databases) {
    std::unique_ptr<PgConnection> there =
        PgConnection::Open(WithDatabase(organiserConninfo, database.at(0)), {},
                           Clock::now() + kOtherDatabaseWait, error);
    if (!there || !there->RunScript("BEGIN; GRANT " + role + " TO CURRENT_USER; DROP OWNED BY " +
                                        role + "; REVOKE " + role + " FROM CURRENT_USER; COMMIT",
                                    error)) {
      *error = "in database " + database[0] + ": " + *error;
      return false;
    }
  }
  return true;
}

}  // namespace

bool ShutOutRole(PgConnection& organiser, const std::string& role, ShutOut* shutOut,
                 std::string* error) {
  Rows left;
  // Committed before the sessions are ended, so that none starts meanwhile.
  if (!organiser.RunScript("ALTER ROLE " + organiser.QuoteIdentifier(role) + " NOLOGIN", error) ||
      !organiser.Run("SELECT league.end_sessions_of($1)", {role}, &left, error))
    return false;
  shutOut->sessionsLeft = std::stoll(left.at(0).at(0));
  return true;
}

bool RemoveSite(PgConnection& organiser, const std::string& organiserConninfo,
                const std::string& name, ShutOut* shutOut, std::string* error) {
  SiteRole site;
  if (!FindSite(organiser, name, &site, error) || !EndSessions(organiser, site, shutOut, error) ||
      !DropOwnedElsewhere(organiser, organiserConninfo, site, error))
    return false;
  std::string role = organiser.QuoteLiteral(site.role);
  std::string script = "BEGIN; SET LOCAL lock_timeout = '10s';";
  if (site.there) script += "SELECT league.drop_owned_by(" + role + ");";
  // Its closed months stay as they were published, and with them its row, without a role.
  std::string kept = organiser.QuoteLiteral(site.site);
  script += "DELETE FROM league.entries WHERE site = " + kept + " AND league.month_open(month);" +
            "UPDATE league.sites SET role_name = NULL WHERE name = " + kept + ";" +
            "DELETE FROM league.sites s WHERE name = " + kept +
            " AND NOT EXISTS (SELECT FROM league.entries e WHERE e.site = s.name);";
  if (site.there) script += "DROP ROLE " + organiser.QuoteIdentifier(site.role) + ";";
  return organiser.RunScript(script + "COMMIT", error);
}

bool SuspendSite(PgConnection& organiser, const std::string& name, ShutOut* shutOut,
                 std::string* error) {
  SiteRole site;
  return FindSite(organiser, name, &site, error) &&
         organiser.Run("UPDATE league.sites SET suspended = true WHERE name = $1", {site.site},
                       nullptr, error) &&
         EndSessions(organiser, site, shutOut, error);
}

bool ResumeSite(PgConnection& organiser, const std::string& name, std::string* error) {
  SiteRole site;
  if (!FindSite(organiser, name, &site, error)) return false;
  if (!site.there) {
    *error = "the role of site " + site.site + " is gone: remove-site and add-site again";
    return false;
  }
  return organiser.RunScript("BEGIN; UPDATE league.sites SET suspended = false WHERE name = " +
                                 organiser.QuoteLiteral(site.site) + "; ALTER ROLE " +
                                 organiser.QuoteIdentifier(site.role) + " LOGIN; COMMIT",
                             error);
}

}  // namespace lexfray::leaguenet
