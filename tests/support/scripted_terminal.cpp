#include "support/scripted_terminal.h"

namespace lexfray::testing {

ScriptedTerminal& ScriptedTerminal::Key(int key) {
  script_.push_back({InputEvent::KeyPress(key), {}});
  return *this;
}

ScriptedTerminal& ScriptedTerminal::Type(std::string_view text) {
  for (char c : text) Key(static_cast<unsigned char>(c));
  return *this;
}

ScriptedTerminal& ScriptedTerminal::Click(int row, int column) {
  script_.push_back({InputEvent::Click(row, column), {}});
  return *this;
}

ScriptedTerminal& ScriptedTerminal::Then(Check check) {
  script_.push_back({{}, std::move(check)});
  return *this;
}

void ScriptedTerminal::Show(const Screen& screen) {
  shown_ = screen;
  ++shows_;
}

InputEvent ScriptedTerminal::NextEvent() {
  ++waits_;
  while (!script_.empty() && script_.front().check) {
    Check check = std::move(script_.front().check);
    script_.pop_front();
    check(shown_);
  }
  if (script_.empty()) throw ScriptEnded();
  InputEvent event = script_.front().event;
  script_.pop_front();
  return event;
}

}  // namespace lexfray::testing
