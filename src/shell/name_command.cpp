#include "shell/name_command.h"

#include <optional>

#include "platform/account_names.h"
#include "platform/record_fields.h"
#include "players/name_owners.h"
#include "players/player_file.h"

namespace lexfray {

namespace {

constexpr const char* kUsage = "usage: lexfray [--names | --free-name NAME]\n";

int ListNames(const std::string& folder, std::ostream& out, std::ostream& err) {
  std::string error;
  std::optional<PlayerFileView> view = ReadPlayerFile(folder, &error);
  if (!view) {
    err << "lexfray: " << error << '\n';
    return 1;
  }
  for (const auto& [account, name] : view->image.owners.All())
    out << LoginNameOf(account) << '\t' << name << '\n';
  return 0;
}

int Free(const std::string& folder, bool shared, Clock& clock, const std::string& name,
         std::ostream& out, std::ostream& err) {
  std::string comparable = ComparableName(NameFromShown(name));
  bool freed = false;
  SaveResult saved = FreeName({folder, !shared}, clock, comparable, &freed);
  if (saved.outcome == SaveResult::kFailed) {
    err << "lexfray: " << saved.reason << '\n';
    return 1;
  }
  if (!freed) {
    err << "lexfray: nobody has the name " << ShownName(comparable) << '\n';
    return 1;
  }
  out << "freed " << ShownName(comparable) << '\n';
  return 0;
}

}  // namespace

int RunNameCommand(const std::vector<std::string>& arguments, const std::string& programFolder,
                   const Installation& installation, Clock& clock, std::ostream& out,
                   std::ostream& err) {
  bool list = arguments.size() == 1 && arguments[0] == "--names";
  bool freeing = arguments.size() == 2 && arguments[0] == "--free-name";
  if (!list && !freeing) {
    err << kUsage;
    return 2;
  }
  if (!installation.administrator) {
    err << "lexfray: only the administrator (" << installation.administratorName
        << ") lists and frees the player names\n";
    return 1;
  }
  if (list) return ListNames(programFolder, out, err);
  return Free(programFolder, installation.shared, clock, arguments[1], out, err);
}

}  // namespace lexfray
