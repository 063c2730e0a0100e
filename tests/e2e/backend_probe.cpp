// A tiny program on the real terminal backend, for the end-to-end tests of the backend on
// its own: it counts what it reads and shows the last of it on row 24 ("event 3: key 13",
// "event 4: click 21 50"), with a few glyphs and colours, and ends on the key q. The key a runs an animation of 2 seconds, a shows a frame
// every 30 ms; r turns on the reporting of button releases; s hands the terminal over for
// a moment.
#include <cstdio>
#include <string>

#include "console/screen.h"
#include "platform/system/system_platform.h"

namespace {

using lexfray::Screen;

void Print(Screen& screen, int row, int column, int fg, int bg, const std::string& text) {
  screen.SetColours(fg, bg);
  screen.MoveTo(row, column);
  screen.Write(text);
}

void DrawBoard(Screen& screen) {
  screen.SetColours(lexfray::kLightGrey, lexfray::kBlack);
  screen.Clear();
  Print(screen, 1, 1, lexfray::kBrightWhite, lexfray::kBlue, "top-left");
  Print(screen, 1, 73, lexfray::kYellow, lexfray::kRed, "top-end");
  Print(screen, 3, 10, lexfray::kLightGrey, lexfray::kBlack, "\xDA\xC4\xBF \xC9\xCD\xBB \x01\x7F\x80");
  Print(screen, 25, 70, lexfray::kBlack, lexfray::kLightGrey, "bottom-end");
}

void Animate(lexfray::Platform& platform, Screen& screen) {
  for (int frame = 0; frame < 66; ++frame) {
    Print(screen, 5, 10, lexfray::kLightGreen, lexfray::kBlack, "frame " + std::to_string(frame));
    platform.terminal.Show(screen);
    platform.clock.Sleep(30);
  }
}

std::string Describe(const lexfray::InputEvent& event) {
  if (event.kind == lexfray::InputEvent::Kind::kClick)
    return "click " + std::to_string(event.row) + " " + std::to_string(event.column);
  return "key " + std::to_string(event.key);
}

}  // namespace

int main() {
  std::string error;
  auto system = lexfray::SystemPlatform::Start(&error);
  if (!system) {
    std::fprintf(stderr, "backend_probe: %s\n", error.c_str());
    return 1;
  }
  lexfray::Platform& platform = system->platform();
  Screen screen;
  DrawBoard(screen);
  platform.terminal.SetTitle("probe \x01 title");
  for (int count = 1;; ++count) {
    platform.terminal.Show(screen);
    lexfray::InputEvent event = platform.terminal.NextEvent();
    Print(screen, 24, 1, lexfray::kLightGrey, lexfray::kBlack, std::string(40, ' '));
    Print(screen, 24, 1, lexfray::kLightGrey, lexfray::kBlack,
          "event " + std::to_string(count) + ": " + Describe(event));
    if (event.IsKey('q')) return 0;
    if (event.IsKey('a')) Animate(platform, screen);
    if (event.IsKey('r')) platform.terminal.ReportButtonReleases();
    if (event.IsKey('s')) {
      platform.terminal.Suspend();
      platform.clock.Sleep(100);
      platform.terminal.Resume();
    }
  }
}
