#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/file_lock.h"
#include "platform/spool_folder.h"

namespace lexfray {

// A shared file (the player file, the score file) that many processes change and that no
// stopped process can hold to ransom. It is only ever replaced whole, so readers take no
// lock and see the old file or the new one. A writer holds the file's short lock only to put
// a version it made beforehand in place, after checking that nobody else did meanwhile. A
// change that cannot get the lock within the bounded wait goes, durably, into a spool
// folder beside the file, a new file each, made without the lock; whoever holds the lock
// next (any copy of the game, or the exchange program) applies the spool once.
//
// "Once" survives a kill at any step: the writer first places a commit file that names the
// new versions it is putting in place and the spooled changes they take in; it then renames
// the versions into place and, the lock let go, removes the changes and its commit file.
// Whoever finds a commit file under the lock finishes it, and a reader that finds one reads
// its new versions and leaves its changes out.
//
// A companion is a second file that the same changes write (the names' owners beside the
// player file): it is read, checked and replaced together with the file.

// One version of a file as a reader saw it.
struct FileVersion {
  std::vector<std::uint8_t> bytes;
  bool missing = false;  // there is no file: no bytes
  bool cut = false;      // the file holds more than the limit: bytes holds the first of them
  std::uint64_t device = 0, inode = 0;
};

struct SpoolSnapshot {
  std::vector<FileVersion> files;   // the file, then its companions
  std::vector<SpoolEntry> pending;  // in the order they were made
  bool unfinished = false;          // a commit was under way: its new versions were read
  // The files read, held open while the snapshot lives: their inodes cannot be freed and
  // given to another version meanwhile, so "the same inode" means "the same version".
  std::vector<std::shared_ptr<const void>> pins;
  // The last of the orders seen: a change spooled after this look comes after all of them.
  std::uint64_t LastOrder() const { return pending.empty() ? 0 : pending.back().order; }
};

struct SpoolFile {
  std::string path;
  std::size_t limit = 0;  // the most bytes a reader takes
};

struct CommitResult {
  enum Outcome {
    kDone,     // in place; the changes taken in are gone from the spool
    kPending,  // in place for readers, to be finished by the next holder of the lock
    kBusy,     // the lock was held elsewhere all the time of its wait: nothing changed
    kFailed,   // nothing changed; reason says why
  } outcome = kDone;
  std::string reason;
  std::optional<LockHolder> holder;  // for kBusy, when it is known
};

class SpooledFile {
 public:
  // The new bytes of each file (the file, then its companions), nothing where a file stays
  // as it is; nothing at all, with the reason, when the change cannot be made. Bytes a
  // builder made are moved in, not copied: a version may be megabytes.
  using Bytes = std::vector<std::uint8_t>;
  using Versions = std::vector<std::optional<Bytes>>;
  // The bytes of a version that differ from those read, nothing for the same bytes.
  static std::optional<Bytes> Changed(Bytes bytes, const FileVersion& read);
  // A build may take the bytes out of the snapshot it is given.
  using Build = std::function<std::optional<Versions>(SpoolSnapshot&, std::string* error)>;

  // file and companions as the program folder names them; links are followed (see
  // WritableTarget). withoutLocks: go on without the lock on a file system that has none
  // (a player's own copy, which one copy at a time plays).
  explicit SpooledFile(SpoolFile file, std::vector<SpoolFile> companions = {},
                       bool withoutLocks = false);

  // The files as the last commit left them and the changes pending for them, read without
  // the lock. Nothing, with the reason, when a file or the spool cannot be read.
  std::optional<SpoolSnapshot> Read(std::string* error) const;

  // Spools a change, to be applied after every change made before it (after, the order of
  // the last one seen). Flushed to disk before it returns.
  bool Add(std::string_view change, std::uint64_t after, std::string* error) const;
  // The same under a key of its own: kTaken when a change under that key is pending.
  SpoolAdd AddAs(std::string_view key, std::string_view change, std::uint64_t after,
                 std::string* error) const;
  // Takes back a change spooled under a key, as long as it is pending.
  bool Withdraw(std::string_view key) const;

  // Makes the next version of the files from a fresh look at them (with the changes pending
  // for them) and puts it in place under the lock, checking that nobody changed the files
  // meanwhile. A build that changes nothing, with nothing pending, writes nothing. The
  // lock's wait runs on the clock.
  CommitResult Commit(Clock& clock, const Build& build) const;

 private:
  struct Prepared;
  bool Prepare(const SpoolSnapshot& snapshot, const Versions& versions, Prepared& prepared,
               std::string* error) const;
  bool Unchanged(const SpoolSnapshot& snapshot, const Prepared& prepared) const;
  CommitResult PutInPlace(Prepared& prepared) const;
  void Finish(Prepared& prepared, CommitResult& result) const;
  std::optional<FileLock> Lock(Clock& clock, CommitResult& result) const;

  std::vector<SpoolFile> files_;
  bool withoutLocks_;
  SpoolFolder spool_;
};

}  // namespace lexfray
