#include "monkey/monkey_run.h"

#include <array>
#include <fstream>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

#include "config/calendar.h"
#include "config/constants.h"
#include "console/cp437.h"
#include "league/competition_records.h"
#include "monkey/file_faults.h"
#include "monkey/monkey_terminal.h"
#include "monkey/saved_files.h"
#include "platform/platform.h"
#include "platform/system/terminal_text.h"
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
    competition_ = seed % 2 == 1;  // odd seeds play the competition, even ones do not
    folder_.Write(kConfigFileName, testing::ConfigText(kSite, std::to_string(1 + Pick(6)),
                                                       Pick(4) ? "Y" : "N", competition_ ? "1" : "0"));
    start_ = {2026 + Pick(3), 1 + Pick(12), 1, Pick(24), Pick(60), 0, 0};
    start_.day = 1 + Pick(MonthLength(MonthDaysFor(start_.year), start_.month));
    WritePlayers();
    if (competition_) WriteScoreFile();
  }

  const testing::TempFolder& folder() const { return folder_; }
  bool competition() const { return competition_; }
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

// The words of the dictionary, for the monkey to type now and then.
std::vector<std::string> World::Words() const {
  std::string all = folder_.Read("quillon.dic");
  std::vector<std::string> words;
  for (std::size_t at = 0; at + 7 <= all.size(); at += 7) {
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


// One seed's play: the world, the fakes the program runs on, and what is saved so far.
class SeedPlay {
 public:
  SeedPlay(std::uint64_t seed, long long events)
      : world_(seed),
        clock_(world_.start()),
        terminal_(seed, clock_, world_.Words(), events, world_.competition()),
        players_(world_.folder().Read(kPlayerFileName)),
        saved_(ReadTotals(players_)),
        otherSites_(OtherSitesEntries(world_.folder().Read(kScoreFileName), std::string(kSite))) {
    // A new month's reset and a restore replace the player file whole: what it then holds is
    // what is saved.
    OnPlayerFileReplaced([this](const std::string& path) { saved_ = ReadTotals(ReadWhole(path)); });
    DisarmFaults();
  }
  SeedPlay(const SeedPlay&) = delete;
  SeedPlay& operator=(const SeedPlay&) = delete;
  ~SeedPlay() {
    OnPlayerFileReplaced(nullptr);
    DisarmFaults();
  }

  SeedOutcome Play(long long events) {
    SeedOutcome outcome;
    outcome.competition = world_.competition();
    while (terminal_.events() < events && !outcome.failure) {
      ++outcome.runs;
      outcome.failure = RunOnce();
      if (!outcome.failure) outcome.failure = CheckSavedFiles(outcome);
    }
    outcome.events = terminal_.events();
    outcome.writesFailed = terminal_.failures().writesFailed + terminal_.failures().scoreWritesFailed;
    outcome.readsFailed = terminal_.failures().readsFailed;
    return outcome;
  }

 private:
  std::optional<std::string> RunOnce() {
    const testing::TempFolder& folder = world_.folder();
    long long before = terminal_.events();
    try {
      Platform platform{terminal_, clock_, random_, lock_, launcher_, folder.path(), folder.PathOf("root/")};
      RunProgram(platform);
      terminal_.FinishRun();
    } catch (const EventsSpent&) {
    } catch (const MonkeyFailure& failure) {
      return Describe(failure.what(), terminal_);
    }
    if (terminal_.events() == before) return "the program ended without asking for anything";
    return std::nullopt;
  }

  std::optional<std::string> CheckSavedFiles(SeedOutcome& outcome) {
    const testing::TempFolder& folder = world_.folder();
    std::string before = std::exchange(players_, folder.Read(kPlayerFileName));
    if (players_ != before) ++outcome.saves;
    std::optional<std::string> fault = CheckPlayerFile(players_, saved_);
    if (!fault) fault = CheckScoreFile(folder.Read(kScoreFileName), otherSites_, std::string(kSite));
    saved_ = ReadTotals(players_);
    if (fault) return Describe(*fault, terminal_);
    return std::nullopt;
  }

  World world_;
  MonkeyClock clock_;
  MonkeyTerminal terminal_;
  testing::ScriptedRandom random_;
  testing::FakeLock lock_;
  testing::FakeLauncher launcher_;
  std::string players_;  // the player file after the last run
  Totals saved_;
  std::string otherSites_;
};

}  // namespace

SeedOutcome PlaySeed(std::uint64_t seed, long long events) {
  return SeedPlay(seed, events).Play(events);
}

}  // namespace lexfray::monkey
