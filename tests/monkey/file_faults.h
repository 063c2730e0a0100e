#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace lexfray::monkey {

// Failures the monkey injects into the program's reads and writes of its saved files (the
// player file, its backup and the score file, and the temporary copies that replace them).
// They reach the program through the C library calls its file layer makes: the monkey's
// executable is linked with those calls wrapped (see CMakeLists.txt), so the game's own
// code stays as it ships.
enum class Fault {
  kNone,
  kFailWrite,  // the n-th write from now fails with EIO, writing nothing
  kFailRead,   // the n-th read from now fails with EIO
  kDiskFull,   // from now on, no write may grow a file: ENOSPC once the file's end is reached
  kSlowDisk,   // from now on, every read and write takes countdown milliseconds more
};

struct FaultPlan {
  Fault fault = Fault::kNone;
  int countdown = 1;  // kFailWrite, kFailRead: the call that fails, from 1; kSlowDisk: ms
};

// What the file layer saw; the monkey compares it with what the player was told.
struct FileEvents {
  int writesFailed = 0;  // injected write failures since the last Take
  int readsFailed = 0;
  bool partialWrite = false;  // a write that filled the disk wrote part of its bytes
};

// The plan in force for the saved files; replaces the previous one.
void ArmFault(const FaultPlan& plan);
void DisarmFaults();
FileEvents TakeFileEvents();

// Called after the player file has been deleted or replaced whole (the monthly reset,
// a restore), with its path.
void OnPlayerFileReplaced(std::function<void(const std::string& path)> listener);

}  // namespace lexfray::monkey
