#include "platform/program_folder.h"

#include <unistd.h>

#include <climits>

namespace lexfray {

std::string ExecutableFolder() {
  char path[PATH_MAX];
  ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return {};
  std::string folder(path, static_cast<std::size_t>(length));
  std::size_t slash = folder.rfind('/');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

}  // namespace lexfray
