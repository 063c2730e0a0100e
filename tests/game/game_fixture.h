#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "game/dictionary.h"
#include "game/game_play.h"
#include "game/game_state.h"
#include "support/harness.h"
#include "support/word_files.h"

namespace lexfray::testing {

// A rack with plenty of words of every length, and twelve of each that it spells.
inline constexpr std::string_view kRichRack = "AEINRSTLCDOPMGH";
std::vector<std::string> TwelveWordsOfLength(int length);
std::vector<std::string> SixtyWords();

// A fake clock that keeps the board as it stood at each pause, where the game's messages
// can be seen before the next prompt clears them.
class PausingClock : public FakeClock {
 public:
  explicit PausingClock(const Screen& screen) : screen_(screen) {}
  void Sleep(int milliseconds) override {
    atPause.push_back(screen_);
    FakeClock::Sleep(milliseconds);
  }
  std::vector<Screen> atPause;

 private:
  const Screen& screen_;
};

class RecordingHooks : public GameHooks {
 public:
  void ShowScores() override {
    ++scoresShown;
    if (onScores) onScores();
  }
  std::function<void()> onScores;
  ScorePanel PanelValues() override {
    ++panelsAsked;
    return panel;
  }
  ScorePanel panel;
  int scoresShown = 0;
  int panelsAsked = 0;
};

// A game on a scripted board, random source and temporary program folder.
struct GameFixture {
  explicit GameFixture(std::vector<std::string> words = SixtyWords(), bool competition = false);

  // Plays a game on the rack; ScriptEnded comes out when the script runs out first.
  GameEnd Play(std::string_view rack = kRichRack, bool followOnGame = false);
  const Screen& screen() const { return board.screen; }
  ScriptedTerminal& terminal() { return board.terminal; }

  BoardHarness board;
  PausingClock clock{board.screen};
  Io io{board.screen, board.terminal, clock};
  ScriptedRandom random;
  TempFolder folder;
  Settings settings;
  DictionaryIndex index;
  RecordingHooks hooks;
  GameState state;
  GameContext context{io, settings, random, index, hooks, PaddedName("ALICE")};

  static std::string PaddedName(std::string name);
};

}  // namespace lexfray::testing
