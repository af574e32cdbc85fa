#include "hostdb/postgres/pg_connection.h"

#include <chrono>
#include <cstdlib>
#include <utility>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/pg_errors.h"
#include "platform/socket_wait.h"

namespace hostdb::postgres {
namespace {

struct OptionsFree {
  void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsFree>;

// Keywords the connection sets itself, whatever the string says.
constexpr std::string_view kOwnKeywords[] = {"application_name", "client_encoding"};

bool isOwnKeyword(std::string_view keyword) {
  for (const std::string_view own : kOwnKeywords)
    if (keyword == own) return true;
  return false;
}

// What the connection sets where the string says nothing: a link that fails
// without a word (a cable pulled, the server's machine gone) ends the
// connection within about 15 s over TCP, by the kernel's keepalive probes
// while a statement waits (5 s idle, then 3 probes 2 s apart) and its user
// timeout while data goes unacknowledged, instead of after the system's two
// hours: the run is told (3043) rather than left hanging. A Unix socket
// ignores them.
struct Default {
  std::string_view keyword;
  const char* value;
};
constexpr Default kLinkDefaults[] = {
    {"keepalives", "1"},      {"keepalives_idle", "5"},      {"keepalives_interval", "2"},
    {"keepalives_count", "3"}, {"tcp_user_timeout", "15000"},
};

const char* linkDefault(std::string_view keyword) {
  for (const Default& d : kLinkDefaults)
    if (keyword == d.keyword) return d.value;
  return nullptr;
}

// The server's side of the same: its keepalive probes and user timeout end
// the session of a client whose link failed within about 15 s, so that the
// locks it held (a run's lock on the host, its transaction) go with it
// instead of keeping every other PC out for the system's two hours. Sent
// with the log-on (libpq's options), before the string's own options, which
// may change them.
constexpr std::string_view kServerLinkSettings =
    "-c tcp_keepalives_idle=5 -c tcp_keepalives_interval=2 -c tcp_keepalives_count=3"
    " -c tcp_user_timeout=15000";

std::string field(const PGresult* result, int code) {
  const char* value = result ? PQresultErrorField(result, code) : nullptr;
  return value ? value : "";
}

bool isStateChar(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

// The last SQLSTATE in a message written in the verbose form ("FATAL:  3D000:
// database ... does not exist"): what a failed log-on's code is, since libpq
// keeps no result for it.
std::string verboseSqlstate(std::string_view message) {
  std::string found;
  for (std::size_t at = message.find(":  "); at != std::string_view::npos;
       at = message.find(":  ", at + 1)) {
    const std::string_view rest = message.substr(at + 3);
    if (rest.size() >= 7 && rest.substr(5, 2) == ": ") {
      bool code = true;
      for (const char c : rest.substr(0, 5)) code = code && isStateChar(c);
      if (code) found = rest.substr(0, 5);
    }
  }
  return found;
}

// libpq's words on one line, without the source locations of the verbose
// form.
std::string oneLine(std::string_view message) {
  std::string out;
  while (!message.empty()) {
    const std::size_t end = message.find('\n');
    std::string_view line = message.substr(0, end);
    message = end == std::string_view::npos ? std::string_view() : message.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty() || line.starts_with("LOCATION:")) continue;
    if (!out.empty()) out.append(" / ");
    out.append(line);
  }
  return out;
}

std::string describeServer(const PGconn* conn) {
  std::string out;
  auto add = [&out](const char* keyword, const char* value) {
    if (value == nullptr || *value == '\0') return;
    if (!out.empty()) out.append(" ");
    out.append(keyword).append("=").append(value);
  };
  add("host", PQhost(conn));
  add("port", PQport(conn));
  add("dbname", PQdb(conn));
  add("user", PQuser(conn));
  return out;
}

// Seconds the connection may take, from connect_timeout (libpq's rule: none
// or a number below 1 waits without end; 1 is taken for 2).
int connectSeconds(const PQconninfoOption* options) {
  for (const PQconninfoOption* o = options; o->keyword; ++o) {
    if (std::string_view(o->keyword) != "connect_timeout" || o->val == nullptr || *o->val == '\0')
      continue;
    const long seconds = std::strtol(o->val, nullptr, 10);
    if (seconds <= 0) return -1;
    return seconds == 1 ? 2 : static_cast<int>(std::min(seconds, 86400L));
  }
  return PgConnection::kDefaultConnectSeconds;
}

// The time a connection may take, no longer than `most` when given.
int cappedSeconds(int seconds, std::optional<int> most) {
  if (!most) return seconds;
  return seconds < 0 ? *most : std::min(seconds, *most);
}

void discardNotice(void*, const char*) {}

// Whether the connection is gone after a failed statement. libpq may report
// the server's end before it marks the connection bad: when the server's
// side closed while the connection was idle (a server stopped or crashed),
// sending fails, and the status changes only at the next read. A failure
// without a SQLSTATE is libpq's own, so the connection is read once more to
// tell. A read that fails is a connection gone too: on Windows libpq marks
// the connection bad only for a reset, while a socket shut down or timed out
// by the keepalives (WSAESHUTDOWN, WSAETIMEDOUT) only fails each read.
bool connectionGone(PGconn* conn, const std::string& sqlstate) {
  if (PQstatus(conn) == CONNECTION_BAD) return true;
  if (!sqlstate.empty()) return false;
  if (PQconsumeInput(conn) == 0) return true;
  return PQstatus(conn) == CONNECTION_BAD;
}

// Drives a started connection to its end. False: failed, or out of time
// (then `timedOut`).
bool finishConnecting(PGconn* conn, int seconds, bool& timedOut) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
  PostgresPollingStatusType state = PGRES_POLLING_WRITING;
  for (;;) {
    if (state == PGRES_POLLING_OK) return true;
    if (state == PGRES_POLLING_FAILED) return false;
    int wait = -1;
    if (seconds >= 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left > 0 ? static_cast<int>(left) : 0;
    }
    const platform::SocketState ready =
        platform::waitForSocket(PQsocket(conn), state == PGRES_POLLING_WRITING, wait);
    if (ready == platform::SocketState::TimedOut) {
      timedOut = true;
      return false;
    }
    if (ready == platform::SocketState::Failed) return false;
    state = PQconnectPoll(conn);
  }
}

}  // namespace

void inTransaction(PgConnection& db, const std::function<void()>& work) {
  db.exec("BEGIN");
  try {
    work();
    db.exec("COMMIT");
  } catch (...) {
    try {
      db.exec("ROLLBACK");
    } catch (const EngineError&) {
      // The connection is gone: the server rolled back already.
    }
    throw;
  }
}

std::string_view PgResult::text(int row, int column) const {
  const char* value = PQgetvalue(result_.get(), row, column);
  return std::string_view(value, static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
}

std::int64_t PgResult::affectedRows() const {
  const char* tuples = PQcmdTuples(result_.get());
  return tuples && *tuples ? std::strtoll(tuples, nullptr, 10) : 0;
}

std::string applicationName(std::string_view program, std::string_view machine) {
  std::string name(program);
  if (!machine.empty()) name.append("@").append(machine);
  return name;
}

PgConnection::PgConnection(std::string_view conninfo, std::string_view application,
                           std::string display, std::string_view settings,
                           std::optional<int> mostConnectSeconds)
    : display_(std::move(display)) {
  char* parseError = nullptr;
  Options options(PQconninfoParse(std::string(conninfo).c_str(), &parseError));
  if (!options) {
    Diagnostics d;
    d.message = parseError ? oneLine(parseError) : "out of memory";
    if (parseError) PQfreemem(parseError);
    raise(err::kUnrecognizedFormat, {display_}, serverCause(d, "connection string", {}));
  }
  const std::string name(application);
  std::string serverOptions(kServerLinkSettings);
  if (!settings.empty()) serverOptions.append(" ").append(settings);
  std::vector<const char*> keywords, values;
  // Only keywords this libpq knows are given: an older one would refuse the
  // others.
  for (const PQconninfoOption* o = options.get(); o->keyword; ++o) {
    if (isOwnKeyword(o->keyword)) continue;
    if (std::string_view(o->keyword) == "options") {
      if (o->val && *o->val) serverOptions.append(" ").append(o->val);
      keywords.push_back(o->keyword);
      values.push_back(serverOptions.c_str());
      continue;
    }
    const char* value = o->val ? o->val : linkDefault(o->keyword);
    if (value == nullptr) continue;
    keywords.push_back(o->keyword);
    values.push_back(value);
  }
  keywords.insert(keywords.end(), {"application_name", "client_encoding", nullptr});
  values.insert(values.end(), {name.c_str(), "UTF8", nullptr});

  conn_.reset(PQconnectStartParams(keywords.data(), values.data(), 0));
  if (!conn_) raise(platform::err::kOutOfMemory, {}, "PostgreSQL: no memory for a connection");
  // The verbose form carries the SQLSTATE of a refused log-on in its words.
  PQsetErrorVerbosity(conn_.get(), PQERRORS_VERBOSE);
  bool timedOut = false;
  if (PQstatus(conn_.get()) == CONNECTION_BAD ||
      !finishConnecting(conn_.get(), cappedSeconds(connectSeconds(options.get()), mostConnectSeconds),
                        timedOut)) {
    Diagnostics d;
    const std::string words = PQerrorMessage(conn_.get());
    d.sqlstate = verboseSqlstate(words);
    d.message = oneLine(words);
    if (timedOut) d.message.append(d.message.empty() ? "" : " / ").append("timeout expired");
    d.connectionLost = true;
    raiseServerError(std::move(d), describeServer(conn_.get()), display_);
  }
  PQsetErrorVerbosity(conn_.get(), PQERRORS_DEFAULT);
  // The programs show nothing on success: the server's notices (a name cut
  // to 63 bytes, an object that already exists) are not printed.
  PQsetNoticeProcessor(conn_.get(), discardNotice, nullptr);
  server_ = describeServer(conn_.get());
}

void PgConnection::raiseFailure(const PGresult* result, std::string_view sql) const {
  Diagnostics d;
  d.sqlstate = field(result, PG_DIAG_SQLSTATE);
  d.message = field(result, PG_DIAG_MESSAGE_PRIMARY);
  if (d.message.empty())
    d.message = oneLine(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_.get()));
  if (d.message.empty()) d.message = oneLine(PQerrorMessage(conn_.get()));
  d.detail = field(result, PG_DIAG_MESSAGE_DETAIL);
  d.hint = field(result, PG_DIAG_MESSAGE_HINT);
  d.schema = field(result, PG_DIAG_SCHEMA_NAME);
  d.table = field(result, PG_DIAG_TABLE_NAME);
  d.column = field(result, PG_DIAG_COLUMN_NAME);
  d.constraint = field(result, PG_DIAG_CONSTRAINT_NAME);
  d.connectionLost = connectionGone(conn_.get(), d.sqlstate);
  raiseServerError(std::move(d), server_, display_, sql);
}

PgResult PgConnection::checked(PGresult* raw, std::string_view sql) const {
  PgResult result(raw);
  switch (raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_EMPTY_QUERY:
      return result;
    default:
      raiseFailure(raw, sql);
  }
}

namespace {

// The parameters as libpq takes them. A text holding a NUL character would
// reach the server cut short at it: refused instead.
std::vector<const char*> paramValues(std::span<const Param> params, Diagnostics& refusal) {
  std::vector<const char*> values;
  values.reserve(params.size());
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (params[i] && params[i]->find('\0') != std::string::npos) {
      refusal.sqlstate = "22021";
      refusal.message = "parameter $" + std::to_string(i + 1) +
                        " holds a NUL character, which a text on the server cannot hold";
    }
    values.push_back(params[i] ? params[i]->c_str() : nullptr);
  }
  return values;
}

int paramCount(std::span<const Param> params, Diagnostics& refusal) {
  if (params.size() > 65535) {
    refusal.sqlstate = "54023";
    refusal.message = "more than 65535 parameters";
  }
  return static_cast<int>(params.size());
}

}  // namespace

