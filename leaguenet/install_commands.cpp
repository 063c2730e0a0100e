#include <filesystem>
#include <ostream>
#include <system_error>

#include "commands.h"
#include "edge/system.h"
#include "platform/executable.h"

namespace lexfray::leaguenet {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kGameGroup = "games";

fs::path Base(const Invocation& invocation) {
  return fs::path(invocation.root) / "QuillonHomeSoftware";
}

bool RootOnly(std::ostream& err, const char* command) {
  if (RunsAsRoot()) return true;
  err << "leaguenet: " << command << " changes " << kCompetitionFolder << " and must run as root\n";
  return false;
}

}  // namespace

int RunEnable(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (!RootOnly(err, "enable")) return kFailed;
  fs::path folder = Base(invocation) / "LeagueNet";
  std::error_code failure;
  fs::create_directories(folder, failure);
  std::string error;
  // The game, with its group, leaves the marker here; players write nothing.
  if (failure || !SetOwnerAndMode(Base(invocation).string(), "root", 0755, &error) ||
      !SetOwnerAndMode(folder.string(), kGameGroup, 0775, &error)) {
    err << "leaguenet: cannot prepare " << folder.string() << ": "
        << (failure ? failure.message() : error) << '\n';
    return kFailed;
  }
  fs::path program = folder / kProgramName;
  fs::remove(program, failure);
  fs::create_symlink(ExecutablePath(), program, failure);
  if (failure) {
    err << "leaguenet: cannot link " << program.string() << ": " << failure.message() << '\n';
    return kFailed;
  }
  out << "The game now starts " << ExecutablePath() << " as " << program.string() << ".\n";
  if (!fs::exists(folder / kSettingsName) && !fs::exists(kSystemSettings))
    out << "Put the site's settings into " << kSystemSettings << " (root:games, mode 640).\n";
  return kDone;
}

int RunDisable(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  if (!RootOnly(err, "disable")) return kFailed;
  fs::path folder = Base(invocation) / "LeagueNet";
  std::error_code failure;
  fs::remove(folder / kProgramName, failure);
  fs::remove(folder / "GOLN", failure);
  // Settings an admin left here stay, and with them the folder.
  fs::remove(folder, failure);
  fs::remove(Base(invocation), failure);
  out << (fs::exists(folder)
              ? "The exchange is off; " + folder.string() + " keeps files of its own.\n"
              : std::string("The exchange is off.\n"));
  return kDone;
}

}  // namespace lexfray::leaguenet
