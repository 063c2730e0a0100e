#pragma once

#include <array>

#include "game/game_state.h"

// Where everything of the game screen stands (rows and columns from 1).
namespace lexfray::game_layout {

inline constexpr int kTitleRow = 1;
inline constexpr int kTitleColumn = 10;

// The three double frames at the top: word columns, options, score panel.
inline constexpr int kUpperTop = 2;
inline constexpr int kUpperBottom = 18;
inline constexpr int kWordsLeft = 1;
inline constexpr int kWordsRight = 52;
inline constexpr int kOptionsLeft = 53;
inline constexpr int kOptionsRight = 66;
inline constexpr int kPanelLeft = 67;
inline constexpr int kPanelRight = 80;

inline constexpr int kHeadingRow = 3;
inline constexpr int kUnderlineRow = 4;
inline constexpr int kHeadingColumn = 3;

// Per word length 3..7: where its heading (and "Complete" marker) and its words start.
inline constexpr std::array<int, kWordLengths> kMarkerColumns = {3, 13, 23, 33, 43};
inline constexpr std::array<int, kWordLengths> kWordColumns = {5, 15, 24, 34, 44};
inline constexpr int MarkerColumn(int length) { return kMarkerColumns[length - kShortestWord]; }
inline constexpr int WordColumn(int length) { return kWordColumns[length - kShortestWord]; }
inline constexpr int kCompleteMarkerRow = kCompleteRow;

// The area a follow-on game clears: every word row and the markers, inside the frame.
inline constexpr int kWordAreaTop = kFirstWordRow;
inline constexpr int kWordAreaBottom = kCompleteRow;
inline constexpr int kWordAreaColumn = 3;
inline constexpr int kWordAreaWidth = 49;

// Score panel.
inline constexpr int kGameLabelRow = 4;
inline constexpr int kGameLabelColumn = 72;
inline constexpr int kGamesRow = 5;
inline constexpr int kGamesCountedColumn = 69;
inline constexpr int kGamesCountedWidth = 3;
inline constexpr int kOfColumn = 72;
inline constexpr int kAllowanceColumn = 76;
inline constexpr int kUnlimitedColumn = 70;
inline constexpr int kTopScoreLabelRow = 8;
inline constexpr int kTopScoreLabelColumn = 70;
inline constexpr int kTopScoreRow = 9;
inline constexpr int kTopScoreColumn = 72;
inline constexpr int kNotApplicableColumn = 73;
inline constexpr int kHighScoreLabelRow = 12;
inline constexpr int kPlayerTotalRow = 13;
inline constexpr int kGameScoreLabelRow = 15;
inline constexpr int kGameScoreRow = 16;
inline constexpr int kScoreLabelColumn = 69;
inline constexpr int kScoreColumn = 72;
inline constexpr int kScoreWidth = 7;
inline constexpr int kGameScoreWidth = 5;
// A panel number may run wider than its field, but not into the frame on column 80.
inline constexpr int kPanelNumberRoom = kPanelRight - kScoreColumn;

// Options panel: each label and the cells recoloured in it.
inline constexpr int kOptionsTitleRow = 3;
inline constexpr int kOptionsTitleColumn = 57;
inline constexpr int kOptionColumn = 54;
inline constexpr int kOptionWordColumn = 55;
inline constexpr int kOptionKeyColumn = 65;
struct OptionLabel {
  int row;
  const char* text;
  int wordCells;  // light cyan from kOptionWordColumn
  bool hasKey;    // the key letter at kOptionKeyColumn in bright white
};
inline constexpr std::array<OptionLabel, 5> kOptionLabels = {{
    {6, "[Toggle", 6, false},
    {7, " Letters ] T", 7, true},
    {10, "[Quit    ] Q", 4, true},
    {12, "[Help    ] H", 7, true},
    {14, "[Scores  ] S", 6, true},
}};

// The lower frames: the rack and the message area.
inline constexpr int kLowerTop = 20;
inline constexpr int kLowerBottom = 22;
inline constexpr int kRackFrameLeft = 1;
inline constexpr int kRackFrameRight = 42;
inline constexpr int kMessageFrameLeft = 47;
inline constexpr int kMessageFrameRight = 76;
inline constexpr int kActionLabelRow = 19;
inline constexpr int kActionLabelColumn = 48;

// The rack: letter i (from 0) at kRackColumn + 2 * i.
inline constexpr int kRackRow = 21;
inline constexpr int kRackColumn = 7;

// The word prompt and its echo.
inline constexpr int kPromptRow = 19;
inline constexpr int kPromptClearWidth = 46;
inline constexpr int kPromptColumn = 2;

// The message area inside the lower right frame, and where each message starts.
inline constexpr int kMessageRow = 21;
inline constexpr int kMessageColumn = 48;
inline constexpr int kMessageWidth = 27;
inline constexpr int kUsedMessageColumn = 52;
inline constexpr int kInvalidMessageColumn = 50;
inline constexpr int kCheckingMessageColumn = 52;
inline constexpr int kNotFoundMessageColumn = 49;
inline constexpr int kMessagePauseMs = 2000;

inline constexpr int kPlayerRow = 25;
inline constexpr int kPlayerLabelCells = 7;  // "Player:"

}  // namespace lexfray::game_layout
