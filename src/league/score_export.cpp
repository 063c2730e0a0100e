#include "league/score_export.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/message_box.h"
#include "league/score_file_image.h"
#include "platform/file_lock.h"
#include "platform/record_fields.h"
#include "platform/record_file.h"
#include "players/player_file.h"
#include "players/total_score.h"

namespace lexfray {

namespace {

constexpr std::string_view kComputerPlayer = "COMPUTER PLAYER";
constexpr std::string_view kNewHeaderCode = "00";
constexpr std::string_view kNoScoreToBeat = "No Score-To-Beat As Yet";
constexpr std::string_view kExportedStatus = " ";
constexpr std::string_view kNewEntryLoc = "   ";
constexpr int kPlaysWidth = 5;

constexpr std::string_view kOneMomentPlease = " One Moment Please.... ";
constexpr int kNoticeRow = 12;
constexpr std::string_view kFailureTitle = "LeagueNET";

std::string Fit(std::string_view text, std::size_t width) {
  std::string fitted(text.substr(0, width));
  fitted.resize(width, ' ');
  return fitted;
}

// The header of a file that has none yet; its other bytes stay as the buffer holds them.
void StartHeader(CompetitionHeader& header) {
  header.headerCode = Fit(kNewHeaderCode, 2);
  header.beatName = Fit(kNoScoreToBeat, CompetitionHeader::kBeatNameWidth);
  header.beatSite = Fit("", CompetitionHeader::kBeatSiteWidth);
}

// The fields a new entry gets once; its reserved tail stays as the buffer holds it.
void StartEntry(CompetitionEntry& entry, const PlayerRecord& player) {
  entry.player = Fit(player.name, CompetitionEntry::kPlayerWidth);
  entry.gameCode = Fit(std::string(kProgramCode) + "0", CompetitionEntry::kGameCodeWidth);
  entry.loc = Fit(kNewEntryLoc, CompetitionEntry::kLocWidth);
  entry.filler = Fit("", CompetitionEntry::kFillerWidth);
}

// The fields every export writes; site takes this installation's spelling.
void RefreshEntry(CompetitionEntry& entry, const PlayerRecord& player, const std::string& site) {
  entry.site = site;
  // The total as the table and the game count it: a damaged one counts as 0.
  entry.score = TotalFromFile(player.totalScore);
  entry.lastDate = Fit(std::string_view(player.lastPlayed).substr(0, CompetitionEntry::kDateWidth),
                       CompetitionEntry::kDateWidth);
  entry.status = Fit(kExportedStatus, 1);
  entry.plays = Fit(RightAlignNumber(player.monthGames, kPlaysWidth), CompetitionEntry::kPlaysWidth);
}

// The first entry of this site for each comparable player name: the entry a search from
// record 2 upwards would stop at.
class EntryIndex {
 public:
  EntryIndex(const ScoreFileImage& image, const std::string& site) {
    std::string siteKey = ComparableName(site);
    for (std::int64_t n = 2; n <= image.Count(); ++n) {
      std::span<const std::uint8_t> record = image.Record(n);
      if (ComparableName(TextOf(record, entry_layout::kSite, CompetitionEntry::kSiteWidth)) != siteKey)
        continue;
      first_.emplace(ComparableName(TextOf(record, entry_layout::kPlayer, CompetitionEntry::kPlayerWidth)),
                     n);
    }
  }

  // The record number, or 0 when the name has no entry at this site.
  std::int64_t Find(const std::string& nameKey) const {
    auto found = first_.find(nameKey);
    return found == first_.end() ? 0 : found->second;
  }
  void Add(std::string nameKey, std::int64_t n) { first_.emplace(std::move(nameKey), n); }

 private:
  static std::string_view TextOf(std::span<const std::uint8_t> record, std::size_t offset,
                                 std::size_t width) {
    return {reinterpret_cast<const char*>(record.data() + offset), width};
  }

