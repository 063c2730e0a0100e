#include "platform/system/account.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/game_group.h"
#include "platform/system/program_folder.h"

namespace lexfray {

Installation ThisInstallation(const std::string& programFolder) {
  Installation installation;
  installation.shared =
      IsSharedInstallation() || ::getegid() != ::getgid() || ::geteuid() != ::getuid();
  installation.uid = ::getuid();
  installation.loginName = LoginNameOf(installation.uid);
  struct stat folder {};
  const char* path = programFolder.empty() ? "." : programFolder.c_str();
  bool known = WithGameGroup([&] { return ::stat(path, &folder); }) == 0;
  uid_t owner = known ? folder.st_uid : 0;
  installation.administrator = installation.uid == 0 || (known && installation.uid == owner);
  installation.administratorName = LoginNameOf(owner);
  return installation;
}

}  // namespace lexfray
