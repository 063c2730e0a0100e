// The record file and the whole-file reads: the reason a failure gives, and files of any size.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <array>
#include <cstdint>
#include <filesystem>

#include "platform/files.h"
#include "platform/record_file.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"

namespace lexfray {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

constexpr std::uintmax_t kFortyGigabytes = std::uintmax_t{40} << 30;

// A folder that only its owner may change, inside a temporary folder others may enter.
std::string LockedFolder(const TempFolder& folder) {
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::create_directory(folder.PathOf("locked"));
  fs::permissions(folder.PathOf("locked"), fs::perms::owner_all | fs::perms::group_read |
                                               fs::perms::group_exec | fs::perms::others_read |
                                               fs::perms::others_exec);
  return folder.PathOf("locked/");
}

TEST(RecordFileReasons, AMissingFileInAFolderWeMayNotWriteIsRefusedForThat) {
  TempFolder folder;
  std::string locked = LockedFolder(folder);
  testing::Unprivileged nobody;
  if (!nobody.Bound()) GTEST_SKIP() << "permissions do not bind this user";
  std::string error;
  EXPECT_FALSE(RecordFile::Open(locked + "LEXFRAY.USR", 133, &error));
  EXPECT_EQ(error, "cannot open " + locked + "LEXFRAY.USR: Permission denied");
}

TEST(RecordFileReasons, WritesToAReadOnlyFileSaySoWhoeverRuns) {
  TempFolder folder;
  folder.Write("LEXFRAY.ISC", std::string(251, 'x'));
  fs::permissions(folder.PathOf("LEXFRAY.ISC"),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::optional<RecordFile> file = RecordFile::Open(folder.PathOf("LEXFRAY.ISC"), 251);
  ASSERT_TRUE(file);
  std::array<std::uint8_t, 251> record{};
  EXPECT_TRUE(file->Read(1, record));
  EXPECT_FALSE(file->Write(2, record));
  EXPECT_EQ(file->LastError(), folder.PathOf("LEXFRAY.ISC") + " is read-only");
  EXPECT_EQ(folder.Read("LEXFRAY.ISC"), std::string(251, 'x'));
}

TEST(RecordFileReasons, AFileOthersOwnIsOpenedToReadAndItsWritesSayWhy) {
  TempFolder folder;
  std::string locked = LockedFolder(folder);
  folder.Write("locked/LEXFRAY.USR", std::string(133, 'x'));
  testing::Unprivileged nobody;
  if (!nobody.Bound()) GTEST_SKIP() << "permissions do not bind this user";
  std::optional<RecordFile> file = RecordFile::Open(locked + "LEXFRAY.USR", 133);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Count(), 1);
  std::array<std::uint8_t, 133> record{};
  EXPECT_FALSE(file->Write(1, record));
  EXPECT_EQ(file->LastError(), locked + "LEXFRAY.USR is read-only");
}

TEST(ReadSmallFile, ReadsUpToTheLimitAndRefusesMoreWithoutReadingIt) {
  TempFolder folder;
  folder.Write("full", std::string(100, 'a'));
  folder.Write("over", std::string(101, 'a'));
  fs::resize_file(folder.PathOf("over"), kFortyGigabytes);
  EXPECT_EQ(ReadSmallFile(folder.PathOf("full"), 100), std::string(100, 'a'));
  std::string error;
  EXPECT_FALSE(ReadSmallFile(folder.PathOf("over"), 100, &error));
  EXPECT_EQ(error, folder.PathOf("over") + " is too large: more than 100 bytes");
  EXPECT_FALSE(ReadSmallFile("/dev/zero", 1 << 20, &error));
  EXPECT_EQ(error, "/dev/zero is too large: more than 1048576 bytes");
  EXPECT_FALSE(ReadSmallFile(folder.PathOf("missing"), 100, &error));
  EXPECT_EQ(error, "cannot read " + folder.PathOf("missing") + ": No such file or directory");
}

TEST(RegularFileSize, OnlyRegularFilesHaveOneAndExist) {
  TempFolder folder;
  folder.Write("LEXFRAY.CFG", "xyz");
  fs::create_directory(folder.PathOf("folder"));
  EXPECT_EQ(RegularFileSize(folder.PathOf("LEXFRAY.CFG")), 3u);
  EXPECT_TRUE(FileExists(folder.PathOf("LEXFRAY.CFG")));
  for (const std::string& path : {folder.PathOf("folder"), folder.PathOf("missing"),
                                  folder.PathOf("missing/deeper/LEXFRAY.CFG"), std::string("/dev/null"),
                                  std::string()}) {
    EXPECT_FALSE(RegularFileSize(path)) << path;
    EXPECT_FALSE(FileExists(path)) << path;
  }
}

// As under `prlimit --fsize`: the append that would pass the limit takes part of its record,
// and the file goes back to its old length rather than keep that piece.
TEST(RecordFileReasons, AnAppendCutShortLeavesNoTornTail) {
  TempFolder folder;
  folder.Write("LEXFRAY.USR", std::string(133 * 2 + 100, 'x'));
  std::optional<RecordFile> file = RecordFile::Open(folder.PathOf("LEXFRAY.USR"), 133);
  ASSERT_TRUE(file);
  FailWritesBeyondSizeLimit();
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit limit = old;
  limit.rlim_cur = 133 * 3 - 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  std::array<std::uint8_t, 133> record{};
  bool written = file->Write(3, record);
  std::string error = file->LastError();
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "cannot write " + folder.PathOf("LEXFRAY.USR") + ": File too large");
  std::string after = folder.Read("LEXFRAY.USR");
  EXPECT_EQ(after.size(), 133u * 2 + 100);
  EXPECT_EQ(after.substr(0, 133 * 2), std::string(133 * 2, 'x'));
}

TEST(RecordFileSize, AHugeSparseFileIsCountedNotRead) {
  TempFolder folder;
  folder.Write("LEXFRAY.ISC", "");
  fs::resize_file(folder.PathOf("LEXFRAY.ISC"), kFortyGigabytes);
  std::optional<RecordFile> file = RecordFile::Open(folder.PathOf("LEXFRAY.ISC"), 251);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Count(), static_cast<std::int64_t>(kFortyGigabytes / 251));
}

}  // namespace
}  // namespace lexfray
