#include "hostdb/postgres/pg_server_hosts.h"

#include <string>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/descriptor.h"
#include "hostdb/postgres/host_catalog.h"
#include "hostdb/postgres/host_check.h"
#include "hostdb/postgres/host_connection.h"
#include "hostdb/postgres/host_load.h"
#include "hostdb/postgres/host_schema.h"
#include "hostdb/postgres/pg_names.h"
#include "platform/env.h"
#include "platform/files.h"

namespace hostdb::postgres {
namespace {

// How a connection string given on zelhost's command line is named in
// errors: never by its text, which may hold a password.
constexpr const char* kGivenConninfo = "--server";

PgConnection connectGiven(std::string_view conninfo, std::string_view settings = {}) {
  return PgConnection(conninfo, sessionName(), kGivenConninfo, settings);
}

std::string readDescriptor(std::string_view path) {
  try {
    return platform::env::readFileStart(platform::nativePath(path), kMostDescriptorBytes + 1);
  } catch (const platform::Error& e) {
    raise(err::kCannotFindFile, {path}, e.description());
  }
}

// A role's name as it may stand quoted or not: nothing the server folds.
bool isPlainRoleName(std::string_view role) {
  if (role.empty() || role.size() > kMaxNameBytes) return false;
  for (std::size_t i = 0; i < role.size(); ++i) {
    const char c = role[i];
    const bool letter = (c >= 'a' && c <= 'z') || c == '_';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

class PgServerHosts final : public ServerHosts {
 public:
  std::string descriptorText(std::string_view conninfo) override {
    return parseDescriptor(conninfo, kGivenConninfo);
  }

  void requireEmpty(std::string_view conninfo) override {
    PgConnection db = connectGiven(conninfo);
    requireEmptyDatabase(db);
  }

  void makeSupport(std::string_view conninfo, std::string_view identity) override {
    PgConnection db = connectGiven(conninfo);
    makeHostSchema(db, identity, kGivenConninfo);
  }

  std::unique_ptr<ServerLoad> beginLoad(std::string_view conninfo,
                                        std::string_view identity) override {
    return beginHostLoad(connectGiven(conninfo, kHostSessionSettings), identity, kGivenConninfo);
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
    db.exec(indexStatement(index, tables.front()));
  }

  void grantRole(std::string_view path, std::string_view role,
                 const std::vector<TableRight>& rights) override {
    if (!isPlainRoleName(role)) raise(err::kNotValidName, {role});
    // Appended piece by piece: GCC 12 at -O3 warns falsely of "x" + string.
    std::string name = "\"";
    name.append(role).append("\"");
    PgConnection db = connectToHost(path);
    inTransaction(db, [&] {
      if (db.exec("SELECT 1 FROM pg_catalog.pg_roles WHERE rolname = $1",
                  {Param(std::string(role))})
              .rows() == 0)
        db.exec("CREATE ROLE " + name + " LOGIN");
      const std::string database(db.exec("SELECT pg_catalog.current_database()").text(0, 0));
      db.exec("GRANT CONNECT ON DATABASE " + quoteName(database) + " TO " + name);
      db.exec(std::string("GRANT USAGE ON SCHEMA public, ") + kSupportSchema + " TO " + name);
      for (const char* catalog : kCatalogTables)
        db.exec(std::string("GRANT SELECT ON ") + kSupportSchema + "." + canonicalName(catalog) +
                " TO " + name);
      for (const TableRight& right : rights) {
        const std::vector<jet::TableSchema> found = loadSchemas(db, right.table);
        if (found.empty()) raise(err::kTableNotFound, {right.table});
        db.exec(std::string("GRANT SELECT") + (right.insert ? ", INSERT" : "") + " ON " +
                quoteName(found.front().name) + " TO " + name);
      }
    });
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
