#pragma once

#include <string>

namespace lexfray {

// The folder of the running executable, ending in '/'; empty when it cannot be found, so
// that files are then looked for in the current folder.
std::string ExecutableFolder();

}  // namespace lexfray
