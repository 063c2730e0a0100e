#include "game/game_screen.h"

#include <algorithm>
#include <cmath>

#include "console/primitives.h"
#include "game/game_layout.h"
#include "game/rack.h"

namespace lexfray {

namespace {

using namespace game_layout;

constexpr std::string_view kTitle = " L E X    F R A Y S   Club Edition ";
constexpr std::string_view kHeadings = "3-Letter  4-Letter  5-Letter  6-Letter  7-Letter";
constexpr std::string_view kUnderlines = "--------  --------  --------  --------  --------";
constexpr std::string_view kCompleteText = "Complete";
constexpr std::size_t kPaddedNameLength = 30;

void DrawFrames(Screen& screen) {
  DrawBox(screen, kUpperTop, kWordsLeft, kUpperBottom, kWordsRight, kDoubleLine, kLightBlue, kBlack);
  DrawBox(screen, kUpperTop, kOptionsLeft, kUpperBottom, kOptionsRight, kDoubleLine, kLightBlue, kBlack);
  DrawBox(screen, kUpperTop, kPanelLeft, kUpperBottom, kPanelRight, kDoubleLine, kLightBlue, kBlack);
}

void DrawPanelLabels(Screen& screen, bool competition, std::string_view allowanceText) {
  PrintAt(screen, "Game", kLightRed, kBlack, kGameLabelRow, kGameLabelColumn);
  if (competition) {
    PrintAt(screen, " of", kLightRed, kBlack, kGamesRow, kOfColumn);
    PrintAt(screen, allowanceText, kBrightWhite, kBlack, kGamesRow, kAllowanceColumn);
  } else {
    PrintAt(screen, "Unlimited", kBrightWhite, kBlack, kGamesRow, kUnlimitedColumn);
  }
  PrintAt(screen, "Top Score", kLightRed, kBlack, kTopScoreLabelRow, kTopScoreLabelColumn);
  PrintAt(screen, "High Score", kLightRed, kBlack, kHighScoreLabelRow, kScoreLabelColumn);
  PrintAt(screen, "Game Score", kLightRed, kBlack, kGameScoreLabelRow, kScoreLabelColumn);
}

void DrawOptions(Screen& screen) {
  PrintAt(screen, "OPTIONS", kBrightWhite, kBlack, kOptionsTitleRow, kOptionsTitleColumn);
  for (const OptionLabel& label : kOptionLabels) {
    PrintAt(screen, label.text, kYellow, kBlack, label.row, kOptionColumn);
    screen.Recolour(label.row, kOptionWordColumn, label.wordCells, kLightCyan, kBlack);
    if (label.hasKey) screen.Recolour(label.row, kOptionKeyColumn, 1, kBrightWhite, kBlack);
  }
}

void DrawPlayerLine(Screen& screen, std::string_view playerName) {
  std::string name(playerName);
  if (name.size() < kPaddedNameLength) name.resize(kPaddedNameLength, ' ');
  std::string line = "Player: " + name;
  PrintAt(screen, line, kBrightWhite, kBlack, kPlayerRow, 0, true);
  screen.Recolour(kPlayerRow, CentreColumn(line), kPlayerLabelCells, kLightCyan, kBlack);
}

constexpr double PowerOfTen(int exponent) {
  double power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

}  // namespace

std::string PanelNumber(double value, int width) {
  constexpr double kLargest = PowerOfTen(kPanelNumberRoom) - 1;
  constexpr double kSmallest = -(PowerOfTen(kPanelNumberRoom - 1) - 1);  // room for the sign
  double whole = std::isnan(value) ? 0.0 : std::clamp(std::trunc(value), kSmallest, kLargest);
  return RightAlignNumber(static_cast<std::int64_t>(whole), width);
}

void DrawGameScreen(Screen& screen, bool competition, std::string_view allowanceText,
                    std::string_view playerName) {
  screen.SetColours(kLightGrey, kBlack);  // the blank board looks the same whatever came before
  screen.Clear();
  PrintAt(screen, kTitle, kYellow, kBlack, kTitleRow, kTitleColumn);
  DrawFrames(screen);
  PrintAt(screen, kHeadings, kLightMagenta, kBlack, kHeadingRow, kHeadingColumn);
  PrintAt(screen, kUnderlines, kLightCyan, kBlack, kUnderlineRow, kHeadingColumn);
  DrawPanelLabels(screen, competition, allowanceText);
  DrawOptions(screen);
  DrawBox(screen, kLowerTop, kRackFrameLeft, kLowerBottom, kRackFrameRight, kSingleLine, kLightBlue, kBlack);
  PrintAt(screen, "Action:", kBrightWhite, kBlack, kActionLabelRow, kActionLabelColumn);
  DrawBox(screen, kLowerTop, kMessageFrameLeft, kLowerBottom, kMessageFrameRight, kSingleLine, kLightBlue,
          kBlack);
  DrawPlayerLine(screen, playerName);
}

void ShowScorePanel(Screen& screen, bool competition, const ScorePanel& panel) {
  if (competition) {
    PrintAt(screen, RightAlignNumber(panel.gamesCounted, kGamesCountedWidth), kBrightWhite, kBlack,
            kGamesRow, kGamesCountedColumn);
    PrintAt(screen, PanelNumber(panel.topScore, kScoreWidth), kBrightWhite, kBlack, kTopScoreRow,
            kTopScoreColumn);
  } else {
    PrintAt(screen, "N/A", kBrightWhite, kBlack, kTopScoreRow, kNotApplicableColumn);
  }
  PrintAt(screen, PanelNumber(panel.playerTotal, kScoreWidth), kBrightWhite, kBlack, kPlayerTotalRow,
          kScoreColumn);
}

void ShowGameScore(Screen& screen, const GameState& state) {
  PrintAt(screen, PanelNumber(state.gameScore, kGameScoreWidth), kBrightWhite, kBlack, kGameScoreRow,
          kScoreColumn);
}

void ShowWordColumn(Screen& screen, const GameState& state, int length) {
  int count = std::clamp<int>(state.foundCount[length], 0, kWordsPerLength);
  for (int i = 0; i < count; ++i)
    PrintAt(screen, state.foundWords[length][static_cast<std::size_t>(i)], kBrightWhite, kBlack,
            kFirstWordRow + i, WordColumn(length));
}

void ShowAllColumns(Screen& screen, const GameState& state) {
  for (int length = kShortestWord; length <= kLongestWord; ++length) {
    ShowWordColumn(screen, state, length);
    if (state.foundCount[length] >= kWordsPerLength) ShowComplete(screen, length);
  }
}

void ShowComplete(Screen& screen, int length) {
  PrintAt(screen, kCompleteText, kYellow, kRed, kCompleteMarkerRow, MarkerColumn(length));
}

void RedrawGame(Screen& screen, GameState& state, bool competition, const ScorePanel& panel,
                std::string_view playerName) {
  DrawGameScreen(screen, competition, panel.allowanceText, playerName);
  ShowScorePanel(screen, competition, panel);
  SortRack(state);
  ShowRack(state, screen);
  ShowAllColumns(screen, state);
}

void ClearWordArea(Screen& screen) {
  for (int row = kWordAreaTop; row <= kWordAreaBottom; ++row)
    ClearSpan(screen, row, kWordAreaColumn, kWordAreaWidth, kBlack);
}

}  // namespace lexfray
