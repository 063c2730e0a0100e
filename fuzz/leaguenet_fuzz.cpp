// The exchange program's readers: LEXFRAY.ISC and the league's rows, merged into the score file
// it writes back, leaguenet.conf, and a past month's data kept by the publication, all taken
// from the same input.
//   byte 0: the league's month (low nibble) and whether this site is named by the file's
//   first entry (top bit); byte 1: whole records of the score file; byte 2: a partial record
//   when odd; bytes 3..5: this site's loc; then the score file, then the league's rows, one a
//   line, columns split by tabs. The whole input is also read as the settings file and as the
//   kept data.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "exchange/exchange_plan.h"
#include "fuzz_check.h"
#include "platform/record_fields.h"
#include "publish/kept_month.h"
#include "rules/league_settings.h"
#include "rules/safe_text.h"

using namespace lexfray;
using namespace lexfray::leaguenet;

namespace {

using E = CompetitionEntry;
using H = CompetitionHeader;

constexpr std::size_t kLead = 6;
constexpr std::size_t kMostRecords = 8;
constexpr std::size_t kMostRows = 64;
constexpr std::size_t kScoreAt = entry_layout::kScore;
constexpr std::size_t kScoreEnd = kScoreAt + sizeof(double);

bool Printable(std::uint8_t c) {
  return c >= ' ' && c <= '~';
}

bool AllPrintable(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), Printable);
}

bool AllPrintable(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return Printable(c); });
}

// Written out here rather than borrowed from the readers, so that a fault there shows.
bool SaneScore(double score) {
  return std::isfinite(score) && !std::signbit(score) && score <= 917476000.0 &&
         score == std::floor(score);
}

// A settings line that may be taken: blank, a comment, or one of the keys and a value.
bool LineMayBeTaken(std::string_view line) {
  std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos || line[first] == '#') return true;
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  std::string_view key = line.substr(first, equals - first);
  key = key.substr(0, key.find_last_not_of(" \t\r") + 1);
  return key == "league" || key == "folder" || key == "others" || key == "timeout";
}

bool Blank(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t c) { return c == ' '; });
}

bool SameBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

std::vector<std::string> Split(std::string_view text, char by) {
  std::vector<std::string> parts;
  while (true) {
    std::size_t end = text.find(by);
    parts.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + 1);
  }
}

std::vector<LeagueRow> RowsFrom(std::string_view text) {
  std::vector<LeagueRow> rows;
  for (const std::string& line : Split(text, '\n')) {
    if (rows.size() == kMostRows) break;
    if (std::optional<LeagueRow> row = RowFromColumns(Split(line, '\t'))) rows.push_back(*row);
  }
  return rows;
}

SiteIdentity SiteFrom(const std::uint8_t* lead, const ScoreFile& file) {
  SiteIdentity site{"FUZZ SITE", std::string(reinterpret_cast<const char*>(lead + 3), 3)};
  // A name the league would hold: one of the file's sites, in its comparable form.
  if ((lead[0] & 0x80) != 0 && !file.entries.empty()) {
    std::string name =
        ComparableName(fields::GetText(file.entries.front(), entry_layout::kSite, E::kSiteWidth));
    if (!name.empty() && AllPrintable(name)) site.name = name;
  }
  return site;
}

void CheckParse(std::string_view bytes, const ScoreFile& file) {
  std::size_t records = bytes.size() / kCompetitionRecordSize;
  fuzz::Require(file.header.has_value() == (records > 0), "a header when there is a record");
  fuzz::Require(file.entries.size() == (records > 0 ? records - 1 : 0), "every entry is read");
  std::vector<std::uint8_t> again = ScoreFileBytes(file);
  fuzz::Require(again.size() == records * kCompetitionRecordSize &&
                    std::memcmp(again.data(), bytes.data(), again.size()) == 0,
                "whole records are read byte for byte");
}

