#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "console/screen.h"
#include "platform/terminal.h"

namespace lexfray::testing {

// Thrown when the program waits for input after the script has run out, so that a test
// never hangs on a program that asks for more than it was given.
struct ScriptEnded : std::runtime_error {
  ScriptEnded() : std::runtime_error("the program asked for input after the script ended") {}
};

// A terminal that hands the program one scripted event each time it waits for input, and
// runs the script's checks on the board as it was last shown at that moment.
//
// An event is either pressed while the program waits (Key, Type, Click) or typed ahead
// (KeyAhead, TypeAhead, ClickAhead): already queued when the program draws its next box,
// so that dropping what was typed ahead loses it. Dropping loses only the typed-ahead
// events at the front of the script; checks among them stay where they are.
class ScriptedTerminal : public Terminal {
 public:
  using Check = std::function<void(const Screen&)>;

  ScriptedTerminal& Key(int key);
  ScriptedTerminal& Type(std::string_view text);  // each byte a key; '\r' for Enter
  ScriptedTerminal& Click(int row, int column);
  ScriptedTerminal& KeyAhead(int key);
  ScriptedTerminal& TypeAhead(std::string_view text);
  ScriptedTerminal& ClickAhead(int row, int column);
  ScriptedTerminal& Then(Check check);

  void Show(const Screen& screen) override;
  InputEvent NextEvent() override;
  void DiscardTypedAhead() override;
  void SetTitle(std::string_view title) override { titles_.emplace_back(title); }
  void ReportButtonReleases() override { releases_ = true; }
  void Suspend() override { ++suspends_; }
  void Resume() override { ++resumes_; }

  const Screen& shown() const { return shown_; }
  int shows() const { return shows_; }
  int waits() const { return waits_; }
  int discards() const { return discards_; }
  int dropped() const { return dropped_; }
  bool releasesReported() const { return releases_; }
  int suspends() const { return suspends_; }
  int resumes() const { return resumes_; }
  const std::vector<std::string>& titles() const { return titles_; }
  bool ScriptDone() const { return script_.empty(); }

 private:
  struct Step {
    InputEvent event;
    Check check;
    bool ahead = false;
  };

  std::deque<Step> script_;
  Screen shown_;
  int shows_ = 0;
  int waits_ = 0;
  int discards_ = 0;
  int dropped_ = 0;
  int suspends_ = 0;
  int resumes_ = 0;
  bool releases_ = false;
  std::vector<std::string> titles_;
};

}  // namespace lexfray::testing
