#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/descriptor.h"

namespace lexfray::leaguenet {

// A publication of the league's pages, built in a new folder beside the path the web
// server serves and swapped in whole: that path is a link to the current build, replaced
// by a rename, so that a reader sees the old pages or the new ones and never a mixture, and
// a run that fails or is killed leaves the old ones. One publication into a path at a time.
class PublicationFolder {
 public:
  // The folders above the path are made when they are missing. Nothing on failure, with the
  // reason in *error.
  static std::unique_ptr<PublicationFolder> Begin(const std::string& out, std::string* error);
  PublicationFolder(const PublicationFolder&) = delete;
  PublicationFolder& operator=(const PublicationFolder&) = delete;
  // A build that was not swapped in goes.
  ~PublicationFolder();

  // A file of the new build, in place of one written or carried over before; its folder is
  // made when missing. Pages are public: 0644. A
  // file that the publication being replaced holds with the same bytes is linked instead,
  // so that a page that did not change costs neither a new file nor its removal later.
  bool Write(const std::string& relative, std::string_view bytes, std::string* error);
  // The same file of the publication being replaced, linked into the new build; false
  // when there is none.
  bool CarryOver(const std::string& relative);
  // Whether the publication being replaced holds the file.
  bool Replaces(const std::string& relative) const;
  // A file of the publication being replaced, when it is there and no larger than limit.
  std::optional<std::string> ReadReplaced(const std::string& relative, std::size_t limit) const;
  // Makes what this build wrote durable (each file it wrote and each of its folders, not the
  // whole file system) and makes the path name it; the build it replaces stays for the
  // readers still on its pages until the next swap, older ones go.
  bool Swap(std::string* error);

 private:
  PublicationFolder(int lock, std::string parent, std::string base)
      : lock_(lock), parent_(std::move(parent)), base_(std::move(base)) {}
  std::string Out() const { return parent_ + base_; }
  std::string Replaced(const std::string& relative) const;
  bool IsBuildName(std::string_view name) const;
  bool MakeBuild(std::string* error);
  bool EnsureFolder(const std::string& relative, std::string* error);
  bool Flush(std::string* error) const;
  void RemoveOldBuilds() const;

  Descriptor lock_;
  std::string parent_;    // with a trailing '/'
  std::string base_;      // the served path's last part
  std::string build_;     // the new build's name in parent_
  std::string previous_;  // the build the path names now, when it is one of ours
  std::string replaced_;  // where the path leads now, for carrying files over
  std::set<std::string> folders_;
  std::set<std::string> carried_;  // files linked from the publication being replaced
  std::vector<std::string> written_;  // files written anew, to be flushed before the swap
  bool swapped_ = false;
};

}  // namespace lexfray::leaguenet
