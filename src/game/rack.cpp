#include "game/rack.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "console/primitives.h"
#include "game/game_layout.h"

namespace lexfray {

namespace {

constexpr std::string_view kVowels = "AEIOU";
constexpr int kAlphabet = 26;

bool HasVowel(const std::array<char, kRackSize>& rack) {
  return std::any_of(rack.begin(), rack.end(),
                     [](char letter) { return kVowels.find(letter) != std::string_view::npos; });
}

}  // namespace

int RandomBelow(RandomSource& random, int bound) {
  double r = random.Next();
  if (!(r >= 0.0 && r < 1.0)) r = 0.0;  // also catches NaN
  return std::min(static_cast<int>(std::floor(bound * r)), bound - 1);
}

void DealRack(GameState& state, RandomSource& random, Screen& screen) {
  do {
    for (int i = 0; i < kRackSize; ++i) {
      char letter = static_cast<char>('A' + RandomBelow(random, kAlphabet));
      state.rackSorted[static_cast<std::size_t>(i)] = letter;
      state.rackMixed[static_cast<std::size_t>(i)] = letter;
    }
  } while (!HasVowel(state.rackMixed));
  SortRack(state);
  ShowRack(state, screen);
}

void SortRack(GameState& state) {
  std::sort(state.rackSorted.begin(), state.rackSorted.end(), [](char a, char b) {
    return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
  });
}

void ShowRack(const GameState& state, Screen& screen) {
  const auto& rack = state.rackMixedShown == 1 ? state.rackMixed : state.rackSorted;
  for (int i = 0; i < kRackSize; ++i)
    PrintAt(screen, std::string_view(&rack[static_cast<std::size_t>(i)], 1), kYellow, kBlack,
            game_layout::kRackRow, game_layout::kRackColumn + 2 * i);
}

void ToggleRackView(GameState& state, RandomSource& random, Screen& screen) {
  if (state.rackMixedShown == 0) {
    state.rackMixedShown = 1;
    // Each position k swaps with a random one of the first k + 1.
    for (int k = 0; k < kRackSize; ++k)
      std::swap(state.rackMixed[static_cast<std::size_t>(RandomBelow(random, k + 1))],
                state.rackMixed[static_cast<std::size_t>(k)]);
  } else {
    state.rackMixedShown = 0;
    SortRack(state);
  }
  ShowRack(state, screen);
}

}  // namespace lexfray
