#include "players/file_month.h"

#include <optional>
#include <string_view>

#include "platform/record_fields.h"

namespace lexfray {

namespace {

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

}  // namespace

std::string FileMonthOf(std::span<const std::uint8_t> allRecords) {
  if (allRecords.size() < PlayerRecord::kSize) return {};
  return fields::GetText(allRecords, player_fields::kStartMonth, 2);
}

bool BeganInAnEarlierMonth(const PlayerRecord& first, const LocalTime& now) {
  int thisMonth = MonthCount(now.year, now.month);
  if (first.startMonth.size() == 2 && TwoDigits(first.startMonth, 0) == now.month % 100)
    return false;
  std::optional<int> fileMonth = FileMonth(first, now);
  return !fileMonth || *fileMonth < thisMonth;
}

}  // namespace lexfray
