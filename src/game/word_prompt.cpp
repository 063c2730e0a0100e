#include "game/word_prompt.h"

#include <algorithm>
#include <string>
#include <utility>

#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/action_reader.h"
#include "game/dictionary_lookup.h"
#include "game/game_layout.h"
#include "game/game_menus.h"
#include "game/rack.h"
#include "game/scoring.h"

namespace lexfray {

namespace {

using namespace game_layout;

constexpr std::string_view kPrompt = "Form a WORD or Select an Option: ";
constexpr std::string_view kUsedText = " Word Already Used ";
constexpr std::string_view kInvalidText = " Invalid Letters in Word ";
constexpr int kEchoFg = kYellow;

void DrawPrompt(Screen& screen, const GameState& state) {
  ClearSpan(screen, kMessageRow, kMessageColumn, kMessageWidth, kBlack);
  ShowGameScore(screen, state);
  ClearSpan(screen, kPromptRow, 1, kPromptClearWidth, kBlack);
  PrintAt(screen, kPrompt, kBrightWhite, kBlack, kPromptRow, kPromptColumn);
}

std::string ReadWordOrOption(Io& io) {
  ActionRequest request{kLongestWord, kEchoFg, kBlack, io.screen.CursorRow(), io.screen.CursorColumn(),
                        false, {}};
  return ReadAction(io, request, kGameHotAreas);
}

void Refuse(Io& io, std::string_view message, int column) {
  PrintAt(io.screen, message, kBrightWhite, kRed, kMessageRow, column);
  Pause(io, kMessagePauseMs);
}

bool AlreadyUsed(const GameState& state, std::string_view word) {
  return std::find(state.usedWords.begin(), state.usedWords.end(), word) != state.usedWords.end();
}

// The checks of a candidate word, in order; silent for what cannot be a word at all.
PassOutcome CheckWord(GameContext& context, GameState& state, std::string word) {
  word.erase(word.find_last_not_of(' ') + 1);
  int length = static_cast<int>(word.size());
  if (length < kShortestWord || length > kLongestWord) return PassOutcome::kNextPass;
  if (state.nextRow[length] >= kCompleteRow) return PassOutcome::kNextPass;
  if (AlreadyUsed(state, word)) {
    Refuse(context.io, kUsedText, kUsedMessageColumn);
    return PassOutcome::kNextPass;
  }
  if (!TestLetters(word, state)) {
    Refuse(context.io, kInvalidText, kInvalidMessageColumn);
    return PassOutcome::kNextPass;
  }
  if (!LookUpWord(context.io, context.settings.PathOf(kWordFileName), context.dictionary, word))
    return PassOutcome::kNextPass;
  return AcceptWord(context.io.screen, word, state) ? PassOutcome::kComplete : PassOutcome::kNextPass;
}

// The game hands over with its final score shown and the prompt and message areas empty,
// whatever the last word left there.
void LeaveTheBoardAtRest(Screen& screen, const GameState& state) {
  ShowGameScore(screen, state);
  ClearSpan(screen, kPromptRow, 1, kPromptClearWidth, kBlack);
  ClearSpan(screen, kMessageRow, kMessageColumn, kMessageWidth, kBlack);
}

void ShowScoresAndRedraw(GameContext& context, GameState& state) {
  context.hooks.ShowScores();
  RedrawGame(context.io.screen, state, context.settings.Competition(), context.hooks.PanelValues(),
             context.playerName);
}

}  // namespace

PassOutcome WordPromptPass(GameContext& context, GameState& state) {
  DrawPrompt(context.io.screen, state);
  std::string action = ReadWordOrOption(context.io);
  if (action == "S") {
    ShowScoresAndRedraw(context, state);
  } else if (action == "Q") {
    if (ConfirmQuit(context.io)) return PassOutcome::kQuit;
  } else if (action == "T") {
    ToggleRackView(state, context.random, context.io.screen);
  } else if (action == "H") {
    GameHelp(context.io, context.settings);
  } else {
    return CheckWord(context, state, std::move(action));
  }
  return PassOutcome::kNextPass;
}

GameEnd WordPrompt(GameContext& context, GameState& state) {
  PassOutcome outcome = PassOutcome::kNextPass;
  while (outcome == PassOutcome::kNextPass) outcome = WordPromptPass(context, state);
  LeaveTheBoardAtRest(context.io.screen, state);
  return outcome == PassOutcome::kComplete ? GameEnd::kComplete : GameEnd::kQuit;
}

bool TestLetters(std::string_view word, GameState& state) {
  auto& scratch = state.rackSorted;
  std::size_t matched = 0;
  for (char c : word) {
    auto letter = std::find(scratch.begin(), scratch.end(), c);
    if (letter == scratch.end()) continue;
    *letter = ' ';
    ++matched;
  }
  scratch = state.rackMixed;
  return matched == word.size();
}

bool AcceptWord(Screen& screen, std::string_view word, GameState& state) {
  int length = static_cast<int>(word.size());
  std::int16_t& count = state.foundCount[length];
  if (count >= kWordsPerLength || state.usedCount >= kMostWords) return false;
  WordList& list = state.foundWords[length];
  list[static_cast<std::size_t>(count++)] = std::string(word);
  std::sort(list.begin(), list.begin() + count);
  ShowWordColumn(screen, state, length);
  ++state.nextRow[length];
  state.usedWords[static_cast<std::size_t>(state.usedCount++)] = std::string(word);
  state.gameScore += WordScore(word);
  if (state.nextRow[length] < kCompleteRow) return false;
  ShowComplete(screen, length);
  return EndOfGameTest(state);
}

}  // namespace lexfray
