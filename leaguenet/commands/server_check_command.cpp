#include <ostream>

#include "commands/check_list.h"
#include "commands/commands.h"
#include "commands/organiser.h"
#include "rules/safe_text.h"
#include "schema/server_check.h"

namespace lexfray::leaguenet {

int RunCheckServer(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  std::string error;
  std::unique_ptr<PgConnection> organiser = Organiser(invocation, err, &error);
  if (!organiser) return NoOrganiser(invocation);
  std::vector<std::string> repaired;
  std::vector<ServerPoint> points;
  if ((invocation.repair && !RepairSiteRoles(*organiser, &repaired, &error)) ||
      !CheckServer(*organiser, &points, &error)) {
    err << "leaguenet: cannot check the server: " << PrintableText(error, error.size()) << '\n';
    return kFailed;
  }
  for (const std::string& site : repaired)
    out << "repaired site " << PrintableText(site, site.size())
        << ": the league's limits and settings, nothing of its own\n";
  CheckList list(out);
  for (const ServerPoint& point : points)
    list.Say(point.holds, PrintableText(point.name, point.name.size()),
             PrintableText(point.finding, point.finding.size()));
  return list.Result();
}

}  // namespace lexfray::leaguenet
