#pragma once

#include <string>
#include <string_view>

namespace lexfray {

// Items kept one to a line in the game's own files: '%' and every byte outside printable ASCII
// are written as %XX, so that no item breaks a line or a field, or shows raw in a terminal.
std::string PercentEscaped(std::string_view text);
std::string PercentUnescaped(std::string_view escaped);

}  // namespace lexfray
