// LEXFRAY.USR: the login list, the two table passes, a game start of an old and of a new
// player, and backup then restore, each on any bytes as the player file.
#include <cmath>
#include <cstdint>
#include <optional>

#include "config/constants.h"
#include "fuzz_check.h"
#include "platform/record_fields.h"
#include "players/backup.h"
#include "players/game_start.h"
#include "players/login.h"
#include "players/player_file.h"
#include "players/top_players.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

using namespace lexfray;

namespace {

constexpr std::size_t kMostRecords = 40;
constexpr std::size_t kTotalAt = player_fields::kTotalScore;
constexpr std::size_t kTotalEnd = kTotalAt + sizeof(double);

struct Bench {
  testing::TempFolder folder;
  fuzz::WatchingTerminal terminal;
  testing::FakeClock clock;
  Screen screen;
  Io io{screen, terminal, clock};
  Settings settings;
  PlayerRecord buffer;

  explicit Bench(bool competition)
      : settings(fuzz::SettingsFor(folder.path(), competition, /*monthlyReset=*/false)) {
    fuzz::AnswerBoxes(terminal, kKeyEnter);
  }
  std::string File() const { return folder.Read(kPlayerFileName); }
};

std::size_t Records(const std::string& bytes) { return bytes.size() / PlayerRecord::kSize; }

std::span<const std::uint8_t> Record(const std::string& bytes, std::size_t n) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()) + (n - 1) * PlayerRecord::kSize,
          PlayerRecord::kSize};
}

std::string Comparable(std::span<const std::uint8_t> record) {
  return ComparableName(NameField(record));
}

// A name as the login list shows it: upper case, without blanks at either end.
std::string Listed(std::span<const std::uint8_t> record) {
  std::string name = ComparableName(NameField(record));
  return name.substr(std::min(name.find_first_not_of(' '), name.size()));
}

void CheckLoginList(Bench& bench, const std::string& file) {
  std::vector<std::string> list = LoginList(bench.settings, bench.buffer);
  fuzz::Require(!list.empty() && list.back() == kNewPlayerEntry, "the list ends in New Player");
  std::size_t listed = 0;
  for (std::size_t n = 1; n <= Records(file); ++n)
    if (Listed(Record(file, n)) != "COMPUTER PLAYER") ++listed;
  fuzz::Require(list.size() == listed + 1, "every player but the computer is listed");
  for (std::size_t i = 0; i + 1 < list.size(); ++i)
    fuzz::Require(list[i] == ComparableName(list[i]), "listed names are upper case, trimmed");
  fuzz::Require(bench.File() == file, "the login list writes nothing");
}

void CheckViewOnlyPass(Bench& bench, const std::string& file) {
  TopPlayers table = TablePass(bench.io, bench.settings, bench.buffer, std::nullopt);
  fuzz::Require(bench.File() == file, "a view-only pass writes nothing");
  fuzz::Require(table.size() == Records(file), "one table entry per record");
  for (std::size_t i = 0; i < table.size(); ++i) {
    fuzz::Require(std::isfinite(table[i].score), "table scores are finite");
    fuzz::Require(i == 0 || table[i - 1].score >= table[i].score, "the table is ranked");
  }
}

void CheckWritingPass(Bench& bench, const std::string& file, std::string_view name,
                      double total) {
  TablePass(bench.io, bench.settings, bench.buffer, TableWriteBack{name, total, {}});
  std::string after = bench.File();
  // The file is replaced whole: a partial record at its end, which no reader counts, goes.
  fuzz::Require(after.size() == Records(file) * PlayerRecord::kSize,
                "a writing pass keeps every whole record");
  std::string comparable = ComparableName(name);
  for (std::size_t n = 1; n <= Records(file); ++n) {
    std::span<const std::uint8_t> was = Record(file, n), now = Record(after, n);
    bool matches = NameFieldMatches(was, comparable) && Comparable(was) != kProgramCode;
    bool outsideTotalSame = std::equal(was.begin(), was.begin() + kTotalAt, now.begin()) &&
                            std::equal(was.begin() + kTotalEnd, was.end(), now.begin() + kTotalEnd);
    fuzz::Require(outsideTotalSame, "a write-back changes nothing but totals");
    double stored = fields::GetDouble(now, kTotalAt);
    if (matches)
      fuzz::Require(std::isfinite(stored) && stored >= 0, "a written total is finite, not negative");
    else
      fuzz::Require(std::equal(was.begin(), was.end(), now.begin()),
                    "a write-back leaves other players alone");
  }
}

// A game start never changes another record, nor any total, and the started record is the
// player's own.
void CheckGameStart(bool competition, const std::string& file, std::string_view name) {
  Bench bench(competition);
  bench.folder.Write(kPlayerFileName, file);
  PlayLimits limits = InitialPlayLimits(bench.settings);
  GameStart start = StartGameRecord(bench.io, bench.settings, limits, bench.buffer, VisitName(name));
  std::string after = bench.File();
  std::size_t before = Records(file);
  fuzz::Require(Records(after) == before || Records(after) == before + 1,
                "a game start adds one record at most");
  for (std::size_t n = 1; n <= before; ++n) {
    std::span<const std::uint8_t> was = Record(file, n), now = Record(after, n);
    bool own = static_cast<std::int64_t>(n) == start.playerRecordNo;
    fuzz::Require(own || std::equal(was.begin(), was.end(), now.begin()),
                  "a game start leaves other players alone");
    fuzz::Require(std::equal(was.begin() + kTotalAt, was.begin() + kTotalEnd, now.begin() + kTotalAt),
                  "a game start changes no total");
  }
  if (start.outcome != StartOutcome::kPlay) return;
  fuzz::Require(start.playerRecordNo >= 1 &&
                    static_cast<std::size_t>(start.playerRecordNo) <= Records(after),
                "the game's record is in the file");
  fuzz::Require(NameFieldMatches(Record(after, static_cast<std::size_t>(start.playerRecordNo)),
                                 ComparableName(name)),
                "the game's record is the player's");
  fuzz::Require(std::isfinite(start.playerTotal), "the running total is a number");
}

void CheckBackupRestore(Bench& bench, const std::string& file) {
  BackupPlayerFile(bench.io, bench.settings, kProgramCode);
  fuzz::Require(bench.folder.Read(kBackupFileName) == file, "the backup is a byte copy");
  bench.folder.Write(kPlayerFileName, "damaged");
  RestorePlayerFile(bench.io, bench.settings, kProgramCode);
  fuzz::Require(bench.File() == file, "a restore gives the backed-up bytes back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string file(fuzz::Bytes(data, std::min(size, kMostRecords * PlayerRecord::kSize + 132)));
  bool competition = size > 0 && (data[0] & 1);
  std::string oldName = Records(file) > 0 ? Comparable(Record(file, 1)) : std::string("NOBODY");
  if (oldName.empty()) oldName = "NOBODY";

  Bench bench(competition);
  bench.folder.Write(kPlayerFileName, file);
  CheckLoginList(bench, file);
  CheckViewOnlyPass(bench, file);
  CheckBackupRestore(bench, file);
  double total = size >= 8 ? fields::GetDouble({data, 8}, 0) : 1234.0;
  CheckWritingPass(bench, file, oldName, total);

  CheckGameStart(competition, file, oldName);
  CheckGameStart(competition, file, "FUZZ NEWCOMER");
  return 0;
}
