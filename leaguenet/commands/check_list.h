#pragma once

#include <ostream>
#include <string>

#include "commands/commands.h"

namespace lexfray::leaguenet {

// The lines of a check: "ok" or "FAIL", what was checked and what was found; the exit code
// is kDone only when every line was ok.
class CheckList {
 public:
  explicit CheckList(std::ostream& out) : out_(out) {}
  bool Say(bool good, const std::string& what, const std::string& finding) {
    out_ << (good ? "ok    " : "FAIL  ") << what << ": " << finding << '\n';
    failed_ = failed_ || !good;
    return good;
  }
  int Result() const { return failed_ ? kFailed : kDone; }

 private:
  std::ostream& out_;
  bool failed_ = false;
};

}  // namespace lexfray::leaguenet
