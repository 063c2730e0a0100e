#include "platform/system_clock.h"

#include <time.h>

#include <cerrno>
#include <cstdlib>

namespace lexfray {

void UseMachineTimeZone() {
  ::unsetenv("TZ");
  ::unsetenv("TZDIR");
  // The C library reads the zone once and keeps it: have it read again.
  ::tzset();
}

LocalTime SystemClock::Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  LocalTime time;
  time.year = local.tm_year + 1900;
  time.month = local.tm_mon + 1;
  time.day = local.tm_mday;
  time.hour = local.tm_hour;
  time.minute = local.tm_min;
  time.second = local.tm_sec;
  time.millisecond = static_cast<int>(now.tv_nsec / 1000000);
  return time;
}

void SystemClock::Sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec left{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace lexfray
