#pragma once

#include <optional>

#include "config/settings.h"
#include "dialogs/io.h"
#include "platform/platform.h"

namespace lexfray {

// Everything start-up does before the title screen: refuses a second copy, seeds the
// random generator, reads the configuration and derives its values. Nothing when the
// program must end at once (the reason has been shown in a box).
std::optional<Settings> StartUp(Io& io, Platform& platform);

}  // namespace lexfray
