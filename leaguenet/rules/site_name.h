#pragma once

#include <string>
#include <string_view>

namespace lexfray::leaguenet {

// A site's name as the league keeps it and as everything is compared with it: upper case,
// without blanks at either end. Line 1 of LEXFRAY.CFG, the score file's entries and what an
// organiser types all meet in this form.
std::string SiteKey(std::string_view name);

}  // namespace lexfray::leaguenet
