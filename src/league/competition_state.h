#pragma once

#include "league/competition_records.h"
#include "league/standings.h"

namespace lexfray {

// The competition's buffers, owned by the caller for the whole run and passed to every
// operation of the score file: the header last read (the standings show its score to
// beat), the entry buffer every entry is read through (a new entry takes its unwritten
// bytes from it, as the external program's copy of the file expects), and the standings
// last loaded, which stay when the file is missing.
struct CompetitionState {
  CompetitionHeader header;
  CompetitionEntry entry;
  Standings standings;
};

}  // namespace lexfray
