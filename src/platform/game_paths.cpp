#include "platform/game_paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/game_group.h"

namespace lexfray {

int OpenGamePath(const std::string& path, int flags, mode_t mode) {
  return WithGameGroup([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
}

bool StatGamePath(const std::string& path, struct stat& info) {
  return WithGameGroup([&] { return ::stat(path.c_str(), &info); }) == 0;
}

bool GamePathExists(const std::string& path) {
  struct stat info {};
  return StatGamePath(path, info);
}

bool UnlinkGamePath(const std::string& path) {
  return WithGameGroup([&] { return ::unlink(path.c_str()); }) == 0 || errno == ENOENT;
}

bool StillNames(int fd, const std::string& path) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && StatGamePath(path, named) && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

}  // namespace lexfray
