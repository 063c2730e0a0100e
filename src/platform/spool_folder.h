#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/descriptor.h"

namespace lexfray {

// A change waiting in a spool.
struct SpoolEntry {
  std::string name;  // its file name in the spool folder
  std::uint64_t order = 0;
  std::string change;  // the bytes it was spooled with
};

// What a commit file says: the new versions to rename into place, and the spooled changes
// they took in.
struct CommitRecord {
  std::vector<std::pair<std::string, std::string>> renames;  // new version, file it replaces
  std::vector<std::string> entries;

  std::string Bytes() const;
  static std::optional<CommitRecord> Parse(std::string_view bytes);
  // The new version of target that this commit puts in place, if it names one.
  std::optional<std::string> NewVersionOf(const std::string& target) const;
};

// A commit file as a reader holds it: open, so that its inode is not given to another
// while it is, and read.
struct OpenCommit {
  std::string name;
  std::shared_ptr<Descriptor> fd;
  CommitRecord record;
};

enum class SpoolAdd { kAdded, kTaken, kFailed };

// The folder beside a shared file that holds its pending changes, "key-" followed by the
// change's key each, and the commit files of whoever is putting a new version in place,
// "commit-" and a name of their own each, so that one holder never removes another's.
// Names starting with a dot are files being made.
class SpoolFolder {
 public:
  explicit SpoolFolder(std::string path) : path_(std::move(path)) {}  // ending in '/'
  const std::string& path() const { return path_; }

  struct Listing {
    std::vector<std::string> entries;
    std::vector<std::string> commits;
  };
  // A missing folder holds nothing.
  std::optional<Listing> List(std::string* error) const;
  // Nothing when the change has gone meanwhile.
  std::optional<SpoolEntry> ReadEntry(const std::string& name) const;
  // Every commit file of the listing that is still there; false when one cannot be read.
  bool ReadCommits(const Listing& listing, std::vector<OpenCommit>& commits,
                   std::string* error) const;
  // The commit files are as they were when read: the same ones, and no other.
  bool CommitsStand(const std::vector<OpenCommit>& commits) const;
  bool HasCommits() const;

  // Writes a change under its key, to be applied in order, flushed to disk with its name;
  // kTaken when a change under that key is pending. The file takes likeFile's owner, group
  // and mode.
  SpoolAdd Add(std::string_view key, std::uint64_t order, std::string_view change,
               const std::string& likeFile, std::string* error) const;
  bool Withdraw(std::string_view key) const;

  // A commit file made ready beside the others, not yet one of them: its temporary path.
  std::optional<std::string> Prepare(const CommitRecord& record, const std::string& likeFile,
                                     std::string* error) const;
  // Makes the prepared commit file one of the commit files: the commit point. Its name.
  std::optional<std::string> Place(const std::string& prepared, std::string* error) const;
  // Renames what is not renamed yet, removes the changes taken in, then the commit file:
  // each step may be done again after a kill, and by another process at the same time.
  bool Finish(const std::string& name, const CommitRecord& record, std::string* error) const;
  // Finishes every commit file that killed or stopped holders left.
  bool FinishAll(std::string* error) const;

  // Removes the temporary files that killed or long-stopped processes left.
  void RemoveStale() const;

 private:
  bool Make(std::string* error) const;
  std::string path_;
};

}  // namespace lexfray
