// A shared installation of 5000 players as 8 accounts play it at once: how long a game over
// holds the player file's lock, whether any of 1000 simultaneous game overs is lost, the same
// with a copy stopped while it holds the player file (nothing lost, nothing counted twice
// once it is ended, every game over answered within the lock's wait), and whether the login
// list and the table are any slower while other copies wait at their title screens (and what
// those idle copies cost).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/calendar.h"
#include "config/constants.h"
#include "dialogs/list_box.h"
#include "platform/system_clock.h"
#include "players/game_start.h"
#include "players/login.h"
#include "players/player_file.h"
#include "players/top_players.h"
#include "shell/program.h"
#include "support/fakes.h"
#include "support/player_files.h"
#include "support/quiet_terminal.h"
#include "support/stopped_holder.h"
#include "support/temp_folder.h"

namespace lexfray {
namespace {

using Steady = std::chrono::steady_clock;

constexpr int kPlayers = 5000;
constexpr int kAccounts = 8;
constexpr int kGameOversEach = 125;  // 1000 in all
constexpr uid_t kFirstAccount = 60601;

std::string NameOf(int player) {
  return VisitName("PLAYER " + std::to_string(player));
}

// The player whose games account k plays, spread over the file.
int PlayerOf(int account) {
  return account * (kPlayers / kAccounts) + 1;
}

std::string NewNameOf(int account) {
  return VisitName("NEWCOMER " + std::to_string(account));
}

// A program folder holding a full player file, open to every account of the benchmark.
struct SharedFolder : testing::TempFolder {
  explicit SharedFolder(int count = kPlayers) {
    Write(kConfigFileName, testing::ConfigText());
    CopyFromProgramFolder(kWordFileName);
    CopyFromProgramFolder(kIndexFileName);
    std::vector<PlayerRecord> players;
    for (int i = 0; i < count; ++i)
      players.push_back(testing::Player("PLAYER " + std::to_string(i), 1000.0 + i, 3, "12-06-26"));
    testing::WritePlayerFile(*this, players);
    ::chmod(path().c_str(), 0777);
    // The accounts share no group here: the spool is open to all, as the games group opens
    // it to every game of a shared installation.
    ::mkdir(PathOf(".LEXFRAY.USR.spool").c_str(), 0777);
    ::chmod(PathOf(".LEXFRAY.USR.spool").c_str(), 0777);
    for (std::string_view name : {kPlayerFileName, kConfigFileName})
      ::chmod(PathOf(name).c_str(), 0666);
    settings.programFolder = path();
    settings.gamesPerDay = 5;
    settings.gamesPerDayText = "5";
    settings.monthlyReset = "Y";
    settings.monthDays = MonthDaysFor(2026);
    settings.installation = {true, static_cast<std::uint32_t>(::getuid()), "bench", false, "root"};
  }
  double TotalOf(int player) const {
    return testing::ReadPlayerFile(*this).at(static_cast<std::size_t>(player)).totalScore;
  }

