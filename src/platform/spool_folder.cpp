#include "platform/spool_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/escaped_text.h"
#include "platform/files.h"
#include "platform/game_group.h"
#include "platform/game_paths.h"

namespace lexfray {

namespace {

constexpr std::string_view kEntryMark = "lexfray-spool ";
constexpr std::string_view kCommitMark = "lexfray-commit\n";
constexpr std::string_view kKeyPrefix = "key-";
constexpr std::string_view kCommitPrefix = "commit-";
constexpr std::string_view kPreparedCommitPrefix = ".commit-";
// Far more changes than the longest stop of a holder gathers; a spool this full takes no more.
constexpr std::size_t kMostEntries = 50000;
// An export of every player of a full player file, and room to spare.
constexpr std::size_t kLargestEntry = 2 * 1024 * 1024;
// Temporary files older than this were left by a killed or long-stopped process.
constexpr time_t kStaleSeconds = 3600;

std::string Reason(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool ReadWhole(int fd, std::size_t limit, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > limit) return false;
  }
}

using Folder = std::unique_ptr<DIR, int (*)(DIR*)>;

Folder OpenFolder(const std::string& path) {
  return Folder(WithGameGroup([&] { return ::opendir(path.empty() ? "." : path.c_str()); }),
                &::closedir);
}

}  // namespace

std::string CommitRecord::Bytes() const {
  std::string bytes(kCommitMark);
  for (const auto& [from, to] : renames) bytes += "rename " + PercentEscaped(from) + "\t" + PercentEscaped(to) + "\n";
  for (const std::string& entry : entries) bytes += "entry " + PercentEscaped(entry) + "\n";
  return bytes;
}

std::optional<CommitRecord> CommitRecord::Parse(std::string_view bytes) {
  if (!bytes.starts_with(kCommitMark)) return std::nullopt;
  bytes.remove_prefix(kCommitMark.size());
  CommitRecord record;
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end + 1);
    if (line.starts_with("entry ")) {
      record.entries.push_back(PercentUnescaped(line.substr(6)));
      continue;
    }
    std::size_t tab = line.find('\t');
    if (!line.starts_with("rename ") || tab == std::string_view::npos) return std::nullopt;
    record.renames.emplace_back(PercentUnescaped(line.substr(7, tab - 7)), PercentUnescaped(line.substr(tab + 1)));
  }
  return record;
}

std::optional<std::string> CommitRecord::NewVersionOf(const std::string& target) const {
  for (const auto& [from, to] : renames)
    if (to == target) return from;
  return std::nullopt;
}

std::optional<SpoolFolder::Listing> SpoolFolder::List(std::string* error) const {
  Listing listing;
  Folder folder = OpenFolder(path_);
  if (!folder) {
    if (errno == ENOENT) return listing;
    if (error) *error = Reason("cannot read", path_);
    return std::nullopt;
  }
  while (const dirent* entry = ::readdir(folder.get())) {
    std::string name = entry->d_name;
    if (name.starts_with(kKeyPrefix)) listing.entries.push_back(std::move(name));
    else if (name.starts_with(kCommitPrefix)) listing.commits.push_back(std::move(name));
  }
  return listing;
}

std::optional<SpoolEntry> SpoolFolder::ReadEntry(const std::string& name) const {
  Descriptor fd(OpenGamePath(path_ + name, O_RDONLY));
  std::string bytes;
  if (!fd.ok() || !ReadWhole(fd.get(), kLargestEntry, bytes)) return std::nullopt;
  SpoolEntry entry{name, 0, {}};
  std::size_t end = bytes.find('\n');
  // A change whose mark is damaged still goes, in front of the rest: its reader refuses it.
  if (bytes.starts_with(kEntryMark) && end != std::string::npos) {
    std::from_chars(bytes.data() + kEntryMark.size(), bytes.data() + end, entry.order);
    entry.change = bytes.substr(end + 1);
  } else {
    entry.change = std::move(bytes);
  }
  return entry;
}

bool SpoolFolder::ReadCommits(const Listing& listing, std::vector<OpenCommit>& commits,
                              std::string* error) const {
  for (const std::string& name : listing.commits) {
    OpenCommit commit{name, std::make_shared<Descriptor>(OpenGamePath(path_ + name, O_RDONLY)), {}};
    if (!commit.fd->ok() && errno == ENOENT) continue;  // finished meanwhile
    std::string bytes;
    std::optional<CommitRecord> record;
    if (!commit.fd->ok() || !ReadWhole(commit.fd->get(), kLargestEntry, bytes) ||
        !(record = CommitRecord::Parse(bytes))) {
      if (error) *error = path_ + name + " cannot be read or is damaged";
      return false;
    }
    commit.record = std::move(*record);
    commits.push_back(std::move(commit));
  }
  return true;
}

