#pragma once

#include <string>

#include "config/settings.h"
#include "dialogs/io.h"

namespace lexfray {

// The documents the main menu offers, each under the title the menu gives it.
enum class Document { kLicence, kHistory, kInstructions, kAdvert };

// Shows the document from the program folder. The instructions are left out when their
// file is missing; the others show an empty viewer then. spacedTitle is the title as the
// title screen left it, trailing blanks included.
void ShowMenuDocument(Io& io, const Settings& settings, Document document, const std::string& spacedTitle);

}  // namespace lexfray
