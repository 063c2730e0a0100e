#pragma once

#include "console/screen.h"
#include "platform/terminal.h"

namespace lexfray::testing {

// A terminal that shows nothing and keeps no state, for benchmarks that time the game rather
// than a board: each says only what its keys are.
class QuietTerminal : public Terminal {
 public:
  void Show(const Screen&) override {}
  InputEvent NextEvent() override { return InputEvent::KeyPress(kKeyEscape); }
  void DiscardTypedAhead() override {}
  void SetTitle(std::string_view) override {}
  void ReportButtonReleases() override {}
  void Suspend() override {}
  void Resume() override {}
};

}  // namespace lexfray::testing
