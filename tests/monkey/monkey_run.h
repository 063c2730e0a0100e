#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lexfray::monkey {

struct SeedOutcome {
  long long events = 0;  // events spent
  bool competition = false;
  int runs = 0;          // times the program was started
  int saves = 0;         // runs that changed the player file
  int writesFailed = 0;  // injected failures of the saved files
  int readsFailed = 0;
  std::optional<std::string> failure;  // what broke, with the last events and the board
};

// Plays the whole program in a fresh program folder for the given number of events: a few
// players, the competition on for odd seeds, the clock somewhere in the calendar, all drawn
// from the seed. The program is started again whenever it ends. The saved files are checked
// after every run.
SeedOutcome PlaySeed(std::uint64_t seed, long long events);

}  // namespace lexfray::monkey
