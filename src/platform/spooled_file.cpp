#include "platform/spooled_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/descriptor.h"
#include "platform/files.h"
#include "platform/game_group.h"
#include "platform/game_paths.h"

namespace lexfray {

namespace {

// A reader that finds the files changing under it looks again; a writer that finds them
// changed before it could put its version in place makes another.
constexpr int kReadTries = 50;
constexpr int kCommitTries = 50;
// New versions older than this were left by a killed or long-stopped process.
constexpr time_t kStaleSeconds = 3600;

std::string BaseName(const std::string& path) { return path.substr(FolderOf(path).size()); }

// Reads at most limit bytes (and one more, to see that there are more) from fd.
bool ReadAtMost(int fd, std::size_t limit, std::vector<std::uint8_t>& bytes, bool& cut) {
  std::uint8_t buffer[65536];
  for (;;) {
    std::size_t room = limit + 1 - bytes.size();
    ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, room));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.insert(bytes.end(), buffer, buffer + got);
    if (bytes.size() > limit) {
      bytes.resize(limit);
      cut = true;
      return true;
    }
  }
}

// One file of a snapshot, through the descriptor that pins it: the new version that a
// commit under way puts in its place, where there is one, else the file itself.
bool ReadVersion(const SpoolFile& file, const std::vector<OpenCommit>& commits,
                 FileVersion& version, std::unique_ptr<Descriptor>& pin, bool& fromNew,
                 std::string* error) {
  fromNew = false;
  std::optional<std::string> target = WritableTarget(file.path);
  for (const OpenCommit& commit : commits) {
    std::optional<std::string> next = target ? commit.record.NewVersionOf(*target) : std::nullopt;
    if (!next) continue;
    pin = std::make_unique<Descriptor>(OpenGamePath(*next, O_RDONLY));
    if ((fromNew = pin->ok())) break;
  }
  if (!fromNew) pin = std::make_unique<Descriptor>(OpenGamePath(file.path, O_RDONLY));
  if (!pin->ok()) {
    version.missing = errno == ENOENT;
    if (!version.missing && error)
      *error = "cannot read " + file.path + ": " + std::strerror(errno);
    return version.missing;
  }
  struct stat info {};
  if (::fstat(pin->get(), &info) != 0 ||
      !ReadAtMost(pin->get(), file.limit, version.bytes, version.cut)) {
    if (error) *error = "cannot read " + file.path + ": " + std::strerror(errno);
    return false;
  }
  version.device = info.st_dev;
  version.inode = info.st_ino;
  return true;
}

bool TakenIn(const std::vector<OpenCommit>& commits, const std::string& entry) {
  return std::any_of(commits.begin(), commits.end(), [&](const OpenCommit& commit) {
    const std::vector<std::string>& entries = commit.record.entries;
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
  });
}

std::uint64_t NowOrder() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<std::uint64_t>(now.tv_nsec);
}

// The new versions that killed or long-stopped processes left beside a file.
void RemoveStaleVersions(const std::string& folder, const std::string& prefix) {
  std::unique_ptr<DIR, int (*)(DIR*)> listing(
      WithGameGroup([&] { return ::opendir(folder.empty() ? "." : folder.c_str()); }), &::closedir);
  if (!listing) return;
  time_t now = ::time(nullptr);
  while (const dirent* entry = ::readdir(listing.get())) {
    std::string name = entry->d_name;
    struct stat info {};
    if (name.starts_with(prefix) && StatGamePath(folder + name, info) &&
        now - info.st_mtime > kStaleSeconds)
      UnlinkGamePath(folder + name);
  }
}

}  // namespace

struct SpooledFile::Prepared {
  std::vector<std::string> targets;                          // each file's, as written
  std::vector<std::pair<std::string, std::string>> renames;  // new version, target
  std::vector<std::string> entries;
  std::string commit;  // the commit file made ready, empty when none is needed
  std::string placed;  // its name once it is one of the commit files
  // The versions to be replaced, held open so that the rename that replaces them does not
  // free their blocks while the lock is held: that happens when these close, after it.
  std::vector<std::unique_ptr<Descriptor>> replaced;

