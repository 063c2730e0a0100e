#pragma once

namespace lexfray {

// Uniform numbers r with 0 <= r < 1, from one generator seeded once at start-up.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void Seed(double secondsSinceMidnight) = 0;
  virtual double Next() = 0;
};

}  // namespace lexfray
