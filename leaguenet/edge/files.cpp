#include "edge/files.h"

#include <fcntl.h>
#include <grp.h>
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

bool WritableByOthers(const std::string& folder) {
  struct stat status {};
  return ::stat(folder.c_str(), &status) != 0 || status.st_uid != 0 ||
         (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool MarkerWritableByGame(const std::string& marker) {
  struct stat status {};
  struct group* games = ::getgrnam("games");
  return ::lstat(marker.c_str(), &status) == 0 && S_ISREG(status.st_mode) && games &&
         status.st_gid == games->gr_gid && (status.st_mode & S_IWGRP) != 0;
}

bool ReadableByEveryone(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && (status.st_mode & S_IROTH) != 0;
}

bool GamesGroupMay(const std::string& path, int access) {
  struct stat status {};
  struct group* games = ::getgrnam("games");
  if (::stat(path.c_str(), &status) != 0) return false;
  auto others = static_cast<mode_t>(access & 07);
  auto group = static_cast<mode_t>(others << 3);
  return (status.st_mode & others) == others ||
         (games && status.st_gid == games->gr_gid && (status.st_mode & group) == group);
}

bool CallerMayRead(const std::string& path) {
  return ::access(path.c_str(), R_OK) == 0;
}

bool CallerMayRun(const std::string& path) {
  return ::access(path.c_str(), X_OK) == 0;
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  if (!::getcwd(buffer, sizeof buffer)) return "./";
  std::string folder = buffer;
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace lexfray::leaguenet
