#include "support/scripted_terminal.h"

namespace lexfray::testing {

ScriptedTerminal& ScriptedTerminal::Key(int key) {
  script_.push_back({InputEvent::KeyPress(key), {}, false});
  return *this;
}

ScriptedTerminal& ScriptedTerminal::Type(std::string_view text) {
  for (char c : text) Key(static_cast<unsigned char>(c));
  return *this;
}

ScriptedTerminal& ScriptedTerminal::Click(int row, int column) {
  script_.push_back({InputEvent::Click(row, column), {}, false});
  return *this;
}

ScriptedTerminal& ScriptedTerminal::KeyAhead(int key) {
  script_.push_back({InputEvent::KeyPress(key), {}, true});
  return *this;
}

ScriptedTerminal& ScriptedTerminal::TypeAhead(std::string_view text) {
  for (char c : text) KeyAhead(static_cast<unsigned char>(c));
  return *this;
}

ScriptedTerminal& ScriptedTerminal::ClickAhead(int row, int column) {
  script_.push_back({InputEvent::Click(row, column), {}, true});
  return *this;
}

ScriptedTerminal& ScriptedTerminal::Then(Check check) {
  script_.push_back({{}, std::move(check), false});
  return *this;
}

void ScriptedTerminal::Show(const Screen& screen) {
  shown_ = screen;
  ++shows_;
}

void ScriptedTerminal::DiscardTypedAhead() {
  ++discards_;
  auto step = script_.begin();
  while (step != script_.end() && (step->check || step->ahead)) {
    if (step->check) {
      ++step;
      continue;
    }
    step = script_.erase(step);
    ++dropped_;
  }
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
