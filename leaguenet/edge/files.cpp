#include "edge/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace lexfray::leaguenet {

bool FolderIsWritable(const std::string& folder) {
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool FolderExists(const std::string& folder) {
  struct stat status {};
  return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool ReadableByEveryone(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && (status.st_mode & S_IROTH) != 0;
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  if (!::getcwd(buffer, sizeof buffer)) return "./";
  std::string folder = buffer;
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace lexfray::leaguenet
