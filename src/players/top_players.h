#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <cstdint>
#include <vector>

#include "config/settings.h"
#include "console/screen.h"
#include "dialogs/io.h"
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

// What a table pass took from the player file while it held the lock.
struct TableRead {
  std::vector<std::uint8_t> records;  // as the file holds them once the pass has written
  std::string failure;                // why the file was not read or the total not written
  bool writing = false;
  bool movedOn = false;  // the file began another month than the game's: nothing written
};

// All a table pass does while it holds the player file's lock (shared, or exclusive to write
// back): the whole file read at once and, with writeBack, the player's records written.
TableRead ReadForTable(const Settings& settings, const std::optional<TableWriteBack>& writeBack);

// Reads every record of the player file into the table and sorts it. With writeBack, every
// record whose name matches the player gets the player's total (0 for a negative one) and is
// rewritten; without it (a view-only pass) nothing is written. The record named after the
// program itself is neither written nor listed. buffer ends holding the last record read.
//
// The file is read whole under its lock (exclusive to write back) and let go before the
// table is built, so a game over holds it for a read and a write. A file that has moved on
// to another month is told to the player and *fileMovedOn set to true; a write that failed,
// or a file another game held too long, is told too.
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
