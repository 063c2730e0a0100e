#include "players/game_start.h"

#include <algorithm>
#include <optional>
#include <string>

#include "config/constants.h"
#include "dialogs/message_box.h"
#include "platform/record_fields.h"
#include "players/counters.h"
#include "players/name_owners.h"
#include "players/player_file.h"
#include "players/total_score.h"
#include "players/save_failures.h"

namespace lexfray {

namespace {

// What the record lookup found.
struct Lookup {
  bool resetDue = false;
  bool incomplete = false;  // records went unread: the player may be among them
  std::int64_t count = 0;
  std::int64_t found = 0;  // record number of the first match, 0 for none
  std::string fileMonth;
};

// Why a start was stopped inside the player file's lock; told once the lock is let go.
// kUnusable: the file is busy or cannot be opened, and its records, unread, may hold the
// player's, whose saved total a game taken for a new player's would then overwrite.
enum class Stop { kNone, kUnusable, kUnreadable, kNameTaken, kNamesFailed };

// A returning player taken for a new one would get a second record, and game over's
// write-back would then put the new game's small total over the saved one.
void TellUnreadable(Io& io, const Settings& settings) {
  ConsoleMessageBox(io,
                    "The player file " + settings.PathOf(kPlayerFileName) +
                        " could not be read to its end.\n\nNo game starts, so that no saved "
                        "score is lost. Please try again later.",
                    kStyleExclamation, "PLAYER FILE NOT READ", kIconWarning);
}

void TellNotStarted(Io& io, const std::string& reason) {
  ConsoleMessageBox(io, "No game starts: " + reason + ".\n\nPlease try again in a moment.",
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
        notice_(io) {}

  GameStart Run() {
    bool resetTried = false;
    for (;;) {
      now_ = io_.clock.Now();
      if (settings_.Competition() && EndOfMonthNotice(io_, now_))
        return {StartOutcome::kEndProgram, 0, 0, 0, {}};
      PlayerFile file(settings_, LockKind::kExclusive);
      Lookup lookup;
      Stop stop = LookUp(file, !resetTried, lookup);
      if (stop != Stop::kNone) {
        file.Close();
        return Stopped(stop);
      }
      if (lookup.resetDue) {
        // Tried once only: a file that cannot be deleted must not bring the notice back forever.
        resetTried = true;
        file.Close();
        PerformMonthlyReset(io_, settings_, limits_, now_);
        continue;
      }
      fileMonth_ = lookup.fileMonth.empty() ? MonthText(now_) : lookup.fileMonth;
      return lookup.found ? StartFound(file, lookup.found) : StartNew(file, lookup.count);
    }
  }

 private:
  // Everything the start decides under the lock before it writes: the player's record, a
  // reset that is due, and in a shared installation whether the name is this account's
  // (taken for it now when nobody has it yet).
  Stop LookUp(PlayerFile& file, bool resetAllowed, Lookup& lookup) {
    if (file.Busy() || file.Unopened()) {
      reason_ = file.Failure();
      return Stop::kUnusable;
    }
    std::optional<NameOwners> owners;
    if (settings_.Shared()) {
      owners = NameOwners::Read(settings_, &reason_);
      if (!owners) return Stop::kNamesFailed;
      if (owners->OwnedByAnother(comparable_, settings_.installation.uid)) return Stop::kNameTaken;
    }
    lookup = FindPlayer(file, resetAllowed);
    if (lookup.incomplete) return Stop::kUnreadable;
    if (lookup.resetDue || !owners || owners->OwnerOf(comparable_)) return Stop::kNone;
    return owners->Claim(comparable_, settings_.installation.uid, &reason_) ? Stop::kNone
                                                                              : Stop::kNamesFailed;
  }

  GameStart Stopped(Stop stop) {
    if (stop == Stop::kUnreadable) {
      TellUnreadable(io_, settings_);
      return {StartOutcome::kEndProgram, 0, 0, 0, {}};
    }
    if (stop == Stop::kNameTaken) TellNameTaken(io_, settings_, name_);
    else TellNotStarted(io_, reason_);
    return {StartOutcome::kNotStarted, 0, 0, 0, {}};
  }

  Lookup FindPlayer(PlayerFile& file, bool resetAllowed) {
    Lookup lookup;
    lookup.count = file.Count();
    PlayerRecordBytes lastRead{};
    std::int64_t last = file.Scan([&](std::int64_t n, std::span<const std::uint8_t> bytes) {
      std::copy(bytes.begin(), bytes.end(), lastRead.begin());
      if (n == 1) {
        lookup.fileMonth = FileMonthOf(bytes);
        if (resetAllowed && MonthlyResetDue(settings_, limits_, DecodePlayerRecord(bytes), now_)) {
          lookup.resetDue = true;
          return false;
        }
      }
      if (!NameFieldMatches(bytes, comparable_)) return true;
      lookup.found = n;
      return false;
    });
    // The buffer holds the last record read, as a record-by-record search leaves it.
    if (last > 0) buffer_ = DecodePlayerRecord(lastRead);
    lookup.incomplete = !lookup.found && !lookup.resetDue && last < lookup.count;
    return lookup;
  }

  GameStart StartNew(PlayerFile& file, std::int64_t count) {
    buffer_.startMonth = MonthText(now_);
    buffer_.name = std::string(name_);
    buffer_.totalScore = 0;
    buffer_.monthGames = 1;
    buffer_.lastPlayed = TodayText(now_);
    buffer_.dayGames = 1;
    buffer_.createdMark.assign(1, 'Y');  // not = "Y": GCC 12 warns falsely on that (-Wrestrict)
    std::int64_t recordNo = count + 1;
    notice_.WriteAndClose(file, recordNo, buffer_);
    ComputeAllowance(limits_, settings_, now_, buffer_);
    return Begin(recordNo, 0);
  }

  GameStart StartFound(PlayerFile& file, std::int64_t recordNo) {
    std::string today = TodayText(now_);
    double total = TotalFromFile(buffer_.totalScore);
    for (;;) {
      bool playedToday = buffer_.lastPlayed == today;
      if (playedToday && buffer_.dayGames < limits_.gamesLimit) {
        buffer_.dayGames = Add16(buffer_.dayGames, 1);
        buffer_.monthGames = Add16(buffer_.monthGames, 1);
        return Counted(file, recordNo, total);
      }
      if (settings_.Competition() && playedToday) {
        if (!limits_.retryDone) {
          ComputeAllowance(limits_, settings_, now_, buffer_);
          if (limits_.gamesLimit > buffer_.dayGames) {
            limits_.retryDone = true;
            continue;
          }
        }
        file.Close();
        return Refuse(recordNo, total);
      }
      buffer_.monthGames = Add16(buffer_.monthGames, 1);
      buffer_.lastPlayed = today;
      buffer_.dayGames = 1;
      return Counted(file, recordNo, total);
    }
  }

  // After a same-day or new-day update: written, the allowance worked out, then the start may
  // still be refused with the competition, and stays counted when it is.
  GameStart Counted(PlayerFile& file, std::int64_t recordNo, double total) {
    notice_.WriteAndClose(file, recordNo, buffer_);
    ComputeAllowance(limits_, settings_, now_, buffer_);
    if (settings_.Competition() && limits_.gamesLimit < buffer_.dayGames)
      return Refuse(recordNo, total);
    return Begin(recordNo, total);
  }

  GameStart Begin(std::int64_t recordNo, double total) {
    if (settings_.Competition() && MonthTotalExceeded(recordNo)) return Refuse(recordNo, total);
    std::int16_t counted = settings_.Competition() ? buffer_.monthGames : buffer_.dayGames;
    return {StartOutcome::kPlay, recordNo, total, counted, fileMonth_};
  }

  // A start beyond the month's allowance is taken back in the file before it is refused,
  // unless another game has started the file afresh meanwhile and the record is no longer
  // this player's.
  bool MonthTotalExceeded(std::int64_t recordNo) {
    if (buffer_.monthGames <= limits_.gamesLimit) return false;
    buffer_.dayGames = Add16(buffer_.dayGames, -1);
    buffer_.monthGames = Add16(buffer_.monthGames, -1);
    PlayerFile file(settings_, LockKind::kExclusive);
    std::optional<PlayerRecordBytes> first = file.ReadRecord(1);
    std::optional<PlayerRecordBytes> record = file.ReadRecord(recordNo);
    bool stillOurs = first && record && FileMonthOf(*first) == fileMonth_ &&
                     NameFieldMatches(*record, comparable_);
    if (stillOurs) notice_.WriteAndClose(file, recordNo, buffer_);
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
  WriteFailureNotice notice_;
  LocalTime now_;
  std::string fileMonth_;
  std::string reason_;
};

}  // namespace

GameStart StartGameRecord(Io& io, const Settings& settings, PlayLimits& limits,
                          PlayerRecord& buffer, std::string_view playerName) {
  return GameStarter(io, settings, limits, buffer, playerName).Run();
}

}  // namespace lexfray
