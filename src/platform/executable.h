#pragma once

#include <string>

namespace lexfray {

// The running executable's own path as the kernel knows it (links resolved); empty when it
// cannot be found.
std::string ExecutablePath();

}  // namespace lexfray
