#include "config/config_file.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "support/temp_folder.h"

namespace lexfray {
namespace {

ConfigValues Parsed(std::string_view bytes) {
  auto result = ParseConfig(bytes);
  EXPECT_TRUE(std::holds_alternative<ConfigValues>(result));
  return std::get<ConfigValues>(result);
}

std::string Lines(int count, std::string_view end = "\r\n") {
  std::string text;
  for (int i = 1; i <= count; ++i) text += "line" + std::to_string(i) + std::string(end);
  return text;
}

TEST(ConfigFile, ReadsTheFourSettingsFromTheirLines) {
  ConfigValues values = Parsed(testing::ConfigText(" North Site ", "5 games", "y", "1"));
  EXPECT_EQ(values.siteName, " North Site ");
  EXPECT_EQ(values.gamesPerDayText, "5 games");
  EXPECT_EQ(values.gamesPerDay, 5);
  EXPECT_EQ(values.monthlyReset, "Y");
  EXPECT_EQ(values.competitionActive, 1);
}

TEST(ConfigFile, MonthlyResetIsUpperCasedWithItsBlanksKept) {
  EXPECT_EQ(Parsed(testing::ConfigText("s", "5", "n", "0")).monthlyReset, "N");
  EXPECT_EQ(Parsed(testing::ConfigText("s", "5", " N", "0")).monthlyReset, " N");
}

TEST(ConfigFile, CompetitionSwitchTakesTheLeadingNumberOnly) {
  EXPECT_EQ(Parsed(testing::ConfigText("s", "5", "Y", "1")).competitionActive, 1);
  EXPECT_EQ(Parsed(testing::ConfigText("s", "5", "Y", "0")).competitionActive, 0);
  EXPECT_EQ(Parsed(testing::ConfigText("s", "5", "Y", "")).competitionActive, 0);
  EXPECT_EQ(Parsed(testing::ConfigText("s", "5", "Y", "yes")).competitionActive, 0);
  EXPECT_EQ(Parsed(testing::ConfigText("s", "5", "Y", "  2.5")).competitionActive, 2);
  EXPECT_EQ(Parsed(testing::ConfigText("s", "3.5", "Y", "0")).gamesPerDay, 4);
  EXPECT_EQ(Parsed(testing::ConfigText("s", "-7", "Y", "0")).gamesPerDay, -7);
}

TEST(ConfigFile, FewerLinesReadEmptyAndLinesAfterTheThirtySecondAreNeverRead) {
  ConfigValues few = Parsed("Site\r\n\r\n\r\n\r\n\r\n\r\n4\r\n");
  EXPECT_EQ(few.siteName, "Site");
  EXPECT_EQ(few.gamesPerDay, 4);
  EXPECT_EQ(few.monthlyReset, "");
  EXPECT_EQ(few.competitionActive, 0);

  std::string many = testing::ConfigText("Site", "5", "Y", "0") + "99999\r\n1\r\n";
  EXPECT_EQ(Parsed(many).competitionActive, 0);
  EXPECT_EQ(Parsed("").siteName, "");
}

TEST(ConfigFile, LineEndsMayBeCrLfCrOrLf) {
  for (std::string_view end : {"\r\n", "\r", "\n"}) {
    std::string text = Lines(31, end) + "1" + std::string(end);
    text.replace(0, 5, "Home");
    ConfigValues values = Parsed(text);
    EXPECT_EQ(values.siteName, "Home") << "line end " << static_cast<int>(end[0]);
    EXPECT_EQ(values.gamesPerDayText, "line7");
    EXPECT_EQ(values.competitionActive, 1);
  }
}

TEST(ConfigFile, AByte26EndsTheFile) {
  std::string text = "Site\r\n\r\n\r\n\r\n\r\n\r\n5\r\n\x1A\r\nY\r\n";
  ConfigValues values = Parsed(text);
  EXPECT_EQ(values.gamesPerDay, 5);
  EXPECT_EQ(values.monthlyReset, "");
}

TEST(ConfigFile, BinaryBytesAreKeptAsTextAndGiveNoNumber) {
  std::string text = testing::ConfigText(std::string("\x01\xFF\x00zz", 5), "\x80\x90", "Y", "\x7F");
  ConfigValues values = Parsed(text);
  EXPECT_EQ(values.siteName, std::string("\x01\xFF\x00zz", 5));
  EXPECT_EQ(values.gamesPerDay, 0);
  EXPECT_EQ(values.competitionActive, 0);
}

TEST(ConfigFile, NumbersOutsideSixteenBitsNameTheirLine) {
  auto games = ParseConfig(testing::ConfigText("s", "32768", "Y", "0"));
  ASSERT_TRUE(std::holds_alternative<ConfigError>(games));
  EXPECT_EQ(std::get<ConfigError>(games).line, 7);
  // What the line must hold, as the file's own notes say it.
  EXPECT_EQ(std::get<ConfigError>(games).message, "the games per day must be a whole number from 0 to 32767");

  auto competition = ParseConfig(testing::ConfigText("s", "5", "Y", "-40000"));
  ASSERT_TRUE(std::holds_alternative<ConfigError>(competition));
  EXPECT_EQ(std::get<ConfigError>(competition).line, 32);
  EXPECT_EQ(std::get<ConfigError>(competition).message, "the competition switch must be 1 (on) or 0 (off)");

  EXPECT_TRUE(std::holds_alternative<ConfigValues>(ParseConfig(testing::ConfigText("s", "32767", "Y", "-32768"))));
  EXPECT_FALSE(std::holds_alternative<ConfigValues>(
      ParseConfig(testing::ConfigText("s", "99999999999999999999999", "Y", "0"))));
}

TEST(LeadingNumber, RoundsHalvesToEven) {
  EXPECT_EQ(LeadingNumber("2.5"), 2);
  EXPECT_EQ(LeadingNumber("3.5"), 4);
  EXPECT_EQ(LeadingNumber("-2.5"), -2);
  EXPECT_EQ(LeadingNumber("7.49 per day"), 7);
  EXPECT_EQ(LeadingNumber("  12abc"), 12);
  EXPECT_EQ(LeadingNumber("abc12"), 0);
  EXPECT_EQ(LeadingNumber("-"), 0);
  EXPECT_EQ(LeadingNumber(".5"), 0);
  EXPECT_EQ(LeadingNumber("32767.4"), 32767);
  EXPECT_EQ(LeadingNumber("32767.5"), std::nullopt);
  EXPECT_EQ(LeadingNumber("2.50000000000000000001"), 3);  // beyond the precision of a double
  EXPECT_EQ(LeadingNumber("0000000000032767"), 32767);
  EXPECT_EQ(LeadingNumber("-32768.5"), -32768);
  EXPECT_EQ(LeadingNumber("-32769"), std::nullopt);
  EXPECT_EQ(LeadingNumber("3,5"), 3);
}

// A locale whose decimal point is a comma, made for the test: nothing more than its numbers.
bool UseCommaLocale(const testing::TempFolder& folder) {
  folder.Write("comma", "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"<U002E>\"\n"
                        "grouping 3;3\nEND LC_NUMERIC\n");
  std::string make = "localedef -c -i " + folder.PathOf("comma") + " -f ANSI_X3.4-1968 " +
                     folder.PathOf("xx_XX") + " >/dev/null 2>&1";
  static_cast<void>(std::system(make.c_str()));
  setenv("LOCPATH", folder.path().c_str(), 1);
  return std::setlocale(LC_NUMERIC, "xx_XX") != nullptr;
}

TEST(LeadingNumber, ThePointIsAPointWhateverTheLocale) {
  testing::TempFolder folder;
  if (!UseCommaLocale(folder)) GTEST_SKIP() << "localedef cannot make a locale here";
  std::optional<std::int16_t> games = LeadingNumber("3.5");
  std::optional<std::int16_t> commaGames = LeadingNumber("3,5");
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  EXPECT_EQ(games, 4);
  EXPECT_EQ(commaGames, 3);
}

}  // namespace
}  // namespace lexfray
