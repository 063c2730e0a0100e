#include "players/play_limits.h"

#include <cstdio>
#include <optional>
#include <string_view>

#include "config/calendar.h"
#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/message_box.h"
#include "dialogs/notice_box.h"
#include "players/counters.h"
#include "players/file_month.h"
#include "players/player_place.h"
#include "players/save_failures.h"

namespace lexfray {

namespace {

// No game may begin from 23:40 on the last day of a month.
constexpr int kLastStartSeconds = 23 * 3600 + 40 * 60;

constexpr int kNoticeStyle = 0x23;
constexpr int kNoticeSeconds = 5;
constexpr int kLimitStyle = 0x30;
constexpr int kEndOfMonthStyle = 0x10;

constexpr std::string_view kLimitText =
    "You have played the MAXIMUM number of games for this month. You can play again next month!"
    "\\n\\n\\tVisit our WEB site for other CLUB EDITION games"
    "\\n\\n\\t\\t";

constexpr std::string_view kEndOfMonthText =
    "This game is participating  in the Quillon HOME Software LEAGUENET competition."
    "\\n\\nTo ensure that you do not play any games on the last day of the month that "
    "\\nwill extend over Midnight, we do not allow games to begin on or after 11:40 PM"
    "\\n\\nYou may play again AFTER Midnight. Thank you for your understanding!";

std::int64_t MonthlyAllowance(const Settings& settings, const LocalTime& now) {
  std::int64_t perDay = settings.gamesPerDay;
  return perDay * MonthLength(settings.monthDays, now.month) + 1;
}

std::int64_t DailyAllowance(const Settings& settings, const LocalTime& now,
                            const PlayerRecord& record) {
  std::int64_t perDay = settings.gamesPerDay;
  std::int64_t cap = perDay * settings.capDays + perDay;
  std::int64_t limit = now.day * perDay - record.monthGames + 1 + record.dayGames;
  return cap < limit ? cap : limit;
}

// A fresh start made for now, applied to the file when it is still due then (another game
// may have done it meanwhile). The reason when it could not be saved.
std::string StartAfresh(Io& io, const Settings& settings, const LocalTime& now) {
  PlayerChange change = PlayerChange::Of(PlayerChange::Kind::kFreshStart, settings.installation.uid);
  change.year = now.year;
  change.month = now.month;
  SaveResult saved = SavePlayerChange(PlayerFileOf(settings), io.clock, change);
  return saved.outcome == SaveResult::kFailed ? saved.reason : std::string();
}

}  // namespace

PlayLimits InitialPlayLimits(const Settings& settings) {
  PlayLimits limits;
  limits.gamesLimit = settings.gamesPerDay;
  limits.gamesLimitText = settings.gamesPerDayText;
  return limits;
}

void ComputeAllowance(PlayLimits& limits, const Settings& settings, const LocalTime& now,
                      const PlayerRecord& record) {
  if (limits.allowanceComputed) return;
  limits.allowanceComputed = true;
  std::int64_t allowance = settings.Competition() ? MonthlyAllowance(settings, now)
                                                  : DailyAllowance(settings, now, record);
  limits.gamesLimit = Saturate16(allowance);
  limits.gamesLimitText = std::to_string(limits.gamesLimit);
}

bool MonthlyResetDue(const Settings& settings, const PlayLimits& limits, const PlayerRecord& first,
                     const LocalTime& now) {
  return settings.MonthlyResetOn() && !limits.followOnGame && BeganInAnEarlierMonth(first, now);
}

bool PerformMonthlyReset(Io& io, const Settings& settings, const LocalTime& now) {
  Screen::Snapshot covered =
      SplashBoxShow(io, kNoticeStyle, kNoticeSeconds, "Performing Monthly SCORE Maintenance", "",
                    "--- Will Only Take A Few Seconds ---", kIconInformation);
  SplashBoxHide(io, covered);
  std::string failure = StartAfresh(io, settings, now);
  if (failure.empty()) return true;
  ConsoleMessageBox(io,
                    "The player file could not be started afresh for the new month (" + failure +
                        ").\n\nThis month's scores carry on from last month's.",
                    kStyleExclamation, kMaintenanceFailedTitle, kIconWarning);
  return false;
}

bool EndOfMonthNotice(Io& io, const LocalTime& now) {
  bool lastDay = now.day == MonthLength(MonthDaysFor(now.year), now.month);
  if (!lastDay || now.SecondsSinceMidnight() < kLastStartSeconds) return false;
  ConsoleMessageBox(io, kEndOfMonthText, kEndOfMonthStyle, "END of MONTH NOTICE!!", kIconWarning);
  return true;
}

void ShowLimitReached(Io& io) {
  ConsoleMessageBox(io, std::string(kLimitText) + std::string(kWebAddress), kLimitStyle,
                    "MAXIMUM GAMES PLAYED", kIconExclamation);
}

std::string MonthText(const LocalTime& now) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", now.month % 100);
  return text;
}

std::string TodayText(const LocalTime& now) {
  return DateText(now.year, now.month, now.day);
}

}  // namespace lexfray