bool SpoolFolder::CommitsStand(const std::vector<OpenCommit>& commits) const {
  std::optional<Listing> now = List(nullptr);
  if (!now || now->commits.size() != commits.size()) return false;
  return std::all_of(commits.begin(), commits.end(), [this](const OpenCommit& commit) {
    return StillNames(commit.fd->get(), path_ + commit.name);
  });
}

bool SpoolFolder::HasCommits() const {
  std::optional<Listing> listing = List(nullptr);
  return listing && !listing->commits.empty();
}

bool SpoolFolder::Make(std::string* error) const {
  if (WithGameGroup([&] { return ::mkdir(path_.c_str(), 0775); }) == 0 || errno == EEXIST) return true;
  if (error) *error = Reason("cannot make the folder", path_);
  return false;
}

SpoolAdd SpoolFolder::Add(std::string_view key, std::uint64_t order, std::string_view change,
                          const std::string& likeFile, std::string* error) const {
  std::optional<Listing> listing = List(error);
  if (!listing) return SpoolAdd::kFailed;
  if (listing->entries.size() >= kMostEntries || change.size() + 64 > kLargestEntry) {
    if (error) *error = "the spool " + path_ + " is full";
    return SpoolAdd::kFailed;
  }
  if (!Make(error)) return SpoolAdd::kFailed;
  std::string bytes = std::string(kEntryMark) + std::to_string(order) + "\n" + std::string(change);
  std::optional<std::string> temporary = WriteTemporaryFile(path_ + ".tmp-", bytes, likeFile, error);
  if (!temporary) return SpoolAdd::kFailed;
  std::string named = path_ + std::string(kKeyPrefix) + std::string(key);
  // A link fails when the name is there already: the first of two changes under one key
  // wins, without any lock.
  int linked = WithGameGroup([&] { return ::link(temporary->c_str(), named.c_str()); });
  int reason = errno;
  UnlinkGamePath(*temporary);
  if (linked != 0) {
    if (reason == EEXIST) return SpoolAdd::kTaken;
    errno = reason;
    if (error) *error = Reason("cannot write", named);
    return SpoolAdd::kFailed;
  }
  SyncFolder(path_);
  return SpoolAdd::kAdded;
}

bool SpoolFolder::Withdraw(std::string_view key) const {
  bool gone = UnlinkGamePath(path_ + std::string(kKeyPrefix) + std::string(key));
  SyncFolder(path_);
  return gone;
}

std::optional<std::string> SpoolFolder::Prepare(const CommitRecord& record,
                                                const std::string& likeFile,
                                                std::string* error) const {
  if (!Make(error)) return std::nullopt;
  return WriteTemporaryFile(path_ + std::string(kPreparedCommitPrefix), record.Bytes(), likeFile,
                            error);
}

std::optional<std::string> SpoolFolder::Place(const std::string& prepared, std::string* error) const {
  // The prepared name's random part, unique in this folder while the prepared file lives.
  std::string name = std::string(kCommitPrefix) + prepared.substr(prepared.rfind('-') + 1);
  if (WithGameGroup([&] { return ::link(prepared.c_str(), (path_ + name).c_str()); }) != 0) {
    if (error) *error = Reason("cannot write", path_ + name);
    return std::nullopt;
  }
  UnlinkGamePath(prepared);
  return name;
}

bool SpoolFolder::Finish(const std::string& name, const CommitRecord& record,
                         std::string* error) const {
  for (const auto& [next, target] : record.renames) {
    // A version already renamed is gone from its temporary name: the rename was done.
    if (!GamePathExists(next) || RenameFile(next, target, error) || errno == ENOENT) continue;
    return false;
  }
  for (const std::string& entry : record.entries) {
    if (UnlinkGamePath(path_ + entry)) continue;
    if (error) *error = Reason("cannot remove", path_ + entry);
    return false;
  }
  if (UnlinkGamePath(path_ + name)) return true;
  if (error) *error = Reason("cannot remove", path_ + name);
  return false;
}

bool SpoolFolder::FinishAll(std::string* error) const {
  std::optional<Listing> listing = List(error);
  std::vector<OpenCommit> commits;
  if (!listing || !ReadCommits(*listing, commits, error)) return false;
  bool finished = true;
  for (const OpenCommit& commit : commits) {
    finished = Finish(commit.name, commit.record, error) && finished;
    for (const auto& rename : commit.record.renames) SyncFolder(FolderOf(rename.second));
  }
  SyncFolder(path_);
  return finished;
}

void SpoolFolder::RemoveStale() const {
  Folder folder = OpenFolder(path_);
  if (!folder) return;
  time_t now = ::time(nullptr);
  while (const dirent* entry = ::readdir(folder.get())) {
    std::string name = entry->d_name;
    struct stat info {};
    if (!name.starts_with(".tmp-") && !name.starts_with(kPreparedCommitPrefix)) continue;
    if (StatGamePath(path_ + name, info) && now - info.st_mtime > kStaleSeconds) UnlinkGamePath(path_ + name);
  }
}

}  // namespace lexfray
