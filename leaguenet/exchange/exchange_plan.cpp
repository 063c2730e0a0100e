#include "exchange/exchange_plan.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

#include "platform/record_fields.h"
#include "players/player_record.h"
#include "rules/safe_text.h"
#include "rules/site_name.h"

namespace lexfray::leaguenet {

namespace {

using E = CompetitionEntry;

struct Leader {
  std::string name;
  std::string site;
  double score = -1;
};

void Consider(Leader& leader, const std::string& name, const std::string& site, double score) {
  if (score > leader.score) leader = {name, site, score};
}

CompetitionHeader NewHeader(const ScoreFile& file) {
  if (file.header) return DecodeCompetitionHeader(*file.header);
  CompetitionHeader header;
  header.programVersion = std::string(CompetitionHeader::kVersionWidth, ' ');
  return header;
}

bool TwoDigits(const std::string& text, std::size_t at) {
  return at + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) &&
         std::isdigit(static_cast<unsigned char>(text[at + 1]));
}

int NumberAt(const std::string& text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

CompetitionRecordBytes WithLoc(CompetitionRecordBytes entry, const std::string& loc) {
  fields::PutText(entry, entry_layout::kLoc, E::kLocWidth, PrintableText(loc, E::kLocWidth));
  return entry;
}

}  // namespace

std::string SiteMonth::FirstDay() const {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-01", year % 10000, month % 100);
  return text;
}

bool IsOwnEntry(const CompetitionRecordBytes& entry, const SiteIdentity& site) {
  return SiteKey(fields::GetText(entry, entry_layout::kSite, E::kSiteWidth)) == site.name;
}

int MonthOf(const std::string& lastDate) {
  if (lastDate.size() != 5 || !TwoDigits(lastDate, 0) || lastDate[2] != '-' ||
      !TwoDigits(lastDate, 3))
    return 0;
  int month = NumberAt(lastDate, 0);
  int day = NumberAt(lastDate, 3);
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 ? month : 0;
}

MonthPlayers PlayersOfMonth(std::span<const std::uint8_t> playerFile, const SiteMonth& month) {
  MonthPlayers players;
  for (std::size_t at = 0; at + PlayerRecord::kSize <= playerFile.size();
       at += PlayerRecord::kSize) {
    PlayerRecord record = DecodePlayerRecord(playerFile.subspan(at, PlayerRecord::kSize));
    const std::string& played = record.lastPlayed;  // MM-DD-YY
    if (!TwoDigits(played, 0) || !TwoDigits(played, 6) || NumberAt(played, 0) != month.month ||
        NumberAt(played, 6) != month.year % 100)
      continue;
    auto [known, added] = players.emplace(ComparableName(record.name.substr(0, E::kPlayerWidth)),
                                          TrimmedPrintable(record.name, PlayerRecord::kNameWidth));
    if (!added) known->second.reset();
  }
  return players;
}

std::vector<Upload> UploadsFrom(const ScoreFile& file, const SiteIdentity& site,
                                const SiteMonth& month, const MonthPlayers& players) {
  std::vector<Upload> uploads;
  std::set<std::string> sent;
  for (const CompetitionRecordBytes& record : file.entries) {
    if (!IsOwnEntry(record, site)) continue;
    CompetitionEntry entry = DecodeCompetitionEntry(record);
    auto player = players.find(ComparableName(entry.player));
    std::string lastDate = PrintableText(entry.lastDate, E::kDateWidth);
    if (MonthOf(lastDate) != month.month || player == players.end() ||
        !sent.insert(player->first).second)
      continue;
    uploads.push_back(
        {player->second ? *player->second : TrimmedPrintable(entry.player, E::kPlayerWidth),
         entry.score, lastDate, BarePrintable(entry.plays, E::kPlaysWidth),
         TrimmedPrintable(entry.gameCode, E::kGameCodeWidth)});
  }
  return uploads;
}

std::vector<std::string> ForeignSites(const ScoreFile& file, const SiteIdentity& site,
                                      const std::vector<LeagueRow>& others) {
  std::set<std::string> known;
  for (const LeagueRow& row : others) known.insert(SiteKey(row.site));
  std::set<std::string> foreign;
  for (const CompetitionRecordBytes& entry : file.entries) {
    if (IsOwnEntry(entry, site)) return {};
    std::string name = TrimmedPrintable(
        fields::GetText(entry, entry_layout::kSite, E::kSiteWidth), E::kSiteWidth);
    if (!known.count(SiteKey(name))) foreign.insert(name);
  }
  return {foreign.begin(), foreign.end()};
}

ScoreFile MergedScoreFile(const ScoreFile& file, const SiteIdentity& site,
                          const std::vector<Upload>& sent, const std::vector<LeagueRow>& others) {
  ScoreFile merged;
  Leader leader;
  for (const Upload& upload : sent) Consider(leader, upload.player, site.name, upload.score);
  for (const CompetitionRecordBytes& entry : file.entries)
    if (IsOwnEntry(entry, site)) merged.entries.push_back(WithLoc(entry, site.loc));
  for (const LeagueRow& row : others) {
    std::optional<CompetitionEntry> entry = EntryFromLeagueRow(row);
    if (!entry || SiteKey(entry->site) == site.name) continue;
    Consider(leader, entry->player, entry->site, entry->score);
    merged.entries.push_back(EncodeCompetitionEntry(*entry));
  }

  CompetitionHeader header = NewHeader(file);
  header.headerCode = std::string(kExchangedCode);
  if (leader.score < 0) {
    header.beatName = std::string(kNoLeader);
    header.beatSite = "";
    header.beatScore = 0;
  } else {
    header.beatName = TrimmedPrintable(leader.name, CompetitionHeader::kBeatNameWidth);
    header.beatSite = TrimmedPrintable(leader.site, CompetitionHeader::kBeatSiteWidth);
    header.beatScore = leader.score;
  }
  merged.header = EncodeCompetitionHeader(header);
  return merged;
}

}  // namespace lexfray::leaguenet
