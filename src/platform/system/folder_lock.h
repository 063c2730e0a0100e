#pragma once

#include <string>

#include "platform/services.h"

namespace lexfray {

// An exclusive advisory lock on the program folder itself, so that a folder the player may
// not write to works too. The operating system drops it when the process ends, however it
// ends, so a crash never leaves a stale lock behind.
class FolderLock final : public InstanceLock {
 public:
  FolderLock() = default;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() override;

  CopyLock Acquire(const std::string& folder, std::string* reason) override;
  // Found in the kernel's table of locks: no file records it, so a read-only folder tells it
  // too. Unknown when the holder runs in another process namespace.
  std::string Holder(const std::string& folder) override;

 private:
  int fd_ = -1;
};

}  // namespace lexfray
