#include <ostream>

#include "commands.h"
#include "league_schema.h"
#include "publish_schema.h"
#include "site_admin.h"

namespace lexfray::leaguenet {

namespace {

constexpr int kAdminSeconds = 60;

std::unique_ptr<PgConnection> Organiser(const Invocation& invocation, std::ostream& err,
                                        std::string* error) {
  if (invocation.database.empty()) {
    err << "leaguenet: --db CONNINFO names the league's database\n";
    return nullptr;
  }
  auto connection = PgConnection::Open(invocation.database, {},
                                       Clock::now() + std::chrono::seconds(kAdminSeconds), error);
  if (!connection) err << "leaguenet: " << *error << '\n';
  return connection;
}

}  // namespace

int RunInitLeague(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return invocation.database.empty() ? kUsage : kFailed;
  bool alreadyThere = false;
  if (!InitLeague(*organiser, &alreadyThere, &error) || !InitPublishing(*organiser, &error)) {
    err << "leaguenet: cannot set up the league: " << error << '\n';
    return kFailed;
  }
  out << (alreadyThere ? "The league was set up already; nothing changed.\n"
                       : "The league is set up. Register each site with: leaguenet add-site --db "
                         "... --site NAME --loc XYZ\n");
  return kDone;
}

int RunAddSite(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (invocation.site.empty() || invocation.loc.empty()) {
    err << "leaguenet: add-site needs --site NAME and --loc XYZ\n";
    return kUsage;
  }
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return invocation.database.empty() ? kUsage : kFailed;
  std::string settingsText;
  if (!AddSite(*organiser, {invocation.site, invocation.loc}, &settingsText, &error)) {
    err << "leaguenet: cannot add the site: " << error << '\n';
    return kFailed;
  }
  out << settingsText;
  return kDone;
}

int RunRemoveSite(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (invocation.site.empty()) {
    err << "leaguenet: remove-site needs --site NAME\n";
    return kUsage;
  }
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return invocation.database.empty() ? kUsage : kFailed;
  if (!RemoveSite(*organiser, invocation.site, &error)) {
    err << "leaguenet: cannot remove the site: " << error << '\n';
    return kFailed;
  }
  out << "Site removed, with its entries and its role.\n";
  return kDone;
}

int RunAddPublisher(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return invocation.database.empty() ? kUsage : kFailed;
  std::string settingsText;
  if (!AddPublisher(*organiser, &settingsText, &error)) {
    err << "leaguenet: cannot give the publisher credentials: " << error << '\n';
    return kFailed;
  }
  out << settingsText;
  return kDone;
}

}  // namespace lexfray::leaguenet
