// The player file at its largest: as many players as the game reads.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "config/calendar.h"
#include "config/settings.h"
#include "dialogs/list_box.h"
#include "players/game_start.h"
#include "players/login.h"
#include "players/player_file.h"
#include "players/top_players.h"
#include "support/quiet_terminal.h"

namespace lexfray {
namespace {

constexpr int kPlayers = static_cast<int>(kMostPlayers);

// A terminal that answers every wait from a fixed list of keys, then with Esc.
class KeyTerminal : public testing::QuietTerminal {
 public:
  explicit KeyTerminal(std::vector<int> keys) : keys_(std::move(keys)) {}
  InputEvent NextEvent() override {
    return InputEvent::KeyPress(next_ < keys_.size() ? keys_[next_++] : kKeyEscape);
  }
  void Rewind() { next_ = 0; }

 private:
  std::vector<int> keys_;
  std::size_t next_ = 0;
};

class StillClock : public Clock {
 public:
  LocalTime Now() override { return {2026, 12, 7, 10, 0, 0, 0}; }
  void Sleep(int) override {}
};

// A program folder holding a full player file, removed afterwards.
class FullFolder {
 public:
  FullFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("lexfray-bench-" + std::to_string(seed()));
    std::filesystem::create_directories(path_);
    settings.programFolder = path_.string() + "/";
    settings.gamesPerDay = 5;
    settings.gamesPerDayText = "5";
    settings.monthlyReset = "Y";
    settings.monthDays = MonthDaysFor(2026);
    WritePlayers();
  }
  ~FullFolder() { std::filesystem::remove_all(path_); }
  Settings settings;

 private:
  void WritePlayers() {
    std::mt19937 random(1);
    std::string bytes;
    for (int i = 0; i < kPlayers; ++i) {
      PlayerRecord record;
      record.startMonth = "12";
      record.name = "PLAYER " + std::to_string(i);
      record.totalScore = static_cast<double>(random() % 100000);
      record.lastPlayed = "12-06-26";
      PlayerRecordBytes encoded = EncodePlayerRecord(record);
      bytes.append(encoded.begin(), encoded.end());
    }
    std::ofstream(settings.programFolder + "LEXFRAY.USR", std::ios::binary) << bytes;
  }
  std::filesystem::path path_;
};

struct Board {
  explicit Board(std::vector<int> keys) : terminal(std::move(keys)) {}
  KeyTerminal terminal;
  StillClock clock;
  Screen screen;
  Io io{screen, terminal, clock};
};

void BM_ViewOnlyTablePass(benchmark::State& state) {
  FullFolder folder;
  Board board({});
  PlayerRecord buffer;
  for (auto _ : state)
    benchmark::DoNotOptimize(TablePass(board.io, folder.settings, buffer, std::nullopt));
}
BENCHMARK(BM_ViewOnlyTablePass)->Unit(benchmark::kMillisecond);

void BM_WritingTablePass(benchmark::State& state) {
  FullFolder folder;
  Board board({});
  PlayerRecord buffer;
  std::string name = VisitName("PLAYER 16000");
  for (auto _ : state)
    benchmark::DoNotOptimize(
        TablePass(board.io, folder.settings, buffer, TableWriteBack{name, 1234, {}}));
}
BENCHMARK(BM_WritingTablePass)->Unit(benchmark::kMillisecond);

// The login list read, opened and cancelled at once.
void BM_LoginListOpens(benchmark::State& state) {
  FullFolder folder;
  Board board({});
  PlayerRecord buffer;
  for (auto _ : state) benchmark::DoNotOptimize(PlayerLogin(board.io, folder.settings, buffer));
}
BENCHMARK(BM_LoginListOpens)->Unit(benchmark::kMillisecond);

// One key that scrolls the open list, measured over a thousand of them.
void BM_LoginListScrolls(benchmark::State& state) {
  FullFolder folder;
  PlayerRecord buffer;
  std::vector<std::string> list = LoginList(folder.settings, buffer);
  std::vector<int> keys(1000, kKeyPageDown);
  keys.push_back(kKeyEnd);
  Board board(keys);
  for (auto _ : state) {
    board.terminal.Rewind();
    benchmark::DoNotOptimize(ConsoleListBox(board.io, 2, "", "", list, kListReturnsText));
  }
  state.SetItemsProcessed(state.iterations() * 1001);
}
BENCHMARK(BM_LoginListScrolls)->Unit(benchmark::kMillisecond);

// The game start of the last player in the file: the whole file is searched.
void BM_GameStartOfTheLastPlayer(benchmark::State& state) {
  FullFolder folder;
  Board board({});
  PlayerRecord buffer;
  std::string name = VisitName("PLAYER " + std::to_string(kPlayers - 1));
  for (auto _ : state) {
    PlayLimits limits = InitialPlayLimits(folder.settings);
    benchmark::DoNotOptimize(StartGameRecord(board.io, folder.settings, limits, buffer, name));
  }
}
BENCHMARK(BM_GameStartOfTheLastPlayer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lexfray
