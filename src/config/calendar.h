#pragma once

#include <string>

namespace lexfray {

bool IsLeapYear(int year);

// The twelve month lengths of the year as two-digit numbers, "312831..." (February 29 in
// leap years).
std::string MonthDaysFor(int year);

// The length of month (1..12) read from such a text.
int MonthLength(const std::string& monthDays, int month);

// MM-DD-YY, the date form of the player file.
std::string DateText(int year, int month, int day);

}  // namespace lexfray
