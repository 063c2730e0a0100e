#include "platform/spooled_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/descriptor.h"
#include "platform/files.h"
#include "platform/game_group.h"

namespace lexfray {

namespace {

constexpr std::string_view kEntryMark = "lexfray-spool ";
constexpr std::string_view kCommitMark = "lexfray-commit\n";
constexpr std::string_view kCommitName = "commit";
constexpr std::string_view kKeyPrefix = "key-";
// Far more changes than the longest stop of a holder gathers; a spool this full takes no more.
constexpr std::size_t kMostEntries = 50000;
constexpr std::size_t kLargestEntry = 64 * 1024;
// A reader that finds the files changing under it looks again; a writer that finds them
// changed before it could put its version in place makes another.
constexpr int kReadTries = 50;
constexpr int kCommitTries = 50;
// Temporary files older than this were left by a killed or long-stopped process.
constexpr time_t kStaleSeconds = 3600;

std::string BaseName(const std::string& path) { return path.substr(FolderOf(path).size()); }

int OpenPath(const std::string& path, int flags) {
  return WithGameGroup([&] { return ::open(path.c_str(), flags | O_CLOEXEC); });
}

bool StatPath(const std::string& path, struct stat& info) {
  return WithGameGroup([&] { return ::stat(path.c_str(), &info); }) == 0;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return StatPath(path, info);
}

bool Unlink(const std::string& path) {
  return WithGameGroup([&] { return ::unlink(path.c_str()); }) == 0 || errno == ENOENT;
}

std::string Reason(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Reads at most limit bytes (and one more, to see that there are more) from fd.
bool ReadAtMost(int fd, std::size_t limit, std::string& bytes, bool& cut) {
  char buffer[65536];
  for (;;) {
    std::size_t room = limit + 1 - bytes.size();
    ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, room));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > limit) {
      bytes.resize(limit);
      cut = true;
      return true;
    }
  }
}

// Paths go one to a line in the commit file: '%' and line breaks are written as %XX.
std::string Escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c != '%' && c != '\n' && c != '\t') {
      out += c;
      continue;
    }
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
  return out;
}

std::string Unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned value = 0;
    if (text[i] == '%' && i + 2 < text.size() &&
        std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ec == std::errc()) {
      out += static_cast<char>(value);
      i += 2;
      continue;
    }
    out += text[i];
  }
  return out;
}

// What a commit file says: the new versions to rename into place, and the spooled changes
// they took in.
struct CommitRecord {
  std::vector<std::pair<std::string, std::string>> renames;  // from, to
  std::vector<std::string> entries;

  std::string Bytes() const {
    std::string bytes(kCommitMark);
    for (const auto& [from, to] : renames) bytes += "rename " + Escaped(from) + "\t" + Escaped(to) + "\n";
    for (const std::string& entry : entries) bytes += "entry " + Escaped(entry) + "\n";
    return bytes;
  }

  static std::optional<CommitRecord> Parse(std::string_view bytes) {
    if (!bytes.starts_with(kCommitMark)) return std::nullopt;
    bytes.remove_prefix(kCommitMark.size());
    CommitRecord record;
    while (!bytes.empty()) {
      std::size_t end = bytes.find('\n');
      if (end == std::string_view::npos) return std::nullopt;
      std::string_view line = bytes.substr(0, end);
      bytes.remove_prefix(end + 1);
      if (line.starts_with("entry ")) {
        record.entries.push_back(Unescaped(line.substr(6)));
        continue;
      }
      std::size_t tab = line.find('\t');
      if (!line.starts_with("rename ") || tab == std::string_view::npos) return std::nullopt;
      record.renames.emplace_back(Unescaped(line.substr(7, tab - 7)), Unescaped(line.substr(tab + 1)));
    }
    return record;
  }

  std::optional<std::string> NewVersionOf(const std::string& target) const {
    for (const auto& [from, to] : renames)
      if (to == target) return from;
    return std::nullopt;
  }
};

// A commit file and the descriptor that keeps its inode from being reused while it is read.
struct OpenCommit {
  std::unique_ptr<Descriptor> fd;
  std::optional<CommitRecord> record;
};

