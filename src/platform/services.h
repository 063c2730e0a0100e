#pragma once

#include <string>

namespace lexfray {

// What a copy found when it asked for the single-copy lock.
enum class CopyLock {
  kHeld,           // this process holds it now, until it ends
  kHeldElsewhere,  // another copy holds it
  kNoLocks,        // the folder's file system takes no locks: nothing keeps a second copy out
  kFailed,         // the lock's file cannot be opened: nothing keeps a second copy out
};

// Guards against a second copy of the program in the same installation.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // Takes the lock of the installation in folder; why it could not, for kNoLocks and
  // kFailed, in *reason.
  virtual CopyLock Acquire(const std::string& folder, std::string* reason) = 0;
  // The login name of the user whose process holds the lock of folder; empty when nobody
  // holds it or when that cannot be known.
  virtual std::string Holder(const std::string& folder) = 0;
};

// Starts other programs.
class Launcher {
 public:
  virtual ~Launcher() = default;
  // Runs the program at path with no arguments and no terminal of its own, in folder as
  // its current folder and with a small fixed environment, and waits for its end without
  // time limit. A program that cannot start returns at once.
  virtual void RunAndWait(const std::string& path, const std::string& folder) = 0;
  // Asks the desktop to open url in a browser, without waiting; a failure is not reported.
  virtual void OpenInBrowser(const std::string& url) = 0;
};

}  // namespace lexfray
