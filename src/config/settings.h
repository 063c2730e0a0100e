#pragma once

#include <cstdint>
#include <string>

#include "platform/installation.h"

namespace lexfray {

// The configuration read once at start-up, with the values derived from it.
struct Settings {
  std::string programFolder;  // ends in '/', prefixed to every data file name
  std::string driveRoot;      // where the competition program's folder lives
  std::string siteName;
  std::string gamesPerDayText;
  std::int16_t gamesPerDay = 0;
  std::string monthlyReset;  // upper-cased; "N" turns the monthly reset off
  std::int16_t competitionActive = 0;
  std::int16_t capDays = 27;
  std::string monthDays;  // twelve two-digit month lengths for this year
  Installation installation;  // who plays, and whether other accounts play the same files

  bool Shared() const { return installation.shared; }
  bool Competition() const { return competitionActive != 0; }
  bool MonthlyResetOn() const { return monthlyReset != "N"; }
  std::string PathOf(std::string_view fileName) const { return programFolder + std::string(fileName); }
};

}  // namespace lexfray