void PgConnection::raiseUnanswered(std::string_view sql) {
  lost_ = true;
  Diagnostics d;
  d.message = "no answer from the server in " + std::to_string(answerPatience_.count() / 1000) +
              " s: the link or the server is taken for gone";
  d.connectionLost = true;
  raiseServerError(std::move(d), server_, display_, sql);
}

PGresult* PgConnection::awaitResult(bool sent, std::string_view sql, bool one) {
  using Clock = std::chrono::steady_clock;
  if (!sent) return nullptr;  // libpq's words in PQerrorMessage
  PGconn* conn = conn_.get();
  PGresult* kept = nullptr;
  Clock::time_point deadline = Clock::now() + answerPatience_;
  for (;;) {
    while (PQisBusy(conn)) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        PQclear(kept);
        raiseUnanswered(sql);
      }
      const platform::SocketState ready =
          platform::waitForSocket(PQsocket(conn), false, static_cast<int>(left));
      if (ready == platform::SocketState::Failed) break;  // PQgetResult tells what failed
      if (ready == platform::SocketState::TimedOut) continue;
      if (!PQconsumeInput(conn)) break;
      deadline = Clock::now() + answerPatience_;  // bytes came: the server is there
    }
    PGresult* next = PQgetResult(conn);
    if (one) return next;
    if (next == nullptr) return kept;
    // As PQexec: the last statement's result, or the first failure's.
    const bool keptFailed = kept && PQresultStatus(kept) == PGRES_FATAL_ERROR;
    if (keptFailed) {
      PQclear(next);
      continue;
    }
    PQclear(kept);
    kept = next;
    // A connection that broke gives no end of its results.
    if (PQstatus(conn) == CONNECTION_BAD) return kept;
  }
}

