// Links in the program folder are the administrator's: the game follows them to files that
// exist, keeps them when it copies, never follows one to create a file elsewhere, and never
// writes through one into a folder that other accounts can write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "platform/files.h"
#include "platform/spooled_file.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace lexfray {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

struct LinkedFolder {
  TempFolder program;
  TempFolder elsewhere;
  // NAME in the program folder, a link to the same name elsewhere.
  std::string Link(const std::string& name) const {
    fs::create_symlink(elsewhere.PathOf(name), program.PathOf(name));
    return program.PathOf(name);
  }
};

ino_t Inode(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_ino;
}

TEST(LinkedFiles, BackupAndRestoreFillALinksTargetAndKeepTheLink) {
  for (auto [from, to] : {std::pair{"LEXFRAY.USR", "LEXFRAY.BKP"}, {"LEXFRAY.BKP", "LEXFRAY.USR"}}) {
    LinkedFolder folders;
    folders.program.Write(from, "the players of today");
    folders.elsewhere.Write(to, "an older and longer copy of the players");
    std::string target = folders.Link(to);

    ino_t old = fs::status(target).type() == fs::file_type::regular ? Inode(target) : 0;
    ASSERT_TRUE(CopyFileReplacing(folders.program.PathOf(from), target)) << to;
    EXPECT_TRUE(fs::is_symlink(target)) << to;
    // Replaced through a rename in the target's own folder, never written over in place.
    EXPECT_NE(Inode(target), old) << to;
    EXPECT_EQ(folders.elsewhere.Read(to), "the players of today");
    // No temporary copy is left beside the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(folders.elsewhere.path()), {}), 1) << to;
  }
}

// Another player's copy of a shared file stays the game's: the new file takes the old one's
// owner, group and mode; one without write permission is never replaced.
TEST(ReplacedFiles, KeepTheirOwnerAndModeAndAReadOnlyOneStays) {
  TempFolder folder;
  folder.Write("LEXFRAY.USR", "old");
  std::string path = folder.PathOf("LEXFRAY.USR");
  ASSERT_EQ(::chown(path.c_str(), 4242, 4343) == 0, ::geteuid() == 0);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::group_write);
  struct stat before {};
  ::stat(path.c_str(), &before);
  ASSERT_TRUE(ReplaceFile(path, "new"));
  struct stat after {};
  ::stat(path.c_str(), &after);
  EXPECT_EQ(folder.Read("LEXFRAY.USR"), "new");
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);

  fs::permissions(path, fs::perms::owner_read);
  std::string error;
  EXPECT_FALSE(ReplaceFile(path, "newer", &error));
  EXPECT_EQ(error, path + " is read-only");
  EXPECT_EQ(folder.Read("LEXFRAY.USR"), "new");
}

// The monthly fresh start of a player file kept elsewhere empties it where it is.
TEST(LinkedFiles, AShareFileKeptElsewhereIsReplacedWhereItIsAndKeepsTheLink) {
  LinkedFolder folders;
  folders.elsewhere.Write("LEXFRAY.USR", "last month's players");
  std::string players = folders.Link("LEXFRAY.USR");
  testing::FakeClock clock;
  CommitResult done = SpooledFile({players, 1000}).Commit(clock, [](const SpoolSnapshot&, std::string*) {
    return std::optional<SpooledFile::Versions>(SpooledFile::Versions{SpooledFile::Bytes()});
  });
  EXPECT_EQ(done.outcome, CommitResult::kDone) << done.reason;
  EXPECT_TRUE(fs::is_symlink(players));
  EXPECT_EQ(folders.elsewhere.Read("LEXFRAY.USR"), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(folders.elsewhere.path()), {}), 1);
}

TEST(LinkedFiles, ALinkToAMissingFileCreatesNothingElsewhere) {
  LinkedFolder folders;
  folders.program.Write("LEXFRAY.USR", "players");
  std::string backup = folders.Link("LEXFRAY.BKP");
  std::string help = folders.Link("Temp.HLP");
  std::string scores = folders.Link("LEXFRAY.ISC");
  std::string document = folders.Link("LEXFRAY.HIS");

  std::string error;
  EXPECT_FALSE(CopyFileReplacing(folders.program.PathOf("LEXFRAY.USR"), backup, &error));
  EXPECT_NE(error.find("LEXFRAY.BKP"), std::string::npos) << error;
  EXPECT_FALSE(WriteFileBytes(help, "help"));
  EXPECT_EQ(OpenOrCreate(scores, O_RDWR), -1);
  EXPECT_EQ(ReadOrCreateFile(document, 64).bytes, "");

  EXPECT_TRUE(fs::is_empty(folders.elsewhere.path()));
  for (const std::string& link : {backup, help, scores, document}) EXPECT_TRUE(fs::is_symlink(link));
}

