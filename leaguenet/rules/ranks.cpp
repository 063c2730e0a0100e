#include "rules/ranks.h"

#include <cmath>

namespace lexfray::leaguenet {

double ShownScore(double score) {
  return std::floor(score);
}

bool TakesAPlace(double score) {
  return ShownScore(score) > 0;
}

bool AheadInTable(const TablePlace& a, const TablePlace& b) {
  double first = ShownScore(a.score);
  double second = ShownScore(b.score);
  if (first != second) return first > second;
  if (a.site != b.site) return a.site < b.site;
  return a.player < b.player;
}

std::vector<std::size_t> SharedRanks(const std::vector<double>& values) {
  std::vector<std::size_t> ranks(values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    ranks[i] = i > 0 && ShownScore(values[i]) == ShownScore(values[i - 1]) ? ranks[i - 1] : i + 1;
  return ranks;
}

}  // namespace lexfray::leaguenet
