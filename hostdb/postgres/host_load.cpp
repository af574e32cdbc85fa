#include "hostdb/postgres/host_load.h"

#include <cstdlib>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/host_catalog.h"
#include "hostdb/postgres/host_connection.h"
#include "hostdb/postgres/host_schema.h"
#include "hostdb/postgres/pg_ddl.h"
#include "hostdb/postgres/pg_names.h"

namespace hostdb::postgres {
namespace {

// The relations of a database that are its own (any schema but the
// server's), by schema-qualified name; the first few are enough to name.
constexpr const char* kOwnRelations =
    "SELECT n.nspname || '.' || c.relname FROM pg_catalog.pg_class c"
    " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
    " WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f', 'S')"
    " AND n.nspname <> 'information_schema' AND n.nspname NOT LIKE 'pg\\_%'"
    " ORDER BY 1 LIMIT 4";

// What COPY sends at a time.
constexpr std::size_t kCopyChunk = 1 << 20;
// Rows read back at a time for a digest.
constexpr int kFetchRows = 10000;

std::string keyPart(const IndexKey& key, const jet::TableSchema& table) {
  const jet::ColumnSchema* column = table.column(key.column);
  if (column == nullptr) raiseItemNotFound("Fields of " + table.name, key.column);
  if (!key.digits) return keyExpression(*column);
  std::string argument = quoteName(column->name);
  if (key.left > 0) argument = "left(" + argument + ", " + std::to_string(key.left) + ")";
  return "digits(" + argument + ")";
}

// A value in COPY's text format.
void appendCopyValue(std::string& out, const jet::CanonicalValue& value) {
  if (!value) {
    out += "\\N";
    return;
  }
  for (const char c : *value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

std::string columnList(const jet::TableSchema& table) {
  std::string out;
  for (std::size_t i = 0; i < table.columns.size(); ++i)
    out.append(i ? ", " : "").append(quoteName(table.columns[i].name));
  return out;
}

// The rows in the digest's order: texts by their bytes ("C", as SQLite's
// BINARY), dates and numbers by value, Null first.
std::string digestQuery(const jet::TableSchema& table) {
  std::string sql = "SELECT " + columnList(table) + " FROM " + quoteName(table.name);
  const std::vector<std::size_t> order = jet::digestOrder(table);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const jet::ColumnSchema& c = table.columns[order[i]];
    sql.append(i ? ", " : " ORDER BY ").append(quoteName(c.name));
    if (jet::isTextType(c.type)) sql += " COLLATE \"C\"";
    sql += " NULLS FIRST";
  }
  return sql;
}

class PgHostLoad final : public ServerLoad {
 public:
  PgHostLoad(PgConnection db, std::string_view identity, std::string_view display)
      : db_(std::move(db)) {
    // The texts a digest reads back: dates as stored, doubles to the last digit.
    db_.exec("SET DateStyle = 'ISO, YMD'; SET extra_float_digits = 1");
    db_.exec("BEGIN");
    lockHostSchema(db_);
    requireEmptyDatabase(db_);
    makeHostSchemaInTransaction(db_, identity, display);
  }

  ~PgHostLoad() override {
    if (committed_) return;
    try {
      db_.exec("ROLLBACK");
    } catch (const EngineError&) {
      // The connection is gone: the server has rolled back already.
    }
  }

  std::int64_t loadTable(const jet::TableSchema& table, jet::RowSource& rows) override {
    const TableLookup lookup = [this](std::string_view name) { return find(name); };
    for (const std::string& sql :
         translateDdl(jet::DdlStatement{jet::DdlStatement::Kind::CreateTable, table}, lookup))
      db_.exec(sql);
    insertSchema(db_, table);
    loaded_.push_back(table);
    jet::CanonicalRow row;
    return db_.copyIn("COPY " + quoteName(table.name) + " (" + columnList(table) + ") FROM STDIN",
                      [&](std::string& data) {
                        while (data.size() < kCopyChunk) {
                          if (!rows.next(row)) return false;
                          for (std::size_t i = 0; i < row.size(); ++i) {
                            if (i) data += '\t';
                            appendCopyValue(data, row[i]);
                          }
                          data += '\n';
                        }
                        return true;
                      });
  }

  void createIndex(const IndexDefinition& index) override {
    const jet::TableSchema* table = find(index.table);
    if (table == nullptr) raise(err::kTableNotFound, {index.table});
    db_.exec(indexStatement(index, *table));
  }

  jet::TableDigest digest(const jet::TableSchema& table) override {
    db_.exec("DECLARE zel_digest NO SCROLL CURSOR FOR " + digestQuery(table));
    jet::RowDigest digest;
    jet::CanonicalRow row(table.columns.size());
    for (;;) {
      const PgResult batch =
          db_.exec("FETCH FORWARD " + std::to_string(kFetchRows) + " FROM zel_digest");
      for (int r = 0; r < batch.rows(); ++r) {
        for (int c = 0; c < batch.columns(); ++c) {
          if (batch.isNull(r, c)) {
            row[c].reset();
          } else if (table.columns[c].type == FieldType::Double) {
            row[c] = jet::canonicalDouble(std::strtod(std::string(batch.text(r, c)).c_str(), nullptr));
          } else {
            row[c] = std::string(batch.text(r, c));
          }
        }
        digest.add(row);
      }
      if (batch.rows() < kFetchRows) break;
    }
    db_.exec("CLOSE zel_digest");
    return digest.finish();
  }

  void commit() override {
    committed_ = true;
    db_.exec("COMMIT");
  }

 private:
  const jet::TableSchema* find(std::string_view name) const {
    for (const jet::TableSchema& t : loaded_)
      if (jet::sameName(t.name, name)) return &t;
    return nullptr;
  }

  PgConnection db_;
  std::vector<jet::TableSchema> loaded_;
  bool committed_ = false;
};

}  // namespace

void requireEmptyDatabase(PgConnection& db) {
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

std::string indexStatement(const IndexDefinition& index, const jet::TableSchema& table) {
  requireValidName(index.name);
  std::string sql =
      "CREATE INDEX " + quoteName(index.name) + " ON " + quoteName(table.name) + " (";
  for (std::size_t i = 0; i < index.keys.size(); ++i)
    sql.append(i ? ", " : "").append(keyPart(index.keys[i], table));
  return sql + ")";
}

std::unique_ptr<ServerLoad> beginHostLoad(PgConnection db, std::string_view identity,
                                          std::string_view display) {
  return std::make_unique<PgHostLoad>(std::move(db), identity, display);
}

}  // namespace hostdb::postgres
