// One connection to a PostgreSQL server, and the results of its statements,
// each owned by one object (PQfinish, PQclear on destruction). Every failure
// is raised as a ServerError (pg_errors.h): the engine's number, a cause
// naming the server (host, port, database), the SQLSTATE, libpq's or the
// server's words and the diagnostic fields.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <libpq-fe.h>

namespace hostdb::postgres {

// A statement's parameter: its text, or Null. Parameters are sent as text
// and typed by the server from the statement, as the layer's literals are.
using Param = std::optional<std::string>;

// What a statement gave: its rows as text (the text result format).
class PgResult {
 public:
  explicit PgResult(PGresult* result) : result_(result) {}
  int rows() const { return PQntuples(result_.get()); }
  int columns() const { return PQnfields(result_.get()); }
  bool isNull(int row, int column) const { return PQgetisnull(result_.get(), row, column) != 0; }
  // The value's text ("" for a Null).
  std::string_view text(int row, int column) const;
  std::string_view columnName(int column) const { return PQfname(result_.get(), column); }
  // Rows an INSERT, UPDATE or DELETE touched (0 for other statements).
  std::int64_t affectedRows() const;
  PGresult* get() const { return result_.get(); }

 private:
  struct Clear {
    void operator()(PGresult* result) const { PQclear(result); }
  };
  std::unique_ptr<PGresult, Clear> result_;
};

// "program@machine": how a session names itself to the server
// (application_name, seen in pg_stat_activity), so that the holder of a lock
// can be named.
std::string applicationName(std::string_view program, std::string_view machine);

class PgConnection;

// Runs `work` between BEGIN and COMMIT on `db`; when it (or the commit)
// raises, the transaction is rolled back, a connection already gone passed
// over, and the failure goes on.
void inTransaction(PgConnection& db, const std::function<void()>& work);

class PgConnection {
 public:
  // How long a connection may take when the connection string sets no
  // connect_timeout.
  static constexpr int kDefaultConnectSeconds = 15;
  // Statements kept prepared at once; the least recently used goes first.
  static constexpr std::size_t kMostPrepared = 64;

  // Connects to the server `conninfo` names (taken as it is: a dbname value
  // is never read as a connection string of its own), as `application`
  // (overriding the string's application_name), in UTF-8. `display` names
  // the host as the user knows it (the descriptor file), for the errors'
  // descriptions. Raises: a string libpq does not parse ->
  // kUnrecognizedFormat; a server that cannot be reached or the time spent ->
  // kNetworkOrDiskError; a refused log-on -> kNotValidAccount; no such
  // database -> kCannotFindFile; and so on by pg_errors.h. `settings`:
  // server settings for the session ("-c name=value ..."), sent with the
  // log-on instead of in a round trip of their own. `mostConnectSeconds`
  // bounds the time connecting may take, whatever the string says.
  PgConnection(std::string_view conninfo, std::string_view application, std::string display = {},
               std::string_view settings = {}, std::optional<int> mostConnectSeconds = {});
  PgConnection(PgConnection&&) noexcept = default;
  PgConnection& operator=(PgConnection&&) noexcept = default;
  ~PgConnection() = default;

  // Runs `sql`. Without parameters it may hold several statements (the
  // result is the last one's); with them, one statement whose $1, $2, ...
  // take `params`.
  PgResult exec(std::string_view sql, std::span<const Param> params = {});
  PgResult exec(std::string_view sql, std::initializer_list<Param> params) {
    return exec(sql, std::span<const Param>(params.begin(), params.size()));
  }

  // Runs the one statement `sql` as a prepared statement: prepared on its
  // first run and kept, by its text, for the next ones.
  PgResult run(std::string_view sql, std::span<const Param> params = {});
  PgResult run(std::string_view sql, std::initializer_list<Param> params) {
    return run(sql, std::span<const Param>(params.begin(), params.size()));
  }

  // How long the connection waits for a word from the server while a
  // statement runs before it takes the link or the server for gone (3043,
  // and every later statement fails at once): a link that went silent ends
  // a run within seconds, even where nothing on the way closes it.
  static constexpr std::chrono::milliseconds kAnswerPatience{8000};
  void setAnswerPatience(std::chrono::milliseconds patience) { answerPatience_ = patience; }