  void Discard() {
    for (const auto& rename : renames) UnlinkGamePath(rename.first);
    if (!commit.empty()) UnlinkGamePath(commit);
  }
};

std::optional<SpooledFile::Bytes> SpooledFile::Changed(Bytes bytes, const FileVersion& read) {
  if (!read.missing && bytes == read.bytes) return std::nullopt;
  return bytes;
}

SpooledFile::SpooledFile(SpoolFile file, std::vector<SpoolFile> companions, bool withoutLocks)
    : withoutLocks_(withoutLocks),
      spool_(FolderOf(file.path) + "." + BaseName(file.path) + ".spool/") {
  files_.push_back(std::move(file));
  for (SpoolFile& companion : companions) files_.push_back(std::move(companion));
}

std::optional<SpoolSnapshot> SpooledFile::Read(std::string* error) const {
  for (int attempt = 0; attempt < kReadTries; ++attempt) {
    std::optional<SpoolFolder::Listing> listing = spool_.List(error);
    std::vector<OpenCommit> commits;
    if (!listing || !spool_.ReadCommits(*listing, commits, error)) return std::nullopt;
    SpoolSnapshot snapshot;
    snapshot.unfinished = !commits.empty();
    std::vector<std::unique_ptr<Descriptor>> pins(files_.size());
    std::vector<bool> fromNew(files_.size());
    for (std::size_t i = 0; i < files_.size(); ++i) {
      snapshot.files.emplace_back();
      bool isNew = false;
      if (!ReadVersion(files_[i], commits, snapshot.files[i], pins[i], isNew, error))
        return std::nullopt;
      fromNew[i] = isNew;
    }
    for (const std::string& name : listing->entries) {
      // One that went meanwhile was taken in by a commit, which the checks below see.
      if (TakenIn(commits, name)) continue;
      if (std::optional<SpoolEntry> entry = spool_.ReadEntry(name))
        snapshot.pending.push_back(std::move(*entry));
    }
    bool steady = spool_.CommitsStand(commits);
    for (std::size_t i = 0; steady && i < files_.size(); ++i) {
      if (fromNew[i]) continue;  // the new version is the file's next, whether renamed yet or not
      steady = snapshot.files[i].missing ? !GamePathExists(files_[i].path)
                                         : StillNames(pins[i]->get(), files_[i].path);
    }
    if (!steady) continue;
    for (std::unique_ptr<Descriptor>& pin : pins) snapshot.pins.push_back(std::move(pin));
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
  // The order leads the key, so that a listing shows the changes in order; the process and
  // a count keep two keys apart.
  std::uint64_t order = std::max(NowOrder(), after + 1);
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(order));
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string key = std::string(name) + "-" + std::to_string(::getpid()) + "-" +
                      std::to_string(attempt);
    SpoolAdd added = spool_.Add(key, order, change, files_.front().path, error);
    if (added != SpoolAdd::kTaken) return added == SpoolAdd::kAdded;
  }
  if (error) *error = "cannot name a change in the spool " + spool_.path();
  return false;
}

SpoolAdd SpooledFile::AddAs(std::string_view key, std::string_view change, std::uint64_t after,
                            std::string* error) const {
  return spool_.Add(key, std::max(NowOrder(), after + 1), change, files_.front().path, error);
}

bool SpooledFile::Withdraw(std::string_view key) const { return spool_.Withdraw(key); }

