#include "players/game_start.h"

#include <optional>
#include <string>

#include "config/constants.h"
#include "dialogs/message_box.h"
#include "platform/record_fields.h"
#include "players/counters.h"
#include "players/file_month.h"
#include "players/player_boxes.h"
#include "players/player_file.h"
#include "players/player_place.h"
#include "players/save_failures.h"
#include "players/total_score.h"

namespace lexfray {

namespace {

// A returning player taken for a new one would get a second record, and game over's
// write-back would then put the new game's small total over the saved one: no game starts
// on a file that cannot be read.
void TellNotStarted(Io& io, const std::string& reason) {
  ConsoleMessageBox(io,
                    "No game starts: " + reason +
                        ".\n\nNo saved score is lost. Trying again may help once the file is "
                        "mended; if it does not, please tell the administrator.",
                    kStyleExclamation, kGameNotStartedTitle, kIconWarning);
}

class GameStarter {
 public:
  GameStarter(Io& io, const Settings& settings, PlayLimits& limits, PlayerRecord& buffer,
              std::string_view playerName)
      : io_(io),
        settings_(settings),
        limits_(limits),
        buffer_(buffer),
        name_(playerName),
        comparable_(ComparableName(playerName)),
        notice_(io, settings) {}

  GameStart Run() {
    bool resetTried = false;
    for (;;) {
      now_ = io_.clock.Now();
      if (settings_.Competition() && EndOfMonthNotice(io_, now_))
        return {StartOutcome::kEndProgram, 0, 0, 0, {}};
      std::string reason;
      std::optional<PlayerFileView> view = ReadPlayerFile(settings_.programFolder, &reason);
      if (!view) return NotStarted(reason);
      const PlayerFileImage& image = view->image;
      if (settings_.Shared() && image.owners.OwnedByAnother(comparable_, settings_.installation.uid))
        return NameTaken();
      // Tried once only: a file that cannot be started afresh must not bring the notice back
      // forever.
      if (!resetTried && image.Count() > 0 &&
          MonthlyResetDue(settings_, limits_, DecodePlayerRecord(image.records), now_)) {
        resetTried = true;
        PerformMonthlyReset(io_, settings_, now_);
        continue;
      }
      std::string fileMonth = FileMonthOf(image.records);
      fileMonth_ = fileMonth.empty() ? MonthText(now_) : fileMonth;
      std::int64_t found = FindPlayer(image.records, comparable_);
      // The buffer holds the last record read, as a record-by-record search leaves it.
      std::int64_t last = found ? found : image.Count();
      if (last > 0) buffer_ = DecodePlayerRecord(RecordOf(image, last));
      if (std::string full = NoRoom(image, found == 0); !full.empty()) return NoNewPlayer(full);
      if (!found) return StartNew(*view);
      // A name from before owners were kept goes to the first account that plays it.
      if (settings_.Shared() && !image.owners.OwnerOf(comparable_)) {
        PlayerChange change = PlayerChange::Of(PlayerChange::Kind::kNewPlayer, settings_.installation.uid);
        change.record = EncodePlayerRecord(buffer_);
        change.claim = true;
        if (std::optional<GameStart> refused = Claim(change, view->lastOrder)) return *refused;
      }
      return StartFound(found);
    }
  }

 private:
  static std::span<const std::uint8_t> RecordOf(const PlayerFileImage& image, std::int64_t n) {
    return std::span<const std::uint8_t>(image.records)
        .subspan(static_cast<std::size_t>(n - 1) * PlayerRecord::kSize, PlayerRecord::kSize);
  }

  GameStart NotStarted(const std::string& reason) {
    TellNotStarted(io_, reason);
    return {StartOutcome::kNotStarted, 0, 0, 0, {}};
  }

  GameStart NameTaken() {
    TellNameTaken(io_, settings_, name_);
    return {StartOutcome::kNotStarted, 0, 0, 0, {}};
  }

  GameStart NoNewPlayer(const std::string& reason) {
    TellNoNewPlayer(io_, reason);
    return {StartOutcome::kNotStarted, 0, 0, 0, {}};
  }

  // Why the image has no room for this player's record (a new one, or a name nobody owns
  // yet), or the empty text when it has.
  std::string NoRoom(const PlayerFileImage& image, bool newRecord) const {
    const Installation& installation = settings_.installation;
    std::string administrator = " the administrator (" + installation.administratorName + ")";
    if (newRecord && image.Count() >= kMostPlayers)
      return "the player file is full for this month (" + std::to_string(kMostPlayers) +
             " players). Trying again will not help before the next month begins;" +
             administrator + " can make room";
    if (!settings_.Shared() || image.owners.OwnerOf(comparable_)) return {};
    if (image.owners.Count() >= kMostOwnedNames)
      return "all " + std::to_string(kMostOwnedNames) +
             " player names of this machine are taken (LEXFRAY.OWN is full). Trying again "
             "will not help;" + administrator + " can free names no longer played";
    std::int64_t allowed = NamesPerAccount(settings_.PathOf(kNamesPerAccountFileName));
    if (installation.administrator || image.owners.CountOf(installation.uid) < allowed) return {};
    return "your account (" + installation.loginName + ") has taken the " +
           std::to_string(allowed) + " names an account may have. Trying again will not help;" +
           administrator + " can free one of them, or allow more";
  }