  // A statement whose result is only checked: sent with the next statement
  // that is run (or flush()), in the same round trip. A failure of it is
  // raised by that call, and the statements after it in the round trip are
  // not run. One statement to a text.
  void defer(std::string sql, std::vector<Param> params = {});
  // Sends what is deferred now, raising its first failure.
  void flush();
  // Statements deferred and not yet sent.
  std::size_t deferredCount() const { return deferred_.size(); }
  // Forgets the deferred statements from the `from`th on, unsent.
  void dropDeferred(std::size_t from = 0) {
    if (from < deferred_.size()) deferred_.resize(from);
  }
  // Statements runTogether() and runEach() take (declared below).
  struct Statement;
  // The deferred statements from the `from`th on, taken back unsent.
  std::vector<Statement> takeDeferred(std::size_t from);
  // Round trips made so far: whether anything was sent since.
  std::uint64_t roundTrips() const { return roundTrips_; }

  // Statements, one to a text, run in one round trip: their results in
  // order. The first failure is raised, the statements after it not run.
  struct Statement {
    std::string sql;
    std::vector<Param> params;
  };
  std::vector<PgResult> runTogether(const std::vector<Statement>& statements);
  // The same up to the first failure, which is kept instead of raised: the
  // results before it, and the failure (what run() would raise) with the
  // failing statement's index; the statements after it were not run.
  struct Each {
    std::vector<PgResult> results;
    std::exception_ptr failure;
    std::size_t failedAt = 0;
  };
  Each runEach(const std::vector<Statement>& statements);

  // Runs `sql`, a COPY ... FROM STDIN, and sends it what `fill` appends to
  // its argument (COPY's text format), one call after another until `fill`
  // returns false. When `fill` raises, the COPY is ended as failed and what
  // `fill` raised goes on. Returns the rows copied.
  std::int64_t copyIn(std::string_view sql, const std::function<bool(std::string& data)>& fill);

  // Statements kept prepared now.
  std::size_t preparedCount() const { return prepared_.size(); }

  // "host=... port=... dbname=...": the server, for causes.
  const std::string& server() const { return server_; }
  PGconn* get() const { return conn_.get(); }

 private:
  struct Finish {
    void operator()(PGconn* conn) const { PQfinish(conn); }
  };
  struct Prepared {
    std::string name;
    std::list<std::string>::iterator use;  // its place in uses_
  };

  // One message of a round trip: a statement with its parameters, the
  // preparation of a statement, or a run of a prepared one.
  struct Step {
    enum class Kind { Query, Prepare, RunPrepared } kind;
    std::string sql;   // the statement's text
    std::string name;  // Prepare, RunPrepared: the prepared statement's name
    std::vector<Param> params;
  };
  // Sends `steps` in one round trip (pipeline mode, one sync) and reads
  // their results; raises the first failure. The results of the steps for
  // which `keep` is true, in order.
  std::vector<PgResult> roundTrip(std::vector<Step> steps, const std::vector<bool>& keep);
  // The round trip itself: every step's result up to the first failure
  // (aborted steps' too), and that failure.
  struct Trip {
    std::vector<PgResult> results;  // in order, the failure's left out
    std::optional<PgResult> failure;
    std::size_t failedAt = 0;
  };
  Trip trip(std::vector<Step>& steps);
  bool send(const Step& step);
  void awaitSync();
  // What is deferred, then `last`, in one round trip: the last step's result.
  PgResult withDeferred(std::vector<Step> last);
  void forgetPrepared(const std::string& sql);
  // Raises the refusal of parameters libpq cannot send as they are.
  void checkParams(std::span<const Param> params, std::string_view sql) const;

  // The result, or the ServerError its failure is.
  PgResult checked(PGresult* result, std::string_view sql) const;
  [[noreturn]] void raiseFailure(const PGresult* result, std::string_view sql) const;
  // The answer to what was just sent (`sent` false: sending failed), within
  // the answer patience: the last result, or the first failure's. `one`:
  // the first result only (a pipeline's sync, which no end follows).
  PGresult* awaitResult(bool sent, std::string_view sql, bool one = false);
  [[noreturn]] void raiseUnanswered(std::string_view sql);

  std::unique_ptr<PGconn, Finish> conn_;
  std::string display_;
  std::string server_;
  std::unordered_map<std::string, Prepared> prepared_;
  std::list<std::string> uses_;  // statement texts, most recently run first
  std::uint64_t nextStatement_ = 0;
  std::chrono::milliseconds answerPatience_ = kAnswerPatience;
  bool lost_ = false;  // an answer did not come: nothing more is sent
  std::vector<Step> deferred_;
  std::uint64_t roundTrips_ = 0;
};

}  // namespace hostdb::postgres
