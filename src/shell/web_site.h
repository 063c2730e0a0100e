#pragma once

#include "dialogs/io.h"
#include "platform/services.h"

namespace lexfray {

// Offers to open the maker's web page. True when the player agreed: the terminal has then
// been given back and the browser asked to open the page, and the program is to end
// whether or not a browser started.
bool VisitWebSite(Io& io, Launcher& launcher);

}  // namespace lexfray
