#include "league/site_export.h"

#include <charconv>
#include <sstream>
#include <unordered_map>

#include "config/constants.h"
#include "console/primitives.h"
#include "league/score_file.h"
#include "platform/record_fields.h"
#include "players/total_score.h"

namespace lexfray {

namespace {

constexpr std::string_view kMark = "site-export-1";
constexpr std::string_view kNewHeaderCode = "00";
constexpr std::string_view kExportedStatus = " ";
constexpr std::string_view kNewEntryLoc = "   ";
constexpr int kPlaysWidth = 5;
constexpr auto kSize = static_cast<std::int64_t>(kCompetitionRecordSize);

std::string Fit(std::string_view text, std::size_t width) {
  std::string fitted(text.substr(0, width));
  fitted.resize(width, ' ');
  return fitted;
}

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "x";  // never empty, so that a field is always there to read
  for (char c : bytes) {
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[static_cast<unsigned char>(c) & 0x0F];
  }
  return out;
}

std::optional<std::string> FromHex(std::string_view text) {
  if (!text.starts_with('x') || text.size() % 2 != 1) return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < text.size(); i += 2) {
    unsigned value = 0;
    if (std::from_chars(text.data() + i, text.data() + i + 2, value, 16).ptr != text.data() + i + 2)
      return std::nullopt;
    out += static_cast<char>(value);
  }
  return out;
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

std::span<std::uint8_t> RecordAt(std::vector<std::uint8_t>& records, std::int64_t n) {
  return std::span<std::uint8_t>(records).subspan(static_cast<std::size_t>((n - 1) * kSize),
                                                    kCompetitionRecordSize);
}

std::string_view TextOf(std::span<const std::uint8_t> record, std::size_t offset, std::size_t width) {
  return {reinterpret_cast<const char*>(record.data() + offset), width};
}

// The first entry of this site for each comparable player name: the entry a search from
// record 2 upwards would stop at.
class EntryIndex {
 public:
  EntryIndex(std::vector<std::uint8_t>& records, const std::string& site) {
    std::string siteKey = ComparableName(site);
    for (std::int64_t n = 2; n <= Count(records); ++n) {
      std::span<const std::uint8_t> record = RecordAt(records, n);
      if (ComparableName(TextOf(record, entry_layout::kSite, CompetitionEntry::kSiteWidth)) != siteKey)
        continue;
      first_.emplace(ComparableName(TextOf(record, entry_layout::kPlayer, CompetitionEntry::kPlayerWidth)),
                     n);
    }
  }
  static std::int64_t Count(const std::vector<std::uint8_t>& records) {
    return static_cast<std::int64_t>(records.size()) / kSize;
  }
  // The record number, or 0 when the name has no entry at this site.
  std::int64_t Find(const std::string& nameKey) const {
    auto found = first_.find(nameKey);
    return found == first_.end() ? 0 : found->second;
  }
  void Add(std::string nameKey, std::int64_t n) { first_.emplace(std::move(nameKey), n); }

 private:
  std::unordered_map<std::string, std::int64_t> first_;
};

// Puts bytes in place of record n; true when that changed it.
bool Store(std::vector<std::uint8_t>& records, std::int64_t n, const CompetitionRecordBytes& bytes) {
  std::span<std::uint8_t> record = RecordAt(records, n);
  if (std::equal(bytes.begin(), bytes.end(), record.begin())) return false;
  std::copy(bytes.begin(), bytes.end(), record.begin());
  return true;
}

bool ExportPlayer(std::vector<std::uint8_t>& records, EntryIndex& index, const std::string& site,
                  CompetitionEntry& entry, const PlayerRecord& player) {
  if (ComparableName(player.name) == kComputerPlayer) return false;
  std::string nameKey =
      ComparableName(std::string_view(player.name).substr(0, CompetitionEntry::kPlayerWidth));
  std::int64_t count = EntryIndex::Count(records);
  std::int64_t n = index.Find(nameKey);
  if (n != 0) {
    entry = DecodeCompetitionEntry(RecordAt(records, n));
  } else {
    // A search that finds nothing has read every entry, so the buffer holds the last one.
    if (count >= 2) entry = DecodeCompetitionEntry(RecordAt(records, count));
    StartEntry(entry, player);
    n = count + 1;
    index.Add(std::move(nameKey), n);
    records.resize(records.size() + kCompetitionRecordSize);
  }
  RefreshEntry(entry, player, site);
  return Store(records, n, EncodeCompetitionEntry(entry)) || n > count;
}

}  // namespace

std::string EncodeSiteExport(const SiteExport& export_) {
  std::ostringstream text;
  text << kMark << ' ' << Hex(export_.site) << ' ' << export_.players.size() << '\n';
  for (const PlayerRecord& player : export_.players) {
    char total[64];
    auto written = std::to_chars(total, total + sizeof total, player.totalScore, std::chars_format::hex);
    text << Hex(player.name) << ' ' << std::string_view(total, static_cast<std::size_t>(written.ptr - total))
         << ' ' << Hex(player.lastPlayed) << ' ' << player.monthGames << '\n';
  }
  return text.str();
}

std::optional<SiteExport> DecodeSiteExport(std::string_view text) {
  std::istringstream fields{std::string(text)};
  std::string mark, site;
  std::size_t count = 0;
  if (!(fields >> mark >> site >> count) || mark != kMark || count > kMostPlayers) return std::nullopt;
  SiteExport decoded;
  std::optional<std::string> siteName = FromHex(site);
  if (!siteName) return std::nullopt;
  decoded.site = *siteName;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name, total, date;
    PlayerRecord player;
    if (!(fields >> name >> total >> date >> player.monthGames)) return std::nullopt;
    std::optional<std::string> nameText = FromHex(name), dateText = FromHex(date);
    auto parsed = std::from_chars(total.data(), total.data() + total.size(), player.totalScore,
                                  std::chars_format::hex);
    if (!nameText || !dateText || parsed.ec != std::errc()) return std::nullopt;
    player.name = *nameText;
    player.lastPlayed = *dateText;
    decoded.players.push_back(std::move(player));
  }
  return decoded;
}

bool ApplySiteExport(const SiteExport& export_, std::vector<std::uint8_t>& records,
                     CompetitionHeader& header, CompetitionEntry& entry) {
  bool changed = records.empty();
  if (records.empty()) {
    StartHeader(header);
    records.resize(kCompetitionRecordSize);
  } else {
    header = DecodeCompetitionHeader(RecordAt(records, 1));
  }
  header.programVersion = Fit(kVersionField, CompetitionHeader::kVersionWidth);
  changed = Store(records, 1, EncodeCompetitionHeader(header)) || changed;

  const std::string site = Fit(export_.site, CompetitionEntry::kSiteWidth);
  EntryIndex index(records, site);
  for (const PlayerRecord& player : export_.players)
    changed = ExportPlayer(records, index, site, entry, player) || changed;
  return changed;
}

}  // namespace lexfray
