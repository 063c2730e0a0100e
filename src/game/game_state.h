#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lexfray {

inline constexpr int kRackSize = 15;
inline constexpr int kShortestWord = 3;
inline constexpr int kLongestWord = 7;
inline constexpr int kWordLengths = kLongestWord - kShortestWord + 1;
inline constexpr int kWordsPerLength = 12;
inline constexpr int kMostWords = kWordLengths * kWordsPerLength;

// nextRow of a length starts here (the first word row) and reaches kCompleteRow with the
// twelfth word; five complete lengths add up to kCompletionTotal.
inline constexpr std::int16_t kFirstWordRow = 5;
inline constexpr std::int16_t kCompleteRow = kFirstWordRow + kWordsPerLength;
inline constexpr std::int16_t kCompletionTotal = kWordLengths * kCompleteRow;

// One value for each word length, indexed by the length itself (3 to 7).
template <typename T>
class PerLength {
 public:
  T& operator[](int length) { return items_[Slot(length)]; }
  const T& operator[](int length) const { return items_[Slot(length)]; }

 private:
  static std::size_t Slot(int length) { return static_cast<std::size_t>(length - kShortestWord); }
  std::array<T, kWordLengths> items_{};
};

using WordList = std::array<std::string, kWordsPerLength>;

// The one game of the run. The two racks hold the same 15 letters: rackSorted in
// ascending order right after SortRack (the letter test also uses it as scratch space),
// rackMixed in dealt or shuffled order.
struct GameState {
  std::array<char, kRackSize> rackSorted{};
  std::array<char, kRackSize> rackMixed{};
  std::int16_t rackMixedShown = 0;  // 1: the rack is shown in mixed order
  PerLength<WordList> foundWords;   // each list ascending, unfilled entries empty
  PerLength<std::int16_t> foundCount;
  PerLength<std::int16_t> nextRow;  // kFirstWordRow + foundCount while a game runs
  std::array<std::string, kMostWords> usedWords;  // in order of acceptance
  std::int16_t usedCount = 0;
  double gameScore = 0;
  std::int16_t completionTotal = 0;  // sum of nextRow, worked out by EndOfGameTest
};

// Empties the words, counts and score for a follow-on game; the rack stays until the
// next deal.
void ResetGameState(GameState& state);

}  // namespace lexfray
