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
constexpr std::string_view kOfText = " of";
// The cells between the score panel's side lines.
constexpr int kPanelInside = kPanelRight - kPanelLeft - 1;

void DrawFrames(Screen& screen) {
  DrawBox(screen, kUpperTop, kWordsLeft, kUpperBottom, kWordsRight, kDoubleLine, kLightBlue, kBlack);
  DrawBox(screen, kUpperTop, kOptionsLeft, kUpperBottom, kOptionsRight, kDoubleLine, kLightBlue, kBlack);
  DrawBox(screen, kUpperTop, kPanelLeft, kUpperBottom, kPanelRight, kDoubleLine, kLightBlue, kBlack);
}

// Where the game number, " of" and the allowance stand. The usual line ("  3 of 10") keeps
// its own columns; wider numbers move left so that the line stays inside the panel, and
// when even that is too narrow, the allowance goes to the row below.
struct GamesLine {
  int countColumn;
  int ofColumn;
  int allowanceRow;
  int allowanceColumn;
};

GamesLine GamesLineFor(int countWidth, int allowanceWidth) {
  if (countWidth <= kGamesCountedWidth && allowanceWidth <= kPanelRight - kAllowanceColumn)
    return {kGamesCountedColumn, kOfColumn, kGamesRow, kAllowanceColumn};
  int of = static_cast<int>(kOfText.size());
  int whole = countWidth + of + 1 + allowanceWidth;
  if (whole <= kPanelInside) {
    int start = kPanelRight - whole;
    return {start, start + countWidth, kGamesRow, start + countWidth + of + 1};
  }
  int start = kPanelRight - (countWidth + of);
  return {start, start + countWidth, kGamesRow + 1, kPanelRight - allowanceWidth};
}

// The games line; without a count (the board before the first game starts) its place
// is left blank.
void DrawGamesLine(Screen& screen, std::string_view countText, std::string_view allowanceText) {
  std::string_view allowance = allowanceText.substr(0, kPanelInside);
  int countWidth = std::max(static_cast<int>(countText.size()), kGamesCountedWidth);
  GamesLine line = GamesLineFor(countWidth, static_cast<int>(allowance.size()));
  for (int row = kGamesRow; row <= kGamesRow + 1; ++row)
    PrintAt(screen, std::string(kPanelInside, ' '), kLightBlue, kBlack, row, kPanelLeft + 1);
  if (!countText.empty())
    PrintAt(screen, countText, kBrightWhite, kBlack, kGamesRow, line.countColumn);
  PrintAt(screen, kOfText, kLightRed, kBlack, kGamesRow, line.ofColumn);
  PrintAt(screen, allowance, kBrightWhite, kBlack, line.allowanceRow, line.allowanceColumn);
}

void DrawPanelLabels(Screen& screen, bool competition, std::string_view allowanceText) {
  PrintAt(screen, "Game", kLightRed, kBlack, kGameLabelRow, kGameLabelColumn);
  if (competition) {
    DrawGamesLine(screen, "", allowanceText);
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
    DrawGamesLine(screen, RightAlignNumber(panel.gamesCounted, kGamesCountedWidth),
                  panel.allowanceText);
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
