#include "platform/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace lexfray {

namespace {

#ifdef LEXFRAY_SHARED_PROGRAM_FOLDER
constexpr const char* kSharedFolder = LEXFRAY_SHARED_PROGRAM_FOLDER;
#else
constexpr const char* kSharedFolder = "";
#endif

}  // namespace

std::string ExecutableFolder() {
  char path[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return {};
  std::string folder(path, static_cast<std::size_t>(length));
  std::size_t slash = folder.rfind('/');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool IsSharedInstallation() { return kSharedFolder[0] != '\0'; }

std::string ProgramFolder() {
  if (!IsSharedInstallation()) return ExecutableFolder();
  std::string folder = kSharedFolder;
  if (folder.back() != '/') folder += '/';
  return folder;
}

void OpenGroupBitsOfUmask() {
  mode_t mask = ::umask(0);
  ::umask(mask & 0707);
}

}  // namespace lexfray
