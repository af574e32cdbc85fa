#include "hostdb/postgres/host_check.h"

#include <map>
#include <set>
#include <string>

#include "hostdb/postgres/host_catalog.h"
#include "hostdb/postgres/host_schema.h"
#include "hostdb/postgres/pg_connection.h"
#include "hostdb/postgres/pg_names.h"

namespace hostdb::postgres {
namespace {

void checkCollation(PgConnection& db, std::vector<ServerFinding>& out) {
  const PgResult r = db.exec(
      "SELECT c.collversion, pg_catalog.pg_collation_actual_version(c.oid)"
      " FROM pg_catalog.pg_collation c JOIN pg_catalog.pg_namespace n ON n.oid = c.collnamespace"
      " WHERE n.nspname = $1 AND c.collname = $2",
      {Param(kSupportSchema), Param(kCollation)});
  if (r.rows() == 0) {
    out.push_back({"", std::string("the collation ") + kQualifiedCollation + " is missing"});
    return;
  }
  if (r.isNull(0, 0) || r.isNull(0, 1) || r.text(0, 0) == r.text(0, 1)) return;
  out.push_back({"", std::string("the collation ") + kQualifiedCollation +
                         " was recorded at version " + std::string(r.text(0, 0)) +
                         ", the server's ICU now gives " + std::string(r.text(0, 1)) +
                         ": indexes over text may be out of order (REINDEX DATABASE, then ALTER "
                         "COLLATION " + kQualifiedCollation + " REFRESH VERSION)"});
}

// Every index of the host's tables, by name: whether it is valid.
std::map<std::string, bool> hostIndexes(PgConnection& db) {
  const PgResult r = db.exec(
      "SELECT c.relname, i.indisvalid FROM pg_catalog.pg_index i"
      " JOIN pg_catalog.pg_class c ON c.oid = i.indexrelid"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = 'public'");
  std::map<std::string, bool> out;
  for (int i = 0; i < r.rows(); ++i) out[std::string(r.text(i, 0))] = r.text(i, 1) == "t";
  return out;
}

void checkIndexes(PgConnection& db, const std::vector<jet::TableSchema>& tables,
                  std::vector<ServerFinding>& out) {
  std::map<std::string, bool> indexes = hostIndexes(db);
  for (const jet::TableSchema& t : tables) {
    if (t.primaryKeyName.empty()) continue;
    const std::string name = primaryKeyIndexName(t);
    const auto found = indexes.find(name);
    if (found == indexes.end())
      out.push_back({t.name, "the key index \"" + name + "\" is missing: the key is not kept"});
    else if (!found->second)
      out.push_back({t.name, "the key index \"" + name + "\" is not valid (REINDEX INDEX)"});
    if (found != indexes.end()) indexes.erase(found);
  }
  for (const auto& [name, valid] : indexes)
    if (!valid) out.push_back({"", "the index \"" + name + "\" is not valid (REINDEX INDEX)"});
}

void checkColumns(PgConnection& db, const jet::TableSchema& t, std::vector<ServerFinding>& out) {
  const auto stored = storedColumns(db, {"public", canonicalName(t.name)});
  if (!stored) return;
  std::set<std::string> described;
  for (const jet::ColumnSchema& c : t.columns) {
    described.insert(canonicalName(c.name));
    const jet::ColumnSchema* s = nullptr;
    for (const jet::ColumnSchema& candidate : *stored)
      if (canonicalName(candidate.name) == canonicalName(c.name)) s = &candidate;
    if (s == nullptr) {
      out.push_back({t.name, "the catalog's column " + c.name + " is not in the table"});
    } else if (jet::isTextType(c.type) != jet::isTextType(s->type) ||
               (c.type == FieldType::Text && (s->type != FieldType::Text || s->size != c.size))) {
      out.push_back(
          {t.name, "the catalog's kind or size of column " + c.name + " is not the table's"});
    }
  }
  for (const jet::ColumnSchema& s : *stored)
    if (!described.contains(canonicalName(s.name)))
      out.push_back({t.name, "column " + s.name + " is not in the catalog"});
}

void checkCatalog(PgConnection& db, const std::vector<jet::TableSchema>& tables,
                  std::vector<ServerFinding>& out) {
  std::set<std::string> stored;
  for (std::string& name : storedHostTables(db)) stored.insert(std::move(name));
  std::set<std::string> described;
  const PgResult names = db.exec("SELECT Name FROM jet.MSysObjects ORDER BY Id");
  for (int i = 0; i < names.rows(); ++i) {
    const std::string name(names.text(i, 0));
    described.insert(canonicalName(name));
    if (!stored.contains(canonicalName(name)))
      out.push_back({name, "the catalog describes this table, which does not exist"});
  }
  for (const std::string& name : stored)
    if (!described.contains(name)) out.push_back({name, "the table is not in the catalog"});
  for (const jet::TableSchema& t : tables) checkColumns(db, t, out);
}

}  // namespace

std::vector<ServerFinding> checkHost(PgConnection& db) {
  std::vector<ServerFinding> out;
  checkCollation(db, out);
  const std::vector<jet::TableSchema> tables = loadSchemas(db);
  checkIndexes(db, tables, out);
  checkCatalog(db, tables, out);
  return out;
}

}  // namespace hostdb::postgres
