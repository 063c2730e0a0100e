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
#include "platform/game_paths.h"

namespace lexfray {

namespace {

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

// More links in a row than any installation makes: a loop.
constexpr int kMostLinks = 40;

// A folder that nobody but root, the owner of the folder the path starts in, and the games
// group can write: nobody else can put another link or file in place of what it holds.
bool FolderIsSafe(const std::string& folder, uid_t trustedOwner) {
  struct stat info {};
  if (!StatGamePath(folder.empty() ? "." : folder, info)) return false;
  if (info.st_mode & S_IWOTH) return false;  // a world-writable sticky folder too
  if ((info.st_mode & S_IWGRP) && !IsGameGroup(info.st_gid)) return false;
  return info.st_uid == 0 || info.st_uid == trustedOwner;
}

std::string LinkTarget(const std::string& link) {
  char target[PATH_MAX];
  ssize_t length = WithGameGroup([&] { return ::readlink(link.c_str(), target, sizeof target); });
  if (length <= 0) return {};
  std::string to(target, static_cast<std::size_t>(length));
  return to.front() == '/' ? to : FolderOf(link) + to;
}

}  // namespace

std::optional<std::string> WritableTarget(const std::string& path, std::string* error) {
  if (!IsLink(path)) return path;
  struct stat start {};
  uid_t trustedOwner = StatGamePath(FolderOf(path).empty() ? "." : FolderOf(path), start) ? start.st_uid : 0;
  std::string at = path;
  for (int hops = 0; IsLink(at); ++hops) {
    // The program folder itself is the installation's: only the links beyond it are
    // another folder's entries.
    if (hops > 0 && !FolderIsSafe(FolderOf(at), trustedOwner)) {
      if (error)
        *error = "will not write " + path + " through the link " + at + ": its folder " +
                 FolderOf(at) + " can be written by other accounts";
      return std::nullopt;
    }
    std::string next = LinkTarget(at);
    if (next.empty() || hops == kMostLinks) {
      SetReason(error, "cannot follow the link", at);
      return std::nullopt;
    }
    at = next;
  }
  // A link to a missing file is never followed to create one elsewhere.
  struct stat last {};
  if (!StatGamePath(at, last)) {
    SetReason(error, "cannot follow the link", path);
    return std::nullopt;
  }
  if (!FolderIsSafe(FolderOf(at), trustedOwner)) {
    if (error)
      *error = "will not write " + path + " through a link into " + FolderOf(at) +
               ", a folder other accounts can write";
    return std::nullopt;
  }
  return at;
}

namespace {

// The old file's owner, group and mode where this process may give them; else at least its
// group, so that a copy made by one player stays the game's for the next.
void TakeOverAttributes(int fd, const std::string& path) {
  struct stat old {};
  if (!StatGamePath(path, old)) return;
  if (::fchown(fd, old.st_uid, old.st_gid) != 0)
    static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
  static_cast<void>(::fchmod(fd, old.st_mode & 07777));
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
  if (raw < 0) raw = OpenGamePath(path, O_RDONLY | kFlags);
  Descriptor fd(raw);
  FilePrefix prefix;
  if (fd.ok()) ReadAtMost(fd.get(), limit, prefix);
  return prefix;
}

int OpenOrCreate(const std::string& path, int flags) {
  if ((flags & O_ACCMODE) != O_RDONLY && IsLink(path)) {
    std::optional<std::string> target = WritableTarget(path);
    if (!target) {
      errno = EPERM;
      return -1;
    }
    return OpenGamePath(*target, flags | O_CLOEXEC);
  }
  int fd = OpenGamePath(path, flags | O_CLOEXEC);
  if (fd >= 0 || errno != ENOENT) return fd;
  fd = OpenGamePath(path, flags | O_CREAT | O_EXCL | O_CLOEXEC, 0664);
  // Another game made it meanwhile: it is there to open now.
  if (fd < 0 && errno == EEXIST) fd = OpenGamePath(path, flags | O_CLOEXEC);
  return fd;
}

bool CreateIfMissing(const std::string& path) {
  Descriptor fd(OpenOrCreate(path, O_RDONLY));
  return fd.ok();
}

std::optional<FilePrefix> ReadFilePrefix(const std::string& path, std::size_t limit,
                                         std::string* error) {
  Descriptor fd(OpenGamePath(path, O_RDONLY | O_CLOEXEC));
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
  if (!StatGamePath(path, info)) return false;
  // Asked with the effective IDs: the real ones are the player's, who may write nothing
  // in a shared installation's folder.
  return (info.st_mode & 0222) == 0 || WithGameGroup([&] {
           return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS);
         }) != 0;
}

std::optional<std::string> WriteTemporaryFile(const std::string& prefix, std::string_view bytes,
                                              const std::string& likeFile, std::string* error) {
  std::string temporary = prefix + "XXXXXX";
  Descriptor fd(WithGameGroup([&] { return ::mkostemp(temporary.data(), O_CLOEXEC); }));
  if (!fd.ok()) {
    SetReason(error, "cannot create a file in the folder of", likeFile);
    return std::nullopt;
  }
  if (FileExists(likeFile)) TakeOverAttributes(fd.get(), likeFile);
  else ::fchmod(fd.get(), 0664);
  if (WriteAllTo(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.Close()) return temporary;
  SetReason(error, "cannot write", likeFile);
  RemoveFile(temporary);
  return std::nullopt;
}

bool RenameFile(const std::string& from, const std::string& to, std::string* error) {
  if (WithGameGroup([&] { return ::rename(from.c_str(), to.c_str()); }) == 0) return true;
  SetReason(error, "cannot write", to);
  return false;
}

void SyncFolder(const std::string& folder) {
  Descriptor fd(OpenGamePath(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.ok()) ::fsync(fd.get());
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error) {
  // A file without write permission stays as it is, even though the rename could replace it.
  if (IsReadOnly(path)) {
    if (error) *error = path + " is read-only";
    return false;
  }
  std::optional<std::string> target = WritableTarget(path, error);
  if (!target) return false;
  std::optional<std::string> temporary =
      WriteTemporaryFile(FolderOf(*target) + ".lexfray-copy-", bytes, *target, error);
  if (!temporary) return false;
  if (!RenameFile(*temporary, *target, error)) {
    RemoveFile(*temporary);
    return false;
  }
  SyncFolder(FolderOf(*target));
  return true;
}

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string* error) {
  std::optional<std::string> bytes = ReadFileBytes(from, error);
  return bytes && ReplaceFile(to, *bytes, error);
}

bool RemoveFile(const std::string& path) {
  return WithGameGroup([&] { return ::unlink(path.c_str()); }) == 0;
}


void FailWritesBeyondSizeLimit() { ::signal(SIGXFSZ, SIG_IGN); }

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
  struct stat info {};
  if (path.empty() || !StatGamePath(path, info) || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool FileExists(const std::string& path) { return RegularFileSize(path).has_value(); }

std::FILE* OpenStream(const std::string& path, const char* mode) {
  return WithGameGroup([&] { return std::fopen(path.c_str(), mode); });
}

}  // namespace lexfray
