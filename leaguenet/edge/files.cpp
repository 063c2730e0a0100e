#include "edge/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/descriptor.h"

namespace lexfray::leaguenet {

namespace {

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// The old file's owner and group when this process may give them; else at least its group,
// so that a player's run keeps the file the game's.
bool TakeOwnership(int fd, const struct stat& old) {
  return ::fchown(fd, old.st_uid, old.st_gid) == 0 ||
         ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

}  // namespace

ReadOutcome ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes,
                          std::string* error) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENOENT) return ReadOutcome::kMissing;
    *error = Reason("cannot open", path);
    return ReadOutcome::kFailed;
  }
  bytes->clear();
  std::uint8_t buffer[65536];
  for (;;) {
    ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = Reason("cannot read", path);
      return ReadOutcome::kFailed;
    }
    if (got == 0) return ReadOutcome::kRead;
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
}

bool ReplaceFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           std::string* error) {
  // One fixed scratch name: a copy left by a killed run is simply overwritten by the next.
  std::string folder = FolderOf(path);
  std::string scratch = folder + ".leaguenet-" + path.substr(folder.size());
  struct stat old {};
  bool replacing = ::stat(path.c_str(), &old) == 0;
  mode_t mode = replacing ? (old.st_mode & 07777) : 0664;
  Descriptor file(
      ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (file.get() < 0) {
    *error = Reason("cannot create", scratch);
    return false;
  }
  if (replacing) TakeOwnership(file.get(), old);
  bool done =
      WriteAllTo(file.get(), bytes) && ::fchmod(file.get(), mode) == 0 && ::fsync(file.get()) == 0;
  if (!done) *error = Reason("cannot write", scratch);
  if (!file.Close() && done) {
    *error = Reason("cannot write", scratch);
    done = false;
  }
  if (done && ::rename(scratch.c_str(), path.c_str()) != 0) {
    *error = Reason("cannot replace", path);
    done = false;
  }
  if (!done) {
    ::unlink(scratch.c_str());
    return false;
  }
  Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
  return true;
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

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

std::optional<std::string> ReadTextFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (ReadWholeFile(path, &bytes, &error) != ReadOutcome::kRead) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace lexfray::leaguenet
