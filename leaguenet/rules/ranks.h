#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace lexfray::leaguenet {

// The one order and rank rule of every league table: the standings that `standings` prints,
// the public pages and their data.

// The whole number a score or a sum is shown as: cut down, as the game shows scores.
double ShownScore(double score);

// A player without a score this month takes no place in a table.
bool TakesAPlace(double score);

// A row of a table as it is ordered.
struct TablePlace {
  double score = 0;
  std::string_view site;
  std::string_view player;
};

// Best first: the higher shown score, then the site's name, then the player's, byte by byte.
bool AheadInTable(const TablePlace& a, const TablePlace& b);

// The ranks of a table already in order, best first: rows whose shown values are equal share
// the rank of the first of them, and the row after them takes its place (1, 2, 2, 4).
std::vector<std::size_t> SharedRanks(const std::vector<double>& values);

}  // namespace lexfray::leaguenet
