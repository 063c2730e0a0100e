#include "config/calendar.h"

#include <gtest/gtest.h>

namespace lexfray {
namespace {

TEST(Calendar, FebruaryFollowsTheGregorianLeapYears) {
  EXPECT_EQ(MonthDaysFor(2008).substr(2, 2), "29");
  EXPECT_EQ(MonthDaysFor(2016).substr(2, 2), "29");
  EXPECT_EQ(MonthDaysFor(2020).substr(2, 2), "29");
  EXPECT_EQ(MonthDaysFor(2024).substr(2, 2), "29");
  EXPECT_EQ(MonthDaysFor(2026).substr(2, 2), "28");
  EXPECT_EQ(MonthDaysFor(2100).substr(2, 2), "28");
  EXPECT_EQ(MonthDaysFor(2000).substr(2, 2), "29");
  EXPECT_EQ(MonthDaysFor(2027), "312831303130313130313031");
}

TEST(Calendar, MonthLengthReadsTheTwoDigitsOfTheMonth) {
  std::string days = MonthDaysFor(2024);
  EXPECT_EQ(MonthLength(days, 1), 31);
  EXPECT_EQ(MonthLength(days, 2), 29);
  EXPECT_EQ(MonthLength(days, 4), 30);
  EXPECT_EQ(MonthLength(days, 12), 31);
  EXPECT_EQ(MonthLength(days, 13), 0);
  EXPECT_EQ(MonthLength("", 1), 0);
}

TEST(Calendar, DateTextIsMonthDayAndTwoDigitYear) {
  EXPECT_EQ(DateText(2008, 3, 15), "03-15-08");
  EXPECT_EQ(DateText(2026, 12, 7), "12-07-26");
  EXPECT_EQ(DateText(2100, 1, 1), "01-01-00");
}

}  // namespace
}  // namespace lexfray
