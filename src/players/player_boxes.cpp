#include "players/player_boxes.h"

#include "dialogs/message_box.h"
#include "platform/record_fields.h"
#include "players/save_failures.h"

namespace lexfray {

namespace {

std::string HolderAndWhoEndsIt(const SaveResult& result, const Settings& settings) {
  if (!result.holder) return " (" + result.reason + ")";
  std::string text = ": " + HolderText(*result.holder) + " holds the file";
  if (result.holder->stopped)
    text += ". Its owner can let it go on, and the administrator (" +
            settings.installation.administratorName + ") can end it:\n\n\tsudo kill -KILL " +
            std::to_string(result.holder->pid);
  return text;
}

}  // namespace

void SaveNotice::Tell(const SaveResult& result) {
  if (result.outcome == SaveResult::kSaved || told_) return;
  if (result.outcome == SaveResult::kFailed) {
    TellNotSaved(result.reason);
    return;
  }
  told_ = true;
  ConsoleMessageBox(io_,
                    "Your score is kept and will count: it goes into the player file as soon as "
                    "the file is free" + HolderAndWhoEndsIt(result, settings_) +
                        ".\n\nPlay goes on; nothing needs doing on your side.",
                    kStyleInformation, kScoreKeptTitle, kIconInformation);
}

void SaveNotice::TellNotSaved(const std::string& reason) {
  if (told_) return;
  told_ = true;
  ConsoleMessageBox(io_,
                    "The player file could not be written (" + reason +
                        ").\n\nPlay goes on, but this change to the scores is not kept.",
                    kStyleExclamation, kPlayerFileNotSavedTitle, kIconWarning);
}

void TellPlayersNotRead(Io& io, const std::string& reason) {
  ConsoleMessageBox(io,
                    "The players could not be read (" + reason +
                        ").\n\nTrying again will not help until the file is mended: please tell "
                        "the administrator.",
                    kStyleExclamation, "PLAYER FILE NOT READ", kIconWarning);
}

void TellNameTaken(Io& io, const Settings& settings, std::string_view name) {
  ConsoleMessageBox(io,
                    "The player name " + ComparableName(name) +
                        " belongs to another account of this machine, and only that account "
                        "plays it.\n\nPlease choose a name of your own (you play as the account " +
                        settings.installation.loginName + "), or enter a new one.",
                    kStyleExclamation, "NAME TAKEN", kIconWarning);
}

void TellNoNewPlayer(Io& io, const std::string& reason) {
  ConsoleMessageBox(io, "No game starts for a new player: " + reason + ".", kStyleExclamation,
                    kGameNotStartedTitle, kIconWarning);
}

}  // namespace lexfray
