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
#include "platform/files.h"
#include "players/player_file.h"
#include "players/player_place.h"
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

void TellWhy(Io& io, std::string_view failed, const std::string& reason) {
  ConsoleMessageBox(io,
                    std::string(failed) + ": " + reason +
                        ".\n\nThe files are as they were. Trying again helps once that is mended.",
                    kStyleExclamation, "BACKUP/RESTORE", kIconWarning);
}

// What the backup holds: a byte copy of the player file, or, while changes wait in its spool
// for a stopped holder, the file as every player sees it, those changes and all.
std::optional<std::string> PlayersAsSeen(const Settings& settings, std::string* error) {
  std::optional<PlayerFileView> view = ReadPlayerFile(settings.programFolder, error);
  if (!view) return std::nullopt;
  if (view->missing) {
    if (error) *error = "there is no player file " + settings.PathOf(kPlayerFileName) + " yet";
    return std::nullopt;
  }
  if (view->pending) return std::string(view->image.records.begin(), view->image.records.end());
  return ReadSmallFile(settings.PathOf(kPlayerFileName), LargestPlayerFile(), error);
}

// A backup larger than any player file is no player file, and is not restored.
std::optional<std::string> BackupBytes(const std::string& path, std::string* error) {
  std::optional<std::string> bytes = ReadSmallFile(path, LargestPlayerFile(), error);
  if (!bytes && error && error->find("too large") != std::string::npos)
    *error = path + " is larger than any player file";
  return bytes;
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
  std::string reason;
  std::optional<std::string> players = PlayersAsSeen(settings, &reason);
  if (!players || !ReplaceFile(FilePath(settings, programCode, ".BKP"), *players, &reason)) {
    Notify(io, kBackupFailedLine, kIconWarning);
    TellWhy(io, kBackupFailedLine, reason);
    return;
  }
  Notify(io, "Backup was SUCCESSFUL!", kIconExclamation);
}

void RestorePlayerFile(Io& io, const Settings& settings, std::string_view programCode) {
  if (AdministratorOnly(io, settings)) return;
  std::string backup = FilePath(settings, programCode, ".BKP");
  if (!FileExists(backup)) {
    Notify(io, "A Backup File DOES NOT Exist!", kIconWarning);
    return;
  }
  std::string reason;
  std::optional<std::string> bytes = BackupBytes(backup, &reason);
  SaveResult put;
  if (bytes) put = PutPlayerFile(PlayerFileOf(settings), io.clock, std::move(*bytes));
  if (!bytes || put.outcome == SaveResult::kFailed) {
    Notify(io, kRestoreFailedLine, kIconWarning);
    TellWhy(io, kRestoreFailedLine, bytes ? put.reason : reason);
    return;
  }
  Notify(io, "Restore was SUCCESSFUL!", kIconExclamation);
}

void ShowBackupHelp(Io& io, const Settings& settings) {
  std::string text;
  for (std::string_view paragraph : kHelpParagraphs) text += std::string(paragraph) + "\r\n";
  // A scratch file of this copy's own: another account's help is never half written into
  // it. Without a writable program folder the help is shown all the same, from memory.
  std::string prefix = settings.PathOf(kBackupHelpFileName) + ".";
  std::optional<std::string> path = WriteTemporaryFile(prefix, text, prefix);
  if (!path) {
    ViewDocument(io, kHelpTitle, text);
    return;
  }
  ShowDocument(io, *path, kHelpTitle);
  RemoveFile(*path);
}

}  // namespace lexfray
