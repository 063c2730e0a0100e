#include "schema/site_admin.h"

#include <optional>
#include <random>

#include "league/competition_records.h"
#include "rules/safe_text.h"
#include "rules/site_name.h"
#include "schema/league_schema.h"

namespace lexfray::leaguenet {

std::string SiteConnection(const PgConnection& organiser, const std::string& role,
                           const std::string& password, const std::string& rootCert) {
  std::string text;
  auto add = [&text](const std::string& keyword, const std::string& value) {
    if (!value.empty()) text += (text.empty() ? "" : " ") + ConninfoPair(keyword, value);
  };
  std::string host = organiser.Option("host");
  add("host", host);
  add("hostaddr", organiser.Option("hostaddr"));
  add("port", organiser.Option("port"));
  add("dbname", organiser.Option("dbname"));
  add("user", role);
  add("password", password);
  // The organiser's own root certificate is a path on the organiser's machine: the sites
  // name theirs.
  if (!host.empty() && host.front() != '/') {
    add("sslmode", "verify-full");
    add("sslrootcert", rootCert.empty() ? std::string(kSystemRoots) : rootCert);
  }
  return text;
}

namespace {

// A role name for the new site that no role of the server has yet.
bool FreeRoleName(PgConnection& organiser, const std::string& group, std::string* role,
                  std::string* error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    Rows rows;
    if (!organiser.Run("SELECT r, EXISTS (SELECT FROM pg_roles WHERE rolname = r)"
                       " FROM (SELECT regexp_replace($1, '_sites$', '') || '_site_' ||"
                       " nextval('league.site_numbers') AS r) AS candidate",
                       {group}, &rows, error))
      return false;
    if (rows.at(0).at(1) == "f") {
      *role = rows[0][0];
      return true;
    }
  }
  *error = "no free name for the site's role";
  return false;
}

// The password as the server is to keep it; nothing unless it is a SCRAM verifier, so that
// no role is ever made with a password that cannot work.
std::optional<std::string> PasswordVerifier(const PgConnection& organiser,
                                            const std::string& password, const std::string& role,
                                            std::string* error) {
  std::string verifier = organiser.EncryptedPassword(password, role);
  if (verifier.rfind("SCRAM-SHA-256$", 0) != 0) {
    *error = "cannot make the site's password: libpq gave no SCRAM verifier";
    return std::nullopt;
  }
  return verifier;
}

}  // namespace

bool CheckSite(NewSite* site, std::string* error) {
  std::string name = SiteKey(site->name);
  if (name.empty() || name.size() > CompetitionEntry::kSiteWidth ||
      PrintableText(name, name.size()) != name) {
    *error = "a site name is 1 to 35 printable characters";
    return false;
  }
  if (site->loc.size() != CompetitionEntry::kLocWidth || PrintableText(site->loc, 3) != site->loc) {
    *error = "a loc is three printable characters";
    return false;
  }
  site->name = name;
  return true;
}

std::string RandomPassword() {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device source;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string password;
  for (int i = 0; i < 32; ++i) password += kAlphabet[pick(source)];
  return password;
}

bool AddSite(PgConnection& organiser, NewSite site, std::string* settingsText, std::string* error) {
  if (!CheckSite(&site, error)) return false;
  std::string group;
  if (!SiteGroup(organiser, &group, error)) return false;
  Rows rows;
  std::string there = "site " + site.name +
                      " is in the league already; remove-site first to give it new credentials";
  if (!organiser.Run("SELECT 1 FROM league.sites WHERE name = $1 AND role_name IS NOT NULL",
                     {site.name}, &rows, error))
    return false;
  if (!rows.empty()) {
    *error = there;
    return false;
  }
  std::string role;
  if (!FreeRoleName(organiser, group, &role, error)) return false;
  std::string password = RandomPassword();
  std::optional<std::string> verifier = PasswordVerifier(organiser, password, role, error);
  if (!verifier) return false;
  // A site that left the league comes back to the row its closed months keep.
  Rows added;
  if (!organiser.RunScript("BEGIN", error) ||
      !organiser.Run("INSERT INTO league.sites AS s (name, loc, role_name) VALUES ($1, $2, $3)"
                     " ON CONFLICT (name) DO UPDATE SET loc = EXCLUDED.loc,"
                     " role_name = EXCLUDED.role_name, suspended = false"
                     " WHERE s.role_name IS NULL RETURNING 1",
                     {site.name, site.loc, role}, &added, error))
    return false;
  if (added.empty()) {
    std::string ignored;
    organiser.RunScript("ROLLBACK", &ignored);
    *error = there;
    return false;
  }
  std::string create = "CREATE ROLE " + organiser.QuoteIdentifier(role) + " LOGIN PASSWORD " +
                       organiser.QuoteLiteral(*verifier) + " IN ROLE " +
                       organiser.QuoteIdentifier(group) + ";\nSELECT league.limit_site_role(" +
                       organiser.QuoteLiteral(role) + ");\nCOMMIT";
  if (!organiser.RunScript(create, error)) return false;
  *settingsText =
      "# LeagueNET exchange of site " + site.name + " (" + site.loc + ")\n" +
      "# Keep this file readable by the games group only: it holds the site's password.\n" +
      "league = " + SiteConnection(organiser, role, password, site.siteCa) + "\n";
  return true;
}

}  // namespace lexfray::leaguenet
