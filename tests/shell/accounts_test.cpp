// Several accounts of one machine play a shared installation at the same moment: each is a
// child process under an account of its own, made up here (no /etc/passwd entry needed),
// holding the games group as a setgid game does, and runs the whole program in one program
// folder. A barrier lines up their racing steps, so that the game overs, the new players
// and the monthly fresh start land at once, and a slow disk (every read and write of the
// shared files 3 ms longer) makes each critical section wide enough that they would overlap
// without the locks.
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <numeric>

#include "config/constants.h"
#include "game/scoring.h"
#include "game_fixture.h"
#include "monkey/file_faults.h"
#include "platform/game_group.h"
#include "platform/record_fields.h"
#include "players/player_file.h"
#include "shell/program.h"
#include "support/harness.h"
#include "support/player_files.h"
#include "support/snapshot.h"
#include "support/stopped_holder.h"

namespace lexfray {
namespace {

using testing::RowOf;

constexpr gid_t kGamesGroup = 60500;
constexpr uid_t kFirstAccount = 60501;
constexpr int kAccounts = 4;
constexpr int kExitRefused = 10;  // the account was told its name is another's
constexpr int kSlowMs = 3;

uid_t AccountOf(int index) {
  return kFirstAccount + static_cast<uid_t>(index);
}

// Lines the children up: each says it is ready on a shared pipe, then waits on a pipe of its
// own until every child is ready.
class Barrier {
 public:
  Barrier() {
    ::pipe(ready_);
    for (auto& go : go_) ::pipe(go.data());
  }
  void Arrive(int index) {
    char byte = static_cast<char>(index);
    static_cast<void>(::write(ready_[1], &byte, 1));
    static_cast<void>(::read(go_[index][0], &byte, 1));
  }
  // In the parent: every child arrives, then all go. False when they did not within 30 s.
  bool Release(int children) {
    for (int arrived = 0; arrived < children; ++arrived) {
      pollfd ready{ready_[0], POLLIN, 0};
      char byte = 0;
      if (::poll(&ready, 1, 30000) != 1 || ::read(ready_[0], &byte, 1) != 1) return false;
    }
    for (int i = 0; i < children; ++i) static_cast<void>(::write(go_[i][1], "g", 1));
    return true;
  }

 private:
  int ready_[2];
  std::array<std::array<int, 2>, kAccounts> go_;
};

// The program folder of a shared installation, root:games and 2770 as the package makes it;
// the files the game writes are the group's.
struct SharedFolder : testing::TempFolder {
  SharedFolder() {
    Write("LEXFRAY.CFG", testing::ConfigText("North", "5", "Y", "0"));
    testing::WriteDictionary(*this, testing::SixtyWords());
  }
  void HandToTheGroup() const {
    for (const auto& entry : std::filesystem::directory_iterator(path())) {
      static_cast<void>(::chown(entry.path().c_str(), 0, kGamesGroup));
      ::chmod(entry.path().c_str(), 0664);
    }
    static_cast<void>(::chown(path().c_str(), 0, kGamesGroup));
    ::chmod(path().c_str(), 02770);
  }
  std::vector<PlayerRecord> Records() const { return testing::ReadPlayerFile(*this); }
};

// The fake clock, but for the pauses of a wait for a lock (a few milliseconds each), which
// are real: the accounts wait for each other as games on one machine do.
class LockWaitingClock : public testing::FakeClock {
 public:
  explicit LockWaitingClock(bool realLockWaits) : real_(realLockWaits) {}
  void Sleep(int milliseconds) override {
    if (real_ && milliseconds <= 5) {
      timespec pause{0, milliseconds * 1000000L};
      while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
      }
    }
    FakeClock::Sleep(milliseconds);
  }

 private:
  bool real_;
};

// One account's whole program on the scripted terminal and the fake clock.
struct AccountProgram {
  AccountProgram(const std::string& folder, int index, bool realLockWaits)
      : clock(realLockWaits),
        platform{terminal,
                 clock,
                 random,
                 lock,
                 launcher,
                 folder,
                 folder + "root/",
                 Installation{true, AccountOf(index), "player" + std::to_string(index), false,
                              "root"}} {}

  // From the title screen to the login list.
  void OpenLogin() { terminal.Key(kKeyEnter); }
  void PlayWords(const std::vector<std::string>& words) {
    random.DealLetters(std::string(testing::kRichRack));
    for (const std::string& word : words) terminal.Type(word.size() == 7 ? word : word + "\r");
    terminal.Type("Q\r");  // the quit question waits for its answer
  }
  // Runs next once the program waits; first answers a box with the text, when one shows.
  void DismissIfShown(std::string text, std::function<void()> next) {
    terminal.Then([this, text, next](const Screen& screen) {
      if (RowOf(screen, text) > 0) terminal.Key(kKeyEnter);
      next();
    });
  }

