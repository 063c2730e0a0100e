#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "config/calendar.h"
#include "config/settings.h"
#include "players/player_record.h"
#include "support/harness.h"
#include "support/player_files.h"
#include "support/temp_folder.h"

namespace lexfray::testing {

// A temporary program folder, a board with a scripted terminal and a fake clock, the
// settings of an installation in that folder, and the program's one record buffer.
class PlayersTest : public ::testing::Test {
 protected:
  PlayersTest();

  // Settings as start-up derives them for the configured games per day and competition.
  void Configure(std::string_view gamesPerDay, bool competition,
                 std::string_view monthlyReset = "Y");
  void SetNow(int year, int month, int day, int hour = 10, int minute = 0, int second = 0);

  void WriteRecords(const std::vector<PlayerRecord>& records) const;
  std::vector<PlayerRecord> ReadRecords() const;
  std::string FileBytes() const { return folder.Read("LEXFRAY.USR"); }
  bool HasPlayerFile() const { return folder.Exists("LEXFRAY.USR"); }
  // Takes every write permission bit off a file of the folder.
  void MakeReadOnly(std::string_view name) const;

  // The script answers the next box that waits with Enter, after checking that its text
  // shows the given words.
  void ExpectBoxAndAccept(std::string_view words);

  TempFolder folder;
  BoardHarness board;
  Settings settings;
  PlayerRecord buffer;
};

}  // namespace lexfray::testing
