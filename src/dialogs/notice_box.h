#pragma once

#include <string_view>

#include "console/screen.h"
#include "dialogs/io.h"

namespace lexfray {

// A timed notice of up to three lines (empty lines left out at the end), shown for the
// given seconds. SplashBoxShow returns what the notice covered; SplashBoxHide puts it back.
Screen::Snapshot SplashBoxShow(Io& io, int style, int seconds, std::string_view line1,
                               std::string_view line2, std::string_view line3, int iconCode);
void SplashBoxHide(Io& io, const Screen::Snapshot& covered);

}  // namespace lexfray
