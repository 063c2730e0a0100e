#include "league/league_files.h"

#include <span>

#include "league/score_export.h"
#include "support/fakes.h"

namespace lexfray::testing {

namespace {

std::string BytesOf(std::span<const std::uint8_t> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

std::string Padded(std::string_view text, std::size_t width) {
  std::string padded(text.substr(0, width));
  padded.resize(width, ' ');
  return padded;
}

Settings LeagueSettings(const TempFolder& folder, std::string_view site) {
  Settings settings;
  settings.programFolder = folder.path();
  settings.driveRoot = folder.PathOf("root/");
  settings.siteName = std::string(site);
  settings.competitionActive = 1;
  settings.capDays = 0;
  return settings;
}

PlayerRecord Player(std::string_view name, double total, std::int16_t monthGames,
                    std::string_view lastPlayed) {
  PlayerRecord record;
  record.startMonth = "03";
  record.name = Padded(name, PlayerRecord::kNameWidth);
  record.totalScore = total;
  record.monthGames = monthGames;
  record.lastPlayed = Padded(lastPlayed, 8);
  record.dayGames = 1;
  record.createdMark = "Y";
  return record;
}

void WritePlayers(const TempFolder& folder, const std::vector<PlayerRecord>& players) {
  std::string bytes;
  for (const PlayerRecord& player : players) bytes += BytesOf(EncodePlayerRecord(player));
  folder.Write("LEXFRAY.USR", bytes);
}

CompetitionEntry Entry(std::string_view site, std::string_view player, double score,
                       std::string_view plays, std::string_view loc) {
  CompetitionEntry entry;
  entry.site = Padded(site, CompetitionEntry::kSiteWidth);
  entry.player = Padded(player, CompetitionEntry::kPlayerWidth);
  entry.score = score;
  entry.gameCode = "LEXFRAY0";
  entry.lastDate = "02-01";
  entry.status = " ";
  entry.loc = Padded(loc, CompetitionEntry::kLocWidth);
  entry.plays = Padded(plays, CompetitionEntry::kPlaysWidth);
  entry.filler = Padded("", CompetitionEntry::kFillerWidth);
  return entry;
}

void WriteScoreFile(const TempFolder& folder, const CompetitionHeader& header,
                    const std::vector<CompetitionEntry>& entries) {
  std::string bytes = BytesOf(EncodeCompetitionHeader(header));
  for (const CompetitionEntry& entry : entries) bytes += BytesOf(EncodeCompetitionEntry(entry));
  folder.Write("LEXFRAY.ISC", bytes);
}

std::vector<CompetitionRecordBytes> ScoreRecords(const TempFolder& folder) {
  std::string bytes = folder.Read("LEXFRAY.ISC");
  std::vector<CompetitionRecordBytes> records(bytes.size() / kCompetitionRecordSize);
  for (std::size_t n = 0; n < records.size(); ++n)
    for (std::size_t i = 0; i < kCompetitionRecordSize; ++i)
      records[n][i] = static_cast<std::uint8_t>(bytes[n * kCompetitionRecordSize + i]);
  return records;
}

CompetitionEntry ScoreEntry(const TempFolder& folder, std::size_t recordNumber) {
  return DecodeCompetitionEntry(ScoreRecords(folder).at(recordNumber - 1));
}

CompetitionHeader ScoreHeader(const TempFolder& folder) {
  return DecodeCompetitionHeader(ScoreRecords(folder).at(0));
}

std::optional<std::string> ExportFailure(const Settings& settings, CompetitionState& state,
                                         PlayerRecord& playerRecord) {
  FakeClock clock;
  SaveResult saved = ExportIntoScoreFile(settings, clock, state, playerRecord);
  if (saved.outcome == SaveResult::kSaved) return std::nullopt;
  return saved.reason;
}

}  // namespace lexfray::testing
