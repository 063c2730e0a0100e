#include "support/fakes.h"

#include <cmath>

namespace lexfray::testing {

namespace {

int DaysIn(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

void FakeClock::Sleep(int milliseconds) {
  sleeps_.push_back(milliseconds);
  slept_ += milliseconds;
  long long ms = now_.millisecond + static_cast<long long>(milliseconds);
  now_.millisecond = static_cast<int>(ms % 1000);
  long long seconds = now_.second + ms / 1000;
  now_.second = static_cast<int>(seconds % 60);
  long long minutes = now_.minute + seconds / 60;
  now_.minute = static_cast<int>(minutes % 60);
  long long hours = now_.hour + minutes / 60;
  now_.hour = static_cast<int>(hours % 24);
  for (long long days = hours / 24; days > 0; --days) {
    if (++now_.day > DaysIn(now_.year, now_.month)) {
      now_.day = 1;
      if (++now_.month > 12) {
        now_.month = 1;
        ++now_.year;
      }
    }
  }
}

double ScriptedRandom::Next() {
  if (!queue_.empty()) {
    double r = queue_.front();
    queue_.pop_front();
    return r;
  }
  fallback_ = fallback_ * 1103515245u + 12345u;
  return static_cast<double>((fallback_ >> 8) & 0xFFFF) / 65536.0;
}

ScriptedRandom& ScriptedRandom::DealLetters(const std::string& letters) {
  for (char c : letters) Push((c - 'A' + 0.5) / 26.0);
  return *this;
}

}  // namespace lexfray::testing
