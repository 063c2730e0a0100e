#pragma once

#include <string>

#include "config/settings.h"
#include "console/screen.h"
#include "dialogs/io.h"
#include "league/competition_state.h"

namespace lexfray {

// The title, the score to beat of header and the column labels on a cleared board; the
// table starts below them on row kStandingsFirstRow.
void ShowStandingsHeader(Screen& screen, const CompetitionHeader& header);
inline constexpr int kStandingsFirstRow = 7;

// The score to beat as the header line shows it: whole scores without a fraction, any
// other stored value as a short decimal, 0 for one that is not a number at all.
std::string ScoreToBeatText(double beatScore);

// Loads the standings and lists every entry with a score above 0, fifteen to a page,
// this site's players in light red. The page prompt offers END, which stops the listing
// at once; otherwise the listing ends with the Press ENTER prompt.
void ShowStandings(Io& io, const Settings& settings, CompetitionState& state);

}  // namespace lexfray
