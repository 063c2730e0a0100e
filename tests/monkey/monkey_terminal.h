#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "console/screen.h"
#include "monkey/file_faults.h"
#include "platform/system/board_layout.h"
#include "platform/terminal.h"
#include "support/fakes.h"

namespace lexfray::monkey {

// A rule the program broke while the monkey played.
struct MonkeyFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The monkey's events are spent: the program is left where it stands.
struct EventsSpent {};

// The fake clock, watched: a program that pauses on and on without asking for input is
// stuck, however fast fake time goes.
class MonkeyClock : public testing::FakeClock {
 public:
  using FakeClock::FakeClock;
  void Sleep(int milliseconds) override;
  void InputAsked() { pausesSinceInput_ = 0; }

 private:
  int pausesSinceInput_ = 0;
};

// The player's side of the program: every time the program waits for input it gets a random
// key or click (on the game screen, often a word that the rack allows), after the monkey has perhaps resized the terminal, moved the clock on or
// armed a file fault. Every board shown is checked (see board_checks.h), and every failed
// write of a saved file must have been told on one of the boards shown before the program
// next waits for input.
class MonkeyTerminal : public Terminal {
 public:
  // With the competition off, the score file only mirrors the player file: the game keeps
  // its failed writes to itself, and so the monkey does not ask that they be told.
  MonkeyTerminal(std::uint64_t seed, MonkeyClock& clock, std::vector<std::string> words,
                 long long budget, bool competition);

  void Show(const Screen& screen) override;
  InputEvent NextEvent() override;
  void DiscardTypedAhead() override { typedAhead_.clear(); }
  void SetTitle(std::string_view) override {}
  void ReportButtonReleases() override {}
  void Suspend() override {}
  void Resume() override {}

  // After the program has ended by itself: its last writes must have been told too.
  void FinishRun() { CheckFailuresTold(); }

  long long events() const { return events_; }
  // Whether a file may have kept a torn tail in the run since the last call: only where
  // cutting it back failed.
  // The injected failures so far, for the summary.
  const FileEvents& failures() const { return failures_; }
  // The last events, oldest first, and the board as last shown: for the failure report.
  std::string RecentEvents() const;
  const Screen& shown() const { return shown_; }

 private:
  std::optional<InputEvent> NextAction();
  InputEvent RandomKey();
  const std::vector<std::string>& WordsOfRack();
  std::optional<InputEvent> RandomClick();
  void Resize();
  void JumpClock();
  void ArmRandomFault();
  void CheckFailuresTold();
  void Note(std::string what);
  int Pick(int below) { return static_cast<int>(random_() % static_cast<std::uint64_t>(below)); }

  std::mt19937_64 random_;
  MonkeyClock& clock_;
  std::vector<std::string> words_;
  long long budget_;
  long long events_ = 0;
  Screen shown_;
  BoardLayout layout_ = LayoutFor(25, 80);
  std::deque<int> typedAhead_;
  std::string rack_;  // the rack that rackWords_ were chosen for
  std::vector<std::string> rackWords_;
  bool toldPlayers_ = false;  // since the program last asked for input
  bool toldScores_ = false;
  bool competition_;
  FileEvents failures_;
  std::deque<std::string> recent_;
};

}  // namespace lexfray::monkey