  testing::ScriptedTerminal terminal;
  LockWaitingClock clock;
  testing::ScriptedRandom random;
  testing::FakeLock lock;
  testing::FakeLauncher launcher;
  Platform platform;
  int result = 0;
};

using Script = std::function<void(AccountProgram&, Barrier&, int index)>;

// Becomes the account as a setgid game run by it: its own user and group, the games group
// saved to be taken for the files, group-writable files.
bool BecomeAccount(int index) {
  uid_t uid = AccountOf(index);
  bool done = ::setgroups(0, nullptr) == 0 && ::setresgid(uid, kGamesGroup, kGamesGroup) == 0 &&
              ::setresuid(uid, uid, uid) == 0;
  ::umask(002);
  PutGameGroupAside();
  return done;
}

// How the accounts meet the files: on a slow disk, waiting for each other's locks; or with
// the player file held by a stopped copy, where no wait could help and none is made.
enum class Files { kSlowDisk, kHeldByAStoppedCopy };

[[noreturn]] void RunAccount(const std::string& folder, int index, Barrier& barrier,
                             const Script& script, Files files) {
  if (!BecomeAccount(index)) ::_exit(3);
  if (files == Files::kSlowDisk) monkey::ArmFault({monkey::Fault::kSlowDisk, kSlowMs});
  AccountProgram program(folder, index, files == Files::kSlowDisk);
  script(program, barrier, index);
  try {
    RunProgram(program.platform);
  } catch (const testing::ScriptEnded&) {
    std::fflush(nullptr);
    ::_exit(2);
  }
  int status = ::testing::Test::HasFailure() || !program.terminal.ScriptDone() ? 1 : program.result;
  std::fflush(nullptr);  // what gtest printed; _exit flushes nothing
  ::_exit(status);
}

// Runs the accounts at once and returns their exit statuses once all have ended; rounds is
// how many times each arrives at the barrier.
std::vector<int> PlayAtOnce(const SharedFolder& folder, int rounds, const Script& script,
                            Files files = Files::kSlowDisk) {
  folder.HandToTheGroup();
  Barrier barrier;
  std::fflush(nullptr);  // else the children print the parent's pending output again
  std::vector<pid_t> children;
  for (int i = 0; i < kAccounts; ++i) {
    pid_t pid = ::fork();
    if (pid == 0) RunAccount(folder.path(), i, barrier, script, files);
    children.push_back(pid);
  }
  bool lined = true;
  for (int round = 0; round < rounds && lined; ++round) lined = barrier.Release(kAccounts);
  EXPECT_TRUE(lined) << "the accounts never all reached the barrier";
  std::vector<int> statuses;
  for (pid_t pid : children) {
    if (!lined) ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    statuses.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  }
  return statuses;
}

class Accounts : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "making up accounts needs root";
  }
  SharedFolder folder;
};

int Score(const std::vector<std::string>& words) {
  return std::accumulate(words.begin(), words.end(), 0,
                         [](int sum, const std::string& word) { return sum + WordScore(word); });
}

std::vector<std::string> WordsOf(int index) {
  std::vector<std::string> all = testing::SixtyWords();
  return {all.begin(), all.begin() + index + 1};
}

// Each account plays three games in a row under its own name; all game overs of a round
// land at once. Every total is saved, in its own record, and nothing else moves.
TEST_F(Accounts, GameOversAtTheSameMomentAllLand) {
  constexpr int kGames = 3;
  std::vector<PlayerRecord> before;
  for (int i = 0; i < kAccounts; ++i)
    before.push_back(testing::Player("PLAYER" + std::to_string(i), 1000.0 * i, 4, "12-06-26"));
  testing::WritePlayerFile(folder, before);

  std::vector<int> statuses =
      PlayAtOnce(folder, kGames, [](AccountProgram& p, Barrier& barrier, int index) {
        p.OpenLogin();
        for (int down = 0; down < index; ++down) p.terminal.Key(kKeyDown);
        p.terminal.Key(kKeyEnter);
        for (int game = 1; game <= kGames; ++game) {
          p.PlayWords(WordsOf(index));
          p.terminal.Then([&barrier, index](const Screen&) { barrier.Arrive(index); });
          p.terminal.Key('y').Key(game < kGames ? 'y' : 'n');
        }
        p.terminal.Key(kKeyEnter);  // the final table
      });

  EXPECT_EQ(statuses, std::vector<int>(kAccounts, 0));
  EXPECT_EQ(folder.Read(kPlayerFileName).size(), kAccounts * PlayerRecord::kSize);
  std::vector<PlayerRecord> after = folder.Records();
  ASSERT_EQ(after.size(), before.size());
  for (int i = 0; i < kAccounts; ++i) {
    EXPECT_EQ(after[i].name, before[i].name);
    EXPECT_EQ(after[i].totalScore, 1000.0 * i + kGames * Score(WordsOf(i))) << after[i].name;
    EXPECT_EQ(after[i].monthGames, 4 + kGames);
    EXPECT_EQ(after[i].dayGames, kGames);
  }
  // Names made before owners were kept went to the first account that played them.
  std::string owners;
  for (int i = 0; i < kAccounts; ++i)
    owners += std::to_string(AccountOf(i)) + " PLAYER" + std::to_string(i) + "\n";
  std::string kept = folder.Read(kOwnersFileName);
  EXPECT_EQ(kept.size(), owners.size());
  for (int i = 0; i < kAccounts; ++i)
    EXPECT_NE(kept.find(std::to_string(AccountOf(i)) + " PLAYER" + std::to_string(i) + "\n"),
              std::string::npos);
}

