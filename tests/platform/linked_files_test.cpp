// Links in the program folder are the administrator's: the game follows them to files that
// exist, keeps them when it copies, and never follows one to create a file elsewhere.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>

#include "platform/files.h"
#include "platform/record_file.h"
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
TEST(LinkedFiles, RemovingALinkedFileEmptiesItsTargetAndKeepsTheLink) {
  LinkedFolder folders;
  folders.elsewhere.Write("LEXFRAY.USR", "last month's players");
  std::string players = folders.Link("LEXFRAY.USR");
  folders.program.Write("LEXFRAY.BKP", "a plain file");

  ASSERT_TRUE(RemoveKeepingLinks(players));
  EXPECT_TRUE(fs::is_symlink(players));
  EXPECT_EQ(folders.elsewhere.Read("LEXFRAY.USR"), "");
  ASSERT_TRUE(RemoveKeepingLinks(folders.program.PathOf("LEXFRAY.BKP")));
  EXPECT_FALSE(folders.program.Exists("LEXFRAY.BKP"));
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
  EXPECT_FALSE(RecordFile::Open(scores, 251));
  EXPECT_EQ(ReadOrCreateFile(document, 64).bytes, "");

  EXPECT_TRUE(fs::is_empty(folders.elsewhere.path()));
  for (const std::string& link : {backup, help, scores, document}) EXPECT_TRUE(fs::is_symlink(link));
}

TEST(LinkedFiles, MissingPlainFilesAreCreatedAndLinkedOnesWrittenThrough) {
  LinkedFolder folders;
  ASSERT_TRUE(WriteFileBytes(folders.program.PathOf("Temp.HLP"), "help"));
  EXPECT_EQ(folders.program.Read("Temp.HLP"), "help");
  EXPECT_TRUE(RecordFile::Open(folders.program.PathOf("LEXFRAY.ISC"), 251));
  EXPECT_TRUE(folders.program.Exists("LEXFRAY.ISC"));

  folders.elsewhere.Write("LEXFRAY.HIS", "history");
  EXPECT_EQ(ReadOrCreateFile(folders.Link("LEXFRAY.HIS"), 64).bytes, "history");
  folders.elsewhere.Write("LEXFRAY.USR", "an older and longer text");
  ASSERT_TRUE(WriteFileBytes(folders.Link("LEXFRAY.USR"), "new"));
  EXPECT_EQ(folders.elsewhere.Read("LEXFRAY.USR"), "new");
}

}  // namespace
}  // namespace lexfray
