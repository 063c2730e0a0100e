#include "edge/publish_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace lexfray::leaguenet {

namespace {

namespace fs = std::filesystem;

// mkdtemp's six characters after the served path's name.
constexpr std::string_view kBuildTemplate = "XXXXXX";

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool IsEmptyFolder(const std::string& path) {
  std::error_code failure;
  return fs::is_empty(path, failure) && !failure;
}

// Flushes one file or folder to disk.
bool Sync(const std::string& path, int flags) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | flags));
  return file.ok() && ::fsync(file.get()) == 0;
}

// Flushes every file to disk, false with the first failure. An fsync waits for a commit of the
// file system's journal: made one after another, a first publication's ten thousand files
// wait for as many commits; made side by side, they share them.
bool SyncAll(const std::vector<std::string>& paths, std::string* error) {
  constexpr std::size_t kFlushers = 16;
  std::atomic<std::size_t> next = 0;
  std::mutex failure;
  std::string first;
  auto flush = [&] {
    for (std::size_t i = next++; i < paths.size(); i = next++) {
      if (Sync(paths[i], 0)) continue;
      std::lock_guard<std::mutex> hold(failure);
      if (first.empty()) first = Reason("cannot flush", paths[i]);
    }
  };
  {
    std::vector<std::jthread> flushers;
    for (std::size_t n = 0; n < std::min(kFlushers, paths.size()); ++n) flushers.emplace_back(flush);
  }
  if (first.empty()) return true;
  *error = first;
  return false;
}

// The folders of path that are missing, made one by one so that each is 0755 whatever the
// umask (the web server reads what the publication's own user writes), and kept.
bool MakeFolders(const std::string& path, std::string* error) {
  for (std::size_t end = path.find('/', 1); end != std::string::npos;
       end = path.find('/', end + 1)) {
    std::string folder = path.substr(0, end);
    struct stat status {};
    if (::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) continue;
    if (::mkdir(folder.c_str(), 0755) != 0 || ::chmod(folder.c_str(), 0755) != 0) {
      *error = Reason("cannot make the folder", folder);
      return false;
    }
    std::size_t slash = folder.rfind('/');
    Sync(slash == std::string::npos ? "."
         : slash == 0               ? "/"
                                    : folder.substr(0, slash),
         O_DIRECTORY);
  }
  return true;
}

}  // namespace

std::unique_ptr<PublicationFolder> PublicationFolder::Begin(const std::string& out,
                                                            std::string* error) {
  std::string path = out;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::size_t slash = path.rfind('/');
  std::string parent = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty() || base == "." || base == "..") {
    *error = "--out must name a folder of its own, not " + out;
    return nullptr;
  }
  if (!MakeFolders(parent, error)) return nullptr;
  std::string lockPath = parent + "." + base + ".lock";
  int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (lock < 0) {
    *error = Reason("cannot publish beside", lockPath);
    return nullptr;
  }
  std::unique_ptr<PublicationFolder> folder(new PublicationFolder(lock, parent, base));
  if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
    *error = errno == EWOULDBLOCK ? "another publication into " + path + " is running"
                                  : Reason("cannot lock", lockPath);
    return nullptr;
  }
  struct stat status {};
  if (::lstat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode) && !IsEmptyFolder(path)) {
      *error = path +
               " is a folder of its own; the pages are published as a link to their "
               "latest build: move it away or name another";
      return nullptr;
    }
    if (!S_ISDIR(status.st_mode) && !S_ISLNK(status.st_mode)) {
      *error = path + " is a file, not the pages' folder";
      return nullptr;
    }
    if (S_ISLNK(status.st_mode)) {
      char target[PATH_MAX];
      ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
      if (length > 0) folder->replaced_.assign(target, static_cast<std::size_t>(length));
      if (folder->IsBuildName(folder->replaced_)) folder->previous_ = folder->replaced_;
    }
  } else if (errno != ENOENT) {
    *error = Reason("cannot look at", path);
    return nullptr;
  }
  // Builds of runs that were killed go before this one starts.
  folder->RemoveOldBuilds();
  if (!folder->MakeBuild(error)) return nullptr;
  return folder;
}

PublicationFolder::~PublicationFolder() {
  std::error_code ignored;
  if (!swapped_ && !build_.empty()) fs::remove_all(parent_ + build_, ignored);
}