// The commit file of the spool, when there is one; false when it cannot be read.
bool ReadCommit(const std::string& spool, OpenCommit& commit, std::string* error) {
  std::string path = spool + std::string(kCommitName);
  commit.fd = std::make_unique<Descriptor>(OpenPath(path, O_RDONLY));
  if (!commit.fd->ok()) {
    if (errno == ENOENT) return true;
    if (error) *error = Reason("cannot read", path);
    return false;
  }
  std::string bytes;
  bool cut = false;
  if (!ReadAtMost(commit.fd->get(), kLargestEntry * 16, bytes, cut) || cut ||
      !(commit.record = CommitRecord::Parse(bytes))) {
    if (error) *error = path + " is damaged";
    return false;
  }
  return true;
}

bool SameInode(int fd, const std::string& path) {
  struct stat open {}, named {};
  if (::fstat(fd, &open) != 0) return false;
  if (!StatPath(path, named)) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The commit file is as it was when the reader began: the same one, or still none.
bool CommitStands(const std::string& spool, const OpenCommit& commit) {
  std::string path = spool + std::string(kCommitName);
  if (!commit.fd || !commit.fd->ok()) return !Exists(path);
  return SameInode(commit.fd->get(), path);
}

// One file of the snapshot, read through the descriptor that pins it.
bool ReadVersion(const SpoolFile& file, const OpenCommit& commit, FileVersion& version,
                 std::unique_ptr<Descriptor>& pin, bool& fromNew, std::string* error) {
  fromNew = false;
  pin.reset();
  std::optional<std::string> target = WritableTarget(file.path);
  if (commit.record && target) {
    if (std::optional<std::string> next = commit.record->NewVersionOf(*target)) {
      pin = std::make_unique<Descriptor>(OpenPath(*next, O_RDONLY));
      fromNew = pin->ok();
    }
  }
  if (!fromNew) pin = std::make_unique<Descriptor>(OpenPath(file.path, O_RDONLY));
  if (!pin->ok()) {
    version.missing = errno == ENOENT;
    if (!version.missing && error) *error = Reason("cannot read", file.path);
    return version.missing;
  }
  struct stat info {};
  if (::fstat(pin->get(), &info) != 0 ||
      !ReadAtMost(pin->get(), file.limit, version.bytes, version.cut)) {
    if (error) *error = Reason("cannot read", file.path);
    return false;
  }
  version.device = info.st_dev;
  version.inode = info.st_ino;
  return true;
}

std::optional<SpoolEntry> ReadEntry(const std::string& spool, const std::string& name) {
  Descriptor fd(OpenPath(spool + name, O_RDONLY));
  std::string bytes;
  bool cut = false;
  if (!fd.ok() || !ReadAtMost(fd.get(), kLargestEntry, bytes, cut)) return std::nullopt;
  SpoolEntry entry{name, 0, {}};
  std::size_t end = bytes.find('\n');
  // A change whose mark is damaged still goes, in front of the rest: its reader refuses it.
  if (bytes.starts_with(kEntryMark) && end != std::string::npos) {
    std::from_chars(bytes.data() + kEntryMark.size(), bytes.data() + end, entry.order);
    entry.change = bytes.substr(end + 1);
  } else {
    entry.change = bytes;
  }
  return entry;
}

// The names in the spool folder that are changes: not hidden (temporary files being made)
// and not the commit file.
std::optional<std::vector<std::string>> EntryNames(const std::string& spool, std::string* error) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> folder(
      WithGameGroup([&] { return ::opendir(spool.c_str()); }), &::closedir);
  if (!folder) {
    if (errno == ENOENT) return names;
    if (error) *error = Reason("cannot read", spool);
    return std::nullopt;
  }
  while (const dirent* entry = ::readdir(folder.get())) {
    std::string name = entry->d_name;
    if (name.empty() || name.front() == '.' || name == kCommitName) continue;
    names.push_back(std::move(name));
  }
  return names;
}

std::uint64_t NowOrder() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<std::uint64_t>(now.tv_nsec);
}

bool MakeSpoolFolder(const std::string& spool, std::string* error) {
  if (WithGameGroup([&] { return ::mkdir(spool.c_str(), 0775); }) == 0 || errno == EEXIST) return true;
  if (error) *error = Reason("cannot make the folder", spool);
  return false;
}

