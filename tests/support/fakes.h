#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/random_source.h"
#include "platform/services.h"

namespace lexfray::testing {

// A clock that stands still until the program sleeps; sleeping only moves it on.
class FakeClock : public Clock {
 public:
  explicit FakeClock(LocalTime start = {2026, 12, 7, 10, 0, 0, 0}) : now_(start) {}
  LocalTime Now() override { return now_; }
  void Sleep(int milliseconds) override;
  void Set(LocalTime now) { now_ = now; }
  long long sleptMs() const { return slept_; }
  const std::vector<int>& sleeps() const { return sleeps_; }

 private:
  LocalTime now_;
  long long slept_ = 0;
  std::vector<int> sleeps_;
};

// Hands out the scripted numbers, then a fixed repeating sequence.
class ScriptedRandom : public RandomSource {
 public:
  void Seed(double seconds) override { seeds_.push_back(seconds); }
  double Next() override;
  ScriptedRandom& Push(double r) {
    queue_.push_back(r);
    return *this;
  }
  // Numbers that deal exactly these 15 letters, in this order.
  ScriptedRandom& DealLetters(const std::string& letters);
  const std::vector<double>& seeds() const { return seeds_; }

 private:
  std::deque<double> queue_;
  std::vector<double> seeds_;
  unsigned fallback_ = 12345;
};

class FakeLock : public InstanceLock {
 public:
  CopyLock Acquire(const std::string& folder, std::string* reason) override {
    folders.push_back(folder);
    if (reason) *reason = failure;
    return heldElsewhere ? CopyLock::kHeldElsewhere : outcome;
  }
  std::string Holder(const std::string&) override { return holder; }
  bool heldElsewhere = false;
  CopyLock outcome = CopyLock::kHeld;  // when it is not held elsewhere
  std::string failure;
  std::string holder;
  std::vector<std::string> folders;
};

class FakeLauncher : public Launcher {
 public:
  void RunAndWait(const std::string& path, const std::string& folder) override {
    runs.push_back(path);
    folders.push_back(folder);
    if (onRun) onRun(path);
  }
  void OpenInBrowser(const std::string& url) override { opened.push_back(url); }
  std::function<void(const std::string&)> onRun;
  std::vector<std::string> runs;
  std::vector<std::string> folders;
  std::vector<std::string> opened;
};

}  // namespace lexfray::testing
