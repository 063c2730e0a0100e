#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace lexfray::monkey {

// Failures the monkey injects into the program's work on its saved files (the player file,
// its names' owners, its backup and the score file, the new versions that replace them, their
// spools and their lock files). They reach the program through the C library calls its file layer makes: the
// monkey's executable is linked with those calls wrapped (see CMakeLists.txt), so the game's
// own code stays as it ships.
enum class Fault {
  kNone,
  kFailWrite,     // the n-th write from now fails with EIO, writing nothing
  kFailRead,      // the n-th read from now fails with EIO
  kDiskFull,      // from now on, no write may grow a file: ENOSPC once the file's end is reached
  kFailOpen,      // the n-th opening of a saved file fails with EIO
  kFailSync,      // the n-th flush of a saved file to disk fails with EIO
  kFailRename,    // the n-th rename onto a saved file fails with EIO
  kLockBusy,      // the n-th lock of a saved file finds it held elsewhere for all of its wait
  kSlowDisk,      // from now on, every read and write takes countdown milliseconds more
  kNoLocks,       // from now on, the saved files' locks fail as on a file system without them
  kKill,          // the n-th change of a saved file (a write, flush, link, rename or removal)
                  // ends the process at once, as a kill would, with status kKilledStatus
};

inline constexpr int kKilledStatus = 99;

struct FaultPlan {
  Fault fault = Fault::kNone;
  int countdown = 1;  // the call that fails, from 1 (kDiskFull: from the first; kSlowDisk: ms)
};

// What the file layer saw; the monkey compares it with what the player was told.
struct FileEvents {
  int writesFailed = 0;       // changes of the player file or its backup that failed
  int scoreWritesFailed = 0;  // changes of the score file that failed
  int readsFailed = 0;        // reads, openings and shared locks that failed
  void Add(const FileEvents& more) {
    writesFailed += more.writesFailed;
    scoreWritesFailed += more.scoreWritesFailed;
    readsFailed += more.readsFailed;
  }
};

// The plan in force for the saved files; replaces the previous one.
void ArmFault(const FaultPlan& plan);
void DisarmFaults();
FileEvents TakeFileEvents();

// Called after the player file has been deleted or replaced whole (the monthly reset,
// a restore), with its path.
void OnPlayerFileReplaced(std::function<void(const std::string& path)> listener);

}  // namespace lexfray::monkey