// Removes what killed or long-stopped processes left while making files: temporary changes
// and commits in the spool, new versions beside the files.
void RemoveStale(const std::string& folder, std::string_view prefix) {
  std::unique_ptr<DIR, int (*)(DIR*)> listing(
      WithGameGroup([&] { return ::opendir(folder.empty() ? "." : folder.c_str()); }), &::closedir);
  if (!listing) return;
  time_t now = ::time(nullptr);
  while (const dirent* entry = ::readdir(listing.get())) {
    std::string name = entry->d_name;
    struct stat info {};
    if (!name.starts_with(prefix) || !StatPath(folder + name, info)) continue;
    if (now - info.st_mtime > kStaleSeconds) Unlink(folder + name);
  }
}

// Renames what is not renamed yet, then removes the changes taken in, then the commit file:
// each step may be done again after a kill.
bool Finish(const std::string& spool, const CommitRecord& record, std::string* error) {
  for (const auto& [next, target] : record.renames) {
    // A version already renamed is gone from its temporary name: the rename was done.
    if (Exists(next) && !RenameFile(next, target, error)) return false;
  }
  for (const std::string& entry : record.entries) {
    if (Unlink(spool + entry)) continue;
    if (error) *error = Reason("cannot remove", spool + entry);
    return false;
  }
  std::string commit = spool + std::string(kCommitName);
  if (Unlink(commit)) return true;
  if (error) *error = Reason("cannot remove", commit);
  return false;
}


}  // namespace

struct SpooledFile::Prepared {
  std::vector<std::string> targets;                          // each file's, as written
  std::vector<std::pair<std::string, std::string>> renames;  // new version, target
  std::vector<std::string> entries;
  std::string commit;  // the commit file made ready, empty when none is needed

  void Discard() {
    for (const auto& rename : renames) Unlink(rename.first);
    if (!commit.empty()) Unlink(commit);
  }
};

SpooledFile::SpooledFile(SpoolFile file, std::vector<SpoolFile> companions, bool withoutLocks)
    : withoutLocks_(withoutLocks) {
  spool_ = FolderOf(file.path) + "." + BaseName(file.path) + ".spool/";
  files_.push_back(std::move(file));
  for (SpoolFile& companion : companions) files_.push_back(std::move(companion));
}

std::optional<SpoolSnapshot> SpooledFile::Read(std::string* error) const {
  for (int attempt = 0; attempt < kReadTries; ++attempt) {
    OpenCommit commit;
    if (!ReadCommit(spool_, commit, error)) return std::nullopt;
    SpoolSnapshot snapshot;
    snapshot.unfinished = commit.record.has_value();
    std::vector<std::unique_ptr<Descriptor>> pins(files_.size());
    std::vector<bool> fromNew(files_.size());
    for (std::size_t i = 0; i < files_.size(); ++i) {
      snapshot.files.emplace_back();
      bool isNew = false;
      if (!ReadVersion(files_[i], commit, snapshot.files[i], pins[i], isNew, error))
        return std::nullopt;
      fromNew[i] = isNew;
    }
    std::optional<std::vector<std::string>> names = EntryNames(spool_, error);
    if (!names) return std::nullopt;
    for (const std::string& name : *names) {
      bool taken = commit.record && std::find(commit.record->entries.begin(),
                                              commit.record->entries.end(), name) !=
                                        commit.record->entries.end();
      if (taken) continue;
      // One that went meanwhile was taken in by a commit, which the checks below see.
      if (std::optional<SpoolEntry> entry = ReadEntry(spool_, name))
        snapshot.pending.push_back(std::move(*entry));
    }
    bool steady = CommitStands(spool_, commit);
    for (std::size_t i = 0; steady && i < files_.size(); ++i) {
      if (fromNew[i]) continue;  // the new version is the file's next, whether renamed yet or not
      steady = snapshot.files[i].missing ? !Exists(files_[i].path)
                                         : SameInode(pins[i]->get(), files_[i].path);
    }
    if (!steady) continue;
    std::sort(snapshot.pending.begin(), snapshot.pending.end(),
              [](const SpoolEntry& a, const SpoolEntry& b) {
                return a.order != b.order ? a.order < b.order : a.name < b.name;
              });
    return snapshot;
  }
  if (error) *error = files_.front().path + " kept changing while it was read";
  return std::nullopt;
}

