#include "edge/pg_connection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace lexfray::leaguenet {

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

bool Has(const Options& options, std::string_view keyword) {
  return std::any_of(options.begin(), options.end(),
                     [&](const auto& option) { return option.first == keyword; });
}

// The root certificate when nothing names one: libpq's own (~/.postgresql/root.crt) for a
// caller who keeps one, else the system's roots; always the system's for a run with
// another's group, which trusts nothing of the caller's.
std::string DefaultRoots(const ConnectPolicy& policy) {
  const char* home = std::getenv("HOME");
  struct stat status {};
  bool own = !policy.distrustEnvironment && home &&
             ::stat((std::string(home) + "/.postgresql/root.crt").c_str(), &status) == 0;
  return own ? "" : std::string(kSystemRoots);
}

// The options of the connection string, with the defaults that keep it safe: TLS that
// checks the server's name and certificate unless the settings say otherwise. A service's
// own settings are only known to libpq, which takes the environment's for whatever the
// service leaves open: the defaults go there, replacing the caller's.
bool OptionsOf(const std::string& conninfo, const ConnectPolicy& policy, Options& options,
               std::string* error) {
  char* parseError = nullptr;
  PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), &parseError);
  if (!parsed) {
    *error = "the league setting is no connection string: " +
             FirstLine(parseError ? parseError : "out of memory");
    PQfreemem(parseError);
    return false;
  }
  for (PQconninfoOption* option = parsed; option->keyword; ++option)
    if (option->val) options.emplace_back(option->keyword, option->val);
  PQconninfoFree(parsed);
  std::string roots = DefaultRoots(policy);
  if (Has(options, "service")) {
    ::setenv("PGSSLMODE", "verify-full", 1);
    if (!roots.empty()) ::setenv("PGSSLROOTCERT", roots.c_str(), 1);
  } else {
    if (!Has(options, "sslmode")) options.emplace_back("sslmode", "verify-full");
    if (!Has(options, "sslrootcert") && !roots.empty()) options.emplace_back("sslrootcert", roots);
  }
  if (!Has(options, "application_name")) options.emplace_back("application_name", "leaguenet");
  return true;
}

void AppendRows(const PGresult* result, Rows* rows) {
  int columns = PQnfields(result);
  for (int r = 0; r < PQntuples(result); ++r) {
    std::vector<std::string>& row = rows->emplace_back();
    for (int c = 0; c < columns; ++c)
      row.emplace_back(PQgetvalue(result, r, c), PQgetlength(result, r, c));
  }
}

}  // namespace

bool IsConnectionString(const std::string& conninfo, std::string* error) {
  char* parseError = nullptr;
  PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), &parseError);
  if (!parsed) *error = "no connection string: " + FirstLine(parseError ? parseError : "");
  PQfreemem(parseError);
  PQconninfoFree(parsed);
  return parsed != nullptr;
}

std::string ConninfoPair(std::string_view keyword, std::string_view value) {
  std::string pair = std::string(keyword) + "='";
  for (char c : value) {
    if (c == '\'' || c == '\\') pair += '\\';
    pair += c;
  }
  return pair + "'";
}

std::string WithDatabase(const std::string& conninfo, const std::string& database) {
  PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), nullptr);
  if (!parsed) return "";
  std::string text;
  for (PQconninfoOption* option = parsed; option->keyword; ++option)
    if (option->val && std::string_view(option->keyword) != "dbname")
      text += ConninfoPair(option->keyword, option->val) + " ";
  PQconninfoFree(parsed);
  return text + ConninfoPair("dbname", database);
}

std::string FirstLine(std::string_view message) {
  for (std::string_view lead : {"ERROR:  ", "FATAL:  "})
    if (message.substr(0, lead.size()) == lead) message.remove_prefix(lead.size());
  std::string line(message.substr(0, message.find('\n')));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line.empty() ? "the league gave no reason" : line;
}

