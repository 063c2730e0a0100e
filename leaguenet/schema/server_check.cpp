#include "schema/server_check.h"

#include <map>

#include "schema/league_schema.h"
#include "schema/site_removal.h"

namespace lexfray::leaguenet {

namespace {

using Settings = std::map<std::string, std::string>;

constexpr const char* kSettings =
    "SELECT name, setting FROM pg_settings WHERE name IN ('ssl', 'password_encryption',"
    " 'temp_file_limit', 'authentication_timeout', 'client_connection_check_interval')";

// The rules of pg_hba.conf that let a stranger start to log in, or a site log in without TLS
// or SCRAM, one finding each; a file with none of them yields NULL. Connections from the
// machine itself need no TLS.
constexpr const char* kHbaFindings =
    "SELECT string_agg(format('line %s: %s', line_number, finding), '; ' ORDER BY line_number)"
    " FROM (SELECT line_number, CASE"
    "   WHEN error IS NOT NULL THEN error"
    "   WHEN type = 'local' OR auth_method = 'reject' THEN NULL"
    "   WHEN address IN ('all', '0.0.0.0', '::') AND coalesce(netmask, '0.0.0.0') IN ('0.0.0.0', "
    "'::')"
    "     THEN 'admits every address: name the sites'' addresses instead'"
    "   WHEN type <> 'hostssl' AND NOT (address ~ '^127[.]' OR address IN ('::1', 'samehost'))"
    "     THEN type || ' admits a connection without TLS: make it hostssl'"
    "   WHEN auth_method NOT IN ('scram-sha-256', 'cert')"
    "     THEN auth_method || ' is no SCRAM password check: use scram-sha-256'"
    "   END AS finding FROM pg_hba_file_rules) AS rules WHERE finding IS NOT NULL";

constexpr const char* kHbaReadable =
    "SELECT has_function_privilege('pg_hba_file_rules()', 'EXECUTE')"
    " AND has_table_privilege('pg_hba_file_rules', 'SELECT'), current_user";

constexpr const char* kLargeObjectsOpen =
    "SELECT bool_or(has_function_privilege($1, f, 'EXECUTE')) FROM unnest(ARRAY["
    " 'lo_creat(integer)', 'lo_create(oid)', 'lo_from_bytea(oid, bytea)', 'lo_import(text)',"
    " 'lo_import(text, oid)']) AS f";

constexpr const char* kSiteRoles =
    "SELECT site, role, suspended, can_login, connection_limit, own_settings, owns"
    " FROM league.site_roles()";

std::string SuperuserFix(const std::string& statement) {
  return "as the server's superuser, in the league's database: " + statement;
}

void ServerSettings(const Settings& settings, std::vector<ServerPoint>* points) {
  auto value = [&settings](const char* name) {
    auto found = settings.find(name);
    return found == settings.end() ? std::string() : found->second;
  };
  bool tls = value("ssl") == "on";
  points->push_back({tls, "TLS", tls ? "on" : "off: set ssl = on with the server's certificate"});
  bool scram = value("password_encryption") == "scram-sha-256";
  points->push_back({scram, "passwords",
                     scram ? "kept as SCRAM verifiers"
                           : "set password_encryption = scram-sha-256, then give every role a "
                             "new password (add-site again)"});
  std::string temp = value("temp_file_limit");
  bool tempSet = !temp.empty() && temp != "-1";
  points->push_back({tempSet, "temp_file_limit",
                     tempSet ? temp + " kB of temporary files a session"
                             : "unlimited: a site's query can fill the disk; set temp_file_limit"
                               " as leaguenet(6) works it out"});
  std::string auth = value("authentication_timeout");
  bool authShort = !auth.empty() && std::stoi(auth) <= kLongestAuthenticationSeconds;
  points->push_back({authShort, "authentication_timeout",
                     authShort ? auth + " s"
                               : auth + " s: clients that never finish logging in hold "
                                        "connections that long; set it to 10s at most"});
  std::string check = value("client_connection_check_interval");
  bool checking = !check.empty() && check != "0";
  points->push_back(
      {checking, "client_connection_check_interval",
       checking ? check + " ms"
       : check.empty()
           ? "not known to this server: PostgreSQL 14 or later ends the query of a client "
             "that has gone"
           : "0: the query of a client that has gone runs on; set it to 5s"});
}

bool HbaRules(PgConnection& organiser, std::vector<ServerPoint>* points, std::string* error) {
  Rows readable;
  if (!organiser.Run(kHbaReadable, {}, &readable, error)) return false;
  if (readable.at(0).at(0) != "t") {
    std::string role = organiser.QuoteIdentifier(readable[0][1]);
    points->push_back(
        {false, "pg_hba.conf",
         "cannot be read: " +
             SuperuserFix("GRANT SELECT ON pg_hba_file_rules TO " + role +
                          "; GRANT EXECUTE ON FUNCTION pg_hba_file_rules() TO " + role)});
    return true;
  }
  Rows findings;
  if (!organiser.Run(kHbaFindings, {}, &findings, error)) return false;
  std::string finding = findings.at(0).at(0);
  points->push_back({finding.empty(), "pg_hba.conf",
                     finding.empty() ? "TLS and SCRAM from the addresses it names" : finding});
  return true;
}

bool LargeObjects(PgConnection& organiser, const std::string& group,
                  std::vector<ServerPoint>* points, std::string* error) {
  Rows open;
  if (!organiser.Run(kLargeObjectsOpen, {group}, &open, error)) return false;
  bool closed = open.at(0).at(0) != "t";
  points->push_back({closed, "large objects",
                     closed ? "the sites cannot make any"
                            : "the sites can make them, which stay: " +
                                  SuperuserFix("REVOKE EXECUTE ON FUNCTION lo_creat(integer), "
                                               "lo_create(oid), lo_from_bytea(oid, bytea) FROM "
                                               "PUBLIC")});
  return true;
}

// What is wrong with a site's role, from a row of league.site_roles(); empty when nothing.
std::string RoleFindings(const std::vector<std::string>& role) {
  const std::string& canLogin = role.at(3);
  if (canLogin.empty()) return "its role is gone: remove-site, and add-site again";
  std::string findings;
  auto add = [&findings](const std::string& finding) {
    findings += (findings.empty() ? "" : "; ") + finding;
  };
  if (role[2] == "t" && canLogin == "t") add("suspended, yet it can log in");
  if (role[4] != std::to_string(kSiteConnections))
    add("a limit of " + role[4] + " connections, not " + std::to_string(kSiteConnections));
  if (!role[5].empty()) add("settings of its own: " + role[5]);
  if (!role[6].empty()) add("owns " + role[6]);
  return findings;
}

bool SiteRoles(PgConnection& organiser, std::vector<ServerPoint>* points, std::string* error) {
  Rows roles;
  if (!organiser.Run(kSiteRoles, {}, &roles, error)) return false;
  bool all = true;
  for (const std::vector<std::string>& role : roles) {
    std::string findings = RoleFindings(role);
    if (findings.empty()) continue;
    all = false;
    points->push_back({false, "site " + role[0], findings + ": run check-server --repair"});
  }
  if (all)
    points->push_back({true, "sites",
                       std::to_string(roles.size()) + ", each with its limit of " +
                           std::to_string(kSiteConnections) +
                           " connections, the league's settings and nothing of its own"});
  return true;
}

}  // namespace

bool CheckServer(PgConnection& organiser, std::vector<ServerPoint>* points, std::string* error) {
  Rows settings;
  if (!organiser.Run(kSettings, {}, &settings, error)) return false;
  Settings values;
  for (const std::vector<std::string>& row : settings) values[row.at(0)] = row.at(1);
  ServerSettings(values, points);
  LeagueState state;
  bool upToDate = false;
  if (!HbaRules(organiser, points, error) || !ReadLeagueState(organiser, &state, error) ||
      !IsUpToDate(organiser, state, &upToDate, error))
    return false;
  if (!upToDate) {
    points->push_back({false, "schema",
                       !state.there ? "there is no league in this database: run init-league"
                                    : "at step " + std::to_string(state.step) +
                                          ", not this leaguenet's " + std::to_string(SchemaStep()) +
                                          " with its functions: run init-league"});
    return true;
  }
  points->push_back({true, "schema",
                     "at step " + std::to_string(state.step) +
                         " with this leaguenet's functions and privileges"});
  return LargeObjects(organiser, state.group, points, error) && SiteRoles(organiser, points, error);
}

bool RepairSiteRoles(PgConnection& organiser, std::vector<std::string>* repaired,
                     std::string* error) {
  std::string group;
  Rows roles;
  // Only a league at this leaguenet's step has the functions that repair.
  if (!SiteGroup(organiser, &group, error) || !organiser.Run(kSiteRoles, {}, &roles, error))
    return false;
  for (const std::vector<std::string>& role : roles) {
    if (role.at(3).empty() || RoleFindings(role).empty()) continue;
    ShutOut shutOut;
    if ((role[2] == "t" && !ShutOutRole(organiser, role[1], &shutOut, error)) ||
        !organiser.Run("SELECT league.reset_site_role($1)", {role[1]}, nullptr, error))
      return false;
    repaired->push_back(role[0]);
  }
  return true;
}

}  // namespace lexfray::leaguenet
