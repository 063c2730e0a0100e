#include "players/backup.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/document_viewer.h"
#include "dialogs/list_box.h"
#include "dialogs/message_box.h"
#include "dialogs/notice_box.h"
#include "dialogs/show_document.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "players/player_file.h"
#include "players/save_failures.h"

namespace lexfray {

namespace {

constexpr int kMenuStyle = 1;
constexpr int kNoticeStyle = 0x81;
constexpr int kNoticeSeconds = 3;
constexpr std::string_view kHelpTitle = "BACKUP/RESTORE HELP";

// One line to a paragraph: the viewer wraps each to its own width.
constexpr std::array<std::string_view, 7> kHelpParagraphs = {
    "BACKUP",
    "",
    "Use this option if you want to Backup the game's Player file. The Backup file "
    "will be stored in the game's directory/folder. Quillon HOME Software recommends "
    "that you run Backup as often as you feel a need based on the condition of your "
    "computer and it's components, the weather in your area, etc.",
    "",
    "RESTORE",
    "",
    "Use this option when you have a visual indication that the Player file might "
    "have been compromised or you are advised to restore the Player file by Quillon "
    "HOME Software support personnel.",
};

void Notify(Io& io, std::string_view line, int iconCode) {
  SplashBoxHide(io, SplashBoxShow(io, kNoticeStyle, kNoticeSeconds, line, "", "", iconCode));
}

std::string FilePath(const Settings& settings, std::string_view programCode,
                     std::string_view extension) {
  return settings.programFolder + std::string(programCode) + std::string(extension);
}

// The copy passes through memory: a source that is no file, or too large to be a player
// file, is not copied.
bool FitsAPlayerFile(const std::string& path) {
  std::optional<std::uint64_t> size = RegularFileSize(path);
  return size && *size < static_cast<std::uint64_t>(kMostPlayers + 1) * PlayerRecord::kSize;
}

// The copy runs under the player file's lock, which no game then holds: a backup reads it
// whole (shared), a restore replaces it (exclusive). The notice waits until the lock is gone.
void CopyAndTell(Io& io, const std::string& playerFile, LockKind lock, const std::string& from,
                 const std::string& to, std::string_view done, std::string_view failed) {
  std::optional<FileLock> held = FileLock::Take(playerFile, lock);
  bool copied = held && FitsAPlayerFile(from) && CopyFileReplacing(from, to);
  held.reset();
  Notify(io, copied ? done : failed, copied ? kIconExclamation : kIconWarning);
}

// In a shared installation the player file holds every account's scores: only the
// administrator copies it whole, either way. Others are told who and how.
bool AdministratorOnly(Io& io, const Settings& settings) {
  const Installation& installation = settings.installation;
  if (!installation.shared || installation.administrator) return false;
  std::string name = installation.administratorName;
  std::string command = name == "root" ? "sudo lexfray" : "sudo -u " + name + " lexfray";
  ConsoleMessageBox(io,
                    "The player file holds the scores of every player of this machine, so only "
                    "its administrator (" + name + ") backs it up and restores it.\n\n"
                    "The administrator does it from the game started as " + name + ":\n\n\t" +
                        command,
                    kStyleExclamation, "ADMINISTRATOR ONLY", kIconWarning);
  return true;
}

}  // namespace

std::string BackupMenu(Io& io) {
  const std::vector<std::string> entries = {"Backup Player File", "Restore Player File", "Help"};
  return ConsoleListBox(io, kMenuStyle, "Choose Your Option", "BACKUP/RESTORE MENU", entries,
                        kListReturnsPosition);
}

void BackupPlayerFile(Io& io, const Settings& settings, std::string_view programCode) {
  if (AdministratorOnly(io, settings)) return;
  std::string players = FilePath(settings, programCode, ".USR");
  CopyAndTell(io, players, LockKind::kShared, players, FilePath(settings, programCode, ".BKP"),
              "Backup was SUCCESSFUL!", kBackupFailedLine);
}

void RestorePlayerFile(Io& io, const Settings& settings, std::string_view programCode) {
  if (AdministratorOnly(io, settings)) return;
  std::string backup = FilePath(settings, programCode, ".BKP");
  if (!FileExists(backup)) {
    Notify(io, "A Backup File DOES NOT Exist!", kIconWarning);
    return;
  }
  std::string players = FilePath(settings, programCode, ".USR");
  CopyAndTell(io, players, LockKind::kExclusive, backup, players, "Restore was SUCCESSFUL!",
              kRestoreFailedLine);
}

void ShowBackupHelp(Io& io, const Settings& settings) {
  std::string text;
  for (std::string_view paragraph : kHelpParagraphs) text += std::string(paragraph) + "\r\n";
  std::string path = settings.PathOf(kBackupHelpFileName);
  // Without a writable program folder the help is shown all the same, straight from memory;
  // a scratch file written only in part (a full disk) is not left behind.
  if (!WriteFileBytes(path, text)) {
    RemoveFile(path);
    ViewDocument(io, kHelpTitle, text);
    return;
  }
  ShowDocument(io, path, kHelpTitle);
  RemoveFile(path);
}

}  // namespace lexfray
