#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "publish/html_pages.h"

namespace lexfray::leaguenet {

// A text from the league as a JSON string, quotes included; <, > and & are written as
// escapes too, so that the text stays text wherever the JSON is pasted.
std::string JsonString(std::string_view text);

// The month's tables as the pages show them, for anyone to build on. The data of the month
// in play (standings.json) also lists the past months; leaguenet(6) describes the fields.
std::string MonthData(const PageFrame& frame, const MonthTables& tables,
                      const std::vector<MonthSummary>& pastMonths);

// The leader that MonthData wrote into a month's final data; false when the data is not
// final or holds no leader that can be read.
bool ReadFinalLeader(std::string_view monthData, std::optional<Leader>* leader);

}  // namespace lexfray::leaguenet
