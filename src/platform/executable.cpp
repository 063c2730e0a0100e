#include "platform/executable.h"

#include <unistd.h>

#include <climits>

namespace lexfray {

std::string ExecutablePath() {
  char path[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return {};
  return std::string(path, static_cast<std::size_t>(length));
}

}  // namespace lexfray