void PgConnection::checkParams(std::span<const Param> params, std::string_view sql) const {
  Diagnostics refusal;
  paramValues(params, refusal);
  paramCount(params, refusal);
  if (!refusal.sqlstate.empty()) raiseServerError(std::move(refusal), server_, display_, sql);
}

bool PgConnection::send(const Step& step) {
  Diagnostics unused;
  const std::vector<const char*> values = paramValues(step.params, unused);
  const int count = static_cast<int>(step.params.size());
  PGconn* conn = conn_.get();
  switch (step.kind) {
    case Step::Kind::Query:
      return PQsendQueryParams(conn, step.sql.c_str(), count, nullptr, values.data(), nullptr,
                               nullptr, 0) == 1;
    case Step::Kind::Prepare:
      return PQsendPrepare(conn, step.name.c_str(), step.sql.c_str(), 0, nullptr) == 1;
    case Step::Kind::RunPrepared:
      return PQsendQueryPrepared(conn, step.name.c_str(), count, values.data(), nullptr, nullptr,
                                 0) == 1;
  }
  return false;
}

void PgConnection::awaitSync() {
  // The sync's result, after every statement's.
  PQclear(awaitResult(true, "(sync)", true));
}

PgConnection::Trip PgConnection::trip(std::vector<Step>& steps) {
  PGconn* conn = conn_.get();
  ++roundTrips_;
  Trip out;
  if (PQenterPipelineMode(conn) != 1) raiseFailure(nullptr, steps.back().sql);
  bool sent = true;
  for (const Step& step : steps)
    if (!(sent = send(step))) break;
  if (sent) sent = PQpipelineSync(conn) == 1;
  if (sent) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
      PgResult result(awaitResult(true, steps[i].sql));
      const ExecStatusType status = result.get() ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
      const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK ||
                      status == PGRES_EMPTY_QUERY || status == PGRES_PIPELINE_ABORTED;
      if (!ok && !out.failure) {
        out.failure.emplace(std::move(result));
        out.failedAt = i;
        continue;
      }
      out.results.push_back(std::move(result));
    }
    if (PQstatus(conn) != CONNECTION_BAD) awaitSync();
  }
  PQexitPipelineMode(conn);
  if (!sent) raiseFailure(nullptr, steps.back().sql);
  if (!out.failure) return out;
  // Statements prepared in the round trip from the failure on were never
  // prepared; one whose plan the tables' change made unusable (0A000), or
  // that the session no longer has (26000), is prepared anew next time.
  const std::string state = field(out.failure->get(), PG_DIAG_SQLSTATE);
  for (std::size_t i = out.failedAt; i < steps.size(); ++i) {
    const bool stale = i == out.failedAt && steps[i].kind == Step::Kind::RunPrepared &&
                       (state == "0A000" || state == "26000");
    if (steps[i].kind == Step::Kind::Prepare || stale) forgetPrepared(steps[i].sql);
  }
  return out;
}

