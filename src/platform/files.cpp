#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lexfray {

namespace {

void SetReason(std::string* error, const char* what, const std::string& path) {
  if (error) *error = std::string(what) + " " + path + ": " + std::strerror(errno);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closing reports write-back errors that a write alone may not.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool ReadAllFrom(int fd, std::string& out, std::size_t limit = std::string::npos) {
  char buffer[65536];
  for (;;) {
    if (out.size() > limit) return true;
    // One byte beyond the limit tells a file that is too large from one that is just full.
    std::size_t wanted = std::min(sizeof buffer, limit - out.size());
    if (wanted < sizeof buffer) ++wanted;
    ssize_t got = ::read(fd, buffer, wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    out.append(buffer, static_cast<std::size_t>(got));
  }
}

bool WriteAllTo(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, std::string* error) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  std::string bytes;
  if (!fd.ok() || !ReadAllFrom(fd.get(), bytes)) {
    SetReason(error, "cannot read", path);
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit,
                                         std::string* error) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  std::string bytes;
  if (!fd.ok() || !ReadAllFrom(fd.get(), bytes, limit)) {
    SetReason(error, "cannot read", path);
    return std::nullopt;
  }
  if (bytes.size() > limit) {
    if (error) *error = path + " is too large: more than " + std::to_string(limit) + " bytes";
    return std::nullopt;
  }
  return bytes;
}

std::string ReadOrCreateFile(const std::string& path) {
  Descriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0664));
  if (!fd.ok()) return ReadFileBytes(path).value_or(std::string());
  std::string bytes;
  ReadAllFrom(fd.get(), bytes);
  return bytes;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string* error) {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0664));
  if (!fd.ok() || !WriteAllTo(fd.get(), bytes) || !fd.Close()) {
    SetReason(error, "cannot write", path);
    return false;
  }
  return true;
}

bool IsReadOnly(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  return (info.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  std::optional<std::string> bytes = ReadFileBytes(from, error);
  if (!bytes) return false;
  // A target without write permission stays as it is, like a read-only file elsewhere,
  // even though the rename below could replace it.
  if (IsReadOnly(to)) {
    errno = EACCES;
    SetReason(error, "cannot write", to);
    return false;
  }
  std::string temporary = FolderOf(to) + ".lexfray-copy-XXXXXX";
  Descriptor fd(::mkstemp(temporary.data()));
  if (!fd.ok()) {
    SetReason(error, "cannot create a file in the folder of", to);
    return false;
  }
  struct stat info {};
  mode_t mode = ::stat(to.c_str(), &info) == 0 ? info.st_mode & 07777 : 0664;
  bool written = WriteAllTo(fd.get(), *bytes) && ::fchmod(fd.get(), mode) == 0 &&
                 ::fsync(fd.get()) == 0 && fd.Close();
  if (!written || ::rename(temporary.c_str(), to.c_str()) != 0) {
    SetReason(error, "cannot write", to);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace lexfray
