// A setgid installation: the game acts as its player and takes the games group only for its
// files and the exchange program. Played by a child process that root sets up as such a
// game would be (real group the player's, saved group games, user nobody).
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/files.h"
#include "platform/game_group.h"
#include "platform/system/process_launcher.h"
#include "support/temp_folder.h"

namespace lexfray {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr gid_t kPlayer = 65534;
constexpr gid_t kGames = 4000123;

std::string GroupsText(gid_t real, gid_t effective, gid_t saved) {
  return std::to_string(real) + " " + std::to_string(effective) + " " + std::to_string(saved);
}

std::string Groups() {
  gid_t real = 0, effective = 0, saved = 0;
  ::getresgid(&real, &effective, &saved);
  return GroupsText(real, effective, saved);
}

const std::string kAside = GroupsText(kPlayer, kPlayer, kGames);
const std::string kHeld = GroupsText(kPlayer, kGames, kGames);

// Runs checks in a child started like a setgid game whose saved group is saved and whose
// effective group is still that one; what the checks found wrong comes back as text.
std::string AsGame(gid_t saved, const std::function<std::string()>& checks) {
  int ends[2];
  if (::pipe(ends) != 0) return "no pipe";
  pid_t pid = ::fork();
  if (pid < 0) return "no child";
  if (pid == 0) {
    ::close(ends[0]);
    std::string found = ::setgroups(0, nullptr) == 0 && ::setresgid(kPlayer, saved, saved) == 0 &&
                                ::setresuid(kNobody, kNobody, kNobody) == 0
                            ? checks()
                            : "cannot become the game";
    if (::write(ends[1], found.data(), found.size()) < 0) ::_exit(2);
    ::_exit(0);
  }
  ::close(ends[1]);
  std::string found;
  char buffer[512];
  for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
    found.append(buffer, static_cast<std::size_t>(got));
  ::close(ends[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) found += " (the child failed)";
  return found;
}

std::string Expect(const std::string& what, const std::string& seen, const std::string& wanted) {
  return seen == wanted ? "" : what + ": " + seen + ", not " + wanted + "; ";
}

// A program folder like the shared one: root's, mode 2770, group games, inside a folder
// everybody may enter.
std::string SharedFolder(const TempFolder& folder) {
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::others_exec);
  std::string program = folder.PathOf("program/");
  fs::create_directory(program);
  if (::chown(program.c_str(), 0, kGames) != 0 || ::chmod(program.c_str(), 02770) != 0) return {};
  return program;
}

// From here on every change of the groups fails, as a locked-down machine may have it.
bool RefuseGroupChanges() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_setresgid, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

class GameGroupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::getuid() != 0) GTEST_SKIP() << "setting up a setgid game needs root";
  }
};

TEST_F(GameGroupTest, PutAsideItIsTakenForAScopeAndNestedGuardsGiveBackInTurn) {
  auto checks = [] {
    PutGameGroupAside();
    std::string found = Expect("aside", Groups(), kAside);
    {
      GameGroup outer;
      found += Expect("outer", Groups(), kHeld);
      {
        GameGroup inner;
        found += Expect("inner", Groups(), kHeld);
        errno = EACCES;
      }
      found += Expect("after inner", Groups(), kHeld);
      found += Expect("errno", std::to_string(errno), std::to_string(EACCES));
    }
    return found + Expect("after outer", Groups(), kAside);
  };
  EXPECT_EQ(AsGame(kGames, checks), "");
}

TEST_F(GameGroupTest, AGroupThatCannotBePutAsideOrGivenBackStopsTheGame) {
  auto checks = [] {
    if (!RefuseGroupChanges()) return std::string("no filter");
    return std::string(PutGameGroupAside() ? "put aside; " : "") + Expect("held", Groups(), kHeld);
  };
  EXPECT_EQ(AsGame(kGames, checks), "");

  auto handBack = [] {
    static_cast<void>(::setgroups(0, nullptr) == 0 && ::setresgid(kPlayer, kGames, kGames) == 0 &&
                      ::setresuid(kNobody, kNobody, kNobody) == 0 && PutGameGroupAside());
    {
      GameGroup group;
      RefuseGroupChanges();
    }
    ::_exit(0);  // played on
  };
  EXPECT_EXIT(handBack(), ::testing::ExitedWithCode(1), ": cannot give the games group back");
}

TEST_F(GameGroupTest, AGameThatIsNotSetgidKeepsItsGroups) {
  auto checks = [] {
    PutGameGroupAside();
    GameGroup group;
    return Expect("held", Groups(), GroupsText(kPlayer, kPlayer, kPlayer));
  };
  EXPECT_EQ(AsGame(kPlayer, checks), "");
}

TEST_F(GameGroupTest, TheFilesOfTheSharedFolderAreReachedOnlyThroughTheGame) {
  TempFolder folder;
  std::string program = SharedFolder(folder);
  ASSERT_FALSE(program.empty());
  folder.Write("program/LEXFRAY.CFG", "x");
  ASSERT_EQ(::chown(folder.PathOf("program/LEXFRAY.CFG").c_str(), 0, kGames), 0);
  fs::permissions(folder.PathOf("program/LEXFRAY.CFG"),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::group_write);
  auto checks = [&] {
    PutGameGroupAside();
    std::string found;
    std::string config = program + "LEXFRAY.CFG";
    if (::access(config.c_str(), F_OK) == 0) found += "the player reached the folder; ";
    if (!FileExists(config)) found += "the game cannot see LEXFRAY.CFG; ";
    if (IsReadOnly(config)) found += "the game cannot write LEXFRAY.CFG; ";
    if (!WriteFileBytes(program + "Temp.HLP", "help")) found += "no Temp.HLP; ";
    found += Expect("Temp.HLP", ReadFileBytes(program + "Temp.HLP").value_or("?"), "help");
    if (!CopyFileReplacing(config, program + "LEXFRAY.BKP")) found += "no copy; ";
    if (!RemoveFile(program + "Temp.HLP")) found += "Temp.HLP stays; ";
    return found + Expect("after", Groups(), kAside);
  };
  EXPECT_EQ(AsGame(kGames, checks), "");
  EXPECT_FALSE(folder.Exists("program/Temp.HLP"));
  EXPECT_EQ(folder.Read("program/LEXFRAY.BKP"), "x");
}

TEST_F(GameGroupTest, TheExchangeProgramStartsWithTheGamesGroupAndThePlayersRealOne) {
  TempFolder folder;
  std::string program = SharedFolder(folder);
  ASSERT_FALSE(program.empty());
  std::string job = program + "job";
  // -p: dash otherwise sets its effective group back to its real one.
  folder.Write("program/job", "#!/bin/sh -p\ngrep '^Gid:' /proc/$$/status > " + program + "gids\n");
  ASSERT_EQ(::chown(job.c_str(), 0, kGames), 0);
  ASSERT_EQ(::chmod(job.c_str(), 0750), 0);
  auto checks = [&] {
    PutGameGroupAside();
    ProcessLauncher().RunAndWait(job, program);
    return Expect("after", Groups(), kAside);
  };
  EXPECT_EQ(AsGame(kGames, checks), "");
  std::string games = std::to_string(kGames);
  EXPECT_EQ(folder.Read("program/gids"),
            "Gid:\t" + std::to_string(kPlayer) + "\t" + games + "\t" + games + "\t" + games + "\n");
}

}  // namespace
}  // namespace lexfray
