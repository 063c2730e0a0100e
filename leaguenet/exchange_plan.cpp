#include "exchange_plan.h"

#include <cctype>
#include <set>

#include "platform/record_fields.h"
#include "safe_text.h"

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

CompetitionRecordBytes WithLoc(CompetitionRecordBytes entry, const std::string& loc) {
  fields::PutText(entry, entry_layout::kLoc, E::kLocWidth, PrintableText(loc, E::kLocWidth));
  return entry;
}

}  // namespace

bool IsOwnEntry(const CompetitionRecordBytes& entry, const SiteIdentity& site) {
  return ComparableName(fields::GetText(entry, entry_layout::kSite, E::kSiteWidth)) == site.name;
}

int MonthOf(const std::string& lastDate) {
  auto digit = [&lastDate](std::size_t i) {
    return std::isdigit(static_cast<unsigned char>(lastDate[i])) != 0;
  };
  if (lastDate.size() != 5 || !digit(0) || !digit(1) || lastDate[2] != '-' || !digit(3) ||
      !digit(4))
    return 0;
  int month = (lastDate[0] - '0') * 10 + (lastDate[1] - '0');
  return month >= 1 && month <= 12 ? month : 0;
}

std::vector<Upload> UploadsFrom(const ScoreFile& file, const SiteIdentity& site) {
  std::vector<Upload> uploads;
  std::set<std::string> players;
  for (const CompetitionRecordBytes& record : file.entries) {
    if (!IsOwnEntry(record, site)) continue;
    CompetitionEntry entry = DecodeCompetitionEntry(record);
    std::string player = TrimmedPrintable(entry.player, E::kPlayerWidth);
    if (player.empty() || !IsSaneScore(entry.score) || MonthOf(entry.lastDate) != site.month)
      continue;
    if (!players.insert(player).second) continue;
    uploads.push_back({player, entry.score, PrintableText(entry.lastDate, E::kDateWidth),
                       BarePrintable(entry.plays, E::kPlaysWidth),
                       TrimmedPrintable(entry.gameCode, E::kGameCodeWidth)});
  }
  return uploads;
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
    if (!entry || ComparableName(entry->site) == site.name) continue;
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
