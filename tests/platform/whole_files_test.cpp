// The whole-file reads: the reason a failure gives, and files of any size.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace lexfray {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

constexpr std::uintmax_t kFortyGigabytes = std::uintmax_t{40} << 30;

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

// As under `prlimit --fsize`: a replacement that would pass the limit leaves the file as it
// was and no temporary copy beside it.
TEST(ReplaceFile, ACopyCutShortByTheSizeLimitLeavesTheFileAsItWas) {
  TempFolder folder;
  folder.Write("LEXFRAY.USR", std::string(133 * 2, 'x'));
  FailWritesBeyondSizeLimit();
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit limit = old;
  limit.rlim_cur = 133 * 3 - 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  std::string error;
  bool written = ReplaceFile(folder.PathOf("LEXFRAY.USR"), std::string(133 * 3, 'y'), &error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, "cannot write " + folder.PathOf("LEXFRAY.USR") + ": File too large");
  EXPECT_EQ(folder.Read("LEXFRAY.USR"), std::string(133 * 2, 'x'));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
}  // namespace lexfray
