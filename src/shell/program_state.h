#pragma once

#include "config/settings.h"
#include "game/dictionary.h"
#include "game/game_state.h"
#include "league/competition_state.h"
#include "players/player_record.h"

namespace lexfray {

// What lives for the whole run: the settings, the dictionary index, the one game, and the
// record buffers every pass over the player file and the score file goes through.
struct ProgramState {
  Settings settings;
  DictionaryIndex dictionary;
  GameState game;
  PlayerRecord playerRecord;
  CompetitionState competition;
};

}  // namespace lexfray