// New players all at once: two names that nobody has, and one name that two accounts type
// at the same moment, which goes to one of them; the other is told and goes back to the
// title screen.
TEST_F(Accounts, NewPlayersAtTheSameMomentEachGetOneRecord) {
  const std::array<std::string, kAccounts> names = {"Anna", "Boris", "Clara", "clara"};
  std::vector<int> statuses =
      PlayAtOnce(folder, 1, [&names](AccountProgram& p, Barrier& barrier, int index) {
        p.OpenLogin();
        p.terminal.Key(kKeyEnd).Key(kKeyEnter).Type(names[static_cast<std::size_t>(index)]);
        p.terminal.Then([&barrier, index](const Screen&) { barrier.Arrive(index); });
        p.terminal.Key(kKeyEnter);
        p.random.DealLetters(std::string(testing::kRichRack));
        p.terminal.Then([&p](const Screen& screen) {
          if (RowOf(screen, " NAME TAKEN ") > 0) {
            p.result = kExitRefused;
            p.terminal.Key(kKeyEnter).Key('x');
            return;
          }
          p.terminal.Type("Q\r").Key('y').Key('n').Key(kKeyEnter);
        });
      });

  EXPECT_EQ(statuses[0], 0);
  EXPECT_EQ(statuses[1], 0);
  std::vector<int> clara = {statuses[2], statuses[3]};
  std::sort(clara.begin(), clara.end());
  EXPECT_EQ(clara, (std::vector<int>{0, kExitRefused}));
  std::map<std::string, int> records;
  for (const PlayerRecord& record : folder.Records()) ++records[ComparableName(record.name)];
  EXPECT_EQ(records, (std::map<std::string, int>{{"ANNA", 1}, {"BORIS", 1}, {"CLARA", 1}}));
  uid_t winner = AccountOf(statuses[2] == 0 ? 2 : 3);
  EXPECT_NE(folder.Read(kOwnersFileName).find(std::to_string(winner) + " CLARA\n"),
            std::string::npos);
}

// One account's game began on the last evening of November; another account's first game
// of December starts the month afresh at the moment the first one's game is over. Either
// order leaves a whole file of the new month that holds nothing of the old one.
TEST_F(Accounts, AMonthlyFreshStartRacingAGameOverLeavesAWholeNewFile) {
  testing::WritePlayerFile(folder, {testing::Player("ANNA", 500, 9, "11-29-26", 1, "11"),
                                    testing::Player("BORIS", 700, 9, "11-29-26", 1, "11")});
  std::vector<int> statuses =
      PlayAtOnce(folder, 1, [](AccountProgram& p, Barrier& barrier, int index) {
        if (index >= 2) {  // two more accounts look at the scores meanwhile
          p.terminal.Then([&barrier, index](const Screen&) { barrier.Arrive(index); });
          p.terminal.Key('s').Key(kKeyEnter).Key(kKeyEnter).Key('x');
          return;
        }
        p.clock.Set({2026, 11, 30, 23, 50, 0, 0});
        p.OpenLogin();
        if (index == 1) {  // BORIS starts December
          p.clock.Set({2026, 12, 1, 0, 5, 0, 0});
          p.terminal.Key(kKeyDown);
          p.terminal.Then([&barrier, index](const Screen&) { barrier.Arrive(index); });
          p.terminal.Key(kKeyEnter);
          p.random.DealLetters(std::string(testing::kRichRack));
          p.terminal.Type("Q\r").Key('y').Key('n').Key(kKeyEnter);
          return;
        }
        p.terminal.Key(kKeyEnter);  // ANNA, in November
        p.PlayWords(WordsOf(2));
        p.terminal.Then([&barrier, index](const Screen&) { barrier.Arrive(index); });
        p.terminal.Key('y');
        // The total that finds the new month's file is not saved, and the player is told, at
        // the game over or at the final table, whichever comes after the fresh start.
        p.DismissIfShown(" SCORE NOT SAVED ", [&p] {
          p.terminal.Key('n');
          p.DismissIfShown(" SCORE NOT SAVED ", [&p] { p.terminal.Key(kKeyEnter); });
        });
      });

  EXPECT_EQ(statuses, std::vector<int>(kAccounts, 0));
  std::string bytes = folder.Read(kPlayerFileName);
  EXPECT_EQ(bytes.size() % PlayerRecord::kSize, 0u);
  std::vector<PlayerRecord> records = folder.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(ComparableName(records[0].name), "BORIS");
  EXPECT_EQ(records[0].startMonth, "12");
  EXPECT_EQ(records[0].totalScore, 0);
  // The names stay their accounts' across the fresh start.
  EXPECT_NE(folder.Read(kOwnersFileName).find(std::to_string(AccountOf(0)) + " ANNA\n"),
            std::string::npos);
}

