#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/descriptor.h"
#include "platform/game_group.h"

namespace lexfray {

namespace {

// The program folder of a shared installation opens only to the games group, so every
// lookup of a path holds it; reads and writes on a descriptor need no group.
int OpenPath(const std::string& path, int flags, mode_t mode = 0) {
  return WithGameGroup([&] { return ::open(path.c_str(), flags, mode); });
}

bool StatPath(const std::string& path, struct stat& info) {
  return WithGameGroup([&] { return ::stat(path.c_str(), &info); }) == 0;
}

void SetReason(std::string* error, const char* what, const std::string& path) {
  if (error) *error = std::string(what) + " " + path + ": " + std::strerror(errno);
}

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
  return lexfray::WriteAllTo(fd, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// Reads until the end or past limit bytes; one byte more than limit tells that it went on.
void ReadAtMost(int fd, std::size_t limit, FilePrefix& out) {
  char buffer[65536];
  for (;;) {
    std::size_t room = limit + 1 - out.bytes.size();
    ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, room));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    out.bytes.append(buffer, static_cast<std::size_t>(got));
    if (out.bytes.size() > limit) {
      out.bytes.resize(limit);
      out.cut = true;
      return;
    }
  }
}

bool IsLink(const std::string& path) {
  struct stat info {};
  return WithGameGroup([&] { return ::lstat(path.c_str(), &info); }) == 0 && S_ISLNK(info.st_mode);
}

// Room for size bytes before the first byte is written. A file system without it still
// takes the copy, only without that promise.
bool TakeRoom(int fd, off_t size) {
  if (size == 0) return true;
  int result = ::posix_fallocate(fd, 0, size);
  if (result == EOPNOTSUPP || result == EINVAL) return true;
  errno = result;
  return result == 0;
}

// A link stays a link: its target, which must exist already, takes the copy where it is.
// The room is taken first, so that a full disk leaves the target as it was.
bool CopyIntoLinkTarget(const std::string& to, std::string_view bytes, std::string* error) {
  Descriptor fd(OpenPath(to, O_WRONLY | O_CLOEXEC));
  off_t size = static_cast<off_t>(bytes.size());
  bool written = fd.ok() && TakeRoom(fd.get(), size) && WriteAllTo(fd.get(), bytes) &&
                 ::ftruncate(fd.get(), size) == 0 && ::fsync(fd.get()) == 0 && fd.Close();
  if (!written) SetReason(error, "cannot write", to);
  return written;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::string* error) {
  Descriptor fd(OpenPath(path, O_RDONLY | O_CLOEXEC));
  std::string bytes;
  if (!fd.ok() || !ReadAllFrom(fd.get(), bytes)) {
    SetReason(error, "cannot read", path);
    return std::nullopt;
  }
  return bytes;
}

FilePrefix ReadOrCreateFile(const std::string& path, std::size_t limit) {
  constexpr int kFlags = O_CLOEXEC | O_NONBLOCK;
  int raw = OpenOrCreate(path, O_RDWR | kFlags);
  // A file this process may only read is still shown.
  if (raw < 0) raw = OpenPath(path, O_RDONLY | kFlags);
  Descriptor fd(raw);
  FilePrefix prefix;
  if (fd.ok()) ReadAtMost(fd.get(), limit, prefix);
  return prefix;
}

int OpenOrCreate(const std::string& path, int flags) {
  int fd = OpenPath(path, flags | O_CLOEXEC);
  if (fd >= 0 || errno != ENOENT) return fd;
  return OpenPath(path, flags | O_CREAT | O_EXCL | O_CLOEXEC, 0664);
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit,
                                         std::string* error) {
  Descriptor fd(OpenPath(path, O_RDONLY | O_CLOEXEC));
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

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string* error) {
  Descriptor fd(OpenOrCreate(path, O_WRONLY | O_TRUNC));
  if (!fd.ok() || !WriteAllTo(fd.get(), bytes) || !fd.Close()) {
    SetReason(error, "cannot write", path);
    return false;
  }
  return true;
}

bool IsReadOnly(const std::string& path) {
  struct stat info {};
  if (!StatPath(path, info)) return false;
  // Asked with the effective IDs: the real ones are the player's, who may write nothing
  // in a shared installation's folder.
  return (info.st_mode & 0222) == 0 || WithGameGroup([&] {
           return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS);
         }) != 0;
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
  if (IsLink(to)) return CopyIntoLinkTarget(to, *bytes, error);
  std::string temporary = FolderOf(to) + ".lexfray-copy-XXXXXX";
  Descriptor fd(WithGameGroup([&] { return ::mkstemp(temporary.data()); }));
  if (!fd.ok()) {
    SetReason(error, "cannot create a file in the folder of", to);
    return false;
  }
  struct stat info {};
  mode_t mode = StatPath(to, info) ? info.st_mode & 07777 : 0664;
  bool written = WriteAllTo(fd.get(), *bytes) && ::fchmod(fd.get(), mode) == 0 &&
                 ::fsync(fd.get()) == 0 && fd.Close();
  if (!written || WithGameGroup([&] { return ::rename(temporary.c_str(), to.c_str()); }) != 0) {
    SetReason(error, "cannot write", to);
    RemoveFile(temporary);
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path) {
  return WithGameGroup([&] { return ::unlink(path.c_str()); }) == 0;
}

bool RemoveKeepingLinks(const std::string& path) {
  if (!IsLink(path)) return RemoveFile(path);
  Descriptor fd(OpenPath(path, O_WRONLY | O_TRUNC | O_CLOEXEC));
  return fd.ok() && ::fsync(fd.get()) == 0 && fd.Close();
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
  struct stat info {};
  if (path.empty() || !StatPath(path, info) || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool FileExists(const std::string& path) { return RegularFileSize(path).has_value(); }

std::FILE* OpenStream(const std::string& path, const char* mode) {
  return WithGameGroup([&] { return std::fopen(path.c_str(), mode); });
}

}  // namespace lexfray
