#include "exchange/league_client.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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
    // Whatever the file holds goes in a form the server reads, for the league to judge.
    if (std::isnan(upload.score))
      std::snprintf(number, sizeof number, "NaN");
    else
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

// Takes out of sent the entries at the positions (from 1) that the league's answer names.
// A league of before it named them answers with a count, and refused a bad upload whole.
std::size_t TakeOutRefused(const std::string& answer, std::vector<Upload>& sent) {
  if (answer.size() < 2 || answer.front() != '{') return 0;
  std::vector<bool> refused(sent.size(), false);
  std::size_t count = 0;
  for (std::size_t at = 1; at < answer.size() - 1;) {
    std::size_t position = std::strtoul(answer.c_str() + at, nullptr, 10);
    if (position >= 1 && position <= sent.size() && !refused[position - 1]) {
      refused[position - 1] = true;
      ++count;
    }
    at = answer.find(',', at);
    at = at == std::string::npos ? answer.size() : at + 1;
  }
  std::vector<Upload> taken;
  for (std::size_t i = 0; i < sent.size(); ++i)
    if (!refused[i]) taken.push_back(std::move(sent[i]));
  sent = std::move(taken);
  return count;
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
  std::vector<Upload>& sent = result->sent;
  Rows answer;
  if (!sent.empty() &&
      !league.Run(kUpload,
                  {request.month.FirstDay(), ColumnOf(sent, &Upload::player), ScoreArray(sent),
                   ColumnOf(sent, &Upload::lastDate), ColumnOf(sent, &Upload::plays),
                   ColumnOf(sent, &Upload::gameCode)},
                  &answer, error))
    return false;
  if (!answer.empty() && !answer[0].empty()) result->refused = TakeOutRefused(answer[0][0], sent);
  return FetchStandings(league, request.month, request.others, true, &result->others, error) &&
         league.RunScript("COMMIT", error);
}

bool FetchLeagueName(PgConnection& league, std::string* name, std::string* error) {
  Rows rows;
  // A league not yet brought up to date has no name but its database's.
  if (!league.Run("SELECT league.league_name()", {}, &rows, error) &&
      !league.Run("SELECT current_database()", {}, &rows, error))
    return false;
  *name = rows.at(0).at(0);
  return true;
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