  Settings settings;
};

// A board that answers every wait with Esc. Its clock is the machine's: the accounts wait
// for each other's locks for real.
using EscapeTerminal = testing::QuietTerminal;

struct Board {
  EscapeTerminal terminal;
  SystemClock clock;
  Screen screen;
  Io io{screen, terminal, clock};
};

TableWriteBack GameOver(const std::string& name, double total) {
  return {name, total, "12"};
}

// How long each exclusive lock of the player file was held, from the moment flock granted it
// to the close that let it go: the benchmark is linked with both calls wrapped
// (CMakeLists.txt), so the game's own lock code is timed as it runs.
struct Holds {
  int fd = -1;
  Steady::time_point since;
  std::vector<double> micros;
};

Holds& HoldsOfThisProcess() {
  static Holds holds;
  return holds;
}

std::vector<double> TakeHolds() {
  return std::exchange(HoldsOfThisProcess().micros, {});
}

bool IsPlayerFileLock(int fd) {
  char target[4096];
  ssize_t length =
      ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
  return length > 0 &&
         std::string_view(target, static_cast<std::size_t>(length)).ends_with("/.LEXFRAY.USR.lock");
}

// Percentiles of a set of durations in microseconds.
void Report(benchmark::State& state, const std::string& prefix, std::vector<double> micros) {
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  auto at = [&](double q) {
    return micros[static_cast<std::size_t>(q * static_cast<double>(micros.size() - 1))];
  };
  state.counters[prefix + "p50_us"] = at(0.5);
  state.counters[prefix + "p99_us"] = at(0.99);
  state.counters[prefix + "max_us"] = micros.back();
}

// The critical section of a game over, alone on the machine: read the 5000 records, change
// the player's, write it, let go. This is the time the lock is held.
void GameOverHoldsTheLock(benchmark::State& state) {
  SharedFolder folder;
  std::string name = NameOf(PlayerOf(3));
  double total = 0;
  TakeHolds();
  SystemClock clock;
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadForTable(folder.settings, clock, GameOver(name, ++total)));
  Report(state, "hold_", TakeHolds());
}
BENCHMARK(GameOverHoldsTheLock)->Unit(benchmark::kMicrosecond);

// Each account writes its durations here (whole microseconds), for the parent to collect.
struct Durations {
  Durations() { static_cast<void>(::pipe(fds)); }
  void Add(double micros) {
    auto whole = static_cast<std::int32_t>(micros);
    static_cast<void>(::write(fds[1], &whole, sizeof whole));
  }
  std::vector<double> Collect() {
    ::close(fds[1]);
    std::vector<double> all;
    std::int32_t micros = 0;
    while (::read(fds[0], &micros, sizeof micros) == sizeof micros) all.push_back(micros);
    ::close(fds[0]);
    return all;
  }
  int fds[2];
};

struct Accounts {
  std::vector<double> gameOvers, holds;
  double wallMs = 0;
};

// Eight processes, each an account of its own when the benchmark runs as root, wait for one
// signal and then play their game overs back to back as the game does them: the total saved
// or kept, then the table read. With newPlayers, each first starts a game for a new player
// of its own, whose record a change applied twice would make twice.
Accounts EightAccountsPlay(SharedFolder& folder, bool newPlayers = false) {
  int start[2];
  static_cast<void>(::pipe(start));
  Durations gameOvers, holds;
  std::vector<pid_t> children;
  for (int account = 0; account < kAccounts; ++account) {
    pid_t pid = ::fork();
    if (pid == 0) {
      if (::geteuid() == 0) {
        uid_t uid = kFirstAccount + static_cast<uid_t>(account);
        static_cast<void>(::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0);
      }
      // What the games group and its opened umask bits do for a shared installation: every
      // account's game may change what another's made (the spool, the new versions).
      ::umask(0);
      ::close(start[1]);
      char byte;
      static_cast<void>(::read(start[0], &byte, 1));  // the signal: the pipe closes
      Board board;
      PlayerRecord buffer;
      if (newPlayers) {
        Settings settings = folder.settings;
        settings.installation.uid = static_cast<std::uint32_t>(::getuid());
        PlayLimits limits = InitialPlayLimits(settings);
        StartGameRecord(board.io, settings, limits, buffer, NewNameOf(account));
      }
      int player = PlayerOf(account);
      std::string name = NameOf(player);
      double total = 1000.0 + player;
      for (int i = 0; i < kGameOversEach; ++i) {
        Steady::time_point begin = Steady::now();
        benchmark::DoNotOptimize(ReadForTable(folder.settings, board.clock, GameOver(name, ++total)));
        gameOvers.Add(std::chrono::duration<double, std::micro>(Steady::now() - begin).count());
      }
      for (double hold : TakeHolds()) holds.Add(hold);
      ::_exit(0);
    }
    children.push_back(pid);
  }
  ::close(start[0]);
  Steady::time_point begin = Steady::now();
  ::close(start[1]);
  for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
  Accounts played;
  played.wallMs = std::chrono::duration<double, std::milli>(Steady::now() - begin).count();
  played.gameOvers = gameOvers.Collect();
  played.holds = holds.Collect();
  return played;
}

// Each account's player holds its first total and 125 more, once each.
int Lost(const SharedFolder& folder) {
  int lost = 0;
  for (int account = 0; account < kAccounts; ++account)
    lost += folder.TotalOf(PlayerOf(account)) != 1000.0 + PlayerOf(account) + kGameOversEach;
  return lost;
}

void EightAccountsFinishAtOnce(benchmark::State& state) {
  SharedFolder folder;
  for (auto _ : state) {
    Accounts played = EightAccountsPlay(folder);
    state.counters["game_overs"] = kAccounts * kGameOversEach;
    state.counters["lost"] = Lost(folder);
    state.counters["file_whole"] =
        folder.Read(kPlayerFileName).size() == kPlayers * PlayerRecord::kSize;
    state.counters["wall_ms"] = played.wallMs;
    Report(state, "game_over_", played.gameOvers);
    Report(state, "hold_", played.holds);
  }
}
BENCHMARK(EightAccountsFinishAtOnce)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same while another copy is stopped (SIGSTOP) holding the player file's lock: every
// start and game over is kept in the spool and answered at once; the file stays as it was
// until the stopped copy is ended, and the next holder then counts every change once.
void EightAccountsWhileACopyIsStopped(benchmark::State& state) {
  SharedFolder folder(kPlayers - kAccounts);  // room for the new players
  for (auto _ : state) {
    std::string before = folder.Read(kPlayerFileName);
    testing::StoppedHolder holder(folder.PathOf(kPlayerFileName));
    Accounts played = EightAccountsPlay(folder, true);
    bool fileKept = folder.Read(kPlayerFileName) == before;

    holder.End();
    Board next;
    TakeHolds();
    Steady::time_point begin = Steady::now();
    SaveResult applied = SavePlayerChange({folder.path(), false}, next.clock, std::nullopt);
    double applyMs = std::chrono::duration<double, std::milli>(Steady::now() - begin).count();
    Report(state, "apply_hold_", TakeHolds());
    // Every new player's record once, and no other record more than once.
    std::map<std::string, int> records;
    for (const PlayerRecord& record : testing::ReadPlayerFile(folder)) ++records[record.name];
    int doubled = 0, lostPlayers = 0;
    for (const auto& [name, count] : records) doubled += count - 1;
    for (int account = 0; account < kAccounts; ++account) lostPlayers += records[NewNameOf(account)] == 0;
    state.counters["game_overs"] = kAccounts * kGameOversEach;
    state.counters["lost"] = Lost(folder) + lostPlayers;
    state.counters["applied"] = applied.outcome == SaveResult::kSaved;
    state.counters["doubled"] = doubled;
    state.counters["file_kept_while_stopped"] = fileKept;
    state.counters["apply_after_end_ms"] = applyMs;
    state.counters["wall_ms"] = played.wallMs;
    Report(state, "game_over_", played.gameOvers);
  }
}
BENCHMARK(EightAccountsWhileACopyIsStopped)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole copy of the game, shared, waiting at its title screen until told to end.
class WaitingTerminal : public EscapeTerminal {
 public:
  WaitingTerminal(int ready, int end) : ready_(ready), end_(end) {}
  InputEvent NextEvent() override {
    char byte = 'r';
    static_cast<void>(::write(ready_, &byte, 1));
    static_cast<void>(::read(end_, &byte, 1));  // blocks like a player who does nothing
    return InputEvent::KeyPress('x');
  }

