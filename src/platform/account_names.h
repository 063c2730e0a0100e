#pragma once

#include <cstdint>
#include <string>

namespace lexfray {

// The login name of an account, from the system's user database; its number when the
// account has no entry there.
std::string LoginNameOf(std::uint32_t uid);

}  // namespace lexfray
