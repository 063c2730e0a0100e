#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "platform/system/account_lock.h"
#include "platform/system/folder_lock.h"
#include "platform/system/process_launcher.h"
#include "platform/system/program_folder.h"
#include "platform/system_clock.h"
#include "platform/system/system_random.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"

namespace lexfray {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

void WriteScript(const TempFolder& folder, const std::string& name, const std::string& body) {
  folder.Write(name, "#!/bin/sh\n" + body);
  fs::permissions(folder.PathOf(name), fs::perms::owner_all);
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 3000 && !fs::exists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return fs::exists(path);
}

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() { setenv(name_, old_.c_str(), 1); }

 private:
  const char* name_;
  std::string old_;
};

TEST(SystemClock, NowIsTheLocalTimeOfDay) {
  std::time_t before = std::time(nullptr);
  LocalTime now = SystemClock().Now();
  std::tm local = *std::localtime(&before);
  int expected = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  EXPECT_EQ(now.year, local.tm_year + 1900);
  EXPECT_EQ(now.month, local.tm_mon + 1);
  EXPECT_NEAR(now.SecondsSinceMidnight(), expected, 2);
  EXPECT_GE(now.millisecond, 0);
  EXPECT_LT(now.millisecond, 1000);
}

TEST(SystemClock, SleepTakesAtLeastTheTimeAskedAndNothingForNone) {
  SystemClock clock;
  auto start = std::chrono::steady_clock::now();
  clock.Sleep(60);
  auto slept = std::chrono::steady_clock::now() - start;
  EXPECT_GE(slept, std::chrono::milliseconds(60));
  // Upper bounds far above the time asked: a loaded machine may be slow to wake anyone.
  EXPECT_LT(slept, std::chrono::seconds(10));
  start = std::chrono::steady_clock::now();
  clock.Sleep(0);
  clock.Sleep(-5);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// A shared game's calendar is the machine's: a player's TZ (here a full day ahead of UTC,
// where no machine's zone is) and TZDIR move it no more. In a child, whose environment may
// change.
TEST(SystemClock, TheMachinesZoneWhateverThePlayersEnvironmentSays) {
  EXPECT_EXIT(
      {
        setenv("TZ", "XXX-24", 1);
        setenv("TZDIR", "/nonexistent", 1);
        tzset();
        LocalTime player = SystemClock().Now();
        UseMachineTimeZone();
        LocalTime machine = SystemClock().Now();
        bool gone = !std::getenv("TZ") && !std::getenv("TZDIR");
        // Some ten hours at least between them, the player's day the later one.
        int hours = ((player.year * 400 + player.month * 32 + player.day) -
                     (machine.year * 400 + machine.month * 32 + machine.day)) * 24 +
                    player.hour - machine.hour;
        std::exit(gone && hours >= 10 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(SystemRandom, TheSameSeedDealsTheSameAndTheMillisecondsCount) {
  SystemRandom a, b, c;
  a.Seed(3600.25);
  b.Seed(3600.25);
  c.Seed(3600.26);
  bool differs = false;
  for (int i = 0; i < 20; ++i) {
    double x = a.Next();
    EXPECT_EQ(x, b.Next());
    differs = differs || x != c.Next();
  }
  EXPECT_TRUE(differs);
}

TEST(SystemRandom, UniformOverZeroToOne) {
  SystemRandom random;
  random.Seed(45296.5);
  constexpr int kDraws = 100000;
  int deciles[10] = {};
  for (int i = 0; i < kDraws; ++i) {
    double x = random.Next();
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
    ++deciles[static_cast<int>(x * 10)];
  }
  for (int count : deciles) EXPECT_NEAR(count, kDraws / 10, kDraws / 100);
}

TEST(SystemRandom, AnUnusableSeedStillGivesNumbers) {
  SystemRandom random;
  for (double seed : {std::nan(""), -1.0, 1e300, static_cast<double>(INFINITY)}) {
    random.Seed(seed);
    double x = random.Next();
    EXPECT_GE(x, 0.0);
    EXPECT_LT(x, 1.0);
  }
}

TEST(FolderLock, OneHolderPerFolderUntilItLetsGo) {
  TempFolder folder;
  TempFolder other;
  auto first = std::make_unique<FolderLock>();
  ASSERT_EQ(first->Acquire(folder.path(), nullptr), CopyLock::kHeld);
  EXPECT_EQ(first->Acquire(folder.path(), nullptr), CopyLock::kHeld);  // the holder asking again
  FolderLock second;
  EXPECT_EQ(second.Acquire(folder.path(), nullptr), CopyLock::kHeldElsewhere);
  FolderLock elsewhere;
  EXPECT_EQ(elsewhere.Acquire(other.path(), nullptr), CopyLock::kHeld);
  first.reset();
  EXPECT_EQ(second.Acquire(folder.path(), nullptr), CopyLock::kHeld);
}

TEST(FolderLock, TheHolderIsNamedWhileTheLockIsHeld) {
  TempFolder folder;
  FolderLock probe;
  EXPECT_EQ(probe.Holder(folder.path()), "");
  {
    FolderLock holder;
    ASSERT_EQ(holder.Acquire(folder.path(), nullptr), CopyLock::kHeld);
    const passwd* me = ::getpwuid(::getuid());
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(probe.Holder(folder.path()), me->pw_name);
  }
  EXPECT_EQ(probe.Holder(folder.path()), "");
  EXPECT_EQ(probe.Holder("/no/such/folder/"), "");
}

TEST(FolderLock, TheLockLeavesNoFileBehind) {
  TempFolder folder;
  FolderLock lock;
  ASSERT_EQ(lock.Acquire(folder.path(), nullptr), CopyLock::kHeld);
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

struct CopyLockCase {
  const char* name;
  std::function<std::unique_ptr<InstanceLock>(const TempFolder& folder)> prepare;
  const char* reason;
  bool asNobody = false;  // as an account that the lock file's mode shuts out
};

class CopyLockFailures : public ::testing::TestWithParam<CopyLockCase> {};

// Nothing keeps a second copy out then: the game is told why, never that it holds the lock.
TEST_P(CopyLockFailures, AreToldWithTheirReason) {
  TempFolder folder;
  std::unique_ptr<InstanceLock> lock = GetParam().prepare(folder);
  std::optional<testing::Unprivileged> nobody;
  if (GetParam().asNobody) nobody.emplace();
  std::string reason;
  EXPECT_EQ(lock->Acquire(folder.PathOf("sub/"), &reason), CopyLock::kFailed);
  EXPECT_NE(reason.find(GetParam().reason), std::string::npos) << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CopyLockFailures,
    ::testing::Values(
        CopyLockCase{"AFolderThatIsNotThere",
                     [](const TempFolder&) -> std::unique_ptr<InstanceLock> {
                       return std::make_unique<FolderLock>();
                     },
                     "cannot open the folder"},
        CopyLockCase{"AnAccountLockInAFolderThatIsNotThere",
                     [](const TempFolder&) -> std::unique_ptr<InstanceLock> {
                       return std::make_unique<AccountLock>(4242);
                     },
                     "No such file or directory"},
        CopyLockCase{"ALockFileWithTheWrongMode",
                     [](const TempFolder& folder) -> std::unique_ptr<InstanceLock> {
                       fs::create_directory(folder.PathOf("sub"));
                       folder.Write("sub/.LEXFRAY.RUN.lock", "");
                       fs::permissions(folder.PathOf("sub/.LEXFRAY.RUN.lock"), fs::perms::owner_read);
                       fs::permissions(folder.path(), fs::perms::all);
                       return std::make_unique<AccountLock>(4242);
                     },
                     "Permission denied", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Another process of the same account holds its byte of the lock file until it ends; other
// accounts' bytes stay free.
TEST(AccountLock, OneCopyForEachAccount) {
  TempFolder folder;
  int ready[2], hold[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(hold), 0);
  pid_t child = ::fork();
  if (child == 0) {
    AccountLock mine(4242);
    char byte = mine.Acquire(folder.path(), nullptr) == CopyLock::kHeld ? 'y' : 'n';
    static_cast<void>(::write(ready[1], &byte, 1));
    static_cast<void>(::read(hold[0], &byte, 1));
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  AccountLock same(4242);
  EXPECT_EQ(same.Acquire(folder.path(), nullptr), CopyLock::kHeldElsewhere);
  EXPECT_EQ(same.Holder(folder.path()).rfind("process " + std::to_string(child), 0), 0u);
  AccountLock other(4243);
  EXPECT_EQ(other.Acquire(folder.path(), nullptr), CopyLock::kHeld);
  // A copy's own lock holds nothing against itself, and asking about it keeps it.
  EXPECT_EQ(AccountLock(4243).Holder(folder.path()), "");
  EXPECT_EQ(other.Holder(folder.path()), "");
  pid_t asker = ::fork();
  if (asker == 0) ::_exit(AccountLock(4243).Acquire(folder.path(), nullptr) == CopyLock::kHeldElsewhere ? 0 : 1);
  int status = 0;
  ::waitpid(asker, &status, 0);
  EXPECT_EQ(status, 0) << "the copy's own lock went when it asked who holds it";

  static_cast<void>(::write(hold[1], "x", 1));
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(same.Acquire(folder.path(), nullptr), CopyLock::kHeld);
  EXPECT_EQ(fs::file_size(folder.PathOf(".LEXFRAY.RUN.lock")), 0u);
}

TEST(ProcessLauncher, RunsWithoutAShellOnDevNullAndWaitsForTheEnd) {
  TempFolder folder;
  WriteScript(folder, "job",
              "echo noise; echo noise >&2\n"
              "streams=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
              "echo \"$streams\" > " + folder.PathOf("streams") + "\nsleep 0.2\necho done > " + folder.PathOf("done") + "\n");
  ProcessLauncher().RunAndWait(folder.PathOf("job"), "");
  EXPECT_EQ(folder.Read("done"), "done\n");
  EXPECT_EQ(folder.Read("streams"), "/dev/null\n/dev/null\n/dev/null\n");
}

TEST(ProcessLauncher, TheProgramGetsNoArgumentsAndASpaceInItsPathIsNoSplit) {
  TempFolder folder;
  WriteScript(folder, "my job", "echo $# > " + folder.PathOf("count") + "\n");
  ProcessLauncher().RunAndWait(folder.PathOf("my job"), "");
  EXPECT_EQ(folder.Read("count"), "0\n");
}

TEST(ProcessLauncher, TheProgramStartsInTheFolderGivenWithAFixedEnvironment) {
  TempFolder folder;
  TempFolder work;
  WriteScript(folder, "job", "{ pwd; env | sort; } > " + folder.PathOf("seen") + "\n");
  ScopedVariable host("PGHOST", "evil.example");
  ScopedVariable preload("LD_PRELOAD", "/tmp/evil.so");
  ProcessLauncher().RunAndWait(folder.PathOf("job"), work.path());
  std::string seen = folder.Read("seen");
  EXPECT_EQ(seen.substr(0, seen.find('\n')), std::filesystem::canonical(work.path()).string());
  EXPECT_EQ(seen.find("PGHOST"), std::string::npos);
  EXPECT_EQ(seen.find("LD_PRELOAD"), std::string::npos);
  EXPECT_NE(seen.find("PATH=/usr/local/bin:/usr/bin:/bin"), std::string::npos);
}

TEST(ProcessLauncher, AProgramThatCannotStartReturnsAtOnce) {
  auto start = std::chrono::steady_clock::now();
  ProcessLauncher().RunAndWait("/no/such/program", "/");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(ProcessLauncher, TheBrowserIsXdgOpenWithTheAddressAndIsNotWaitedFor) {
  TempFolder folder;
  // The browser goes on only once the game has returned and the test lets it; should the
  // game wait for it, it gives up waiting after a minute, and the address comes too early.
  WriteScript(folder, "xdg-open",
              "for i in $(seq 6000); do [ -e " + folder.PathOf("go") + " ] && break; sleep 0.01; done\n"
              "printf '%s|%s' \"$1\" \"$#\" > " + folder.PathOf("url.part") + "\n"
              "mv " + folder.PathOf("url.part") + " " + folder.PathOf("url") + "\n");
  ScopedVariable path("PATH", folder.path() + ":/usr/bin:/bin");
  ProcessLauncher().OpenInBrowser("https://example.org/a b?c=1;d");
  EXPECT_FALSE(folder.Exists("url")) << "the game waited for the browser";
  folder.Write("go", "");
  ASSERT_TRUE(WaitForFile(folder.PathOf("url")));
  EXPECT_EQ(folder.Read("url"), "https://example.org/a b?c=1;d|1");
}

TEST(ProcessLauncher, NoXdgOpenOpensNothingAndSaysNothing) {
  TempFolder empty;
  ScopedVariable path("PATH", empty.path());
  ProcessLauncher().OpenInBrowser("https://example.org/");
}

TEST(ProgramFolder, TheFolderOfThisExecutable) {
  std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(fs::exists(folder + "platform_services_test"));
}

}  // namespace
}  // namespace lexfray