  GameStart StartNew(const PlayerFileView& view) {
    buffer_.startMonth = MonthText(now_);
    buffer_.name = std::string(name_);
    buffer_.totalScore = 0;
    buffer_.monthGames = 1;
    buffer_.lastPlayed = TodayText(now_);
    buffer_.dayGames = 1;
    buffer_.createdMark.assign(1, 'Y');  // not = "Y": GCC 12 warns falsely on that (-Wrestrict)
    PlayerChange change = PlayerChange::Of(PlayerChange::Kind::kNewPlayer, settings_.installation.uid);
    change.record = EncodePlayerRecord(buffer_);
    change.claim = settings_.Shared() && !view.image.owners.OwnerOf(comparable_);
    if (change.claim) {
      if (std::optional<GameStart> refused = Claim(change, view.lastOrder)) return *refused;
    } else {
      notice_.Tell(Quiet(SavePlayerChange(PlayerFileOf(settings_), io_.clock, change)));
    }
    ComputeAllowance(limits_, settings_, now_, buffer_);
    return Begin(view.image.Count() + 1, 0);
  }

  // The name becomes the account's together with its record, or not at all: a claim that
  // another account made first, or that finds no room left once it is in, or whose record
  // cannot be written, is taken back.
  std::optional<GameStart> Claim(const PlayerChange& change, std::uint64_t after) {
    PlayerFilePlace place = PlayerFileOf(settings_);
    std::string reason;
    ClaimOutcome claimed = SpoolClaim(place, change, after, &reason);
    if (claimed == ClaimOutcome::kTaken) return NameTaken();
    if (claimed == ClaimOutcome::kFailed) return NotStarted(reason);
    std::optional<PlayerFileView> view = ReadPlayerFile(place.folder, &reason);
    if (!view || view->image.owners.OwnerOf(comparable_) != change.account) {
      WithdrawClaim(place, comparable_);
      if (!view) return NotStarted(reason);
      if (view->image.owners.OwnedByAnother(comparable_, change.account)) return NameTaken();
      return NoNewPlayer("the last place was taken at this very moment. " +
                         NoRoom(view->image, FindPlayer(view->image.records, comparable_) == 0));
    }
    SaveResult saved = SavePlayerChange(place, io_.clock, std::nullopt);
    if (saved.outcome == SaveResult::kFailed) {
      WithdrawClaim(place, comparable_);
      return NotStarted(saved.reason);
    }
    return std::nullopt;
  }

  // A start kept in the spool needs no word: the player plays on the record as everybody
  // sees it, and the game's over tells whether its score waits too.
  static SaveResult Quiet(SaveResult result) {
    if (result.outcome == SaveResult::kKept) result.outcome = SaveResult::kSaved;
    return result;
  }

  GameStart StartFound(std::int64_t recordNo) {
    std::string today = TodayText(now_);
    double total = TotalFromFile(buffer_.totalScore);
    for (;;) {
      bool playedToday = buffer_.lastPlayed == today;
      if (playedToday && buffer_.dayGames < limits_.gamesLimit) {
        buffer_.dayGames = Add16(buffer_.dayGames, 1);
        buffer_.monthGames = Add16(buffer_.monthGames, 1);
        return Counted(recordNo, total);
      }
      if (settings_.Competition() && playedToday) {
        if (!limits_.retryDone) {
          ComputeAllowance(limits_, settings_, now_, buffer_);
          if (limits_.gamesLimit > buffer_.dayGames) {
            limits_.retryDone = true;
            continue;
          }
        }
        return Refuse(recordNo, total);
      }
      buffer_.monthGames = Add16(buffer_.monthGames, 1);
      buffer_.lastPlayed = today;
      buffer_.dayGames = 1;
      return Counted(recordNo, total);
    }
  }

  void SaveCounters() {
    PlayerChange change = PlayerChange::Of(PlayerChange::Kind::kCounters, settings_.installation.uid);
    change.record = EncodePlayerRecord(buffer_);
    change.fileMonth = fileMonth_;
    notice_.Tell(Quiet(SavePlayerChange(PlayerFileOf(settings_), io_.clock, change)));
  }

  // After a same-day or new-day update: written, the allowance worked out, then the start may
  // still be refused with the competition, and stays counted when it is.
  GameStart Counted(std::int64_t recordNo, double total) {
    SaveCounters();
    ComputeAllowance(limits_, settings_, now_, buffer_);
    if (settings_.Competition() && limits_.gamesLimit < buffer_.dayGames)
      return Refuse(recordNo, total);
    return Begin(recordNo, total);
  }

  GameStart Begin(std::int64_t recordNo, double total) {
    if (settings_.Competition() && MonthTotalExceeded()) return Refuse(recordNo, total);
    std::int16_t counted = settings_.Competition() ? buffer_.monthGames : buffer_.dayGames;
    return {StartOutcome::kPlay, recordNo, total, counted, fileMonth_};
  }

  // A start beyond the month's allowance is taken back in the file before it is refused,
  // unless another game has started the file afresh meanwhile and the record is no longer
  // this month's.
  bool MonthTotalExceeded() {
    if (buffer_.monthGames <= limits_.gamesLimit) return false;
    buffer_.dayGames = Add16(buffer_.dayGames, -1);
    buffer_.monthGames = Add16(buffer_.monthGames, -1);
    SaveCounters();
    return true;
  }

  GameStart Refuse(std::int64_t recordNo, double total) {
    ShowLimitReached(io_);
    return {StartOutcome::kLimitReached, recordNo, total, 0, fileMonth_};
  }

  Io& io_;
  const Settings& settings_;
  PlayLimits& limits_;
  PlayerRecord& buffer_;
  std::string_view name_;
  std::string comparable_;
  SaveNotice notice_;
  LocalTime now_;
  std::string fileMonth_;
};

}  // namespace

GameStart StartGameRecord(Io& io, const Settings& settings, PlayLimits& limits,
                          PlayerRecord& buffer, std::string_view playerName) {
  return GameStarter(io, settings, limits, buffer, playerName).Run();
}

}  // namespace lexfray
