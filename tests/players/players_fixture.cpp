#include "players_fixture.h"

#include <filesystem>

#include "platform/terminal.h"
#include "support/snapshot.h"

namespace lexfray::testing {

PlayersTest::PlayersTest() {
  Configure("5", false);
  SetNow(2026, 12, 7);
}

void PlayersTest::Configure(std::string_view gamesPerDay, bool competition,
                            std::string_view monthlyReset) {
  settings.programFolder = folder.path();
  settings.driveRoot = folder.PathOf("root/");
  settings.siteName = "Test Site";
  settings.gamesPerDayText = std::string(gamesPerDay);
  settings.gamesPerDay = static_cast<std::int16_t>(std::stoi(std::string(gamesPerDay)));
  settings.monthlyReset = std::string(monthlyReset);
  settings.competitionActive = competition ? 1 : 0;
  settings.capDays = competition ? 0 : 27;
}

void PlayersTest::SetNow(int year, int month, int day, int hour, int minute, int second) {
  board.clock.Set({year, month, day, hour, minute, second, 0});
  settings.monthDays = MonthDaysFor(year);
}

void PlayersTest::WriteRecords(const std::vector<PlayerRecord>& records) const {
  WritePlayerFile(folder, records);
}

std::vector<PlayerRecord> PlayersTest::ReadRecords() const { return ReadPlayerFile(folder); }

void PlayersTest::MakeReadOnly(std::string_view name) const {
  std::filesystem::permissions(folder.PathOf(name),
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
}

void PlayersTest::ExpectBoxAndAccept(std::string_view words) {
  std::string wanted(words);
  board.terminal.Then([wanted](const Screen& screen) {
    EXPECT_NE(RowOf(screen, wanted), 0) << "no box showing \"" << wanted << "\":\n"
                                        << Picture(screen);
  });
  board.terminal.Key(kKeyEnter);
}

}  // namespace lexfray::testing
