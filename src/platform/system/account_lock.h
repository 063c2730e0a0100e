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
// any descriptor of the lock file: nothing in the game opens that file but Acquire, and
// Holder asks the kernel's table of locks instead.
class AccountLock final : public InstanceLock {
 public:
  explicit AccountLock(std::uint32_t uid) : uid_(uid) {}
  AccountLock(const AccountLock&) = delete;
  AccountLock& operator=(const AccountLock&) = delete;
  ~AccountLock() override;

  CopyLock Acquire(const std::string& folder, std::string* reason) override;
  // The copy of this account that holds the lock, as "process 4242 on /dev/pts/3" (or
  // without the terminal when it has none); empty when there is none or it cannot be known.
  std::string Holder(const std::string& folder) override;

 private:
  std::uint32_t uid_;
  int fd_ = -1;
};

}  // namespace lexfray