// What goes to the league: this site's entries of the month, one per player, for it to judge.
void CheckUploads(const ScoreFile& file, const SiteIdentity& site, const SiteMonth& month,
                  const std::vector<Upload>& uploads) {
  std::set<std::string> players;
  for (const Upload& upload : uploads) {
    fuzz::Require(!upload.player.empty() && AllPrintable(upload.player) &&
                      upload.player.back() != ' ' && upload.player.size() <= E::kPlayerWidth,
                  "an uploaded player is printable, trimmed and within its width");
    fuzz::Require(players.insert(upload.player).second, "one upload per player");
    fuzz::Require(MonthOf(upload.lastDate) == month.month, "only the league's month is uploaded");
    fuzz::Require(AllPrintable(upload.plays) && upload.plays.size() <= E::kPlaysWidth &&
                      AllPrintable(upload.gameCode) && upload.gameCode.size() <= E::kGameCodeWidth,
                  "uploaded texts are printable and within their width");
    bool fromOwnEntry = std::any_of(
        file.entries.begin(), file.entries.end(), [&](const CompetitionRecordBytes& record) {
          CompetitionEntry entry = DecodeCompetitionEntry(record);
          return IsOwnEntry(record, site) && entry.score == upload.score &&
                 TrimmedPrintable(entry.player, E::kPlayerWidth) == upload.player;
        });
    fuzz::Require(fromOwnEntry, "only this site's entries are uploaded");
  }
}

// This site's entries come first, byte for byte but for the league's loc.
std::size_t CheckOwnEntries(const ScoreFile& file, const ScoreFile& merged,
                            const SiteIdentity& site) {
  std::string loc = PrintableText(site.loc, E::kLocWidth);
  loc.resize(E::kLocWidth, ' ');
  std::size_t own = 0;
  for (const CompetitionRecordBytes& entry : file.entries) {
    if (!IsOwnEntry(entry, site)) continue;
    fuzz::Require(own < merged.entries.size(), "this site's entries are kept");
    std::span<const std::uint8_t> before(entry), after(merged.entries[own++]);
    fuzz::Require(
        SameBytes(before.first(entry_layout::kLoc), after.first(entry_layout::kLoc)) &&
            SameBytes(before.subspan(entry_layout::kPlays), after.subspan(entry_layout::kPlays)),
        "this site's entries keep their bytes");
    fuzz::Require(fields::GetText(after, entry_layout::kLoc, E::kLocWidth) == loc,
                  "this site's entries carry the league's loc");
  }
  return own;
}

// Everything else came from the league: printable texts cut to their fields, sane scores.
double CheckOtherEntries(const ScoreFile& merged, std::size_t own, const SiteIdentity& site,
                         std::size_t rows) {
  fuzz::Require(merged.entries.size() - own <= rows, "no more entries than the league sent");
  double best = -1;
  for (std::size_t i = own; i < merged.entries.size(); ++i) {
    std::span<const std::uint8_t> entry(merged.entries[i]);
    fuzz::Require(!IsOwnEntry(merged.entries[i], site),
                  "the league cannot write this site's entries");
    fuzz::Require(AllPrintable(entry.first(kScoreAt)) && AllPrintable(entry.subspan(kScoreEnd)),
                  "the league's texts are printable");
    double score = fields::GetDouble(entry, kScoreAt);
    fuzz::Require(SaneScore(score), "the league's scores are sane");
    fuzz::Require(!Blank(entry.subspan(entry_layout::kSite, E::kSiteWidth)) &&
                      !Blank(entry.subspan(entry_layout::kPlayer, E::kPlayerWidth)),
                  "the league's entries name a site and a player");
    best = std::max(best, score);
  }
  return best;
}

// The header changes only in its code and its leader, who is the best of the month.
void CheckHeader(const ScoreFile& file, const ScoreFile& merged, double best) {
  fuzz::Require(merged.header.has_value(), "the merged file has a header");
  std::span<const std::uint8_t> after(*merged.header);
  CompetitionHeader header = DecodeCompetitionHeader(after);
  fuzz::Require(header.headerCode == kExchangedCode, "the header says the exchange is done");
  fuzz::Require(AllPrintable(header.beatName) && AllPrintable(header.beatSite),
                "the leader's texts are printable");
  if (best < 0)
    fuzz::Require(
        TrimmedPrintable(header.beatName, H::kBeatNameWidth) == kNoLeader && header.beatScore == 0,
        "no leader without a score");
  else
    fuzz::Require(header.beatScore == best, "the leader has the best score");
  if (!file.header) return;
  std::span<const std::uint8_t> before(*file.header);
  constexpr std::size_t kCodeAt = 22, kVersionAt = 49, kBeatSiteAt = 76, kTailAt = 111;
  fuzz::Require(SameBytes(before.first(kCodeAt), after.first(kCodeAt)) &&
                    SameBytes(before.subspan(kVersionAt, kScoreAt - kVersionAt),
                              after.subspan(kVersionAt, kScoreAt - kVersionAt)) &&
                    SameBytes(before.subspan(kScoreEnd, kBeatSiteAt - kScoreEnd),
                              after.subspan(kScoreEnd, kBeatSiteAt - kScoreEnd)) &&
                    SameBytes(before.subspan(kTailAt), after.subspan(kTailAt)),
                "the header keeps the bytes the exchange does not write");
}

