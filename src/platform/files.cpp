#include "platform/files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

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

bool WriteAllTo(int fd, std::string_view bytes) {
  return lexfray::WriteAllTo(fd, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// Reads until the end or past limit bytes; one byte more than limit tells that it went on.
// False when a read fails.
bool ReadAtMost(int fd, std::size_t limit, FilePrefix& out) {
  char buffer[65536];
  for (;;) {
    std::size_t room = limit + 1 - out.bytes.size();
    ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, room));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    out.bytes.append(buffer, static_cast<std::size_t>(got));
    if (out.bytes.size() > limit) {
      out.bytes.resize(limit);
      out.cut = true;
      return true;
    }
  }
}

bool IsLink(const std::string& path) {
  struct stat info {};
  return WithGameGroup([&] { return ::lstat(path.c_str(), &info); }) == 0 && S_ISLNK(info.st_mode);
}

// The file a replacement must replace: path itself, or the existing file a link in its place
// leads to. A link to a missing file is never followed to create one elsewhere.
std::optional<std::string> ReplacedFile(const std::string& path, std::string* error) {
  if (!IsLink(path)) return path;
  char target[PATH_MAX];
  if (WithGameGroup([&] { return ::realpath(path.c_str(), target); }) == nullptr) {
    SetReason(error, "cannot follow the link", path);
    return std::nullopt;
  }
  return std::string(target);
}

// The old file's owner, group and mode where this process may give them; else at least its
// group, so that a copy made by one player stays the game's for the next.
void TakeOverAttributes(int fd, const std::string& path) {
  struct stat old {};
  if (!StatPath(path, old)) return;
  if (::fchown(fd, old.st_uid, old.st_gid) != 0)
    static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
  static_cast<void>(::fchmod(fd, old.st_mode & 07777));
}

// A rename is on disk only once its folder is.
void SyncFolderOf(const std::string& path) {
  std::string folder = FolderOf(path);
  Descriptor fd(OpenPath(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.ok()) ::fsync(fd.get());
}

}  // namespace

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::string* error) {
  std::optional<FilePrefix> prefix =
      ReadFilePrefix(path, std::numeric_limits<std::size_t>::max() - 1, error);
  if (!prefix) return std::nullopt;
  return std::move(prefix->bytes);
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
  fd = OpenPath(path, flags | O_CREAT | O_EXCL | O_CLOEXEC, 0664);
  // Another game made it meanwhile: it is there to open now.
  if (fd < 0 && errno == EEXIST) fd = OpenPath(path, flags | O_CLOEXEC);
  return fd;
}

std::optional<FilePrefix> ReadFilePrefix(const std::string& path, std::size_t limit,
                                         std::string* error) {
  Descriptor fd(OpenPath(path, O_RDONLY | O_CLOEXEC));
  FilePrefix prefix;
  if (fd.ok() && ReadAtMost(fd.get(), limit, prefix)) return prefix;
  SetReason(error, "cannot read", path);
  return std::nullopt;
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit,
                                         std::string* error) {
  std::optional<FilePrefix> prefix = ReadFilePrefix(path, limit, error);
  if (!prefix) return std::nullopt;
  if (prefix->cut) {
    if (error) *error = path + " is too large: more than " + std::to_string(limit) + " bytes";
    return std::nullopt;
  }
  return std::move(prefix->bytes);
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

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error) {
  // A file without write permission stays as it is, even though the rename could replace it.
  if (IsReadOnly(path)) {
    if (error) *error = path + " is read-only";
    return false;
  }
  std::optional<std::string> target = ReplacedFile(path, error);
  if (!target) return false;
  std::string temporary = FolderOf(*target) + ".lexfray-copy-XXXXXX";
  Descriptor fd(WithGameGroup([&] { return ::mkstemp(temporary.data()); }));
  if (!fd.ok()) {
    SetReason(error, "cannot create a file in the folder of", *target);
    return false;
  }
  if (FileExists(*target)) TakeOverAttributes(fd.get(), *target);
  else ::fchmod(fd.get(), 0664);
  bool written = WriteAllTo(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.Close();
  if (!written || WithGameGroup([&] { return ::rename(temporary.c_str(), target->c_str()); }) != 0) {
    SetReason(error, "cannot write", path);
    RemoveFile(temporary);
    return false;
  }
  SyncFolderOf(*target);
  return true;
}

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  std::optional<std::string> bytes = ReadFileBytes(from, error);
  return bytes && ReplaceFile(to, *bytes, error);
}

bool RemoveFile(const std::string& path) {
  return WithGameGroup([&] { return ::unlink(path.c_str()); }) == 0;
}

bool RemoveKeepingLinks(const std::string& path) {
  if (!IsLink(path)) return RemoveFile(path);
  Descriptor fd(OpenPath(path, O_WRONLY | O_TRUNC | O_CLOEXEC));
  return fd.ok() && ::fsync(fd.get()) == 0 && fd.Close();
}

void FailWritesBeyondSizeLimit() { ::signal(SIGXFSZ, SIG_IGN); }

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
