#include "monkey/saved_files.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <span>

#include "config/calendar.h"
#include "league/competition_records.h"
#include "platform/record_fields.h"
#include "players/player_record.h"

namespace lexfray::monkey {

namespace {

std::span<const std::uint8_t> RecordAt(const std::string& bytes, std::size_t offset,
                                       std::size_t size) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset, size};
}

int TwoDigits(std::string_view text) {
  if (text.size() != 2 || !std::isdigit(static_cast<unsigned char>(text[0])) ||
      !std::isdigit(static_cast<unsigned char>(text[1])))
    return -1;
  return (text[0] - '0') * 10 + (text[1] - '0');
}

bool IsMonth(std::string_view text) {
  int month = TwoDigits(text);
  return month >= 1 && month <= 12;
}

// MM-DD-YY of a real day.
bool IsDate(std::string_view text) {
  if (text.size() != 8 || text[2] != '-' || text[5] != '-' || !IsMonth(text.substr(0, 2)))
    return false;
  int day = TwoDigits(text.substr(3, 2)), year = TwoDigits(text.substr(6, 2));
  return year >= 0 && day >= 1 &&
         day <= MonthLength(MonthDaysFor(2000 + year), TwoDigits(text.substr(0, 2)));
}

bool IsPrintable(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

std::optional<std::string> CheckPlayer(const PlayerRecord& record) {
  std::string name = ComparableName(record.name);
  if (name.empty() || !IsPrintable(record.name)) return "a record without a proper name";
  if (!IsMonth(record.startMonth)) return name + "'s record has no start month";
  if (!IsDate(record.lastPlayed)) return name + "'s date of last play is not a date";
  if (!std::isfinite(record.totalScore) || record.totalScore < 0)
    return name + "'s total is " + std::to_string(record.totalScore);
  if (record.monthGames < 0 || record.dayGames < 0) return name + "'s game counters are negative";
  return std::nullopt;
}

std::string SiteOf(const std::string& bytes, std::size_t offset) {
  return ComparableName(std::string_view(bytes).substr(offset, CompetitionEntry::kSiteWidth));
}

// The first entry that differs, by its site and player, for the failure report.
std::string Difference(const std::string& before, const std::string& after) {
  std::size_t at = 0;
  while (at < before.size() && at < after.size() && before[at] == after[at]) ++at;
  std::size_t entry = at / kCompetitionRecordSize * kCompetitionRecordSize;
  auto describe = [entry, at](const std::string& bytes) {
    if (entry + kCompetitionRecordSize > bytes.size()) return std::string("nothing");
    return "\"" + bytes.substr(entry, CompetitionEntry::kSiteWidth + CompetitionEntry::kPlayerWidth) +
           "\" (byte " + std::to_string(at % kCompetitionRecordSize) + ")";
  };
  return "entry " + std::to_string(entry / kCompetitionRecordSize + 1) + " was " + describe(before) +
         ", is " + describe(after);
}

}  // namespace

Totals ReadTotals(const std::string& bytes) {
  Totals totals;
  for (std::size_t at = 0; at + PlayerRecord::kSize <= bytes.size(); at += PlayerRecord::kSize) {
    PlayerRecord record = DecodePlayerRecord(RecordAt(bytes, at, PlayerRecord::kSize));
    double& total = totals[ComparableName(record.name)];
    total = std::max(total, record.totalScore);
  }
  return totals;
}

std::optional<std::string> CheckPlayerFile(const std::string& bytes, const Totals& before) {
  if (bytes.size() % PlayerRecord::kSize != 0)
    return "the player file ends in a partial record";
  std::set<std::string> names;
  for (std::size_t at = 0; at + PlayerRecord::kSize <= bytes.size(); at += PlayerRecord::kSize) {
    PlayerRecord record = DecodePlayerRecord(RecordAt(bytes, at, PlayerRecord::kSize));
    if (auto fault = CheckPlayer(record)) return "player file: " + *fault;
    // A second record would take the next game's total over the first one's.
    if (!names.insert(ComparableName(record.name)).second)
      return "player file: " + ComparableName(record.name) + " has two records";
  }
  Totals after = ReadTotals(bytes);
  for (const auto& [name, total] : before) {
    auto found = after.find(name);
    if (found == after.end()) return name + " is gone from the player file";
    if (found->second < total)
      return name + "'s total fell from " + std::to_string(total) + " to " +
             std::to_string(found->second);
  }
  return std::nullopt;
}

std::string OtherSitesEntries(const std::string& bytes, const std::string& site) {
  std::string others;
  std::string key = ComparableName(site);
  for (std::size_t at = kCompetitionRecordSize; at + kCompetitionRecordSize <= bytes.size();
       at += kCompetitionRecordSize)
    if (SiteOf(bytes, at) != key) others += bytes.substr(at, kCompetitionRecordSize);
  return others;
}

std::optional<std::string> CheckScoreFile(const std::string& bytes,
                                          const std::string& otherSitesBefore,
                                          const std::string& site) {
  if (bytes.size() % kCompetitionRecordSize != 0)
    return "the score file ends in a partial record";
  std::string others = OtherSitesEntries(bytes, site);
  if (others != otherSitesBefore) return "the entries of other sites changed: " + Difference(otherSitesBefore, others);
  std::string key = ComparableName(site);
  for (std::size_t at = kCompetitionRecordSize; at + kCompetitionRecordSize <= bytes.size();
       at += kCompetitionRecordSize) {
    if (SiteOf(bytes, at) != key) continue;
    double score = fields::GetDouble(RecordAt(bytes, at, kCompetitionRecordSize), entry_layout::kScore);
    if (!std::isfinite(score) || score < 0) return "an entry of this site has a score of " + std::to_string(score);
  }
  return std::nullopt;
}

}  // namespace lexfray::monkey
