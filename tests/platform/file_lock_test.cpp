// The short locks of the shared files: who waits for whom and for how long on the clock,
// what a lock survives, and that a lock that cannot be had is never taken for one. flock
// conflicts between two openings of the lock file, so one process shows it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "platform/file_lock.h"
#include "support/fakes.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"

namespace lexfray {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

struct LockCase {
  const char* name;
  // Makes the lock of folder's LEXFRAY.USR unobtainable; may hand back a lock to hold.
  std::function<std::optional<FileLock>(const TempFolder& folder, Clock& clock)> prepare;
  LockTrouble trouble;
  const char* reason;  // in the failure's reason
  bool needsUnprivileged = false;
};

class FileLockFailures : public ::testing::TestWithParam<LockCase> {};

TEST_P(FileLockFailures, AreToldAndNeverTakenForALock) {
  TempFolder folder;
  testing::FakeClock clock;
  std::optional<FileLock> held = GetParam().prepare(folder, clock);
  std::optional<testing::Unprivileged> nobody;
  if (GetParam().needsUnprivileged) {
    nobody.emplace();
    if (!nobody->Bound()) GTEST_SKIP() << "permissions do not bind this user";
  }
  LockFailure failure;
  long long before = clock.sleptMs();
  EXPECT_FALSE(FileLock::Take(folder.PathOf("LEXFRAY.USR"), clock, &failure));
  EXPECT_EQ(failure.kind, GetParam().trouble);
  EXPECT_NE(failure.reason.find(GetParam().reason), std::string::npos) << failure.reason;
  // Only a lock held elsewhere is waited for, and only on the clock.
  EXPECT_EQ(clock.sleptMs() - before >= kLockWaitMs, GetParam().trouble == LockTrouble::kBusy);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FileLockFailures,
    ::testing::Values(
        LockCase{"HeldElsewhere",
                 [](const TempFolder& folder, Clock& clock) {
                   return FileLock::Take(folder.PathOf("LEXFRAY.USR"), clock);
                 },
                 LockTrouble::kBusy, " is busy: process "},
        LockCase{"AFolderThatIsNotThere",
                 [](const TempFolder& folder, Clock&) {
                   folder.Remove("");
                   return std::optional<FileLock>();
                 },
                 LockTrouble::kFailed, "cannot open the lock file"},
        LockCase{"ALockFileThatIsALink",
                 [](const TempFolder& folder, Clock&) {
                   folder.Write("elsewhere", "");
                   fs::create_symlink(folder.PathOf("elsewhere"), folder.PathOf(".LEXFRAY.USR.lock"));
                   return std::optional<FileLock>();
                 },
                 LockTrouble::kFailed, "Too many levels of symbolic links"},
        LockCase{"AFolderClosedToThisAccount",
                 [](const TempFolder& folder, Clock&) {
                   fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                                      fs::perms::others_exec);
                   return std::optional<FileLock>();
                 },
                 LockTrouble::kFailed, "Permission denied", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileLock, IsHadAgainOnceItsHolderLetsGo) {
  TempFolder folder;
  testing::FakeClock clock;
  std::string path = folder.PathOf("LEXFRAY.USR");
  std::optional<FileLock> held = FileLock::Take(path, clock);
  ASSERT_TRUE(held);
  LockFailure failure;
  EXPECT_FALSE(FileLock::Take(path, clock, &failure, 50));
  EXPECT_EQ(failure.holder->pid, ::getpid());
  held->Release();
  EXPECT_TRUE(FileLock::Take(path, clock, nullptr, 50));
}

TEST(FileLock, HoldsAcrossTheReplacementAndRemovalOfTheFile) {
  TempFolder folder;
  testing::FakeClock clock;
  folder.Write("LEXFRAY.ISC", "old");
  std::string path = folder.PathOf("LEXFRAY.ISC");
  std::optional<FileLock> held = FileLock::Take(path, clock);
  folder.Write("new", "new");
  fs::rename(folder.PathOf("new"), path);
  EXPECT_FALSE(FileLock::Take(path, clock, nullptr, 10));
  folder.Remove("LEXFRAY.ISC");
  EXPECT_FALSE(FileLock::Take(path, clock, nullptr, 10));
  EXPECT_TRUE(folder.Exists(".LEXFRAY.ISC.lock"));
}

}  // namespace
}  // namespace lexfray