TEST(LinkedFiles, MissingPlainFilesAreCreatedAndLinkedOnesWrittenThrough) {
  LinkedFolder folders;
  ASSERT_TRUE(WriteFileBytes(folders.program.PathOf("Temp.HLP"), "help"));
  EXPECT_EQ(folders.program.Read("Temp.HLP"), "help");
  EXPECT_GE(OpenOrCreate(folders.program.PathOf("LEXFRAY.ISC"), O_RDWR), 0);
  EXPECT_TRUE(folders.program.Exists("LEXFRAY.ISC"));

  folders.elsewhere.Write("LEXFRAY.HIS", "history");
  EXPECT_EQ(ReadOrCreateFile(folders.Link("LEXFRAY.HIS"), 64).bytes, "history");
  folders.elsewhere.Write("LEXFRAY.USR", "an older and longer text");
  ASSERT_TRUE(WriteFileBytes(folders.Link("LEXFRAY.USR"), "new"));
  EXPECT_EQ(folders.elsewhere.Read("LEXFRAY.USR"), "new");
}

struct UnsafeLinkCase {
  const char* name;
  fs::perms mode;  // of the folder the link leads into
  bool written;
  bool anotherGroup = false;  // the folder's group is not the game's
};

class LinksIntoOthersFolders : public ::testing::TestWithParam<UnsafeLinkCase> {};

// Another account could point an entry of a folder it may write at any file the game may
// write (a root-only one, when root plays): every write refuses to go through, naming it.
TEST_P(LinksIntoOthersFolders, AreNeverWrittenThrough) {
  LinkedFolder folders;
  fs::permissions(folders.elsewhere.path(), GetParam().mode);
  if (GetParam().anotherGroup && ::chown(folders.elsewhere.path().c_str(), static_cast<uid_t>(-1), 65534) != 0)
    GTEST_SKIP() << "only root gives a folder to another group";
  folders.elsewhere.Write("LEXFRAY.BKP", "backup");
  std::string backup = folders.Link("LEXFRAY.BKP");
  // A link in such a folder, leading on to a file in a safe one, is no better.
  TempFolder safe;
  safe.Write("LEXFRAY.ISC", "scores");
  fs::create_symlink(safe.PathOf("LEXFRAY.ISC"), folders.elsewhere.PathOf("scores"));
  std::string scores = folders.program.PathOf("LEXFRAY.ISC");
  fs::create_symlink(folders.elsewhere.PathOf("scores"), scores);

  std::string error;
  EXPECT_EQ(ReplaceFile(backup, "new", &error), GetParam().written);
  if (!GetParam().written) {
    EXPECT_NE(error.find("a folder other accounts can write"), std::string::npos) << error;
  }
  EXPECT_EQ(ReplaceFile(scores, "new", &error), GetParam().written);
  if (!GetParam().written) {
    EXPECT_NE(error.find("its folder " + folders.elsewhere.path()), std::string::npos) << error;
  }
  EXPECT_EQ(WriteFileBytes(backup, "newer"), GetParam().written);
  EXPECT_EQ(OpenOrCreate(scores, O_RDWR) >= 0, GetParam().written);
  EXPECT_EQ(folders.elsewhere.Read("LEXFRAY.BKP"), GetParam().written ? "newer" : "backup");
  EXPECT_EQ(safe.Read("LEXFRAY.ISC"), GetParam().written ? "new" : "scores");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, LinksIntoOthersFolders,
    ::testing::Values(
        UnsafeLinkCase{"WorldWritableAndSticky", fs::perms::all | fs::perms::sticky_bit, false},
        UnsafeLinkCase{"WorldWritable", fs::perms::all, false},
        UnsafeLinkCase{"WritableByAnotherGroup",
                       fs::perms::owner_all | fs::perms::group_all | fs::perms::others_exec, false,
                       true},
        UnsafeLinkCase{"TheOwnersAlone", fs::perms::owner_all | fs::perms::others_exec, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lexfray
