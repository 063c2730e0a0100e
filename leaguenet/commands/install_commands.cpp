#include <filesystem>
#include <ostream>
#include <system_error>

#include "commands/commands.h"
#include "edge/system.h"
#include "platform/executable.h"

namespace lexfray::leaguenet {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kGameGroup = "games";

fs::path Folder(const Invocation& invocation) {
  return (fs::path(invocation.root) / kCompetitionFolder).parent_path();
}

// The folder above it, made for it alone.
fs::path Base(const Invocation& invocation) { return Folder(invocation).parent_path(); }

bool RootOnly(std::ostream& err, const char* command) {
  if (RunsAsRoot()) return true;
  err << "leaguenet: " << command << " changes " << kCompetitionFolder << " and must run as root\n";
  return false;
}

// The folder is root's alone: a folder the games group could write would let any other setgid
// games program replace what the game starts with that group. The game's marker is the one
// thing it writes there, into a file made here for it, writable by the group.
bool PrepareFolder(const Invocation& invocation, std::string* error) {
  fs::path folder = Folder(invocation);
  std::error_code failure;
  fs::create_directories(folder, failure);
  if (failure) {
    *error = failure.message();
    return false;
  }
  if (!SetOwnerAndMode(Base(invocation).string(), "root", 0755, error) ||
      !SetOwnerAndMode(folder.string(), "root", 0755, error))
    return false;
  // Made afresh: what stood there while the group could write the folder is not trusted.
  fs::path marker = folder / kCompetitionMarkerName;
  fs::remove(marker, failure);
  fs::remove(folder / kCompetitionProgramName, failure);
  if (!CreateEmptyFile(marker.string(), error)) return false;
  if (!SetOwnerAndMode(marker.string(), kGameGroup, 0660, error)) return false;
  fs::create_symlink(ExecutablePath(), folder / kCompetitionProgramName, failure);
  if (failure) *error = "cannot link " + (folder / kCompetitionProgramName).string() + ": " + failure.message();
  return !failure;
}

}  // namespace

int RunEnable(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (!RootOnly(err, "enable")) return kFailed;
  fs::path folder = Folder(invocation);
  std::string error;
  if (!PrepareFolder(invocation, &error)) {
    err << "leaguenet: cannot prepare " << folder.string() << ": " << error << '\n';
    return kFailed;
  }
  out << "The game now starts " << ExecutablePath() << " as " << (folder / kCompetitionProgramName).string()
      << ".\n";
  if (!fs::exists(folder / kSettingsName) && !fs::exists(kSystemSettings))
    out << "Put the site's settings into " << kSystemSettings << " (root:games, mode 640).\n";
  return kDone;
}

int RunDisable(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (!RootOnly(err, "disable")) return kFailed;
  fs::path folder = Folder(invocation);
  std::error_code failure;
  fs::remove(folder / kCompetitionProgramName, failure);
  fs::remove(folder / kCompetitionMarkerName, failure);
  // Settings an admin left here stay, and with them the folder.
  fs::remove(folder, failure);
  fs::remove(Base(invocation), failure);
  out << (fs::exists(folder)
              ? "The exchange is off; " + folder.string() + " keeps files of its own.\n"
              : std::string("The exchange is off.\n"));
  return kDone;
}

}  // namespace lexfray::leaguenet