  std::unordered_map<std::string, std::int64_t> first_;
};

void ExportPlayer(ScoreFileImage& image, EntryIndex& index, const std::string& site,
                  CompetitionEntry& entry, const PlayerRecord& player) {
  if (ComparableName(player.name) == kComputerPlayer) return;
  std::string nameKey =
      ComparableName(std::string_view(player.name).substr(0, CompetitionEntry::kPlayerWidth));
  std::int64_t n = index.Find(nameKey);
  if (n != 0) {
    entry = DecodeCompetitionEntry(image.Record(n));
  } else {
    // A search that finds nothing has read every entry, so the buffer holds the last one.
    if (image.Count() >= 2) entry = DecodeCompetitionEntry(image.Record(image.Count()));
    StartEntry(entry, player);
    n = image.Count() + 1;
    index.Add(std::move(nameKey), n);
  }
  RefreshEntry(entry, player, site);
  image.Store(n, EncodeCompetitionEntry(entry));
}

// The player file as it stands, read under its lock and let go before the score file is
// locked: one shared file locked at a time.
std::optional<std::vector<PlayerRecord>> ReadPlayers(const Settings& settings, std::string* error) {
  std::optional<FileLock> lock =
      FileLock::Take(settings.PathOf(kPlayerFileName), LockKind::kShared, error);
  if (!lock) return std::nullopt;
  PlayerFile file(settings);
  std::vector<PlayerRecord> players;
  players.reserve(static_cast<std::size_t>(file.Count()));
  file.Scan([&](std::int64_t, std::span<const std::uint8_t> bytes) {
    players.push_back(DecodePlayerRecord(bytes));
    return true;
  });
  return players;
}

void ExportPlayers(const Settings& settings, ScoreFileImage& image, CompetitionEntry& entry,
                   const std::vector<PlayerRecord>& players) {
  const std::string site = Fit(settings.siteName, CompetitionEntry::kSiteWidth);
  EntryIndex index(image, site);
  image.Reserve(static_cast<std::int64_t>(players.size()));
  for (const PlayerRecord& player : players) ExportPlayer(image, index, site, entry, player);
}

std::string FailureText(const std::string& reason) {
  return "The LeagueNET scores could not be saved (" + reason +
         "). Play goes on; the next export tries again.";
}

}  // namespace

std::optional<std::string> ExportIntoScoreFile(const Settings& settings, CompetitionState& state,
                                               PlayerRecord& playerRecord) {
  std::string error;
  std::optional<std::vector<PlayerRecord>> players = ReadPlayers(settings, &error);
  if (!players) return error;
  if (!players->empty()) playerRecord = players->back();

  std::string path = settings.PathOf(kScoreFileName);
  std::optional<FileLock> lock = FileLock::Take(path, LockKind::kExclusive, &error);
  if (!lock) return error;
  std::optional<RecordFile> file = RecordFile::Open(path, kCompetitionRecordSize, &error);
  if (!file) return error;
  std::optional<ScoreFileImage> read = ScoreFileImage::Read(*file, &error);
  if (!read) return error;
  ScoreFileImage& image = *read;

  if (image.Count() == 0) StartHeader(state.header);
  else state.header = DecodeCompetitionHeader(image.Record(1));
  state.header.programVersion = Fit(kVersionField, CompetitionHeader::kVersionWidth);
  image.Store(1, EncodeCompetitionHeader(state.header));

  ExportPlayers(settings, image, state.entry, *players);
  // Grown beyond what the game reads, the file would be refused from then on.
  if (image.Count() > kMostScoreRecords)
    return file->path() + " is full: it would hold more than " +
           std::to_string(kMostScoreEntries) + " entries";
  if (!image.WriteChanges(*file, &error)) return error;
  return std::nullopt;
}

void ExportScores(Io& io, const Settings& settings, CompetitionState& state,
                  PlayerRecord& playerRecord) {
  io.screen.Clear();
  PrintAt(io.screen, kOneMomentPlease, kBrightWhite, kBlue, kNoticeRow, 0, true);
  io.terminal.Show(io.screen);
  std::optional<std::string> failure = ExportIntoScoreFile(settings, state, playerRecord);
  // With the competition off the score file only mirrors the player file, so nothing the
  // player entered is lost when it cannot be written.
  if (failure && settings.Competition())
    ConsoleMessageBox(io, FailureText(*failure), kStyleOk | kStyleExclamation, kFailureTitle,
                      kIconExclamation);
}

}  // namespace lexfray
