#include "players/top_players.h"

#include <algorithm>

#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/message_box.h"
#include "dialogs/action_reader.h"
#include "platform/record_fields.h"
#include "players/player_file.h"
#include "players/total_score.h"
#include "players/save_failures.h"

namespace lexfray {

namespace {

constexpr int kTitleRow = 1;
constexpr int kTitleColumn = 20;
constexpr int kTitleRuleRow = 2;
constexpr int kLabelRow = 3;
constexpr int kLabelColumn = 13;
constexpr int kLabelRuleRow = 4;
constexpr int kHeaderEndRow = 6;  // the row before the first entry of a page
constexpr int kPageEndRow = 20;   // an entry that would land here starts a new page
constexpr int kEntryColumn = 13;
constexpr int kScoreWidth = 7;
constexpr int kTitleRuleLength = 39;
constexpr int kLabelRuleLength = 56;

constexpr std::string_view kLabels = "Player's Name                     Score     Last  Played";

bool IsTheProgramsOwn(std::span<const std::uint8_t> record) {
  return NameFieldMatches(record, kProgramCode);
}

// Stores the player's total into every record of theirs, in memory and in the file.
void WriteBack(PlayerFile& file, TableRead& read, const TableWriteBack& writeBack) {
  std::string comparable = ComparableName(writeBack.playerName);
  std::size_t count = read.records.size() / PlayerRecord::kSize;
  for (std::size_t i = 0; i < count; ++i) {
    std::span<std::uint8_t> record(read.records.data() + i * PlayerRecord::kSize,
                                   PlayerRecord::kSize);
    if (!NameFieldMatches(record, comparable) || IsTheProgramsOwn(record)) continue;
    double stored = fields::GetDouble(record, player_fields::kTotalScore);
    fields::PutDouble(record, player_fields::kTotalScore, TotalToFile(writeBack.playerTotal));
    // The table lists what the file holds: a total that was not saved is not shown.
    if (file.WriteBytes(static_cast<std::int64_t>(i) + 1, record)) continue;
    if (read.failure.empty()) read.failure = file.WriteFailure();
    fields::PutDouble(record, player_fields::kTotalScore, stored);
  }
}

void TellMovedOn(Io& io) {
  ConsoleMessageBox(io,
                    "While you played, the player file was started afresh: a new month began "
                    "with another player's first game, or the administrator restored the "
                    "file.\n\nThis game's score stays with the old file and is not saved.",
                    kStyleExclamation, kScoreNotSavedTitle, kIconWarning);
}

void TellFailure(Io& io, const TableRead& read) {
  if (read.movedOn) TellMovedOn(io);
  if (read.failure.empty()) return;
  if (read.writing) WriteFailureNotice(io).Tell(read.failure);
  else TellPlayersNotRead(io, read.failure);
}

}  // namespace

TableRead ReadForTable(const Settings& settings, const std::optional<TableWriteBack>& writeBack) {
  TableRead read;
  read.writing = writeBack.has_value();
  read.records = RoomForRecords(settings);
  PlayerFile file(settings, read.writing ? LockKind::kExclusive : LockKind::kShared);
  if (file.Busy()) {
    read.failure = file.Failure();
    return read;
  }
  file.ReadAll(read.records);
  if (!read.writing) return read;
  // Records left unread may hold the player's, whose new total would then go unsaved.
  if (static_cast<std::int64_t>(read.records.size() / PlayerRecord::kSize) < file.Count())
    read.failure = "its records could not all be read";
  read.movedOn = !writeBack->fileMonth.empty() && FileMonthOf(read.records) != writeBack->fileMonth;
  if (!read.movedOn) WriteBack(file, read, *writeBack);
  return read;
}

TopPlayers TablePass(Io& io, const Settings& settings, PlayerRecord& buffer,
                     const std::optional<TableWriteBack>& writeBack, bool* fileMovedOn) {
  TableRead read = ReadForTable(settings, writeBack);
  std::size_t count = read.records.size() / PlayerRecord::kSize;
  TopPlayers table(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::span<const std::uint8_t> record(read.records.data() + i * PlayerRecord::kSize,
                                         PlayerRecord::kSize);
    // The buffer ends with the last record read, the program's own included.
    if (i + 1 == count) buffer = DecodePlayerRecord(record);
    if (IsTheProgramsOwn(record)) continue;
    table[i] = {fields::GetText(record, player_fields::kName, PlayerRecord::kNameWidth),
                TotalFromFile(fields::GetDouble(record, player_fields::kTotalScore)),
                fields::GetText(record, player_fields::kLastPlayed, 8)};
  }
  TellFailure(io, read);
  if (fileMovedOn && read.movedOn) *fileMovedOn = true;
  SortTopPlayers(table);
  return table;
}

void SortTopPlayers(TopPlayers& table) {
  std::stable_sort(table.begin(), table.end(),
                   [](const TopPlayer& a, const TopPlayer& b) { return a.score > b.score; });
}

int ShowTableHeader(Screen& screen) {
  screen.SetColours(kLightGrey, kBlack);
  screen.Clear();
  PrintAt(screen, kTopPlayersTitle, kLightGreen, kBlack, kTitleRow, kTitleColumn);
  PrintAt(screen, std::string(kTitleRuleLength, '='), kBrightWhite, kBlack, kTitleRuleRow,
          kTitleColumn);
  PrintAt(screen, kLabels, kLightMagenta, kBlack, kLabelRow, kLabelColumn);
  PrintAt(screen, std::string(kLabelRuleLength, '_'), kBrightWhite, kBlack, kLabelRuleRow,
          kLabelColumn);
  return kHeaderEndRow;
}

std::string TableLine(const TopPlayer& entry) {
  std::string name = entry.name;
  name.resize(PlayerRecord::kNameWidth, ' ');
  std::string score = TotalText(entry.score);
  if (score.size() < kScoreWidth) score.insert(0, kScoreWidth - score.size(), ' ');
  return name + "  " + score + "       " + entry.date;
}

bool ShowTopPlayers(Io& io, const TopPlayers& table) {
  int row = ShowTableHeader(io.screen);
  for (const TopPlayer& entry : table) {
    if (++row >= kPageEndRow) {
      if (IsEndAnswer(PressEnterOrEndPrompt(io))) return true;
      row = ShowTableHeader(io.screen);
    }
    if (entry.name.starts_with("..") || entry.score == 0) break;
    PrintAt(io.screen, TableLine(entry), kLightCyan, kBlack, row, kEntryColumn);
  }
  PressEnterPrompt(io);
  return false;
}

}  // namespace lexfray
