// What the toolkit does with a host on a database server beyond the object
// model: make one in an empty database, or load a file host's tables and
// rows into one, give it the indexes its look-ups need, check what the
// server can let drift, and name the server to a client. Engine-neutral: the server engine fills it in where it is built
// (engines.h: serverHosts()), and nothing here names the server's library.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/jet/row_digest.h"
#include "hostdb/jet/table_schema.h"

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

// What a role may do with one of the host's tables beyond reading it.
struct TableRight {
  std::string table;
  bool insert = false;
};

// A finding of check: the table ("" for the host as a whole) and what is wrong.
struct ServerFinding {
  std::string table;
  std::string what;
};

// A host being loaded into an empty database (zelhost upsize): the support
// objects, tables, catalog rows, rows and indexes all in one transaction on
// one connection, so that nothing of it stays on the server unless commit()
// is reached. Destroyed before that, it is rolled back; a process killed on
// the way leaves the database as it was, since its connection goes too.
class ServerLoad {
 public:
  virtual ~ServerLoad() = default;

  // Makes `table` as the engine's CREATE TABLE makes it (its types, its key
  // and its field properties in the catalog) and copies `rows` into it.
  // Returns the rows copied.
  virtual std::int64_t loadTable(const jet::TableSchema& table, jet::RowSource& rows) = 0;
  // Creates `index` over a table loaded before.
  virtual void createIndex(const IndexDefinition& index) = 0;
  // The count and digest of the rows the loaded table holds now, read back
  // from the server in the digest's order.
  virtual jet::TableDigest digest(const jet::TableSchema& table) = 0;
  // Commits everything; raises when the server does not.
  virtual void commit() = 0;
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

  // Connects to the database `conninfo` names, begins its transaction,
  // requires the database empty (as requireEmpty, now under the makers'
  // lock) and makes the support objects there, recording
  // `workgroupIdentity`.
  virtual std::unique_ptr<ServerLoad> beginLoad(std::string_view conninfo,
                                                std::string_view workgroupIdentity) = 0;

  // Drops what makeSupport and the engine made there (the host's tables
  // the catalog names, then the support objects), in one transaction: for
  // a host whose making failed halfway. Passes over any failure.
  virtual void discard(std::string_view conninfo) noexcept = 0;

  // In the host whose descriptor is at `descriptorPath`, in one transaction:
  // makes `role` (a plain name: a lower-case letter or '_', then those and
  // digits) a role that may log on, unless there is one, and lets it read
  // the catalog and each table of `rights`, and insert into those that say
  // so: nothing else. Raises kNotValidName for another name, kNoPermission
  // when the host's own role may not make roles or grant.
  virtual void grantRole(std::string_view descriptorPath, std::string_view role,
                         const std::vector<TableRight>& rights) = 0;

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
