#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace lexfray::leaguenet {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

using Rows = std::vector<std::vector<std::string>>;  // a NULL column reads as empty text
// One row as views into the connection's buffer, valid during the call only.
using RowSink = std::function<bool(const std::vector<std::string_view>&)>;

// Where Debian keeps the public certificate authorities: what checks a league's certificate
// when nothing names another root.
inline constexpr std::string_view kSystemRoots = "/etc/ssl/certs/ca-certificates.crt";

// How a connection string is taken.
struct ConnectPolicy {
  // Run with a group that is not the caller's: PG* variables, the caller's service file
  // and root certificate must not redirect the connection or weaken its TLS.
  bool distrustEnvironment = false;
};

// One libpq connection in which every wait, the connection included, ends by a deadline
// whatever the network does.
class PgConnection {
 public:
  // Nothing on failure, with the reason in *error and the server's SQLSTATE, when it gave
  // one, in *failedState.
  static std::unique_ptr<PgConnection> Open(const std::string& conninfo,
                                            const ConnectPolicy& policy, Deadline deadline,
                                            std::string* error, std::string* failedState = nullptr);
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;
  ~PgConnection();

  // One statement with text parameters ($1, $2 ...); its rows into *rows when given.
  bool Run(std::string_view sql, const std::vector<std::string>& params, Rows* rows,
           std::string* error);
  // One statement whose rows are handed to each as they arrive, one at a time, without
  // being kept: the server sends while the caller works. When each refuses a row, the rest
  // are read and dropped, and the result is false.
  bool RunEach(std::string_view sql, const std::vector<std::string>& params, const RowSink& each,
               std::string* error);
  // Several statements without parameters, in one round trip; the rows of all into *rows.
  bool RunScript(std::string_view sql, std::string* error) {
    return RunScript(sql, nullptr, error);
  }
  bool RunScript(std::string_view sql, Rows* rows, std::string* error);
  // The SQLSTATE of the server's error that the last statement failed with; empty when it
  // did not fail, or failed without one (the connection, the time limit).
  const std::string& FailedState() const { return failedState_; }

  bool TlsInUse() const;
  std::string TlsVersion() const;
  std::string ServerVersion() const;
  // The value of a connection option as used (host, port, dbname, sslrootcert ...).
  std::string Option(std::string_view keyword) const;
  std::string QuoteIdentifier(std::string_view name) const;
  std::string QuoteLiteral(std::string_view text) const;
  // The password as the server keeps it (SCRAM), so the clear text never reaches its log.
  std::string EncryptedPassword(const std::string& password, const std::string& role) const;

 private:
  PgConnection(pg_conn* connection, Deadline deadline)
      : connection_(connection), deadline_(deadline) {}
  bool Send(bool sent, Rows* rows, std::string* error);
  void NoteFailure(const pg_result* result, std::string* failure);
  bool Flush(std::string* error);
  bool AwaitResult(std::string* error);
  bool WaitFor(bool forWriting, std::string* error);

  pg_conn* connection_;
  Deadline deadline_;
  std::string failedState_;
};

// Whether conninfo is a connection string libpq takes; false with the reason in *error.
bool IsConnectionString(const std::string& conninfo, std::string* error);

// keyword='value' as a connection string holds it, quotes and backslashes escaped.
std::string ConninfoPair(std::string_view keyword, std::string_view value);

// The connection string (or URI) with its database replaced; empty when it is none.
std::string WithDatabase(const std::string& conninfo, const std::string& database);

// The first line of a libpq or server message, without its "ERROR:  " or "FATAL:  " lead.
std::string FirstLine(std::string_view message);

// The SQLSTATE of the last "FATAL:  XXXXX: " in a message of libpq's verbose form, taken out
// of the message; empty when it holds none.
std::string TakeFatalState(std::string& message);

// SQLSTATEs that callers tell apart.
inline constexpr std::string_view kTooManyConnections = "53300";
inline constexpr std::string_view kUndefinedFunction = "42883";
inline constexpr std::string_view kLockNotAvailable = "55P03";

}  // namespace lexfray::leaguenet
