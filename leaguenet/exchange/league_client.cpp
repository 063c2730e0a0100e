#include "exchange/league_client.h"

#include <cstdio>

namespace lexfray::leaguenet {

namespace {

constexpr const char* kIdentity =
    "SELECT name, loc, to_char(today, 'YYYY-MM-DD') FROM league.calling_site()";

constexpr const char* kUpload =
    "SELECT league.upload($1::date, $2::text[], $3::float8[], $4::text[], $5::text[], $6::text[])";

constexpr const char* kStandings =
    "SELECT site, loc, player, score, last_date, plays, game_code"
    " FROM league.standings($1::date, $2::integer, $3::boolean)";

// A PostgreSQL array literal of texts that are printable already.
std::string TextArray(const std::vector<std::string>& texts) {
  std::string literal = "{";
  for (const std::string& text : texts) {
    if (literal.size() > 1) literal += ',';
    literal += '"';
    for (char c : text) {
      if (c == '"' || c == '\\') literal += '\\';
      literal += c;
    }
    literal += '"';
  }
  return literal + "}";
}

std::string ScoreArray(const std::vector<Upload>& uploads) {
  std::string literal = "{";
  for (const Upload& upload : uploads) {
    char number[32];
    std::snprintf(number, sizeof number, "%.17g", upload.score);
    if (literal.size() > 1) literal += ',';
    literal += number;
  }
  return literal + "}";
}

template <typename Field>
std::string ColumnOf(const std::vector<Upload>& uploads, Field field) {
  std::vector<std::string> texts;
  for (const Upload& upload : uploads) texts.push_back(upload.*field);
  return TextArray(texts);
}

bool ReadRows(const Rows& rows, std::vector<LeagueRow>* into) {
  for (const std::vector<std::string>& columns : rows) {
    std::optional<LeagueRow> row = RowFromColumns(columns);
    if (!row) return false;
    into->push_back(*row);
  }
  return true;
}

}  // namespace

bool FetchIdentity(PgConnection& league, SiteIdentity* site, std::string* error,
                   std::string* leagueDate) {
  Rows rows;
  if (!league.Run(kIdentity, {}, &rows, error)) return false;
  if (rows.empty() || rows[0].size() < 3) {
    *error = "these credentials are not a site of the league";
    return false;
  }
  site->name = rows[0][0];
  site->loc = rows[0][1];
  if (leagueDate) *leagueDate = rows[0][2];
  return true;
}

bool ExchangeWithLeague(PgConnection& league, const ExchangeRequest& request,
                        ExchangeResult* result, std::string* error) {
  // The server gives up too when this side would.
  std::string begin =
      "BEGIN; SET LOCAL statement_timeout = " + std::to_string(request.timeoutSeconds * 1000);
  if (!league.RunScript(begin, error)) return false;
  if (!FetchIdentity(league, &result->site, error)) return false;
  result->sent = UploadsFrom(request.file, result->site, request.month, request.players);
  const std::vector<Upload>& sent = result->sent;
  if (!sent.empty() &&
      !league.Run(kUpload,
                  {request.month.FirstDay(), ColumnOf(sent, &Upload::player), ScoreArray(sent),
                   ColumnOf(sent, &Upload::lastDate), ColumnOf(sent, &Upload::plays),
                   ColumnOf(sent, &Upload::gameCode)},
                  nullptr, error))
    return false;
  return FetchStandings(league, request.month, request.others, true, &result->others, error) &&
         league.RunScript("COMMIT", error);
}

bool FetchStandings(PgConnection& league, const SiteMonth& month, int limit, bool othersOnly,
                    std::vector<LeagueRow>* rows, std::string* error) {
  Rows received;
  if (!league.Run(kStandings,
                  {month.FirstDay(), std::to_string(limit), othersOnly ? "true" : "false"},
                  &received, error))
    return false;
  if (!ReadRows(received, rows)) {
    *error = "the league sent rows of an unknown form";
    return false;
  }
  return true;
}

}  // namespace lexfray::leaguenet
