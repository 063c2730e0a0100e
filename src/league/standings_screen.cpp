#include "league/standings_screen.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/action_reader.h"
#include "league/standings_file.h"

namespace lexfray {

namespace {

constexpr int kTitleRow = 1;
constexpr int kScoreToBeatRow = 3;
constexpr int kLabelsRow = 5;
constexpr int kLabelWidth = 14;  // "Score-To-Beat>", recoloured after the line is written
constexpr std::string_view kScoreToBeatLabel = "Score-To-Beat> ";
constexpr std::string_view kColumnLabels =
    "Player Name.............. Score  Plays  Originating From..................  LOC";

// One page holds rows kStandingsFirstRow to 21; reaching row 22 turns the page.
constexpr int kPageEndRow = 22;
constexpr int kNameColumn = 1;
constexpr int kScoreColumn = 26;
constexpr int kScoreWidth = 6;
constexpr int kPlaysColumn = 34;
constexpr std::size_t kScoreRoom = kPlaysColumn - kScoreColumn;
constexpr double kScoreRoomLimit = 1e8;  // the smallest whole score of more than kScoreRoom digits
constexpr int kSiteColumn = 41;
constexpr std::size_t kSiteShown = 34;
constexpr int kLocColumn = 77;
constexpr std::size_t kSiteCompared = 35;

std::string_view WithoutTrailingBlanks(std::string_view text) {
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

// Case matters here: an entry whose site differs from ours only in letter case is shown
// as another site's, although the export would update it as ours.
bool IsThisSite(const StandingsEntry& entry, std::string_view siteName) {
  return WithoutTrailingBlanks(entry.site) ==
         WithoutTrailingBlanks(siteName.substr(0, std::min(siteName.size(), kSiteCompared)));
}

// The score right-aligned in its field, running on into the blanks before the plays when
// it is wider; a score wider still is shown in exponent form, so the row keeps its columns.
std::string ScoreColumnText(double score) {
  if (std::fabs(score) < kScoreRoomLimit)
    return RightAlignNumber(static_cast<std::int64_t>(score), kScoreWidth);
  return ExponentForm(score, kScoreRoom);
}

void ShowStandingsRow(Screen& screen, const StandingsEntry& entry, int row, bool thisSite) {
  PrintAt(screen, entry.name, thisSite ? kLightRed : kBrightWhite, kBlack, row, kNameColumn);
  PrintAt(screen, ScoreColumnText(entry.score), kLightRed, kBlack, row, kScoreColumn);
  PrintAt(screen, entry.plays, kLightCyan, kBlack, row, kPlaysColumn);
  PrintAt(screen, std::string_view(entry.site).substr(0, kSiteShown), kYellow, kBlack, row,
          kSiteColumn);
  PrintAt(screen, entry.loc, kYellow, kBlack, row, kLocColumn);
}

}  // namespace

std::string ScoreToBeatText(double beatScore) {
  if (!std::isfinite(beatScore)) return "0";
  if (beatScore == std::floor(beatScore) && std::fabs(beatScore) < kLargestWholeScore)
    return std::to_string(static_cast<std::int64_t>(beatScore));
  char digits[32];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, beatScore);
  return error == std::errc{} ? std::string(digits, end) : "0";
}

void ShowStandingsHeader(Screen& screen, const CompetitionHeader& header) {
  screen.SetColours(kLightGrey, kBlack);
  screen.Clear();
  std::string title = " " + std::string(kProgramCode) + " LeagueNET Standings ";
  PrintAt(screen, title, kBrightWhite, kRed, kTitleRow, 0, true);

  std::string line = std::string(kScoreToBeatLabel) + std::string(WithoutTrailingBlanks(header.beatName)) +
                     ", " + std::string(WithoutTrailingBlanks(header.beatSite)) + " " +
                     ScoreToBeatText(header.beatScore);
  // Long names from the file must not run on into the next row.
  if (line.size() > static_cast<std::size_t>(kColumns)) line.resize(kColumns);
  PrintAt(screen, line, kLightCyan, kBlack, kScoreToBeatRow, 0, true);
  screen.Recolour(kScoreToBeatRow, CentreColumn(line), kLabelWidth, kYellow, kBlack);

  PrintAt(screen, kColumnLabels, kBrightWhite, kRed, kLabelsRow, 1);
}

void ShowStandings(Io& io, const Settings& settings, CompetitionState& state) {
  std::string unread = LoadStandings(settings, state);
  ShowStandingsHeader(io.screen, state.header);
  int row = kStandingsFirstRow;
  // Standings that could not be read say why, rather than look like a month nobody played.
  std::string_view text;
  std::string why = "No standings: " + unread;
  if (!unread.empty()) text = why;
  // At most two rows, broken between words.
  for (int rows = 0; !text.empty() && rows < 2; ++rows) {
    std::size_t cut = text.size() <= kColumns ? text.size() : text.rfind(' ', kColumns);
    if (cut == std::string_view::npos || cut == 0) cut = std::min<std::size_t>(text.size(), kColumns);
    PrintAt(io.screen, text.substr(0, cut), kYellow, kBlack, row++, kNameColumn);
    text.remove_prefix(std::min(text.size(), cut + 1));
  }
  for (const StandingsEntry& entry : state.standings) {
    if (entry.score <= 0) continue;
    ShowStandingsRow(io.screen, entry, row, IsThisSite(entry, settings.siteName));
    if (row + 1 != kPageEndRow) {
      ++row;
      continue;
    }
    if (IsEndAnswer(PressEnterOrEndPrompt(io))) return;
    ShowStandingsHeader(io.screen, state.header);
    row = kStandingsFirstRow;
  }
  PressEnterPrompt(io);
}

}  // namespace lexfray
