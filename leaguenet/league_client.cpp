#include "league_client.h"

#include <cstdio>
#include <cstdlib>

namespace lexfray::leaguenet {

namespace {

constexpr const char* kIdentity =
    "SELECT s.name, s.loc, EXTRACT(MONTH FROM now() AT TIME ZONE 'UTC')::int,"
    " to_char(date_trunc('month', now() AT TIME ZONE 'UTC'), 'YYYY-MM-DD')"
    " FROM league.sites s WHERE s.role_name = current_user";

constexpr const char* kUpload =
    "INSERT INTO league.entries AS e (month, site, player, score, last_date, plays, game_code)"
    " SELECT $1::date, $2, u.player, u.score, u.last_date, u.plays, u.game_code"
    " FROM unnest($3::text[], $4::float8[], $5::text[], $6::text[], $7::text[])"
    "   AS u(player, score, last_date, plays, game_code)"
    " ON CONFLICT (month, site, player) DO UPDATE SET score = EXCLUDED.score,"
    " last_date = EXCLUDED.last_date, plays = EXCLUDED.plays, game_code = EXCLUDED.game_code, "
    "updated = now()";

constexpr const char* kOthers =
    "SELECT e.site, s.loc, e.player, e.score, e.last_date, e.plays, e.game_code"
    " FROM league.entries e JOIN league.sites s ON s.name = e.site"
    " WHERE e.month = $1::date AND e.site <> $2 ORDER BY e.score DESC LIMIT $3";

constexpr const char* kTable =
    "SELECT e.site, s.loc, e.player, e.score, e.last_date, e.plays, e.game_code"
    " FROM league.entries e JOIN league.sites s ON s.name = e.site"
    " WHERE e.month = $1::date ORDER BY e.score DESC, e.site, e.player LIMIT $2";

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

bool FetchIdentity(PgConnection& league, SiteIdentity* site, std::string* monthStart,
                   std::string* error) {
  Rows rows;
  if (!league.Run(kIdentity, {}, &rows, error)) return false;
  if (rows.empty() || rows[0].size() < 4) {
    *error = "these credentials are not a site of the league";
    return false;
  }
  site->name = rows[0][0];
  site->loc = rows[0][1];
  site->month = std::atoi(rows[0][2].c_str());
  *monthStart = rows[0][3];
  return true;
}

bool ExchangeWithLeague(PgConnection& league, const ScoreFile& file, int others, int timeoutSeconds,
                        ExchangeResult* result, std::string* error) {
  // The server gives up too when this side would.
  std::string begin =
      "BEGIN; SET LOCAL statement_timeout = " + std::to_string(timeoutSeconds * 1000);
  if (!league.RunScript(begin, error)) return false;
  std::string monthStart;
  if (!FetchIdentity(league, &result->site, &monthStart, error)) return false;
  result->sent = UploadsFrom(file, result->site);
  const std::vector<Upload>& sent = result->sent;
  if (!sent.empty() &&
      !league.Run(kUpload,
                  {monthStart, result->site.name, ColumnOf(sent, &Upload::player), ScoreArray(sent),
                   ColumnOf(sent, &Upload::lastDate), ColumnOf(sent, &Upload::plays),
                   ColumnOf(sent, &Upload::gameCode)},
                  nullptr, error))
    return false;
  Rows rows;
  if (!league.Run(kOthers, {monthStart, result->site.name, std::to_string(others)}, &rows, error))
    return false;
  if (!ReadRows(rows, &result->others)) {
    *error = "the league sent rows of an unknown form";
    return false;
  }
  return league.RunScript("COMMIT", error);
}

bool FetchStandings(PgConnection& league, const std::string& monthStart, int limit,
                    std::vector<LeagueRow>* rows, std::string* error) {
  Rows received;
  if (!league.Run(kTable, {monthStart, std::to_string(limit)}, &received, error)) return false;
  if (!ReadRows(received, rows)) {
    *error = "the league sent rows of an unknown form";
    return false;
  }
  return true;
}

}  // namespace lexfray::leaguenet
