// Laying out and opening a 4 MiB document: one line without a break, and one of words.
#include <benchmark/benchmark.h>

#include <string>

#include "console/screen.h"
#include "dialogs/box_look.h"
#include "dialogs/document_viewer.h"
#include "platform/clock.h"
#include "platform/terminal.h"
#include "support/quiet_terminal.h"

namespace lexfray {
namespace {

constexpr std::size_t kFourMiB = std::size_t{4} << 20;
constexpr int kViewerTextWidth = 76;

std::string OneLine() { return std::string(kFourMiB, 'x'); }

std::string Words() {
  std::string text;
  while (text.size() < kFourMiB) text += "quillon ";
  return text;
}

// Closes the viewer at once: what is measured is its opening.
class ClosingTerminal : public testing::QuietTerminal {
 public:
  void Show(const Screen& screen) override { benchmark::DoNotOptimize(&screen); }
};

class NoClock : public Clock {
 public:
  void Sleep(int) override {}
  LocalTime Now() override { return {}; }
};

void LayOutFourMiB(benchmark::State& state, std::string (*make)()) {
  std::string text = make();
  for (auto _ : state) benchmark::DoNotOptimize(LayoutDocument(text, kViewerTextWidth));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK_CAPTURE(LayOutFourMiB, one_line, OneLine)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LayOutFourMiB, words, Words)->Unit(benchmark::kMillisecond);

void OpenTheViewerOnFourMiB(benchmark::State& state) {
  std::string text = OneLine();
  Screen screen;
  ClosingTerminal terminal;
  NoClock clock;
  Io io{screen, terminal, clock};
  for (auto _ : state) ViewDocument(io, "HISTORY", text);
}
BENCHMARK(OpenTheViewerOnFourMiB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lexfray