bool SpooledFile::Add(std::string_view change, std::uint64_t after, std::string* error) const {
  // The order leads the name, so that a listing shows the changes in order; the process and
  // a count keep two names apart.
  std::uint64_t order = std::max(NowOrder(), after + 1);
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(order));
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string key = std::string(name) + "-" + std::to_string(::getpid()) + "-" +
                      std::to_string(attempt);
    SpoolAdd added = AddAs(key, change, order - 1, error);
    if (added != SpoolAdd::kTaken) return added == SpoolAdd::kAdded;
  }
  if (error) *error = "cannot name a change in the spool " + spool_;
  return false;
}

SpoolAdd SpooledFile::AddAs(std::string_view key, std::string_view change, std::uint64_t after,
                            std::string* error) const {
  std::optional<std::vector<std::string>> names = EntryNames(spool_, error);
  if (!names) return SpoolAdd::kFailed;
  if (names->size() >= kMostEntries || change.size() + 64 > kLargestEntry) {
    if (error) *error = "the spool " + spool_ + " is full";
    return SpoolAdd::kFailed;
  }
  if (!MakeSpoolFolder(spool_, error)) return SpoolAdd::kFailed;
  std::uint64_t order = std::max(NowOrder(), after + 1);
  std::string bytes = std::string(kEntryMark) + std::to_string(order) + "\n" + std::string(change);
  std::optional<std::string> temporary =
      WriteTemporaryFile(spool_ + ".tmp-", bytes, files_.front().path, error);
  if (!temporary) return SpoolAdd::kFailed;
  std::string named = spool_ + std::string(kKeyPrefix) + std::string(key);
  // A link fails when the name is there already: the first of two changes under one key
  // wins, without any lock.
  int linked = WithGameGroup([&] { return ::link(temporary->c_str(), named.c_str()); });
  int reason = errno;
  Unlink(*temporary);
  if (linked != 0) {
    if (reason == EEXIST) return SpoolAdd::kTaken;
    errno = reason;
    if (error) *error = Reason("cannot write", named);
    return SpoolAdd::kFailed;
  }
  SyncFolder(spool_);
  return SpoolAdd::kAdded;
}

bool SpooledFile::Withdraw(std::string_view key) const {
  bool gone = Unlink(spool_ + std::string(kKeyPrefix) + std::string(key));
  SyncFolder(spool_);
  return gone;
}

bool SpooledFile::Prepare(const SpoolSnapshot& snapshot, const Versions& versions,
                          Prepared& prepared, std::string* error) const {
  int changed = 0;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    std::optional<std::string> target = WritableTarget(files_[i].path, error);
    if (!target) return false;
    prepared.targets.push_back(*target);
    if (i >= versions.size() || !versions[i]) continue;
    ++changed;
    if (IsReadOnly(*target)) {
      if (error) *error = files_[i].path + " is read-only";
      return false;
    }
    std::string prefix = FolderOf(*target) + "." + BaseName(files_[i].path) + ".next-";
    std::optional<std::string> next = WriteTemporaryFile(prefix, *versions[i], *target, error);
    if (!next) return false;
    prepared.renames.emplace_back(*next, *target);
  }
  // The main file goes in place last: a reader sees its companions' new versions no later.
  std::reverse(prepared.renames.begin(), prepared.renames.end());
  for (const SpoolEntry& entry : snapshot.pending) prepared.entries.push_back(entry.name);
  if (prepared.entries.empty() && changed <= 1) return true;
  if (!MakeSpoolFolder(spool_, error)) return false;
  CommitRecord record{prepared.renames, prepared.entries};
  std::optional<std::string> commit =
      WriteTemporaryFile(spool_ + ".commit-", record.Bytes(), files_.front().path, error);
  if (!commit) return false;
  prepared.commit = *commit;
  return true;
}

