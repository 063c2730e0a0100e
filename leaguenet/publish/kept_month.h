#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "publish/html_pages.h"

namespace lexfray::leaguenet {

// What a past month's data, kept from an earlier publication, says of the month.
struct KeptMonth {
  enum class State {
    kFinal,      // the month's final tables: kept from now on, with these winners
    kOpen,       // written while the month still took scores: to be written again
    kUnreadable  // kept as it is, never written again from the league: why says why
  };
  State state = State::kUnreadable;
  std::vector<Leader> winners;
  std::string why;
};

// Reads the data that MonthData wrote, in its format or an earlier one. Every winner is
// checked as the league's rows are: the file is one like any other.
KeptMonth ReadKeptMonth(std::string_view data);

}  // namespace lexfray::leaguenet