std::vector<PgResult> PgConnection::roundTrip(std::vector<Step> steps, const std::vector<bool>& keep) {
  Trip done = trip(steps);
  if (done.failure) raiseFailure(done.failure->get(), steps[done.failedAt].sql);
  std::vector<PgResult> kept;
  for (std::size_t i = 0; i < steps.size(); ++i)
    if (keep[i]) kept.push_back(std::move(done.results[i]));
  return kept;
}

PgConnection::Each PgConnection::runEach(const std::vector<Statement>& statements) {
  Each out;
  if (statements.empty()) return out;
  if (lost_) raiseUnanswered(statements.front().sql);
  for (const Statement& s : statements) checkParams(s.params, s.sql);
  std::vector<Step> steps = std::move(deferred_);
  deferred_.clear();
  const std::size_t first = steps.size();
  for (const Statement& s : statements) steps.push_back({Step::Kind::Query, s.sql, {}, s.params});
  Trip done = trip(steps);
  if (done.failure && done.failedAt < first)
    raiseFailure(done.failure->get(), steps[done.failedAt].sql);  // what was deferred before
  for (std::size_t i = first; i < done.results.size() && (!done.failure || i < done.failedAt); ++i)
    out.results.push_back(std::move(done.results[i]));
  if (done.failure) {
    out.failedAt = done.failedAt - first;
    try {
      raiseFailure(done.failure->get(), steps[done.failedAt].sql);
    } catch (...) {
      out.failure = std::current_exception();
    }
  }
  return out;
}

