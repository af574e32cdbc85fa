// One libpq connection for a test, closed on destruction, with statements
// whose failure throws with the server's words: what the tests of the
// cluster and its scratch databases need, nothing of the engine's.
#pragma once

#include <libpq-fe.h>

#include <string>
#include <vector>

namespace pgtest {

class Connection {
 public:
  // Throws std::runtime_error naming libpq's reason when it cannot connect.
  explicit Connection(const std::string& conninfo);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  PGconn* get() const { return conn_; }
  // Runs `sql` with text parameters $1, $2…; throws on failure.
  void exec(const std::string& sql, const std::vector<std::string>& params = {});
  // The first column of the first row ("" for NULL); throws on failure or
  // when there is no row.
  std::string value(const std::string& sql, const std::vector<std::string>& params = {});
  // The SQLSTATE the statement fails with; "" when it succeeds.
  std::string sqlstateOf(const std::string& sql, const std::vector<std::string>& params = {});

 private:
  PGconn* conn_;
};

// `conninfo` (keywords or a URI) with its database replaced by `database`.
std::string withDatabase(const std::string& conninfo, const std::string& database);

// `name` quoted as an SQL identifier.
std::string quoteIdentifier(const std::string& name);

}  // namespace pgtest
