#include "exchange/league_client.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "edge/system.h"

namespace lexfray::leaguenet {

namespace {

constexpr const char* kIdentity =
    "SELECT name, loc, to_char(today, 'YYYY-MM-DD') FROM league.calling_site()";

constexpr const char* kExchange =
    "SELECT refused, site, loc, player, score, last_date, plays, game_code FROM league.exchange("
    "$1::date, $2::text[], $3::float8[], $4::text[], $5::text[], $6::text[], $7::integer)";

// For a league whose organiser has not yet brought it up to date.
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

bool ReadRows(const Rows& rows, std::vector<LeagueRow>* into, std::size_t skip = 0) {
  for (const std::vector<std::string>& columns : rows) {
    if (columns.size() < skip) return false;
    std::optional<LeagueRow> row =
        RowFromColumns(std::vector<std::string>(columns.begin() + skip, columns.end()));
    if (!row) return false;
    into->push_back(*row);
  }
  return true;
}

std::vector<std::string> UploadParameters(const SiteMonth& month, const std::vector<Upload>& sent) {
  return {month.FirstDay(),
          ColumnOf(sent, &Upload::player),
          ScoreArray(sent),
          ColumnOf(sent, &Upload::lastDate),
          ColumnOf(sent, &Upload::plays),
          ColumnOf(sent, &Upload::gameCode)};
}

// The exchange as a league before league.exchange() takes it: the upload and the standings
// in one transaction.
bool ExchangeInSteps(PgConnection& league, const ExchangeRequest& request, ExchangeResult* result,
                     std::string* error) {
  std::vector<Upload>& sent = result->sent;
  Rows answer;
  if (!league.RunScript("BEGIN", error) ||
      (!sent.empty() &&
       !league.Run(kUpload, UploadParameters(request.month, sent), &answer, error)))
    return false;
  if (!answer.empty() && !answer[0].empty()) result->refused = TakeOutRefused(answer[0][0], sent);
  return FetchStandings(league, request.month, request.others, true, &result->others, error) &&
         league.RunScript("COMMIT", error);
}

// How long to wait before the next attempt when the league turned one away as full: up to
// twice as long as before, from 100 ms to at most 2 s, a part of that picked at random, so
// that the sites turned away together do not come back together.
std::chrono::milliseconds FullServerWait(int attempt, std::mt19937& random) {
  constexpr int kFirstMs = 100;
  constexpr int kLongestMs = 2000;
  int most = std::min(kLongestMs, kFirstMs << std::min(attempt - 1, 5));
  return std::chrono::milliseconds(std::uniform_int_distribution<int>(most / 4, most)(random));
}

bool IdentityFrom(const Rows& rows, SiteIdentity* site, std::string* error,
                  std::string* leagueDate = nullptr) {
  if (rows.empty() || rows[0].size() < 3) {
    *error = "these credentials are not a site of the league";
    return false;
  }
  site->name = rows[0][0];
  site->loc = rows[0][1];
  if (leagueDate) *leagueDate = rows[0][2];
  return true;
}

}  // namespace

bool FetchIdentity(PgConnection& league, SiteIdentity* site, std::string* error,
                   std::string* leagueDate) {
  Rows rows;
  return league.Run(kIdentity, {}, &rows, error) && IdentityFrom(rows, site, error, leagueDate);
}

std::unique_ptr<PgConnection> ConnectToLeague(const std::string& conninfo,
                                              const ConnectPolicy& policy, Deadline deadline,
                                              int* attempts, std::string* error) {
  std::mt19937 random(std::random_device{}());
  for (*attempts = 1;; ++*attempts) {
    std::string state;
    std::unique_ptr<PgConnection> league =
        PgConnection::Open(conninfo, policy, deadline, error, &state);
    if (league || state != kTooManyConnections) return league;
    std::chrono::milliseconds wait = FullServerWait(*attempts, random);
    if (Clock::now() + wait >= deadline) return nullptr;
    Pause(wait);
  }
}

std::string FullLeagueNote(int attempts) {
  return attempts < 2
             ? ""
             : " (" + std::to_string(attempts) + " attempts to connect: the league was full)";
}

bool ExchangeWithLeague(PgConnection& league, const ExchangeRequest& request,
                        ExchangeResult* result, std::string* error) {
  // The server gives up too when this side would.
  Rows identity;
  if (!league.RunScript("SET statement_timeout = " + std::to_string(request.timeoutSeconds * 1000) +
                            ";" + kIdentity,
                        &identity, error) ||
      !IdentityFrom(identity, &result->site, error))
    return false;
  result->sent = UploadsFrom(request.file, result->site, request.month, request.players);
  std::vector<std::string> parameters = UploadParameters(request.month, result->sent);
  parameters.push_back(std::to_string(request.others));
  Rows answer;
  if (!league.Run(kExchange, parameters, &answer, error))
    return league.FailedState() == kUndefinedFunction &&
           ExchangeInSteps(league, request, result, error);
  if (answer.empty() || answer[0].empty() ||
      !ReadRows(Rows(answer.begin() + 1, answer.end()), &result->others, 1)) {
    *error = "the league sent rows of an unknown form";
    return false;
  }
  result->refused = TakeOutRefused(answer[0][0], result->sent);
  return true;
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