bool SpooledFile::Prepare(const SpoolSnapshot& snapshot, const Versions& versions,
                          Prepared& prepared, std::string* error) const {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    std::optional<std::string> target = WritableTarget(files_[i].path, error);
    if (!target) return false;
    prepared.targets.push_back(*target);
    if (i >= versions.size() || !versions[i]) continue;
    if (IsReadOnly(*target)) {
      if (error) *error = files_[i].path + " is read-only";
      return false;
    }
    std::string prefix = FolderOf(*target) + "." + BaseName(files_[i].path) + ".next-";
    std::string_view bytes(reinterpret_cast<const char*>(versions[i]->data()), versions[i]->size());
    std::optional<std::string> next = WriteTemporaryFile(prefix, bytes, *target, error);
    if (!next) return false;
    prepared.renames.emplace_back(*next, *target);
    prepared.replaced.push_back(std::make_unique<Descriptor>(OpenGamePath(*target, O_RDONLY)));
  }
  // The main file goes in place last: a reader sees its companions' new versions no later.
  std::reverse(prepared.renames.begin(), prepared.renames.end());
  for (const SpoolEntry& entry : snapshot.pending) prepared.entries.push_back(entry.name);
  if (prepared.entries.empty() && prepared.renames.size() <= 1) return true;
  std::optional<std::string> commit =
      spool_.Prepare(CommitRecord{prepared.renames, prepared.entries}, files_.front().path, error);
  if (!commit) return false;
  prepared.commit = *commit;
  return true;
}

// Under the lock: nobody put another version in place since the snapshot, and every change
// it took in is still pending.
bool SpooledFile::Unchanged(const SpoolSnapshot& snapshot, const Prepared& prepared) const {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    struct stat info {};
    bool there = StatGamePath(prepared.targets[i], info);
    const FileVersion& seen = snapshot.files[i];
    if (there == seen.missing) return false;
    if (there && (info.st_dev != seen.device || info.st_ino != seen.inode)) return false;
  }
  return std::all_of(prepared.entries.begin(), prepared.entries.end(),
                     [this](const std::string& name) { return GamePathExists(spool_.path() + name); });
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

// The caller holds the lock and has checked that nothing changed. Once the commit file is
// placed it stands for the change: the versions go in place, and whatever is left undone
// is the next holder's to finish.
CommitResult SpooledFile::PutInPlace(Prepared& prepared) const {
  CommitResult result;
  if (!prepared.commit.empty()) {
    std::optional<std::string> placed = spool_.Place(prepared.commit, &result.reason);
    if (!placed) {
      prepared.Discard();
      return {CommitResult::kFailed, result.reason, {}};
    }
    prepared.commit.clear();
    prepared.placed = *placed;
  }
  for (const auto& [next, target] : prepared.renames) {
    if (RenameFile(next, target, &result.reason)) continue;
    if (!prepared.placed.empty()) return {CommitResult::kPending, result.reason, {}};
    prepared.Discard();
    return {CommitResult::kFailed, result.reason, {}};
  }
  return result;
}

// After the lock: the changes taken in and the commit file removed (they no longer count
// for readers, and a holder that comes meanwhile may remove them first), the renames made
// durable, each folder once, and what killed processes left long ago removed.
void SpooledFile::Finish(Prepared& prepared, CommitResult& result) const {
  prepared.replaced.clear();
  if (result.outcome == CommitResult::kDone && !prepared.placed.empty() &&
      !spool_.Finish(prepared.placed, CommitRecord{prepared.renames, prepared.entries},
                     &result.reason))
    result.outcome = CommitResult::kPending;
  std::vector<std::string> synced;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    std::string folder = FolderOf(prepared.targets[i]);
    if (std::find(synced.begin(), synced.end(), folder) != synced.end()) continue;
    SyncFolder(folder);
    synced.push_back(folder);
    RemoveStaleVersions(folder, "." + BaseName(files_[i].path) + ".next-");
  }
  if (prepared.placed.empty()) return;
  SyncFolder(spool_.path());
  spool_.RemoveStale();
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
    // Nothing a stopped holder stands in front of is worth making.
    if (std::optional<LockHolder> stopped = StoppedHolder(files_.front().path))
      return {CommitResult::kBusy,
              files_.front().path + " is busy: " + HolderText(*stopped) + " holds it", stopped};
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
    bool leftOver = spool_.HasCommits();
    if (leftOver || !Unchanged(*snapshot, prepared)) {
      if (leftOver) spool_.FinishAll(nullptr);
      lock.reset();
      prepared.Discard();
      continue;
    }
    result = PutInPlace(prepared);
    lock.reset();
    Finish(prepared, result);
    return result;
  }
  return {CommitResult::kBusy, files_.front().path + " kept changing: others write it all the time", {}};
}

}  // namespace lexfray