// Under the lock: nobody put another version in place since the snapshot, and every change
// it took in is still pending.
bool SpooledFile::Unchanged(const SpoolSnapshot& snapshot, const Prepared& prepared) const {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    struct stat info {};
    bool there = StatPath(prepared.targets[i], info);
    const FileVersion& seen = snapshot.files[i];
    if (there == seen.missing) return false;
    if (there && (info.st_dev != seen.device || info.st_ino != seen.inode)) return false;
  }
  return std::all_of(prepared.entries.begin(), prepared.entries.end(),
                     [this](const std::string& name) { return Exists(spool_ + name); });
}

std::optional<FileLock> SpooledFile::Lock(Clock& clock, CommitResult& result) const {
  LockFailure failure;
  std::optional<FileLock> lock = FileLock::Take(files_.front().path, clock, &failure);
  if (lock) return lock;
  if (failure.kind == LockTrouble::kNoLocks && withoutLocks_) return FileLock::Nothing();
  result.outcome = failure.kind == LockTrouble::kBusy ? CommitResult::kBusy : CommitResult::kFailed;
  result.reason = failure.reason;
  result.holder = failure.holder;
  return std::nullopt;
}

// The caller holds the lock and has checked that nothing changed.
CommitResult SpooledFile::PutInPlace(Prepared& prepared) const {
  CommitResult result;
  std::string commit = spool_ + std::string(kCommitName);
  if (!prepared.commit.empty()) {
    if (!RenameFile(prepared.commit, commit, &result.reason)) {
      prepared.Discard();
      result.outcome = CommitResult::kFailed;
      return result;
    }
    prepared.commit.clear();
    // From here on the commit file stands for the change: the next holder finishes it.
    if (!Finish(spool_, CommitRecord{prepared.renames, prepared.entries}, &result.reason))
      result.outcome = CommitResult::kPending;
    return result;
  }
  for (const auto& [next, target] : prepared.renames) {
    if (RenameFile(next, target, &result.reason)) continue;
    prepared.Discard();
    result.outcome = CommitResult::kFailed;
    return result;
  }
  return result;
}

CommitResult SpooledFile::Commit(Clock& clock, const Build& build) const {
  CommitResult result;
  for (int attempt = 0; attempt < kCommitTries; ++attempt) {
    std::optional<SpoolSnapshot> snapshot = Read(&result.reason);
    if (!snapshot) return {CommitResult::kFailed, result.reason, {}};
    std::optional<Versions> versions = build(*snapshot, &result.reason);
    if (!versions) return {CommitResult::kFailed, result.reason, {}};
    bool changes = std::any_of(versions->begin(), versions->end(),
                               [](const auto& version) { return version.has_value(); });
    // A commit that a killed holder left is finished even when there is nothing else to do.
    if (!changes && snapshot->pending.empty() && !snapshot->unfinished) return {};
    Prepared prepared;
    if (!Prepare(*snapshot, *versions, prepared, &result.reason)) {
      prepared.Discard();
      return {CommitResult::kFailed, result.reason, {}};
    }
    std::optional<FileLock> lock = Lock(clock, result);
    if (!lock) {
      prepared.Discard();
      return result;
    }
    bool leftOver = Exists(spool_ + std::string(kCommitName));
    if (leftOver || !Unchanged(*snapshot, prepared)) {
      if (leftOver) FinishCommit(spool_, nullptr);
      lock.reset();
      prepared.Discard();
      continue;
    }
    result = PutInPlace(prepared);
    lock.reset();
    for (std::size_t i = 0; i < files_.size(); ++i) {
      SyncFolder(FolderOf(prepared.targets[i]));
      RemoveStale(FolderOf(prepared.targets[i]), "." + BaseName(files_[i].path) + ".next-");
    }
    SyncFolder(spool_);
    RemoveStale(spool_, ".tmp-");
    RemoveStale(spool_, ".commit-");
    return result;
  }
  return {CommitResult::kBusy, files_.front().path + " kept changing: others write it all the time", {}};
}


bool FinishCommit(const std::string& spool, std::string* error) {
  OpenCommit commit;
  if (!ReadCommit(spool, commit, error)) return false;
  if (!commit.record) return true;
  bool finished = Finish(spool, *commit.record, error);
  for (const auto& rename : commit.record->renames) SyncFolder(FolderOf(rename.second));
  SyncFolder(spool);
  return finished;
}

}  // namespace lexfray
