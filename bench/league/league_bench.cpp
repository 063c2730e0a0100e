// The score file at its largest: 32767 players exported into 32767 entries, and the
// standings of 32767 entries loaded, ranked and shown.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "config/settings.h"
#include "console/screen.h"
#include "dialogs/io.h"
#include "league/competition_records.h"
#include "league/score_export.h"
#include "league/standings_screen.h"
#include "platform/system_clock.h"
#include "players/player_record.h"
#include "support/quiet_terminal.h"

namespace lexfray {
namespace {

constexpr int kCount = 32767;

class BenchFolder {
 public:
  BenchFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("lexfray-league-bench-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Path() const { return path_.string() + "/"; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << bytes;
  }

 private:
  std::filesystem::path path_;
};

// Answers END at the first page prompt, so a listing shows its first page only.
class EndAtOnceTerminal : public testing::QuietTerminal {
 public:
  InputEvent NextEvent() override { return InputEvent::KeyPress('E'); }
};

class StillClock : public Clock {
 public:
  LocalTime Now() override { return {}; }
  void Sleep(int) override {}
};

template <std::size_t N>
void Append(std::string& to, const std::array<std::uint8_t, N>& bytes) {
  to.append(reinterpret_cast<const char*>(bytes.data()), N);
}

std::string Name(int i) { return "PLAYER " + std::to_string(i); }

CompetitionEntry EntryOf(const std::string& site, const std::string& player, double score) {
  CompetitionEntry entry;
  entry.site = site;
  entry.player = player;
  entry.score = score;
  return entry;
}

// Half the entries are this site's players 1..16383, half another site's.
std::string ScoreFile() {
  CompetitionHeader header;
  header.headerCode = "00";
  std::string bytes;
  Append(bytes, EncodeCompetitionHeader(header));
  for (int i = 1; i <= kCount; ++i) {
    bool ours = i % 2 == 1;
    Append(bytes, EncodeCompetitionEntry(EntryOf(ours ? "NORTH" : "SOUTH", Name(ours ? i / 2 + 1 : i), i)));
  }
  return bytes;
}

// Every player with a score that differs from the file's, so every entry is written.
std::string PlayerFile() {
  std::string bytes;
  for (int i = 1; i <= kCount; ++i) {
    PlayerRecord player;
    player.name = Name(i);
    player.totalScore = 100000.0 + i;
    player.monthGames = static_cast<std::int16_t>(i % 100);
    player.lastPlayed = "03-15-08";
    Append(bytes, EncodePlayerRecord(player));
  }
  return bytes;
}

Settings SettingsIn(const BenchFolder& folder) {
  Settings settings;
  settings.programFolder = folder.Path();
  settings.siteName = "NORTH";
  settings.competitionActive = 1;
  return settings;
}

void BM_ExportIntoFullScoreFile(benchmark::State& state) {
  BenchFolder folder;
  const std::string scoreFile = ScoreFile();
  folder.Write("LEXFRAY.USR", PlayerFile());
  Settings settings = SettingsIn(folder);
  SystemClock clock;
  for (auto _ : state) {
    state.PauseTiming();
    folder.Write("LEXFRAY.ISC", scoreFile);
    CompetitionState competition;
    PlayerRecord buffer;
    state.ResumeTiming();
    benchmark::DoNotOptimize(ExportIntoScoreFile(settings, clock, competition, buffer));
  }
}
BENCHMARK(BM_ExportIntoFullScoreFile)->Unit(benchmark::kMillisecond);

void BM_StandingsFirstPage(benchmark::State& state) {
  BenchFolder folder;
  std::mt19937 random(1);
  CompetitionHeader header;
  std::string bytes;
  Append(bytes, EncodeCompetitionHeader(header));
  for (int i = 1; i <= kCount; ++i)
    Append(bytes, EncodeCompetitionEntry(EntryOf("SITE " + std::to_string(i % 50), Name(i),
                                                 static_cast<double>(random() % 200000))));
  folder.Write("LEXFRAY.ISC", bytes);
  Settings settings = SettingsIn(folder);
  Screen screen;
  EndAtOnceTerminal terminal;
  StillClock clock;
  Io io{screen, terminal, clock};
  CompetitionState competition;
  for (auto _ : state) ShowStandings(io, settings, competition);
  benchmark::DoNotOptimize(competition.standings.data());
}
BENCHMARK(BM_StandingsFirstPage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lexfray
