#include "dialogs/io.h"

namespace lexfray {

InputEvent WaitForInput(Io& io) {
  io.terminal.Show(io.screen);
  return io.terminal.NextEvent();
}

void ShowAndDropTypedAhead(Io& io) {
  io.terminal.Show(io.screen);
  io.terminal.DiscardTypedAhead();
}

void Pause(Io& io, int milliseconds) {
  io.terminal.Show(io.screen);
  io.clock.Sleep(milliseconds);
}

}  // namespace lexfray
