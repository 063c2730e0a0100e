#include "platform/account_names.h"

#include <pwd.h>

namespace lexfray {

std::string LoginNameOf(std::uint32_t uid) {
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  ::getpwuid_r(static_cast<uid_t>(uid), &entry, buffer, sizeof buffer, &found);
  return found ? found->pw_name : std::to_string(uid);
}

}  // namespace lexfray
