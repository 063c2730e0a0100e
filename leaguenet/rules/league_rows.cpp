#include "rules/league_rows.h"

#include <cstdlib>

#include "rules/safe_text.h"

namespace lexfray::leaguenet {

namespace {

using E = CompetitionEntry;

std::string Padded(const std::string& text, std::size_t width) {
  std::string padded = PrintableText(text, width);
  padded.resize(width, ' ');
  return padded;
}

}  // namespace

std::optional<double> ParseScore(const std::string& text) {
  // Plain decimal only, as the server writes a double; strtod alone would take hex too.
  if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string::npos)
    return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

std::optional<CompetitionEntry> EntryFromLeagueRow(const LeagueRow& row) {
  std::optional<double> score = ParseScore(row.score);
  if (!score || !IsSaneScore(*score)) return std::nullopt;
  if (TrimmedPrintable(row.site, E::kSiteWidth).empty() ||
      TrimmedPrintable(row.player, E::kPlayerWidth).empty())
    return std::nullopt;
  CompetitionEntry entry;
  entry.site = Padded(row.site, E::kSiteWidth);
  entry.player = Padded(row.player, E::kPlayerWidth);
  entry.score = *score;
  entry.gameCode = Padded(row.gameCode, E::kGameCodeWidth);
  entry.lastDate = Padded(row.lastDate, E::kDateWidth);
  entry.status.assign(1, ' ');
  entry.loc = Padded(row.loc, E::kLocWidth);
  entry.plays = RightAlignedPrintable(row.plays, E::kPlaysWidth);
  entry.filler = std::string(E::kFillerWidth, ' ');
  entry.reservedTail.fill(' ');
  return entry;
}

std::optional<LeagueRow> RowFromColumns(const std::vector<std::string>& columns) {
  if (columns.size() < 7) return std::nullopt;
  return LeagueRow{columns[0], columns[1], columns[2], columns[3],
                   columns[4], columns[5], columns[6]};
}

}  // namespace lexfray::leaguenet
