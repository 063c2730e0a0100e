#pragma once

#include "dialogs/io.h"
#include "platform/platform.h"
#include "shell/program_state.h"

namespace lexfray {

// Everything start-up does before the title screen: refuses a second copy, seeds the
// random generator, reads the configuration and derives its values, and loads the
// dictionary index into state. False when the program must end at once: a second copy, or
// a configuration or dictionary index that cannot be used (the reason has been shown in a
// box).
bool StartUp(Io& io, Platform& platform, ProgramState& state);

}  // namespace lexfray