 private:
  int ready_;
  int end_;
};

long CpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;
  long user = 0, system = 0;
  fields >> user >> system;
  return user + system;
}

// The login list of 5000 names opened and cancelled, and the table read and paged through,
// with the given number of other copies of the game waiting at their title screens.
void LoginListAndTableBesideWaitingCopies(benchmark::State& state) {
  SharedFolder folder;
  int others = static_cast<int>(state.range(0));
  int ready[2], end[2];
  static_cast<void>(::pipe(ready));
  static_cast<void>(::pipe(end));
  std::vector<pid_t> copies;
  for (int i = 0; i < others; ++i) {
    pid_t pid = ::fork();
    if (pid == 0) {
      ::close(end[1]);
      WaitingTerminal terminal(ready[1], end[0]);
      testing::FakeClock clock;
      testing::ScriptedRandom random;
      testing::FakeLock lock;
      testing::FakeLauncher launcher;
      Platform platform{terminal, clock,         random, lock,
                        launcher, folder.path(), "/",    folder.settings.installation};
      RunProgram(platform);
      ::_exit(0);
    }
    copies.push_back(pid);
  }
  for (int i = 0; i < others; ++i) {
    char byte;
    static_cast<void>(::read(ready[0], &byte, 1));
  }
  long ticksBefore = 0;
  for (pid_t pid : copies) ticksBefore += CpuTicks(pid);

  Board board;
  PlayerRecord buffer;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlayerLogin(board.io, folder.settings, buffer));
    ShowTopPlayers(board.io, TablePass(board.io, folder.settings, buffer, std::nullopt));
  }

  long ticks = -ticksBefore;
  for (pid_t pid : copies) ticks += CpuTicks(pid);
  ::close(end[1]);
  for (pid_t pid : copies) ::waitpid(pid, nullptr, 0);
  state.counters["waiting_copies"] = others;
  state.counters["their_cpu_ticks"] = static_cast<double>(ticks);
}
BENCHMARK(LoginListAndTableBesideWaitingCopies)->Arg(0)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lexfray

extern "C" {
int __real_flock(int fd, int operation);
int __real_close(int fd);

int __wrap_flock(int fd, int operation) {
  int result = __real_flock(fd, operation);
  auto& holds = lexfray::HoldsOfThisProcess();
  if (result == 0 && (operation & LOCK_EX) && lexfray::IsPlayerFileLock(fd)) {
    holds.fd = fd;
    holds.since = lexfray::Steady::now();
  }
  return result;
}

int __wrap_close(int fd) {
  auto& holds = lexfray::HoldsOfThisProcess();
  if (fd == holds.fd) {
    holds.micros.push_back(
        std::chrono::duration<double, std::micro>(lexfray::Steady::now() - holds.since).count());
    holds.fd = -1;
  }
  return __real_close(fd);
}
}
