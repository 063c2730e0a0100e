#pragma once

#include <cstdint>
#include <string>

#include "platform/account_names.h"
#include "platform/installation.h"

namespace lexfray {

// This process's installation: shared when it was built for a fixed program folder or runs
// setgid or setuid (then other accounts' games write the same files); the real user is the
// player. Called before the game group is put aside, while a setgid game still shows it.
Installation ThisInstallation(const std::string& programFolder);

}  // namespace lexfray
