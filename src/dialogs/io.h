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

// Shows the board, then waits the given time.
void Pause(Io& io, int milliseconds);

}  // namespace lexfray