std::string TakeFatalState(std::string& message) {
  constexpr std::string_view kFatal = "FATAL:  ";
  constexpr std::size_t kStateWidth = 5;
  std::string state;
  for (std::size_t at = message.find(kFatal); at != std::string::npos;
       at = message.find(kFatal, at + 1)) {
    std::size_t code = at + kFatal.size();
    std::string_view rest = std::string_view(message).substr(code);
    if (rest.size() < kStateWidth + 2 || rest.substr(kStateWidth, 2) != ": " ||
        !std::all_of(rest.begin(), rest.begin() + kStateWidth,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }))
      continue;
    state = std::string(rest.substr(0, kStateWidth));
    message.erase(code, kStateWidth + 2);
  }
  return state;
}

std::unique_ptr<PgConnection> PgConnection::Open(const std::string& conninfo,
                                                 const ConnectPolicy& policy, Deadline deadline,
                                                 std::string* error, std::string* failedState) {
  Options options;
  if (!OptionsOf(conninfo, policy, options, error)) return nullptr;
  std::vector<const char*> keywords;
  std::vector<const char*> values;
  for (const auto& [keyword, value] : options) {
    keywords.push_back(keyword.c_str());
    values.push_back(value.c_str());
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);

  PGconn* started = PQconnectStartParams(keywords.data(), values.data(), 0);
  if (!started) {
    *error = "out of memory";
    return nullptr;
  }
  std::unique_ptr<PgConnection> connection(new PgConnection(started, deadline));
  // libpq keeps the SQLSTATE of a refused connection only in the verbose form of its message.
  PQsetErrorVerbosity(started, PQERRORS_VERBOSE);
  PostgresPollingStatusType state =
      PQstatus(started) == CONNECTION_BAD ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING;
  while (state != PGRES_POLLING_OK) {
    if (state == PGRES_POLLING_FAILED) {
      std::string message = PQerrorMessage(started);
      std::string sqlState = TakeFatalState(message);
      if (failedState) *failedState = sqlState;
      *error = "cannot connect to the league: " + FirstLine(message);
      return nullptr;
    }
    if (!connection->WaitFor(state == PGRES_POLLING_WRITING, error)) {
      *error = "cannot connect to the league: " + *error;
      return nullptr;
    }
    state = PQconnectPoll(started);
  }
  PQsetErrorVerbosity(started, PQERRORS_DEFAULT);
  PQsetnonblocking(started, 1);
  // "already exists, skipping" and the like are no news to the person at the terminal.
  PQsetNoticeProcessor(
      started, [](void*, const char*) {}, nullptr);
  return connection;
}

PgConnection::~PgConnection() {
  PQfinish(connection_);
}

bool PgConnection::WaitFor(bool forWriting, std::string* error) {
  for (;;) {
    // Rounded up: a wait that ended a fraction of a millisecond early would be reported as a
    // failure of its own rather than as the time limit.
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    if (left <= 0) {
      *error = "no answer within the time limit";
      return false;
    }
    pollfd socket{PQsocket(connection_), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    if (socket.fd < 0) {
      *error = "the connection is gone";
      return false;
    }
    int ready = ::poll(&socket, 1, static_cast<int>(std::min<long long>(left, 1000 * 1000)));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) {
      *error = "cannot wait for the league";
      return false;
    }
  }
}

bool PgConnection::Flush(std::string* error) {
  for (int pending = PQflush(connection_); pending != 0; pending = PQflush(connection_)) {
    if (pending < 0) {
      *error = FirstLine(PQerrorMessage(connection_));
      return false;
    }
    if (!WaitFor(true, error)) return false;
    if (!PQconsumeInput(connection_)) {
      *error = FirstLine(PQerrorMessage(connection_));
      return false;
    }
  }
  return true;
}

bool PgConnection::AwaitResult(std::string* error) {
  while (PQisBusy(connection_)) {
    if (!WaitFor(false, error)) return false;
    if (!PQconsumeInput(connection_)) {
      *error = FirstLine(PQerrorMessage(connection_));
      return false;
    }
  }
  return true;
}

// The first failure of a statement's results is the one reported.
void PgConnection::NoteFailure(const PGresult* result, std::string* failure) {
  if (!failure->empty()) return;
  *failure = FirstLine(PQresultErrorMessage(result));
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  failedState_ = state ? state : "";
}