void PgConnection::forgetPrepared(const std::string& sql) {
  auto it = prepared_.find(sql);
  if (it == prepared_.end()) return;
  uses_.erase(it->second.use);
  prepared_.erase(it);
}

void PgConnection::defer(std::string sql, std::vector<Param> params) {
  checkParams(params, sql);
  deferred_.push_back({Step::Kind::Query, std::move(sql), {}, std::move(params)});
}

std::vector<PgConnection::Statement> PgConnection::takeDeferred(std::size_t from) {
  std::vector<Statement> taken;
  for (std::size_t i = from; i < deferred_.size(); ++i)
    taken.push_back({std::move(deferred_[i].sql), std::move(deferred_[i].params)});
  dropDeferred(from);
  return taken;
}

void PgConnection::flush() {
  if (deferred_.empty()) return;
  std::vector<Step> steps = std::move(deferred_);
  deferred_.clear();
  if (lost_) raiseUnanswered(steps.front().sql);
  const std::vector<bool> keep(steps.size(), false);
  roundTrip(std::move(steps), keep);
}

PgResult PgConnection::withDeferred(std::vector<Step> last) {
  std::vector<Step> steps = std::move(deferred_);
  deferred_.clear();
  std::vector<bool> keep(steps.size(), false);
  for (Step& step : last) {
    steps.push_back(std::move(step));
    keep.push_back(false);
  }
  keep.back() = true;
  return std::move(roundTrip(std::move(steps), keep).front());
}

