#include "config/calendar.h"

#include <cstdio>

namespace lexfray {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::string MonthDaysFor(int year) {
  std::string days = "312831303130313130313031";
  if (IsLeapYear(year)) days.replace(2, 2, "29");
  return days;
}

int MonthLength(const std::string& monthDays, int month) {
  std::size_t at = static_cast<std::size_t>(2 * (month - 1));
  if (month < 1 || month > 12 || monthDays.size() < at + 2) return 0;
  return (monthDays[at] - '0') * 10 + (monthDays[at + 1] - '0');
}

std::string DateText(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d-%02d-%02d", month % 100, day % 100, ((year % 100) + 100) % 100);
  return text;
}

}  // namespace lexfray