bool PgConnection::Send(bool sent, Rows* rows, std::string* error) {
  failedState_.clear();
  if (!sent) {
    *error = FirstLine(PQerrorMessage(connection_));
    return false;
  }
  if (!Flush(error)) return false;
  // Every result of the statements is read, so the connection is ready for the next.
  std::string failure;
  for (;;) {
    if (!AwaitResult(error)) return false;
    PGresult* result = PQgetResult(connection_);
    if (!result) break;
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) NoteFailure(result, &failure);
    if (rows && status == PGRES_TUPLES_OK) AppendRows(result, rows);
    PQclear(result);
  }
  if (!failure.empty()) *error = failure;
  return failure.empty();
}

bool PgConnection::Run(std::string_view sql, const std::vector<std::string>& params, Rows* rows,
                       std::string* error) {
  std::string statement(sql);
  std::vector<const char*> values;
  for (const std::string& param : params) values.push_back(param.c_str());
  bool sent = PQsendQueryParams(connection_, statement.c_str(), static_cast<int>(values.size()),
                                nullptr, values.data(), nullptr, nullptr, 0) == 1;
  return Send(sent, rows, error);
}

bool PgConnection::RunEach(std::string_view sql, const std::vector<std::string>& params,
                           const RowSink& each, std::string* error) {
  failedState_.clear();
  std::string statement(sql);
  std::vector<const char*> values;
  for (const std::string& param : params) values.push_back(param.c_str());
  if (PQsendQueryParams(connection_, statement.c_str(), static_cast<int>(values.size()), nullptr,
                        values.data(), nullptr, nullptr, 0) != 1 ||
      PQsetSingleRowMode(connection_) != 1) {
    *error = FirstLine(PQerrorMessage(connection_));
    return false;
  }
  if (!Flush(error)) return false;
  std::string failure;
  bool taking = true;
  std::vector<std::string_view> row;
  for (;;) {
    if (!AwaitResult(error)) return false;
    PGresult* result = PQgetResult(connection_);
    if (!result) break;
    ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_SINGLE_TUPLE && taking) {
      row.clear();
      for (int c = 0; c < PQnfields(result); ++c)
        row.emplace_back(PQgetvalue(result, 0, c), PQgetlength(result, 0, c));
      taking = each(row);
    } else if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK) {
      NoteFailure(result, &failure);
    }
    PQclear(result);
  }
  if (!failure.empty()) *error = failure;
  return failure.empty() && taking;
}

bool PgConnection::RunScript(std::string_view sql, Rows* rows, std::string* error) {
  std::string script(sql);
  return Send(PQsendQuery(connection_, script.c_str()) == 1, rows, error);
}

bool PgConnection::TlsInUse() const {
  return PQsslInUse(connection_) == 1;
}

std::string PgConnection::TlsVersion() const {
  const char* version = PQsslAttribute(connection_, "protocol");
  return version ? version : "";
}

std::string PgConnection::ServerVersion() const {
  const char* version = PQparameterStatus(connection_, "server_version");
  return version ? version : "";
}

std::string PgConnection::Option(std::string_view keyword) const {
  std::string value;
  PQconninfoOption* used = PQconninfo(connection_);
  for (PQconninfoOption* option = used; option && option->keyword; ++option)
    if (keyword == option->keyword && option->val) value = option->val;
  PQconninfoFree(used);
  return value;
}

std::string PgConnection::QuoteIdentifier(std::string_view name) const {
  char* quoted = PQescapeIdentifier(connection_, name.data(), name.size());
  std::string text = quoted ? quoted : "";
  PQfreemem(quoted);
  return text;
}

std::string PgConnection::QuoteLiteral(std::string_view text) const {
  char* quoted = PQescapeLiteral(connection_, text.data(), text.size());
  std::string literal = quoted ? quoted : "";
  PQfreemem(quoted);
  return literal;
}

std::string PgConnection::EncryptedPassword(const std::string& password,
                                            const std::string& role) const {
  char* encrypted = PQencryptPasswordConn(connection_, password.c_str(), role.c_str(), nullptr);
  std::string text = encrypted ? encrypted : "";
  PQfreemem(encrypted);
  return text;
}

}  // namespace lexfray::leaguenet
