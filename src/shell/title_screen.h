#pragma once

#include <array>
#include <string>

#include "dialogs/action_reader.h"
#include "console/screen.h"
#include "dialogs/io.h"

namespace lexfray {

// The four buttons of the title screen, which are also the main menu's mouse targets.
inline constexpr std::array<HotArea, 4> kMainMenuHotAreas = {{
    {16, 18, 10, 26, "ENTER"},
    {16, 18, 32, 51, "SCORES"},
    {16, 18, 57, 69, "HELP"},
    {20, 22, 48, 60, "EXIT"},
}};

// Draws the title screen on a cleared board and slides the title in; spacedTitle keeps the
// blanks the slide appends. The cursor is left on the E of "Exit Game".
void ShowTitleScreen(Io& io, std::string& spacedTitle, bool competitionActive);

// Slides text in from the right on row, ending with its letters centred in width: the text
// is trimmed, cut to width and padded with half the spare width, then drawn one character
// longer each 30 ms while the column moves left.
void SlideInTitle(Io& io, std::string& text, int row, int column, int width, int fg, int bg);

}  // namespace lexfray
