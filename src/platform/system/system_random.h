#pragma once

#include <random>

#include "platform/random_source.h"

namespace lexfray {

// A 64-bit Mersenne Twister; the same seed gives the same deals.
class SystemRandom final : public RandomSource {
 public:
  void Seed(double secondsSinceMidnight) override;
  double Next() override;

 private:
  std::mt19937_64 engine_;
};

}  // namespace lexfray
