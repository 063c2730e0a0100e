#pragma once

#include <cstdint>
#include <string>

#include "platform/services.h"

namespace lexfray {

// The single-copy rule of a shared installation, one copy per account: each account's
// game holds a write lock on one byte of a lock file in the program folder, the byte at
// the account's number, so accounts never wait for each other and no file per account piles
// up. The kernel drops the lock when the process ends, however it ends.
//
// A record lock of this kind belongs to the process and goes as soon as the process closes
// any descriptor of the lock file: nothing else in the game may open that file.
class AccountLock final : public InstanceLock {
 public:
  explicit AccountLock(std::uint32_t uid) : uid_(uid) {}
  AccountLock(const AccountLock&) = delete;
  AccountLock& operator=(const AccountLock&) = delete;
  ~AccountLock() override;

  // False only when another process of this account holds the lock; a folder where the
  // lock cannot be taken at all lets the game run.
  bool Acquire(const std::string& folder) override;
  // The other copy of this account, as "process 4242 on /dev/pts/3" (or without the
  // terminal when it has none); empty when there is none or it cannot be known.
  std::string Holder(const std::string& folder) override;

 private:
  std::uint32_t uid_;
  int fd_ = -1;
};

}  // namespace lexfray