// A copy stopped (SIGSTOP) while it holds the player file's lock: every account still logs
// in, plays and sees its scores, each game over is told it is kept and who holds the file,
// the file itself stays as the stopped copy found it, and once that copy is ended the next
// holder counts every game exactly once.
TEST_F(Accounts, ACopyStoppedHoldingThePlayerFileLosesNobodysGame) {
  constexpr int kGames = 2;
  std::vector<PlayerRecord> before;
  for (int i = 0; i < kAccounts; ++i)
    before.push_back(testing::Player("PLAYER" + std::to_string(i), 1000.0 * i, 4, "12-06-26"));
  testing::WritePlayerFile(folder, before);
  std::string bytes = folder.Read(kPlayerFileName);

  testing::StoppedHolder holder(folder.PathOf(kPlayerFileName));
  ASSERT_TRUE(holder.Stopped());

  auto keptAndTold = [](AccountProgram& p, std::function<void()> next) {
    p.terminal.Then([&p, next](const Screen& screen) {
      EXPECT_GT(RowOf(screen, " SCORE KEPT "), 0);
      EXPECT_GT(RowOf(screen, "which is stopped"), 0);
      p.terminal.Key(kKeyEnter);
      next();
    });
  };
  std::vector<int> statuses = PlayAtOnce(
      folder, 1,
      [&keptAndTold](AccountProgram& p, Barrier& barrier, int index) {
        p.OpenLogin();
        for (int down = 0; down < index; ++down) p.terminal.Key(kKeyDown);
        p.terminal.Key(kKeyEnter);
        p.PlayWords(WordsOf(index));
        p.terminal.Then([&barrier, index](const Screen&) { barrier.Arrive(index); });
        p.terminal.Key('y');
        keptAndTold(p, [&p, &keptAndTold, index] {
          p.terminal.Key('y');
          p.PlayWords(WordsOf(index));
          p.terminal.Key('y');
          keptAndTold(p, [&p, &keptAndTold] {
            p.terminal.Key('n');
            keptAndTold(p, [&p] { p.terminal.Key(kKeyEnter); });  // the final table's pass
          });
        });
      },
      Files::kHeldByAStoppedCopy);
  EXPECT_EQ(statuses, std::vector<int>(kAccounts, 0));
  EXPECT_EQ(folder.Read(kPlayerFileName), bytes) << "the stopped copy's lock was kept";

  auto expectEveryGameOnce = [&](const std::vector<std::uint8_t>& records) {
    ASSERT_EQ(records.size(), kAccounts * PlayerRecord::kSize);
    for (int i = 0; i < kAccounts; ++i) {
      PlayerRecord record = DecodePlayerRecord(
          std::span(records).subspan(static_cast<std::size_t>(i) * PlayerRecord::kSize, PlayerRecord::kSize));
      EXPECT_EQ(record.totalScore, 1000.0 * i + kGames * Score(WordsOf(i))) << record.name;
      EXPECT_EQ(record.monthGames, 4 + kGames) << record.name;
    }
  };
  std::string error;
  std::optional<PlayerFileView> seen = ReadPlayerFile(folder.path(), &error);
  ASSERT_TRUE(seen) << error;
  expectEveryGameOnce(seen->image.records);  // what every player is shown meanwhile

  holder.End();
  testing::FakeClock clock;
  SaveResult next = SavePlayerChange({folder.path(), false}, clock, std::nullopt);
  ASSERT_EQ(next.outcome, SaveResult::kSaved) << next.reason;
  std::string after = folder.Read(kPlayerFileName);
  expectEveryGameOnce({after.begin(), after.end()});
  for (const auto& entry : std::filesystem::directory_iterator(folder.PathOf(".LEXFRAY.USR.spool")))
    EXPECT_TRUE(entry.path().filename().string().starts_with(".")) << entry.path();
}

}  // namespace
}  // namespace lexfray
