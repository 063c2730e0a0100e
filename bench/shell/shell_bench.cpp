// Start-up to the first title frame, and one keystroke in the menu and in the boxes.
#include <benchmark/benchmark.h>

#include <vector>

#include "config/constants.h"
#include "console/screen.h"
#include "dialogs/action_reader.h"
#include "dialogs/list_box.h"
#include "dialogs/message_box.h"
#include "shell/program.h"
#include "shell/title_screen.h"
#include "support/fakes.h"
#include "support/quiet_terminal.h"
#include "support/temp_folder.h"

namespace lexfray {
namespace {

// A terminal that ends the run at the first frame it is asked to show.
struct FirstFrame {};
class FirstFrameTerminal : public testing::QuietTerminal {
 public:
  void Show(const Screen&) override { throw FirstFrame{}; }
  InputEvent NextEvent() override { return InputEvent::KeyPress('x'); }
};

// A terminal that hands out one key for each round of the benchmark, then Esc.
class KeyFeed : public FirstFrameTerminal {
 public:
  KeyFeed(benchmark::State& state, int key) : state_(state), key_(key) {}
  void Show(const Screen& screen) override { benchmark::DoNotOptimize(&screen); }
  InputEvent NextEvent() override {
    return InputEvent::KeyPress(state_.KeepRunning() ? key_ : static_cast<int>(kKeyEscape));
  }

 private:
  benchmark::State& state_;
  int key_;
};

void StartUpToFirstTitleFrame(benchmark::State& state) {
  testing::TempFolder folder;
  folder.Write(kConfigFileName, testing::ConfigText());
  folder.CopyFromProgramFolder(kWordFileName);
  folder.CopyFromProgramFolder(kIndexFileName);
  FirstFrameTerminal terminal;
  testing::FakeClock clock;
  testing::ScriptedRandom random;
  testing::FakeLock lock;
  testing::FakeLauncher launcher;
  Platform platform{terminal, clock, random, lock, launcher, folder.path(), "/"};
  for (auto _ : state) {
    try {
      RunProgram(platform);
    } catch (const FirstFrame&) {
    }
  }
}
BENCHMARK(StartUpToFirstTitleFrame)->Unit(benchmark::kMicrosecond);

struct Board {
  explicit Board(benchmark::State& state, int key) : terminal(state, key) {}
  KeyFeed terminal;
  testing::FakeClock clock;
  Screen screen;
  Io io{screen, terminal, clock};
};

// An ignored key at the main menu: read, upper-cased, compared, back to the wait.
void MenuKeystroke(benchmark::State& state) {
  Board board(state, 'z');
  std::string title(kSpacedTitle);
  ShowTitleScreen(board.io, title, false);
  ActionRequest request{1, kBlack, kBlack, 21, 50, false, {}};
  while (ReadAction(board.io, request, kMainMenuHotAreas) != "\x1B") {
  }
}
BENCHMARK(MenuKeystroke);

// A key in the login list at its longest; a letter that no name starts with searches the
// whole list, and again for the letter alone.
void ListBoxKeystroke(benchmark::State& state, int key) {
  Board board(state, key);
  std::vector<std::string> names(32767, "PLAYER NAME");
  ConsoleListBox(board.io, 2, "Returning player? Please select your name, else select 'NEW PLAYER'",
                 "PLAYER NAME LOGIN", names, kListReturnsText);
}
BENCHMARK_CAPTURE(ListBoxKeystroke, down, static_cast<int>(kKeyDown));
BENCHMARK_CAPTURE(ListBoxKeystroke, letter_found_nowhere, static_cast<int>('q'))
    ->Unit(benchmark::kMicrosecond);

void MessageBoxKeystroke(benchmark::State& state) {
  Board board(state, kKeyTab);
  ConsoleMessageBox(board.io, "Are you sure you want to QUIT?", 52, "QUIT VALIDATION", 32515);
}
BENCHMARK(MessageBoxKeystroke);

}  // namespace
}  // namespace lexfray
