#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace lexfray::leaguenet {

// One line to the system log (the journal collects it).
void LogLine(bool failure, std::string_view line);

// True when the process holds a group or user that is not its caller's, as when the game
// starts it with the game's group: then nothing of the caller's environment is trusted.
bool RunsWithOtherIdentity();

// Drops every PG* variable, and TZ, so that the local month is the machine's; with the
// game's group, also makes libpq read the system's service file instead of the caller's own.
void DistrustEnvironment(bool gameGroup = true);

struct LocalDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
};

// Today on the machine's clock, in local time.
LocalDate Today();

// After seconds, whatever the process is doing (a name lookup that hangs included), it
// says so on standard error and ends with exit code 3, the exit code of an exchange that ran
// over its time limit. Zero seconds disarms it.
void ArmHardTimeLimit(int seconds);

bool RunsAsRoot();

// Does nothing for that long.
void Pause(std::chrono::milliseconds wait);

// Makes path belong to root and the given group, with mode; false with *error.
bool SetOwnerAndMode(const std::string& path, std::string_view group, unsigned mode,
                     std::string* error);

// Creates an empty file that was not there; false with *error.
bool CreateEmptyFile(const std::string& path, std::string* error);

// Creates a file that was not there, with mode (whatever the umask), holding text; false
// with *error, and then no file is left.
bool WriteNewFile(const std::string& path, std::string_view text, unsigned mode,
                  std::string* error);

}  // namespace lexfray::leaguenet
