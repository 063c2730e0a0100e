#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "console/screen.h"
#include "dialogs/action_reader.h"
#include "game/game_state.h"

namespace lexfray {

// What the caller knows of the player and the competition, for the score panel.
struct ScorePanel {
  std::int16_t gamesCounted = 0;  // the number of this game (competition only)
  std::string allowanceText;      // the games allowed (competition only)
  double topScore = 0;            // the best score of the standings (competition only)
  double playerTotal = 0;         // the player's running total
};

// The option labels, which are also the word prompt's mouse targets, and two spots of the
// message area that answer Y and N.
inline constexpr std::array<HotArea, 7> kGameHotAreas = {{
    {6, 6, 55, 60, "T"},
    {7, 7, 55, 62, "T"},
    {10, 10, 55, 62, "Q"},
    {12, 12, 55, 62, "H"},
    {14, 14, 55, 62, "S"},
    {21, 21, 65, 67, "Y"},
    {21, 21, 72, 73, "N"},
}};

// The whole fixed layout on a cleared board: frames, headings, options, labels, the
// player's name.
void DrawGameScreen(Screen& screen, bool competition, std::string_view allowanceText,
                    std::string_view playerName);

// The numbers of the score panel: game number and top score (competition) or "N/A", and
// the player's total.
void ShowScorePanel(Screen& screen, bool competition, const ScorePanel& panel);

void ShowGameScore(Screen& screen, const GameState& state);

// The words of one length, one a row from the top of its column.
void ShowWordColumn(Screen& screen, const GameState& state, int length);

// Every column, with "Complete" under each full one.
void ShowAllColumns(Screen& screen, const GameState& state);

// The "Complete" marker under the column of a length.
void ShowComplete(Screen& screen, int length);

// The game screen rebuilt entirely, with the rack of the current view freshly sorted.
void RedrawGame(Screen& screen, GameState& state, bool competition, const ScorePanel& panel,
                std::string_view playerName);

// Blanks every word row and the markers, before a follow-on game on the standing screen.
void ClearWordArea(Screen& screen);

// A number from outside, right-aligned in width as a whole number (fraction dropped). NaN
// shows as 0, and a value too large for the panel as the largest that fits before its
// frame; a value merely wider than width is shown whole.
std::string PanelNumber(double value, int width);

}  // namespace lexfray
