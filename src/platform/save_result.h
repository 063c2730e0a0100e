#pragma once

#include <optional>
#include <string>

#include "platform/lock_holders.h"

namespace lexfray {

// How a change of a shared file (the player file, the score file) went.
struct SaveResult {
  enum Outcome {
    kSaved,   // in the file
    kKept,    // in the spool, applied as soon as the holder of the file lets it go
    kFailed,  // not made; reason says why
  } outcome = kSaved;
  std::string reason;
  std::optional<LockHolder> holder;  // for kKept: who holds the file, when it is known
};

}  // namespace lexfray
