#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "publish/html_pages.h"

namespace lexfray::leaguenet {

// The data's format: raised when a field changes its meaning, so that a program reading the
// data, and a publication reading a past month's data kept from an earlier one, can tell.
// 2: last_played became a whole date, and the leaders and winners came as lists.
inline constexpr int kDataFormat = 2;

// A text from the league as a JSON string, quotes included; <, > and & are written as
// escapes too, so that the text stays text wherever the JSON is pasted.
std::string JsonString(std::string_view text);

// The month's tables as the pages show them, for anyone to build on. The data of the month
// in play (standings.json) also lists the past months; leaguenet(6) describes the fields.
std::string MonthData(const PageFrame& frame, const MonthTables& tables,
                      const std::vector<MonthSummary>& pastMonths);

}  // namespace lexfray::leaguenet