bool PublicationFolder::IsBuildName(std::string_view name) const {
  std::string lead = "." + base_ + ".";
  if (name.size() != lead.size() + kBuildTemplate.size() || name.substr(0, lead.size()) != lead)
    return false;
  for (char c : name.substr(lead.size()))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

bool PublicationFolder::MakeBuild(std::string* error) {
  std::string name = parent_ + "." + base_ + "." + std::string(kBuildTemplate);
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  // The web server reads what the publication's own user writes.
  if (!::mkdtemp(buffer.data()) || ::chmod(buffer.data(), 0755) != 0) {
    *error = Reason("cannot make a new build beside", Out());
    return false;
  }
  build_ = std::string(buffer.data()).substr(parent_.size());
  return true;
}

bool PublicationFolder::EnsureFolder(const std::string& relative, std::string* error) {
  std::size_t slash = relative.rfind('/');
  if (slash == std::string::npos) return true;
  std::string folder = relative.substr(0, slash);
  if (folders_.count(folder)) return true;
  std::string path = parent_ + build_ + "/" + folder;
  if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
    *error = Reason("cannot make", path);
    return false;
  }
  ::chmod(path.c_str(), 0755);
  folders_.insert(folder);
  return true;
}

bool PublicationFolder::Replaces(const std::string& relative) const {
  struct stat status {};
  return !replaced_.empty() && ::lstat(Replaced(relative).c_str(), &status) == 0;
}

std::string PublicationFolder::Replaced(const std::string& relative) const {
  return (replaced_.front() == '/' ? "" : parent_) + replaced_ + "/" + relative;
}

std::optional<std::string> PublicationFolder::ReadReplaced(const std::string& relative,
                                                           std::size_t limit) const {
  if (replaced_.empty()) return std::nullopt;
  Descriptor file(::open(Replaced(relative).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat status {};
  if (!file.ok() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::size_t>(status.st_size) > limit)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    ssize_t read = ::read(file.get(), bytes.data() + got, bytes.size() - got);
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) return std::nullopt;
    got += static_cast<std::size_t>(read);
  }
  return bytes;
}

bool PublicationFolder::Write(const std::string& relative, std::string_view bytes,
                              std::string* error) {
  if (!EnsureFolder(relative, error)) return false;
  std::string path = parent_ + build_ + "/" + relative;
  // A file carried over before is only unlinked here: its bytes are the last build's too.
  if (carried_.erase(relative)) ::unlink(path.c_str());
  std::optional<std::string> old = ReadReplaced(relative, bytes.size());
  if (old && *old == bytes && ::link(Replaced(relative).c_str(), path.c_str()) == 0) return true;
  Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  auto data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  bool done = file.ok() && ::fchmod(file.get(), 0644) == 0 &&
              WriteAllTo(file.get(), std::span(data, bytes.size()));
  // Its way to the disk starts now, while the next pages are made: the flush before the swap
  // then mostly finds it there rather than writing each file on its own.
  if (done) ::sync_file_range(file.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
  if (!file.Close()) done = false;
  if (!done) *error = Reason("cannot write", path);
  if (done) written_.push_back(std::move(path));
  return done;
}

bool PublicationFolder::CarryOver(const std::string& relative) {
  if (replaced_.empty()) return false;
  std::string error;
  if (!EnsureFolder(relative, &error)) return false;
  if (::link(Replaced(relative).c_str(), (parent_ + build_ + "/" + relative).c_str()) != 0)
    return false;
  carried_.insert(relative);
  return true;
}

// Files carried over or linked are the last build's, flushed when it was made; only their
// names in the new folders are new.
bool PublicationFolder::Flush(std::string* error) const {
  if (!SyncAll(written_, error)) return false;
  std::string build = parent_ + build_;
  for (const std::string& folder : folders_)
    if (!Sync(build + "/" + folder, O_DIRECTORY)) {
      *error = Reason("cannot flush", build + "/" + folder);
      return false;
    }
  if (!Sync(build, O_DIRECTORY)) {
    *error = Reason("cannot flush", build);
    return false;
  }
  return true;
}

bool PublicationFolder::Swap(std::string* error) {
  if (!Flush(error)) return false;
  std::string out = Out();
  struct stat status {};
  // An empty folder where the link goes, made by hand or by a service manager.
  if (::lstat(out.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && ::rmdir(out.c_str()) != 0) {
    *error = Reason("cannot replace", out);
    return false;
  }
  std::string link = parent_ + "." + base_ + ".link";
  ::unlink(link.c_str());
  if (::symlink(build_.c_str(), link.c_str()) != 0 || ::rename(link.c_str(), out.c_str()) != 0) {
    *error = Reason("cannot swap in the new build as", out);
    ::unlink(link.c_str());
    return false;
  }
  swapped_ = true;
  Sync(parent_, O_DIRECTORY);
  RemoveOldBuilds();
  return true;
}

void PublicationFolder::RemoveOldBuilds() const {
  std::error_code failure;
  std::vector<fs::path> old;
  for (const fs::directory_entry& entry : fs::directory_iterator(parent_, failure)) {
    std::string name = entry.path().filename().string();
    if (IsBuildName(name) && name != build_ && name != previous_ && entry.is_directory(failure) &&
        !entry.is_symlink(failure))
      old.push_back(entry.path());
  }
  for (const fs::path& path : old) fs::remove_all(path, failure);
}

}  // namespace lexfray::leaguenet
