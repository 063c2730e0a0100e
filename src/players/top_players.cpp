#include "players/top_players.h"

#include <algorithm>

#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/action_reader.h"
#include "platform/record_fields.h"
#include "players/player_file.h"
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

// Loads one record's line into the table, after storing the player's total into it.
class TableLoader {
 public:
  TableLoader(Io& io, PlayerFile& file, const std::optional<TableWriteBack>& writeBack)
      : notice_(io), file_(file), writeBack_(writeBack) {
    if (writeBack_) comparable_ = ComparableName(writeBack_->playerName);
  }

  void Load(std::int64_t n, std::span<const std::uint8_t> bytes, TopPlayer& entry) {
    last_ = DecodePlayerRecord(bytes);
    if (ComparableName(last_.name) == kProgramCode) return;
    if (writeBack_ && NameFieldMatches(bytes, comparable_)) {
      double stored = last_.totalScore;
      last_.totalScore = TotalToFile(writeBack_->playerTotal);
      // The table lists what the file holds: a total that was not saved is not shown.
      if (!file_.Write(n, last_)) {
        NoteFailure(file_.WriteFailure());
        last_.totalScore = stored;
      }
    }
    entry = {last_.name, TotalFromFile(last_.totalScore), last_.lastPlayed};
  }

  // The last record read, as this pass stored it.
  PlayerRecord& last() { return last_; }

  void NoteFailure(std::string reason) {
    if (failure_.empty()) failure_ = std::move(reason);
  }

  void TellFailure() {
    if (!failure_.empty()) notice_.Tell(failure_);
  }

 private:
  WriteFailureNotice notice_;
  PlayerFile& file_;
  const std::optional<TableWriteBack>& writeBack_;
  std::string comparable_;
  std::string failure_;
  PlayerRecord last_;
};

}  // namespace

TopPlayers TablePass(Io& io, const Settings& settings, PlayerRecord& buffer,
                     const std::optional<TableWriteBack>& writeBack) {
  PlayerFile file(settings);
  TopPlayers table(static_cast<std::size_t>(file.Count()));
  TableLoader loader(io, file, writeBack);
  std::int64_t last = file.Scan([&](std::int64_t n, std::span<const std::uint8_t> bytes) {
    loader.Load(n, bytes, table[static_cast<std::size_t>(n - 1)]);
    return true;
  });
  // Records left unread may hold the player's, whose new total would then go unsaved.
  if (writeBack && last < file.Count()) loader.NoteFailure("its records could not all be read");
  file.Close();
  table.resize(static_cast<std::size_t>(last));
  if (last > 0) buffer = std::move(loader.last());
  loader.TellFailure();
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