std::vector<PgResult> PgConnection::runTogether(const std::vector<Statement>& statements) {
  if (statements.empty()) return {};
  if (lost_) raiseUnanswered(statements.front().sql);
  for (const Statement& s : statements) checkParams(s.params, s.sql);
  std::vector<Step> steps = std::move(deferred_);
  deferred_.clear();
  std::vector<bool> keep(steps.size(), false);
  for (const Statement& s : statements) {
    steps.push_back({Step::Kind::Query, s.sql, {}, s.params});
    keep.push_back(true);
  }
  return roundTrip(std::move(steps), keep);
}

PgResult PgConnection::exec(std::string_view sql, std::span<const Param> params) {
  if (lost_) raiseUnanswered(sql);
  checkParams(params, sql);
  const std::string text(sql);
  // A text of several statements goes alone, in the simple protocol, which
  // takes them.
  if (params.empty() && (deferred_.empty() || text.find(';') != std::string::npos)) {
    flush();
    ++roundTrips_;
    return checked(awaitResult(PQsendQuery(conn_.get(), text.c_str()) != 0, sql), sql);
  }
  std::vector<Step> step;
  step.push_back({Step::Kind::Query, text, {}, {params.begin(), params.end()}});
  return withDeferred(std::move(step));
}

PgResult PgConnection::run(std::string_view sql, std::span<const Param> params) {
  if (lost_) raiseUnanswered(sql);
  checkParams(params, sql);
  const std::string text(sql);
  std::vector<Step> steps;
  if (auto it = prepared_.find(text); it != prepared_.end()) {
    uses_.splice(uses_.begin(), uses_, it->second.use);
    steps.push_back({Step::Kind::RunPrepared, text, it->second.name, {params.begin(), params.end()}});
    return withDeferred(std::move(steps));
  }
  if (prepared_.size() >= kMostPrepared) {
    // The least recently run goes. One that cannot be released now (in a
    // failed transaction) stays on the server until the connection ends:
    // its name is never used again.
    const std::string oldest = uses_.back();
    deferred_.push_back({Step::Kind::Query, "DEALLOCATE " + prepared_.at(oldest).name, {}, {}});
    forgetPrepared(oldest);
  }
  // Prepared and run in one round trip.
  const std::string name = "zel_statement_" + std::to_string(++nextStatement_);
  uses_.push_front(text);
  prepared_.emplace(text, Prepared{name, uses_.begin()});
  steps.push_back({Step::Kind::Prepare, text, name, {}});
  steps.push_back({Step::Kind::RunPrepared, text, name, {params.begin(), params.end()}});
  return withDeferred(std::move(steps));
}

std::int64_t PgConnection::copyIn(std::string_view sql,
                                  const std::function<bool(std::string& data)>& fill) {
  if (lost_) raiseUnanswered(sql);
  flush();
  const std::string text(sql);
  PGresult* started = PQexec(conn_.get(), text.c_str());
  if (started == nullptr || PQresultStatus(started) != PGRES_COPY_IN) {
    checked(started, sql);  // raises the failure; a statement that copies nothing is a fault
    raise(err::kReservedError, {"COPY"}, "PostgreSQL " + server_ + ": not a COPY FROM STDIN");
  }
  PQclear(started);
  std::string data;
  try {
    while (fill(data)) {
      if (data.empty()) continue;
      if (PQputCopyData(conn_.get(), data.data(), static_cast<int>(data.size())) != 1)
        raiseFailure(nullptr, sql);
      data.clear();
    }
    if (!data.empty() &&
        PQputCopyData(conn_.get(), data.data(), static_cast<int>(data.size())) != 1)
      raiseFailure(nullptr, sql);
    if (PQputCopyEnd(conn_.get(), nullptr) != 1) raiseFailure(nullptr, sql);
  } catch (...) {
    // The server ends the COPY as failed; its result is read and dropped.
    if (PQputCopyEnd(conn_.get(), "the rows could not be read") == 1)
      while (PGresult* r = PQgetResult(conn_.get())) PQclear(r);
    throw;
  }
  PGresult* last = nullptr;
  while (PGresult* r = PQgetResult(conn_.get())) {
    if (last) PQclear(last);
    last = r;
  }
  return checked(last, sql).affectedRows();
}

}  // namespace hostdb::postgres
