#pragma once

#include <sys/types.h>
#include <unistd.h>

namespace lexfray::testing {

// Permissions do not bind root, and CI runs as root: while this lives, the process acts as
// the user nobody instead, so a folder or file without write permission refuses it. A test
// skips when neither holds (see Bound).
class Unprivileged {
 public:
  Unprivileged() {
    if (::geteuid() == 0) dropped_ = ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
  }
  Unprivileged(const Unprivileged&) = delete;
  Unprivileged& operator=(const Unprivileged&) = delete;
  ~Unprivileged() {
    if (dropped_ && ::seteuid(0) == 0) static_cast<void>(::setegid(0));
  }

  // True when permissions now bind this process.
  bool Bound() const { return ::geteuid() != 0; }

 private:
  static constexpr uid_t kNobody = 65534;
  bool dropped_ = false;
};

}  // namespace lexfray::testing
