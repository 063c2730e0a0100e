#include "league/standings.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace lexfray {

double WholeScore(double stored) {
  if (std::isnan(stored)) return 0.0;
  if (stored >= kLargestWholeScore) return kLargestWholeScore;
  if (stored <= -kLargestWholeScore) return -kLargestWholeScore;
  return std::floor(stored);
}

void RankByScore(Standings& standings) {
  // The exchanges only look at scores, so they run on (score, position) pairs and the
  // entries move once at the end: the same order at a fraction of the cost.
  std::vector<std::pair<double, std::size_t>> keys;
  keys.reserve(standings.size());
  for (std::size_t i = 0; i < standings.size(); ++i) keys.emplace_back(standings[i].score, i);

  // Positions are 1-based as in the exchange rule: entry k lives at keys[k - 1].
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(keys.size());
  auto at = [&keys](std::ptrdiff_t k) -> std::pair<double, std::size_t>& {
    return keys[static_cast<std::size_t>(k - 1)];
  };
  for (std::ptrdiff_t gap = n; gap > 1;) {
    gap /= 2;
    for (std::ptrdiff_t i = 1; i <= n - gap; ++i) {
      for (std::ptrdiff_t j = i; j >= 1 && at(j + gap).first > at(j).first; j -= gap)
        std::swap(at(j), at(j + gap));
    }
  }

  Standings ranked;
  ranked.reserve(standings.size());
  for (const auto& key : keys) ranked.push_back(std::move(standings[key.second]));
  standings = std::move(ranked);
}

std::int64_t TopScore(const Standings& standings) {
  if (standings.empty()) return 0;
  return static_cast<std::int64_t>(WholeScore(standings.front().score));
}

}  // namespace lexfray
