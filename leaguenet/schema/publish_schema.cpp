#include "schema/publish_schema.h"

#include "schema/league_schema.h"
#include "schema/site_admin.h"

namespace lexfray::leaguenet {

std::string ReaderRoleOf(std::string group) {
  constexpr std::string_view kGroupSuffix = "_sites";
  if (group.size() > kGroupSuffix.size() && group.ends_with(kGroupSuffix))
    group.resize(group.size() - kGroupSuffix.size());
  return group + "_reader";
}

bool PublishRole(PgConnection& organiser, std::string* role, std::string* error) {
  std::string group;
  if (!SiteGroup(organiser, &group, error)) return false;
  *role = ReaderRoleOf(group);
  return true;
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
