#include "players/top_players.h"

#include <algorithm>
#include <utility>

#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/message_box.h"
#include "dialogs/action_reader.h"
#include "platform/record_fields.h"
#include "players/file_month.h"
#include "players/player_boxes.h"
#include "players/player_place.h"
#include "players/save_failures.h"
#include "players/total_score.h"

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

void TellMovedOn(Io& io) {
  ConsoleMessageBox(io,
                    "While you played, the player file was started afresh: a new month began "
                    "with another player's first game, or the administrator restored the "
                    "file.\n\nThis game's score stays with the old file and is not saved.",
                    kStyleExclamation, kScoreNotSavedTitle, kIconWarning);
}

void TellFailure(Io& io, const Settings& settings, const TableRead& read) {
  if (read.movedOn) TellMovedOn(io);
  SaveNotice(io, settings).Tell(read.saved);
  if (!read.failure.empty()) TellPlayersNotRead(io, read.failure);
}

bool MovedOn(const std::vector<std::uint8_t>& records, const TableWriteBack& writeBack) {
  return !writeBack.fileMonth.empty() && FileMonthOf(records) != writeBack.fileMonth;
}

SaveResult SaveTotal(const Settings& settings, Clock& clock, const TableWriteBack& writeBack) {
  PlayerChange change = PlayerChange::Of(PlayerChange::Kind::kTotal, settings.installation.uid);
  fields::PutText(change.record, player_fields::kName, PlayerRecord::kNameWidth,
                  writeBack.playerName);
  change.total = writeBack.playerTotal;
  change.fileMonth = std::string(writeBack.fileMonth);
  return SavePlayerChange(PlayerFileOf(settings), clock, change);
}

}  // namespace

TableRead ReadForTable(const Settings& settings, Clock& clock,
                       const std::optional<TableWriteBack>& writeBack) {
  TableRead read;
  std::optional<PlayerFileView> view = ReadPlayerFile(settings.programFolder, &read.failure);
  // Unread, the file might hold anything: the total is not written into it blind.
  if (!view && writeBack) read.saved = {SaveResult::kFailed, std::exchange(read.failure, {}), {}};
  if (!view) return read;
  if (writeBack) {
    read.movedOn = MovedOn(view->image.records, *writeBack);
    if (!read.movedOn) read.saved = SaveTotal(settings, clock, *writeBack);
    // Another game may have started the file afresh meanwhile: the total then stayed out.
    if (read.saved.outcome != SaveResult::kFailed && !read.movedOn)
      view = ReadPlayerFile(settings.programFolder, &read.failure);
    if (!view) return read;
    read.movedOn = MovedOn(view->image.records, *writeBack);
  }
  read.records = std::move(view->image.records);
  return read;
}

TopPlayers TablePass(Io& io, const Settings& settings, PlayerRecord& buffer,
                     const std::optional<TableWriteBack>& writeBack, bool* fileMovedOn) {
  TableRead read = ReadForTable(settings, io.clock, writeBack);
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
  TellFailure(io, settings, read);
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
