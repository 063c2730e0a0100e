#pragma once

#include <string>
#include <string_view>

#include "dialogs/io.h"

namespace lexfray {

// The about text: the maker, the rights line with the release years, the program code,
// the version with its date, the support and web addresses.
std::string AboutText(std::string_view programCode, std::string_view versionText,
                      std::string_view versionDate, std::string_view releaseYears);

// Shows the about text in a message box titled "ABOUT " and the program code.
void ShowAbout(Io& io, std::string_view programCode, std::string_view versionText,
               std::string_view versionDate, std::string_view releaseYears);

}  // namespace lexfray
