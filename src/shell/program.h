#pragma once

#include "platform/platform.h"

namespace lexfray {

// Runs the whole program on the given platform, from start-up to its end, and returns the
// exit status.
int RunProgram(Platform& platform);

}  // namespace lexfray
