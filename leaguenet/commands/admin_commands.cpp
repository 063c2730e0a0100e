#include <filesystem>
#include <functional>
#include <ostream>

#include "commands/commands.h"
#include "commands/organiser.h"
#include "edge/system.h"
#include "rules/safe_text.h"
#include "schema/league_schema.h"
#include "schema/publish_schema.h"
#include "schema/site_admin.h"
#include "schema/site_removal.h"

namespace lexfray::leaguenet {

namespace {

constexpr int kAdminSeconds = 60;

// Settings that hold a password go only into a file made for them.
bool OutFileTaken(const Invocation& invocation, std::ostream& err) {
  std::error_code failure;
  if (invocation.out.empty() || !std::filesystem::exists(invocation.out, failure)) return false;
  err << "leaguenet: " << invocation.out << " is there already; name a new file\n";
  return true;
}

// The news of sessions that did not end when told to.
std::string Lingering(const ShutOut& shutOut) {
  if (shutOut.sessionsLeft == 0) return "";
  return " " + std::to_string(shutOut.sessionsLeft) +
         " of its sessions had not yet ended 5 s after being told to; they can start nothing"
         " new.";
}

// Runs a command on one site: --site NAME and the organiser's connection checked first.
int OnSite(const Invocation& invocation, std::ostream& err, const char* command,
           const char* failure, const std::function<bool(PgConnection&, std::string*)>& act) {
  if (invocation.site.empty()) {
    err << "leaguenet: " << command << " needs --site NAME\n";
    return kUsage;
  }
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return NoOrganiser(invocation);
  if (!act(*organiser, &error)) {
    err << "leaguenet: " << failure << ": " << PrintableText(error, error.size()) << '\n';
    return kFailed;
  }
  return kDone;
}

}  // namespace

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

int NoOrganiser(const Invocation& invocation) {
  return invocation.database.empty() ? kUsage : kFailed;
}

int RunInitLeague(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return NoOrganiser(invocation);
  LeagueSetup setup{invocation.leagueName, [&err](const std::string& news) {
                      err << "leaguenet: " << PrintableText(news, news.size()) << '\n';
                    }};
  SetupResult result;
  if (!SetUpLeague(*organiser, setup, &result, &error)) {
    err << "leaguenet: cannot set up the league: " << PrintableText(error, error.size()) << '\n';
    return kFailed;
  }
  if (!result.before.there)
    out << "The league is set up. Register each site with: leaguenet add-site --db ... --site "
           "NAME --loc XYZ\n";
  else if (result.changed && result.before.step < SchemaStep())
    out << "The league is brought up to date, from step " << result.before.step << " of its "
        << "schema to " << SchemaStep() << ", keeping its entries.\n";
  else if (result.changed)
    out << "The league's functions and privileges are brought up to date.\n";
  else
    out << "The league was set up already, and is up to date.\n";
  std::string name = PrintableText(result.name, result.name.size());
  if (result.ownName)
    out << "Its name is \"" << name << "\".\n";
  else
    out << "It goes by its database's name, \"" << name
        << "\"; give it its own with: leaguenet init-league --db ... --name \"...\"\n";
  return kDone;
}

int RunAddSite(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (invocation.site.empty() || invocation.loc.empty()) {
    err << "leaguenet: add-site needs --site NAME and --loc XYZ\n";
    return kUsage;
  }
  if (OutFileTaken(invocation, err)) return kFailed;
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return NoOrganiser(invocation);
  std::string settingsText;
  if (!AddSite(*organiser, {invocation.site, invocation.loc, invocation.siteCa}, &settingsText,
               &error)) {
    err << "leaguenet: cannot add the site: " << error << '\n';
    return kFailed;
  }
  if (invocation.out.empty()) {
    out << settingsText;
    err << "leaguenet: the settings hold the site's password: keep them where only you can read "
           "them, and send them to the site's admin by a safe way\n";
    return kDone;
  }
  if (!WriteNewFile(invocation.out, settingsText, 0640, &error)) {
    // The site is registered: new credentials need a remove-site first.
    err << "leaguenet: the site is registered, but its settings cannot be written: " << error
        << "; remove-site and add-site again\n";
    return kFailed;
  }
  out << "Site registered; its settings are in " << invocation.out
      << " (mode 640): send them to the site's admin by a safe way.\n";
  return kDone;
}

int RunRemoveSite(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  return OnSite(
      invocation, err, "remove-site", "cannot remove the site",
      [&](PgConnection& organiser, std::string* error) {
        ShutOut shutOut;
        if (!RemoveSite(organiser, invocation.database, invocation.site, &shutOut, error))
          return false;
        out << "Site removed: its sessions ended, with its entries, its role and whatever the role"
               " owned."
            << Lingering(shutOut) << '\n';
        return true;
      });
}

int RunSuspendSite(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  return OnSite(
      invocation, err, "suspend-site", "cannot suspend the site",
      [&](PgConnection& organiser, std::string* error) {
        ShutOut shutOut;
        if (!SuspendSite(organiser, invocation.site, &shutOut, error)) return false;
        out << "Site suspended: it cannot log in, and its entries are left out of the standings and"
               " the pages until resume-site."
            << Lingering(shutOut) << '\n';
        return true;
      });
}

int RunResumeSite(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  return OnSite(invocation, err, "resume-site", "cannot resume the site",
                [&](PgConnection& organiser, std::string* error) {
                  if (!ResumeSite(organiser, invocation.site, error)) return false;
                  out << "Site resumed: it can log in, and its entries count again.\n";
                  return true;
                });
}

int RunAddPublisher(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (OutFileTaken(invocation, err)) return kFailed;
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return NoOrganiser(invocation);
  // The publisher runs where the organiser is, as a rule, and checks the league alike.
  std::string rootCert =
      invocation.siteCa.empty() ? organiser->Option("sslrootcert") : invocation.siteCa;
  std::string settingsText;
  if (!AddPublisher(*organiser, rootCert, &settingsText, &error)) {
    err << "leaguenet: cannot give the publisher credentials: " << error << '\n';
    return kFailed;
  }
  if (invocation.out.empty()) {
    out << settingsText;
    return kDone;
  }
  if (!WriteNewFile(invocation.out, settingsText, 0600, &error)) {
    err << "leaguenet: the settings cannot be written: " << error
        << "; run add-publisher again for new ones\n";
    return kFailed;
  }
  out << "The publisher's settings are in " << invocation.out << " (mode 600).\n";
  return kDone;
}

}  // namespace lexfray::leaguenet
