// What the toolkit does with a host on a database server beyond the object
// model: make one in an empty database, give it the indexes its look-ups
// need, check what the server can let drift, and name the server to a
// client. Engine-neutral: the server engine fills it in where it is built
// (engines.h: serverHosts()), and nothing here names the server's library.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hostdb {

// One part of an index's key: a column, or the whole number Digits() gives
// of it, of its first `left` characters when above 0.
struct IndexKey {
  std::string column;
  bool digits = false;
  int left = 0;
};

// An index beyond a table's primary key.
struct IndexDefinition {
  std::string name;  // unique in the database: begins with the table's name
  std::string table;
  std::vector<IndexKey> keys;
};

// A finding of check: the table ("" for the host as a whole) and what is wrong.
struct ServerFinding {
  std::string table;
  std::string what;
};

class ServerHosts {
 public:
  virtual ~ServerHosts() = default;

  // The connection string `conninfo` as a descriptor file holds it. Raises
  // kUnrecognizedFormat for one that does not parse, names no database, or
  // holds a password.
  virtual std::string descriptorText(std::string_view conninfo) = 0;

  // Connects to the database `conninfo` names and raises kDatabaseExists
  // when it holds a host or any table of its own; what connecting raises
  // otherwise (3043 unreachable, 3029 refused, 3024 no such database).
  virtual void requireEmpty(std::string_view conninfo) = 0;

  // Makes the support objects (collation, functions, catalog) in that
  // database and records `workgroupIdentity`, in one transaction.
  virtual void makeSupport(std::string_view conninfo, std::string_view workgroupIdentity) = 0;

  // Drops what makeSupport and the engine made there (the host's tables
  // the catalog names, then the support objects), in one transaction: for
  // a host whose making failed halfway. Passes over any failure.
  virtual void discard(std::string_view conninfo) noexcept = 0;

  // Creates `index` in the host whose descriptor is at `descriptorPath`.
  virtual void createIndex(std::string_view descriptorPath, const IndexDefinition& index) = 0;

  // What drifted in that host: the collation's version against the one its
  // indexes were built with, key indexes missing or invalid, the catalog's
  // tables and columns against the stored ones.
  virtual std::vector<ServerFinding> check(std::string_view descriptorPath) = 0;

  // The connection string the descriptor at `descriptorPath` holds, for a
  // client of the server's own (psql).
  virtual std::string connectionString(std::string_view descriptorPath) = 0;
};

}  // namespace hostdb
