#pragma once

namespace lexfray {

struct LocalTime {
  int year = 2000;  // four digits
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  int SecondsSinceMidnight() const { return hour * 3600 + minute * 60 + second; }
};

// The local date and time, and the fixed pauses of the game.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  virtual void Sleep(int milliseconds) = 0;
};

}  // namespace lexfray
