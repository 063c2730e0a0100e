#include "platform/line_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <span>

#include "platform/descriptor.h"
#include "platform/files.h"

namespace lexfray {

bool WriteAfterLastLine(const std::string& path, std::uint64_t offset, std::string_view bytes,
                        std::string* error) {
  Descriptor fd(OpenOrCreate(path, O_WRONLY));
  off_t at = static_cast<off_t>(offset);
  std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                     bytes.size());
  bool written = fd.ok() && ::lseek(fd.get(), at, SEEK_SET) == at && WriteAllTo(fd.get(), data) &&
                 ::ftruncate(fd.get(), at + static_cast<off_t>(bytes.size())) == 0;
  if (!written && fd.ok()) {
    int reason = errno;
    static_cast<void>(::ftruncate(fd.get(), at));
    errno = reason;
  }
  if (!written || !fd.Close()) {
    if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace lexfray
