#include "monkey/monkey_run.h"

#include <array>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "config/calendar.h"
#include "config/constants.h"
#include "console/cp437.h"
#include "league/competition_records.h"
#include "monkey/file_faults.h"
#include "monkey/monkey_terminal.h"
#include "monkey/saved_files.h"
#include "platform/platform.h"
#include "platform/terminal_text.h"
#include "players/play_limits.h"
#include "shell/program.h"
#include "support/player_files.h"
#include "support/temp_folder.h"

namespace lexfray::monkey {

namespace {

constexpr std::string_view kSite = "Monkey House";
constexpr std::array<std::string_view, 6> kNames = {"ALICE", "BOB", "CAROL", "DAVE", "EVE", "FRANK"};

// The program folder of one seed, with what a site that has been playing a while holds.
class World {
 public:
  explicit World(std::uint64_t seed) : random_(seed ^ 0x6D6F6E6B6579ULL) {
    for (std::string_view name : {"quillon.dic", "QUILLON.DIX", "LEXFRAY.INS", "LEXFRAY.HIS",
                                  "LEAGUENET.ADV", "ENDUSERLICENSE.TXT"})
      folder_.CopyFromProgramFolder(name);
    competition_ = Pick(2) == 1;
    folder_.Write(kConfigFileName, testing::ConfigText(kSite, std::to_string(1 + Pick(6)),
                                                       Pick(4) ? "Y" : "N", competition_ ? "1" : "0"));
    start_ = {2026 + Pick(3), 1 + Pick(12), 1, Pick(24), Pick(60), 0, 0};
    start_.day = 1 + Pick(MonthLength(MonthDaysFor(start_.year), start_.month));
    WritePlayers();
    if (competition_) WriteScoreFile();
  }

  const testing::TempFolder& folder() const { return folder_; }
  LocalTime start() const { return start_; }
  std::vector<std::string> Words() const;

 private:
  int Pick(int below) { return static_cast<int>(random_() % static_cast<std::uint64_t>(below)); }
  void WritePlayers();
  void WriteScoreFile();

  std::mt19937_64 random_;
  testing::TempFolder folder_;
  bool competition_ = false;
  LocalTime start_;
};

void World::WritePlayers() {
  std::vector<PlayerRecord> players;
  std::string month = MonthText(start_);
  for (int i = 0, count = 2 + Pick(4); i < count; ++i) {
    std::string date = DateText(start_.year, start_.month, 1 + Pick(start_.day));
    players.push_back(testing::Player(kNames[static_cast<std::size_t>(i)], Pick(20000),
                                      static_cast<std::int16_t>(1 + Pick(5)), date,
                                      static_cast<std::int16_t>(Pick(3)), month));
  }
  testing::WritePlayerFile(folder_, players);
}

void World::WriteScoreFile() {
  CompetitionHeader header;
  header.headerCode = "01";
  header.beatName = "CAROL                    ";
  header.programVersion = " 1.6 ";
  std::string bytes;
  auto append = [&bytes](const CompetitionRecordBytes& record) { bytes.append(record.begin(), record.end()); };
  append(EncodeCompetitionHeader(header));
  for (std::string_view site : {"Far Away", "Lakeside Library", "Monkey Housing"}) {
    CompetitionEntry entry;
    entry.site = std::string(site) + std::string(CompetitionEntry::kSiteWidth - site.size(), ' ');
    entry.player = "ZED" + std::string(CompetitionEntry::kPlayerWidth - 3, ' ');
    entry.score = Pick(30000);
    append(EncodeCompetitionEntry(entry));
  }
  folder_.Write(kScoreFileName, bytes);
}

// Words of the dictionary to type now and then, so that some are accepted and scored.
std::vector<std::string> World::Words() const {
  std::string all = folder_.Read("quillon.dic");
  std::vector<std::string> words;
  for (std::size_t at = 0; at + 7 <= all.size(); at += 7 * 97) {
    std::string word = all.substr(at, 7);
    word.erase(word.find_last_not_of(' ') + 1);
    words.push_back(word);
  }
  return words;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Describe(const std::string& what, const MonkeyTerminal& terminal) {
  std::string text = what + "\nlast events:\n" + terminal.RecentEvents() + "board:\n";
  for (int row = 1; row <= kRows; ++row) {
    text += "  |";
    for (int column = 1; column <= kColumns; ++column)
      text += Utf8Of(Cp437ToUnicode(terminal.shown().At(row, column).ch));
    text += "|\n";
  }
  return text;
}

}  // namespace

SeedOutcome PlaySeed(std::uint64_t seed, long long events) {
  World world(seed);
  const testing::TempFolder& folder = world.folder();
  MonkeyClock clock(world.start());
  MonkeyTerminal terminal(seed, clock, world.Words(), events);
  testing::ScriptedRandom random;
  testing::FakeLock lock;
  testing::FakeLauncher launcher;

  Totals saved = ReadTotals(folder.Read(kPlayerFileName));
  std::string otherSites = OtherSitesEntries(folder.Read(kScoreFileName), std::string(kSite));
  // A new month's reset and a restore replace the player file whole: what it then holds is
  // what is saved.
  OnPlayerFileReplaced([&](const std::string& path) {
    saved = ReadTotals(ReadWhole(path));
  });
  DisarmFaults();

  SeedOutcome outcome;
  while (terminal.events() < events && !outcome.failure) {
    long long before = terminal.events();
    ++outcome.runs;
    try {
      Platform platform{terminal, clock, random, lock, launcher, folder.path(), folder.PathOf("root/")};
      RunProgram(platform);
    } catch (const EventsSpent&) {
    } catch (const MonkeyFailure& failure) {
      outcome.failure = Describe(failure.what(), terminal);
    }
    DisarmFaults();
    if (outcome.failure) break;
    if (terminal.events() == before) outcome.failure = "the program ended without asking for anything";
    bool partial = terminal.partialWritesSeen();
    std::string players = folder.Read(kPlayerFileName);
    if (auto fault = CheckPlayerFile(players, saved, partial)) outcome.failure = Describe(*fault, terminal);
    else if (auto fault = CheckScoreFile(folder.Read(kScoreFileName), otherSites, std::string(kSite), partial))
      outcome.failure = Describe(*fault, terminal);
    saved = ReadTotals(players);
  }
  OnPlayerFileReplaced(nullptr);
  outcome.events = terminal.events();
  return outcome;
}

}  // namespace lexfray::monkey
