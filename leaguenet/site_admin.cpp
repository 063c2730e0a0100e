#include "site_admin.h"

#include <random>

#include "league/competition_records.h"
#include "league_schema.h"
#include "platform/record_fields.h"
#include "safe_text.h"

namespace lexfray::leaguenet {

std::string SiteConnection(const PgConnection& organiser, const std::string& role,
                           const std::string& password) {
  std::string text;
  auto add = [&text](const std::string& keyword, const std::string& value) {
    if (value.empty()) return;
    std::string quoted;
    for (char c : value) {
      if (c == '\'' || c == '\\') quoted += '\\';
      quoted += c;
    }
    text += (text.empty() ? "" : " ") + keyword + "='" + quoted + "'";
  };
  std::string host = organiser.Option("host");
  add("host", host);
  add("hostaddr", organiser.Option("hostaddr"));
  add("port", organiser.Option("port"));
  add("dbname", organiser.Option("dbname"));
  add("user", role);
  add("password", password);
  bool network = !host.empty() && host.front() != '/';
  if (network) add("sslmode", "verify-full");
  // Without a root certificate of its own the league has one from a public authority.
  std::string roots = organiser.Option("sslrootcert");
  add("sslrootcert", roots.empty() && network ? "/etc/ssl/certs/ca-certificates.crt" : roots);
  return text;
}

bool CheckSite(NewSite* site, std::string* error) {
  std::string name = ComparableName(site->name);
  std::size_t lead = name.find_first_not_of(' ');
  name.erase(0, lead == std::string::npos ? name.size() : lead);
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
  if (!organiser.Run("SELECT 1 FROM league.sites WHERE name = $1", {site.name}, &rows, error))
    return false;
  if (!rows.empty()) {
    *error = "site " + site.name +
             " is in the league already; remove-site first to give it new credentials";
    return false;
  }
  if (!organiser.RunScript("BEGIN", error)) return false;
  rows.clear();
  if (!organiser.Run("INSERT INTO league.sites (name, loc, role_name)"
                     " VALUES ($1, $2, regexp_replace($3, '_sites$', '') || '_site_' || "
                     "nextval('league.site_numbers'))"
                     " RETURNING role_name",
                     {site.name, site.loc, group}, &rows, error))
    return false;
  std::string role = rows.at(0).at(0);
  std::string password = RandomPassword();
  std::string create = "CREATE ROLE " + organiser.QuoteIdentifier(role) + " LOGIN PASSWORD " +
                       organiser.QuoteLiteral(organiser.EncryptedPassword(password, role)) +
                       " IN ROLE " + organiser.QuoteIdentifier(group) + "; COMMIT";
  if (!organiser.RunScript(create, error)) return false;
  *settingsText =
      "# LeagueNET exchange of site " + site.name + " (" + site.loc + ")\n" +
      "# Keep this file readable by the games group only: it holds the site's password.\n" +
      "league = " + SiteConnection(organiser, role, password) + "\n";
  return true;
}

bool RemoveSite(PgConnection& organiser, const std::string& name, std::string* error) {
  std::string group;
  if (!SiteGroup(organiser, &group, error)) return false;
  Rows rows;
  if (!organiser.RunScript("BEGIN", error) ||
      !organiser.Run("DELETE FROM league.sites WHERE name = $1 RETURNING role_name",
                     {ComparableName(name)}, &rows, error))
    return false;
  if (rows.empty()) {
    *error = "there is no site " + ComparableName(name) + " in the league";
    return false;
  }
  return organiser.RunScript(
      "DROP ROLE IF EXISTS " + organiser.QuoteIdentifier(rows[0][0]) + "; COMMIT", error);
}

}  // namespace lexfray::leaguenet
