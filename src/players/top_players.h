#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <cstdint>
#include <vector>

#include "config/settings.h"
#include "console/screen.h"
#include "dialogs/io.h"
#include "players/player_file.h"
#include "players/player_record.h"

namespace lexfray {

// One line of the top-players table. A skipped record leaves an empty entry (empty name,
// score 0, empty date), which sorts among the zero scores and is never shown.
struct TopPlayer {
  std::string name;  // the 30-character name field as stored
  double score = 0;  // the stored total, 0 when it is not a finite number
  std::string date;  // the 8-character last-played date
};

// The whole player file, one entry per record, in rank order once sorted.
using TopPlayers = std::vector<TopPlayer>;

// The logged-in player whose total a writing pass stores.
struct TableWriteBack {
  std::string_view playerName;
  double playerTotal = 0;
  // Record 1's month when the game began (GameStart::fileMonth): the total goes back only
  // while the file is still that month's, never into a file another game has started afresh
  // since (or the administrator restored). Empty: whatever the file's month.
  std::string_view fileMonth;
};

// What a table pass did with the player file.
struct TableRead {
  std::vector<std::uint8_t> records;  // as every player sees them once the total is in
  std::string failure;                // why the file could not be read
  SaveResult saved;                   // how the total went in
  bool movedOn = false;  // the file began another month than the game's: nothing written
};

// With writeBack, saves the player's total (players/player_file.h); then reads the file as
// every player sees it.
TableRead ReadForTable(const Settings& settings, Clock& clock,
                       const std::optional<TableWriteBack>& writeBack);

// Reads every record of the player file into the table and sorts it. With writeBack, every
// record whose name matches the player gets the player's total (0 for a negative one) and is
// rewritten; without it (a view-only pass) nothing is written. The record named after the
// program itself is neither written nor listed. buffer ends holding the last record read.
//
// A file that has moved on to another month is told to the player and *fileMovedOn set to
// true; a total kept for later (another process holds the file), one that could not be
// written, and a file that could not be read are told too.
TopPlayers TablePass(Io& io, const Settings& settings, PlayerRecord& buffer,
                     const std::optional<TableWriteBack>& writeBack, bool* fileMovedOn = nullptr);

// Highest score first; equal scores keep their record order.
void SortTopPlayers(TopPlayers& table);

// Clears the board and draws the title, rules and column labels; returns the row before the
// first entry line.
int ShowTableHeader(Screen& screen);

// Shows the table page by page: the listing stops at the first name starting ".." or the
// first score of 0, and at the page prompt on "E". Returns true when the player ended it
// with "E" (then without the closing prompt).
bool ShowTopPlayers(Io& io, const TopPlayers& table);

// The table line of one entry: name, two blanks, the total right-aligned in 7, seven blanks,
// the date.
std::string TableLine(const TopPlayer& entry);

}  // namespace lexfray
