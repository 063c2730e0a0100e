#include "players/play_limits.h"

#include <cstdio>
#include <optional>
#include <string_view>

#include "config/calendar.h"
#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/message_box.h"
#include "dialogs/notice_box.h"
#include "platform/files.h"
#include "players/counters.h"
#include "players/player_file.h"
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

// Months counted from year 0, so that two months compare in calendar order.
int MonthCount(int year, int month) { return year * 12 + month - 1; }

// A number of two digits at offset of text, or nothing when the digits are not there.
std::optional<int> TwoDigits(std::string_view text, std::size_t offset) {
  if (text.size() < offset + 2) return std::nullopt;
  char tens = text[offset], ones = text[offset + 1];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return std::nullopt;
  return (tens - '0') * 10 + (ones - '0');
}

// The month of the file begun by record 1, counted as MonthCount does. startMonth holds no
// year: it is the year of the record's lastPlayed (MM-DD-YY), or the one before when the
// player went on past the new year. Of the centuries, the one nearest to now. Nothing when
// startMonth is no month; a lastPlayed without a year makes it the latest month not after
// now.
std::optional<int> FileMonth(const PlayerRecord& first, const LocalTime& now) {
  std::optional<int> month = TwoDigits(first.startMonth, 0);
  if (!month || *month < 1 || *month > 12) return std::nullopt;
  std::optional<int> playedMonth = TwoDigits(first.lastPlayed, 0);
  std::optional<int> playedYear = TwoDigits(first.lastPlayed, 6);
  if (!playedMonth || !playedYear)
    return MonthCount(now.year - (*month > now.month ? 1 : 0), *month);
  int year = now.year - now.year % 100 + *playedYear;
  if (year > now.year + 50) year -= 100;
  if (year < now.year - 50) year += 100;
  if (*month > *playedMonth) --year;
  return MonthCount(year, *month);
}

// Deletes the player file under its lock when record 1 shows that the reset is still due:
// another game may have started the month afresh meanwhile. The reason when it could not.
std::string ResetIfStillDue(const Settings& settings, const PlayLimits& limits,
                            const LocalTime& now) {
  PlayerFile file(settings, LockKind::kExclusive);
  if (file.Busy()) return file.Failure();
  bool due = false;
  file.Scan([&](std::int64_t, std::span<const std::uint8_t> bytes) {
    due = MonthlyResetDue(settings, limits, DecodePlayerRecord(bytes), now);
    return false;
  });
  std::string path = settings.PathOf(kPlayerFileName);
  if (!due || !FileExists(path) || RemoveKeepingLinks(path)) return {};
  return "cannot remove " + path;
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
  if (!settings.MonthlyResetOn() || limits.followOnGame || first.startMonth == MonthText(now))
    return false;
  std::optional<int> fileMonth = FileMonth(first, now);
  return !fileMonth || *fileMonth < MonthCount(now.year, now.month);
}

bool PerformMonthlyReset(Io& io, const Settings& settings, const PlayLimits& limits,
                         const LocalTime& now) {
  Screen::Snapshot covered =
      SplashBoxShow(io, kNoticeStyle, kNoticeSeconds, "Performing Monthly SCORE Maintenance", "",
                    "--- Will Only Take A Few Seconds ---", kIconInformation);
  SplashBoxHide(io, covered);
  std::string failure = ResetIfStillDue(settings, limits, now);
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
