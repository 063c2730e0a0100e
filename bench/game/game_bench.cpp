// The dictionary lookup against the least any lookup of this design must do (open the
// word file, read the span, close it), and the word prompt and the full redraw against
// their budgets (100 us a pass, 1 ms a redraw).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "config/constants.h"
#include "config/settings.h"
#include "game/dictionary.h"
#include "game/dictionary_lookup.h"
#include "game/game_play.h"
#include "game/game_screen.h"
#include "game/rack.h"
#include "game/word_prompt.h"
#include "support/quiet_terminal.h"

namespace lexfray {
namespace {

const std::string kFolder = std::string(LEXFRAY_PROGRAM_DIR) + "/";

// Hands out the same keys over and over; shows nothing.
class LoopTerminal : public testing::QuietTerminal {
 public:
  explicit LoopTerminal(std::string keys) : keys_(std::move(keys)) {}
  InputEvent NextEvent() override {
    char key = keys_[next_];
    next_ = (next_ + 1) % keys_.size();
    return InputEvent::KeyPress(static_cast<unsigned char>(key));
  }

 private:
  std::string keys_;
  std::size_t next_ = 0;
};

// The fixed pauses are left out of the measurements.
class NoPauseClock : public Clock {
 public:
  LocalTime Now() override { return {}; }
  void Sleep(int) override {}
};

class CountingRandom : public RandomSource {
 public:
  void Seed(double) override {}
  double Next() override {
    value_ = value_ * 1103515245u + 12345u;
    return static_cast<double>((value_ >> 8) & 0xFFFF) / 65536.0;
  }

 private:
  unsigned value_ = 7;
};

class QuietHooks : public GameHooks {
 public:
  void ShowScores() override {}
  ScorePanel PanelValues() override { return {3, "10", 23456, 123456}; }
};

DictionaryIndex RealIndex() {
  return LoadDictionaryIndex(kFolder + std::string(kIndexFileName), kFolder + std::string(kWordFileName));
}

// The last word of S's span, so that a hit searches as far as a miss.
std::string LastSWord(const DictionaryIndex& index) {
  std::FILE* file = std::fopen((kFolder + std::string(kWordFileName)).c_str(), "rb");
  char record[kWordRecordSize + 1] = {};
  std::int64_t last = index.dictIndex['T' - 'A'] - 1;
  std::fseek(file, static_cast<long>((last - 1) * static_cast<std::int64_t>(kWordRecordSize)), SEEK_SET);
  std::size_t got = std::fread(record, 1, kWordRecordSize, file);
  std::fclose(file);
  std::string word(record, got);
  return word.substr(0, word.find(' '));
}

void BM_LookUpFloor(benchmark::State& state) {
  DictionaryIndex index = RealIndex();
  std::string path = kFolder + std::string(kWordFileName);
  std::int64_t first = index.dictIndex['S' - 'A'], next = index.dictIndex['T' - 'A'];
  std::size_t size = static_cast<std::size_t>(next - first + 1) * kWordRecordSize;
  std::vector<char> buffer(size);
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::setvbuf(file, nullptr, _IONBF, 0);
    std::fseek(file, static_cast<long>((first - 1) * static_cast<std::int64_t>(kWordRecordSize)), SEEK_SET);
    benchmark::DoNotOptimize(std::fread(buffer.data(), 1, size, file));
    std::fclose(file);
  }
  state.SetLabel(std::to_string(size) + " bytes");
}
BENCHMARK(BM_LookUpFloor);

void LookUp(benchmark::State& state, const std::string& word, bool expected) {
  DictionaryIndex index = RealIndex();
  std::string path = kFolder + std::string(kWordFileName);
  Screen screen;
  LoopTerminal terminal("\r");
  NoPauseClock clock;
  Io io{screen, terminal, clock};
  for (auto _ : state)
    if (LookUpWord(io, path, index, word) != expected) state.SkipWithError("wrong answer");
  state.SetLabel(word);
}

void BM_LookUpHitInS(benchmark::State& state) { LookUp(state, LastSWord(RealIndex()), true); }
void BM_LookUpMissInS(benchmark::State& state) { LookUp(state, "SZZZZZZ", false); }
BENCHMARK(BM_LookUpHitInS);
BENCHMARK(BM_LookUpMissInS);

struct Game {
  Screen screen;
  LoopTerminal terminal;
  NoPauseClock clock;
  Io io{screen, terminal, clock};
  CountingRandom random;
  Settings settings;
  DictionaryIndex index = RealIndex();
  QuietHooks hooks;
  GameState state;
  GameContext context{io, settings, random, index, hooks, "BENCH" + std::string(25, ' ')};

  explicit Game(std::string keys) : terminal(std::move(keys)) {
    settings.programFolder = kFolder;
    settings.competitionActive = 1;
    RedrawGame(screen, state, true, hooks.PanelValues(), context.playerName);
    DealRack(state, random, screen);
    ResetGameState(state);
  }
};

// A rack that spells ACE, and a full pass that accepts it: prompt, typing, checks, the
// dictionary lookup, the sorted column and the score.
void BM_WordPromptPassAcceptingAWord(benchmark::State& state) {
  Game game("ACE\r");
  const std::string rack = "AEINRSTLCDOPMGH";
  std::copy(rack.begin(), rack.end(), game.state.rackMixed.begin());
  game.state.rackSorted = game.state.rackMixed;
  const GameState fresh = game.state;
  for (auto _ : state) {
    game.state = fresh;
    if (WordPromptPass(game.context, game.state) != PassOutcome::kNextPass || game.state.usedCount != 1)
      state.SkipWithError("the word was not accepted");
  }
}
BENCHMARK(BM_WordPromptPassAcceptingAWord);

void BM_WordPromptPassToggling(benchmark::State& state) {
  Game game("T\r");
  for (auto _ : state) WordPromptPass(game.context, game.state);
}
BENCHMARK(BM_WordPromptPassToggling);

// The rebuild after the scores option, with forty words on the board.
void BM_RedrawAfterScores(benchmark::State& state) {
  Game game("\r");
  for (int length = kShortestWord; length <= kLongestWord; ++length) {
    for (int i = 0; i < 8; ++i)
      game.state.foundWords[length][static_cast<std::size_t>(i)] = std::string(static_cast<std::size_t>(length), 'A');
    game.state.foundCount[length] = 8;
  }
  for (auto _ : state) {
    RedrawGame(game.screen, game.state, true, game.hooks.PanelValues(), game.context.playerName);
    benchmark::DoNotOptimize(game.screen.cells().data());
  }
}
BENCHMARK(BM_RedrawAfterScores);

}  // namespace
}  // namespace lexfray
