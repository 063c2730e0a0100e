#include "platform/system/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/executable.h"
#include "platform/files.h"

namespace lexfray {

namespace {

#ifdef LEXFRAY_SHARED_PROGRAM_FOLDER
constexpr const char* kSharedFolder = LEXFRAY_SHARED_PROGRAM_FOLDER;
#else
constexpr const char* kSharedFolder = "";
#endif

}  // namespace

std::string ExecutableFolder() { return FolderOf(ExecutablePath()); }

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