void CheckExchange(const std::uint8_t* data, std::size_t size) {
  std::size_t length = data[1] % (kMostRecords + 1) * kCompetitionRecordSize +
                       (data[2] % 2 == 1 ? data[2] % kCompetitionRecordSize : 0);
  std::string_view rest = fuzz::Bytes(data + kLead, size - kLead);
  std::string_view bytes = rest.substr(0, length);
  ScoreFile file =
      ParseScoreFile({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  CheckParse(bytes, file);

  SiteIdentity site = SiteFrom(data, file);
  SiteMonth month{2026, data[0] % 16 % 12 + 1};
  // Every player of the file played this month, so that the entries alone decide.
  MonthPlayers players;
  for (const CompetitionRecordBytes& entry : file.entries)
    players.emplace(ComparableName(fields::GetText(entry, entry_layout::kPlayer, E::kPlayerWidth)),
                    std::nullopt);
  std::vector<Upload> uploads = UploadsFrom(file, site, month, players);
  CheckUploads(file, site, month, uploads);

  std::vector<LeagueRow> rows = RowsFrom(rest.substr(bytes.size()));
  ScoreFile merged = MergedScoreFile(file, site, uploads, rows);
  fuzz::Require(ScoreFileBytes(merged).size() % kCompetitionRecordSize == 0,
                "the merged file is whole records");
  std::size_t own = CheckOwnEntries(file, merged, site);
  double best = CheckOtherEntries(merged, own, site, rows.size());
  for (const Upload& upload : uploads) best = std::max(best, upload.score);
  CheckHeader(file, merged, best);
}

// Settings are taken only when every line would be taken on its own, and a refusal names the
// first line that would not.
void CheckSettings(std::string_view text) {
  SettingsReading whole = ParseSettings(text);
  fuzz::Require(whole.settings.has_value() == whole.error.empty(),
                "settings come with no error, an error with no settings");
  // A byte-order mark belongs to the file, not to its first line; each line is read below
  // after a blank one so that a mark starting a later line stays part of it.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::vector<std::string> lines = Split(text, '\n');
  // A key given twice is bad only beside its first line.
  if (whole.error.find(" is given twice") != std::string::npos) return;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bool league = ParseSettings("\n" + lines[i]).settings.has_value();
    bool taken = league || ParseSettings("\n" + lines[i] + "\nleague = fuzz").settings.has_value();
    std::string named = "line " + std::to_string(i + 1) + ": ";
    if (whole.error.rfind(named, 0) == 0) {
      fuzz::Require(!taken, "a line reported as bad is bad on its own");
      return;
    }
    fuzz::Require(taken, "no bad line is taken");
    if (whole.settings) fuzz::Require(LineMayBeTaken(lines[i]), "only known keys are taken");
  }
  if (!whole.settings) return;
  const LeagueSettings& settings = *whole.settings;
  fuzz::Require(!settings.league.empty() && settings.others >= 1 && settings.others <= 5000 &&
                    settings.timeoutSeconds >= 1 && settings.timeoutSeconds <= 600,
                "taken settings are in range");
}

// A month's data kept from an earlier publication names sane winners, or is told unreadable
// with its reason.
void CheckKeptMonth(std::string_view text) {
  KeptMonth kept = ReadKeptMonth(text);
  fuzz::Require((kept.state == KeptMonth::State::kUnreadable) == !kept.why.empty(),
                "unreadable data, and only that, comes with a reason");
  fuzz::Require(kept.state == KeptMonth::State::kFinal || kept.winners.empty(),
                "only final data names winners");
  for (const Leader& winner : kept.winners)
    fuzz::Require(SaneScore(winner.score) && !winner.player.empty() &&
                      AllPrintable(winner.player) && !winner.site.empty() &&
                      AllPrintable(winner.site) && AllPrintable(winner.loc),
                  "a kept winner is a player the league could have sent");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckSettings(fuzz::Bytes(data, size));
  CheckKeptMonth(fuzz::Bytes(data, size));
  if (size >= kLead) CheckExchange(data, size);
  return 0;
}
