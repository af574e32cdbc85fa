#include "hostdb/postgres/pg_server_hosts.h"

#include <string>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/descriptor.h"
#include "hostdb/postgres/host_catalog.h"
#include "hostdb/postgres/host_check.h"
#include "hostdb/postgres/host_connection.h"
#include "hostdb/postgres/host_schema.h"
#include "hostdb/postgres/pg_ddl.h"
#include "hostdb/postgres/pg_names.h"
#include "platform/env.h"
#include "platform/files.h"

namespace hostdb::postgres {
namespace {

// How a connection string given on zelhost's command line is named in
// errors: never by its text, which may hold a password.
constexpr const char* kGivenConninfo = "--server";

// The relations of a database that are its own (any schema but the
// server's), by schema-qualified name; the first few are enough to name.
constexpr const char* kOwnRelations =
    "SELECT n.nspname || '.' || c.relname FROM pg_catalog.pg_class c"
    " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
    " WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f', 'S')"
    " AND n.nspname <> 'information_schema' AND n.nspname NOT LIKE 'pg\\_%'"
    " ORDER BY 1 LIMIT 4";

PgConnection connectGiven(std::string_view conninfo) {
  return PgConnection(conninfo, sessionName(), kGivenConninfo);
}

std::string readDescriptor(std::string_view path) {
  try {
    return platform::env::readFileStart(platform::nativePath(path), kMostDescriptorBytes + 1);
  } catch (const platform::Error& e) {
    raise(err::kCannotFindFile, {path}, e.description());
  }
}

// The index key of one part: a text column as the key indexes and the
// translated comparisons write it (rtrim), Digits and Left by the names the
// translated queries call, so that the server matches their expressions.
std::string keyPart(const IndexKey& key, const jet::TableSchema& table) {
  const jet::ColumnSchema* column = table.column(key.column);
  if (column == nullptr) raiseItemNotFound("Fields of " + table.name, key.column);
  if (!key.digits) return keyExpression(*column);
  std::string argument = quoteName(column->name);
  if (key.left > 0) argument = "left(" + argument + ", " + std::to_string(key.left) + ")";
  return "digits(" + argument + ")";
}

class PgServerHosts final : public ServerHosts {
 public:
  std::string descriptorText(std::string_view conninfo) override {
    return parseDescriptor(conninfo, kGivenConninfo);
  }

  void requireEmpty(std::string_view conninfo) override {
    PgConnection db = connectGiven(conninfo);
    if (workgroupIdentity(db))
      raise(err::kDatabaseExists, {},
            "PostgreSQL " + db.server() + ": the database holds a host already");
    const PgResult own = db.exec(kOwnRelations);
    if (own.rows() > 0) {
      std::string names;
      for (int i = 0; i < own.rows(); ++i) names.append(i ? ", " : "").append(own.text(i, 0));
      raise(err::kDatabaseExists, {},
            "PostgreSQL " + db.server() + ": the database holds tables of its own (" + names +
                (own.rows() > 3 ? ", ..." : "") +
                "); a server host is made in an empty database (createdb)");
    }
    if (db.exec("SELECT 1 FROM pg_catalog.pg_namespace WHERE nspname = $1",
                {Param(kSupportSchema)})
            .rows() > 0)
      raise(err::kDatabaseExists, {},
            "PostgreSQL " + db.server() + ": the database has a schema " + kSupportSchema +
                " already");
  }

  void makeSupport(std::string_view conninfo, std::string_view identity) override {
    PgConnection db = connectGiven(conninfo);
    makeHostSchema(db, identity, kGivenConninfo);
  }

  void discard(std::string_view conninfo) noexcept override {
    try {
      PgConnection db = connectGiven(conninfo);
      db.exec("BEGIN");
      if (workgroupIdentity(db)) {
        const PgResult made = db.exec("SELECT Name FROM jet.MSysObjects");
        for (int i = 0; i < made.rows(); ++i)
          db.exec("DROP TABLE IF EXISTS public." + quoteName(made.text(i, 0)));
      }
      db.exec(std::string("DROP SCHEMA IF EXISTS ") + kSupportSchema + " CASCADE");
      db.exec("COMMIT");
    } catch (...) {
      // Left as it is: the administrator drops the database and makes it anew.
    }
  }

  void createIndex(std::string_view path, const IndexDefinition& index) override {
    PgConnection db = connectToHost(path);
    const std::vector<jet::TableSchema> tables = loadSchemas(db, index.table);
    if (tables.empty()) raise(err::kTableNotFound, {index.table});
    requireValidName(index.name);
    std::string sql = "CREATE INDEX " + quoteName(index.name) + " ON " +
                      quoteName(tables.front().name) + " (";
    for (std::size_t i = 0; i < index.keys.size(); ++i)
      sql.append(i ? ", " : "").append(keyPart(index.keys[i], tables.front()));
    db.exec(sql + ")");
  }

  std::vector<ServerFinding> check(std::string_view path) override {
    PgConnection db = connectToHost(path);
    return checkHost(db);
  }

  std::string connectionString(std::string_view path) override {
    return parseDescriptor(readDescriptor(path), path);
  }
};

}  // namespace

ServerHosts& serverHosts() {
  static PgServerHosts hosts;
  return hosts;
}

}  // namespace hostdb::postgres
