#pragma once

#include "console/screen.h"
#include "game/game_state.h"
#include "platform/random_source.h"

namespace lexfray {

// Deals 15 independent letters A..Z, again until at least one of A, E, I, O, U is among
// them, then sorts and shows the rack. The view (mixed or alphabetical) stays as it was.
void DealRack(GameState& state, RandomSource& random, Screen& screen);

// Puts rackSorted in ascending order; rackMixed is left alone.
void SortRack(GameState& state);

// Draws the rack of the current view on its row.
void ShowRack(const GameState& state, Screen& screen);

// Switches between the alphabetical and the mixed view; each switch to the mixed view
// shuffles again from the order the last shuffle (or the deal) left.
void ToggleRackView(GameState& state, RandomSource& random, Screen& screen);

// A uniform whole number 0 <= n < bound from r; a generator that strays outside [0, 1)
// still gives a number in range.
int RandomBelow(RandomSource& random, int bound);

}  // namespace lexfray
