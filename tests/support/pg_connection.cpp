#include "tests/support/pg_connection.h"

#include <memory>
#include <stdexcept>

namespace pgtest {

namespace {

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

Result run(PGconn* conn, const std::string& sql, const std::vector<std::string>& params) {
  std::vector<const char*> values;
  for (const std::string& p : params) values.push_back(p.c_str());
  return Result(PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr,
                             values.data(), nullptr, nullptr, 0),
                &PQclear);
}

bool succeeded(const PGresult* result) {
  ExecStatusType status = PQresultStatus(result);
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

[[noreturn]] void fail(PGconn* conn, const std::string& sql) {
  throw std::runtime_error(sql + ": " + PQerrorMessage(conn));
}

// Single quotes for a conninfo value, with its backslashes and quotes escaped.
std::string conninfoValue(const std::string& value) {
  std::string quoted = "'";
  for (char c : value) {
    if (c == '\\' || c == '\'') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

}  // namespace

Connection::Connection(const std::string& conninfo) : conn_(PQconnectdb(conninfo.c_str())) {
  if (PQstatus(conn_) != CONNECTION_OK) {
    std::string why = PQerrorMessage(conn_);
    PQfinish(conn_);
    throw std::runtime_error("cannot connect to " + conninfo + ": " + why);
  }
}

Connection::~Connection() { PQfinish(conn_); }

void Connection::exec(const std::string& sql, const std::vector<std::string>& params) {
  if (!succeeded(run(conn_, sql, params).get())) fail(conn_, sql);
}

std::string Connection::value(const std::string& sql, const std::vector<std::string>& params) {
  Result result = run(conn_, sql, params);
  if (!succeeded(result.get())) fail(conn_, sql);
  if (PQntuples(result.get()) < 1 || PQnfields(result.get()) < 1)
    throw std::runtime_error(sql + ": no row");
  return PQgetvalue(result.get(), 0, 0);
}

std::string Connection::sqlstateOf(const std::string& sql, const std::vector<std::string>& params) {
  Result result = run(conn_, sql, params);
  if (succeeded(result.get())) return "";
  const char* state = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
  return state ? state : "?????";
}

std::string withDatabase(const std::string& conninfo, const std::string& database) {
  char* error = nullptr;
  std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
      PQconninfoParse(conninfo.c_str(), &error), &PQconninfoFree);
  if (!options) {
    std::string why = error ? error : "out of memory";
    PQfreemem(error);
    throw std::runtime_error("not a connection string: " + conninfo + ": " + why);
  }
  std::string result;
  for (const PQconninfoOption* o = options.get(); o->keyword; ++o) {
    if (!o->val || std::string(o->keyword) == "dbname") continue;
    result += std::string(o->keyword) + "=" + conninfoValue(o->val) + " ";
  }
  return result + "dbname=" + conninfoValue(database);
}

std::string quoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace pgtest
