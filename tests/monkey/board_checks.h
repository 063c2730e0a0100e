#pragma once

#include <optional>
#include <string>

#include "console/screen.h"

namespace lexfray::monkey {

// What must hold for every board the program shows: no cell reaches the terminal as a
// control character (it would act on it; a control byte of a text shows as its glyph), and every box it drew since the last look lies inside the
// 80x25 board with its corners in order. The reason, when something does not hold.
std::optional<std::string> CheckBoard(const Screen& screen);

// On the game screen as it waits for a word: the game score it shows is the sum of the
// letter values of the words it lists.
std::optional<std::string> CheckGameScore(const Screen& screen);

// Boxes are seen as they are drawn: the monkey's executable is linked with the board's
// DrawBox wrapped (see CMakeLists.txt).
std::optional<std::string> TakeBoxFault();

}  // namespace lexfray::monkey
