// What the curses backend writes to the terminal, and how long it takes, for the changes
// the game makes: one echoed keystroke, a word, and a board redrawn whole.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "console/screen.h"
#include "platform/system/curses_terminal.h"
#include "support/pseudo_terminal.h"

namespace lexfray {
namespace {

using testing::PseudoTerminal;

struct Bench {
  std::unique_ptr<PseudoTerminal> pty;
  std::unique_ptr<CursesTerminal> terminal;
  Screen screen;

  Bench() {
    setenv("LC_ALL", "C.UTF-8", 1);
    pty = PseudoTerminal::Open(30, 100);
    std::string error;
    if (pty) terminal = CursesTerminal::Open({pty->in(), pty->out(), "tmux-256color"}, &error);
    if (terminal) {
      screen.SetColours(kYellow, kBlack);
      terminal->Show(screen);
      pty->TakeOutput();
    }
  }
};

void ReportBytes(benchmark::State& state, Bench& bench, const char* name) {
  double bytes = static_cast<double>(bench.pty->TakeOutput().size());
  state.counters[name] = benchmark::Counter(bytes / static_cast<double>(state.iterations()));
}

// A typed letter echoed at the word prompt: one cell changes.
void BM_OneKeystroke(benchmark::State& state) {
  Bench bench;
  if (!bench.terminal) return state.SkipWithError("no pseudo-terminal");
  char letter = 'A';
  for (auto _ : state) {
    bench.screen.MoveTo(21, 40);
    bench.screen.Write(std::string(1, letter));
    letter = letter == 'Z' ? 'A' : static_cast<char>(letter + 1);
    bench.terminal->Show(bench.screen);
  }
  ReportBytes(state, bench, "bytes_per_keystroke");
}
BENCHMARK(BM_OneKeystroke);

// A seven-letter word written into a word column at once.
void BM_OneWord(benchmark::State& state) {
  Bench bench;
  if (!bench.terminal) return state.SkipWithError("no pseudo-terminal");
  bool flip = false;
  for (auto _ : state) {
    bench.screen.MoveTo(8, 10);
    bench.screen.Write(flip ? "QUILLON" : "LETTERS");
    flip = !flip;
    bench.terminal->Show(bench.screen);
  }
  ReportBytes(state, bench, "bytes_per_word");
}
BENCHMARK(BM_OneWord);

// Every cell changes, as when one screen gives way to the next.
void BM_WholeBoard(benchmark::State& state) {
  Bench bench;
  if (!bench.terminal) return state.SkipWithError("no pseudo-terminal");
  bool flip = false;
  for (auto _ : state) {
    bench.screen.SetColours(flip ? kBrightWhite : kLightGrey, flip ? kBlue : kBlack);
    bench.screen.Clear();
    bench.screen.Write(std::string(kRows * kColumns, flip ? '\xC4' : 'x'));
    flip = !flip;
    bench.terminal->Show(bench.screen);
  }
  ReportBytes(state, bench, "bytes_per_board");
}
BENCHMARK(BM_WholeBoard);

}  // namespace
}  // namespace lexfray
