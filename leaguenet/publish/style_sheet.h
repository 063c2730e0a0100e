#pragma once

#include <string_view>

namespace lexfray::leaguenet {

// The one stylesheet of the pages: the game's board (black, light grey, bright white on
// red, yellow sites, light cyan games, light red scores) or, for readers who prefer light
// pages, the same on paper; tables that fold on a phone; a print style.
extern const std::string_view kStylesheet;

// The pages' icon: the game's red header with a white L.
extern const std::string_view kIcon;

}  // namespace lexfray::leaguenet
