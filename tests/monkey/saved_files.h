#pragma once

#include <map>
#include <optional>
#include <string>

#include "support/temp_folder.h"

namespace lexfray::monkey {

// The totals of the player file by player (the highest, where a name stands twice).
using Totals = std::map<std::string, double>;

Totals ReadTotals(const std::string& playerFileBytes);

// What a run may not break in the saved files. The reason, when it broke something.
//  - the player file holds whole records, each with a month, a date of last play that is a
//    real date, a name of its own and a finite total that is not negative; no player's
//    total is lower than in before;
//  - the score file holds whole records; the entries of other sites are as they were.
std::optional<std::string> CheckPlayerFile(const std::string& bytes, const Totals& before);
std::optional<std::string> CheckScoreFile(const std::string& bytes,
                                          const std::string& otherSitesBefore,
                                          const std::string& site);

// The entries of other sites than site, in file order, byte for byte.
std::string OtherSitesEntries(const std::string& scoreFileBytes, const std::string& site);

}  // namespace lexfray::monkey
