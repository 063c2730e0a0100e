#pragma once

#include "console/screen.h"
#include "platform/clock.h"
#include "platform/terminal.h"

namespace lexfray {

// What every box and prompt works with: the board, the terminal that shows it, and the
// clock for pauses.
struct Io {
  Screen& screen;
  Terminal& terminal;
  Clock& clock;
};

// Shows the board, then waits for the next key or click.
InputEvent WaitForInput(Io& io);

// Shows the board, then drops whatever was typed or clicked before it showed: a box just
// drawn answers only what the player does while it is on the screen.
void ShowAndDropTypedAhead(Io& io);

// Shows the board, then waits the given time.
void Pause(Io& io, int milliseconds);

}  // namespace lexfray
