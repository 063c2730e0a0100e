// The short locks of the shared files: who waits for whom, for how long, and what a lock
// survives. flock conflicts between two openings of the lock file, so one process shows it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>

#include "platform/file_lock.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"

namespace lexfray {
namespace {

using std::chrono::milliseconds;
using testing::TempFolder;

struct LockCase {
  const char* name;
  LockKind held;
  LockKind wanted;
  bool granted;
};

class FileLockConflicts : public ::testing::TestWithParam<LockCase> {};

TEST_P(FileLockConflicts, AWriterExcludesEveryoneAndReadersShare) {
  TempFolder folder;
  std::string path = folder.PathOf("LEXFRAY.USR");
  std::optional<FileLock> held = FileLock::Take(path, GetParam().held);
  ASSERT_TRUE(held);
  std::string error;
  auto start = std::chrono::steady_clock::now();
  std::optional<FileLock> second = FileLock::Take(path, GetParam().wanted, &error, milliseconds(50));
  EXPECT_EQ(second.has_value(), GetParam().granted);
  if (GetParam().granted) return;
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(50));
  EXPECT_EQ(error, path + " is busy: another game or the exchange program is changing it");
  held->Release();
  EXPECT_TRUE(FileLock::Take(path, GetParam().wanted, nullptr, milliseconds(50)));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FileLockConflicts,
    ::testing::Values(LockCase{"ReadersShare", LockKind::kShared, LockKind::kShared, true},
                      LockCase{"ReaderWaitsForWriter", LockKind::kExclusive, LockKind::kShared, false},
                      LockCase{"WriterWaitsForReader", LockKind::kShared, LockKind::kExclusive, false},
                      LockCase{"WriterWaitsForWriter", LockKind::kExclusive, LockKind::kExclusive, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileLock, HoldsAcrossTheReplacementAndRemovalOfTheFile) {
  TempFolder folder;
  folder.Write("LEXFRAY.ISC", "old");
  std::string path = folder.PathOf("LEXFRAY.ISC");
  std::optional<FileLock> held = FileLock::Take(path, LockKind::kExclusive);
  folder.Write("new", "new");
  std::filesystem::rename(folder.PathOf("new"), path);
  EXPECT_FALSE(FileLock::Take(path, LockKind::kExclusive, nullptr, milliseconds(10)));
  folder.Remove("LEXFRAY.ISC");
  EXPECT_FALSE(FileLock::Take(path, LockKind::kShared, nullptr, milliseconds(10)));
  EXPECT_TRUE(folder.Exists(".LEXFRAY.ISC.lock"));
}

TEST(FileLock, AFolderThatTakesNoLockFileLocksNothing) {
  TempFolder folder;
  std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read |
                                                  std::filesystem::perms::owner_exec |
                                                  std::filesystem::perms::others_exec);
  testing::Unprivileged nobody;
  if (!nobody.Bound()) GTEST_SKIP() << "permissions do not bind this user";
  EXPECT_TRUE(FileLock::Take(folder.PathOf("LEXFRAY.USR"), LockKind::kExclusive));
}

}  // namespace
}  // namespace lexfray
