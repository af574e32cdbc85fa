// PostgreSQL failures turned into the engine's error numbers, in one place:
// a table from SQLSTATE (an exact code, or a whole class) to the number the
// file engine raises for the same situation.
#pragma once

#include <string>
#include <string_view>

#include "hostdb/engine_error.h"

namespace hostdb::postgres {

// What the server (or libpq, for a failure of its own) said of a failure.
// The fields are the server's diagnostic fields; empty when not sent.
struct Diagnostics {
  std::string sqlstate;  // empty: libpq's own failure, no server answer
  std::string message;   // the primary message, or libpq's words
  std::string detail;
  std::string hint;
  std::string schema;
  std::string table;
  std::string column;
  std::string constraint;
  // The connection is gone (libpq's CONNECTION_BAD), whatever else is said.
  bool connectionLost = false;
};

// An engine error that came from the server, with the diagnostics kept for
// the layer: the constraint name tells which rule a refused row broke, the
// SQLSTATE whether a transaction may be tried again (40001, 40P01, 23505).
class ServerError : public EngineError {
 public:
  ServerError(int number, std::string description, std::string cause, Diagnostics diagnostics);
  const Diagnostics& diagnostics() const { return diagnostics_; }

 private:
  Diagnostics diagnostics_;
};

// The engine's number for `sqlstate`: the table's entry for the exact code,
// else for its class (the first two characters); 0 when it has neither.
int engineNumber(std::string_view sqlstate);

// The number a failure with `d` gets: engineNumber(d.sqlstate); a lost
// connection without a SQLSTATE kNetworkOrDiskError; anything else
// kReservedError (with the server's words in its description).
int numberFor(const Diagnostics& d);

// The cause of a failure: "PostgreSQL <server>: SQLSTATE <code>: <message>",
// the detail, hint, schema, table, column and constraint when given, and
// `sql` when given.
std::string serverCause(const Diagnostics& d, std::string_view server, std::string_view sql);

// Raises the ServerError for `d`, met on `server` (for the cause: host and
// database) in `sql` (may be empty). `display` is the name the user knows the
// host by (the descriptor file), for descriptions that name a file.
[[noreturn]] void raiseServerError(Diagnostics d, std::string_view server, std::string_view display,
                                   std::string_view sql = {});

}  // namespace hostdb::postgres
