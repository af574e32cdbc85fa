#include "hostdb/postgres/pg_recordset.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "hostdb/date.h"
#include "hostdb/engine_error.h"
#include "hostdb/postgres/pg_names.h"
#include "hostdb/postgres/pg_value_rules.h"

namespace hostdb::postgres {
namespace {

using jet::ColumnSchema;
using jet::TableSchema;

// The server's built-in type numbers (pg_type.oid) the layer reads as other
// than text.
enum class Read { Integer, Real, Date, Day, Boolean };
const struct {
  unsigned oid;
  Read read;
} kTypeReads[] = {{20, Read::Integer},  {21, Read::Integer}, {23, Read::Integer},
                  {700, Read::Real},    {701, Read::Real},   {1700, Read::Real},
                  {1114, Read::Date},   {1184, Read::Date},  {1082, Read::Day},
                  {16, Read::Boolean}};

// A number as the engine's text of it: whole numbers without a point, as
// SQLite writes them.
std::string numberText(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

WrittenValue writtenOf(const Variant& v) {
  switch (v.kind()) {
    case Variant::Kind::Null:
      return {};
    case Variant::Kind::Integer:
      return {WrittenValue::Kind::Number, std::to_string(v.integer())};
    case Variant::Kind::Double:
      return {WrittenValue::Kind::Number, numberText(v.number())};
    case Variant::Kind::Text:
      return {WrittenValue::Kind::Text, v.text()};
    case Variant::Kind::Date:
      return {WrittenValue::Kind::Date, v.date().text()};
  }
  return {};
}

bool inKey(const TableSchema& table, const ColumnSchema& c) {
  for (const std::string& k : table.primaryKeyColumns)
    if (jet::sameName(k, c.name)) return true;
  return false;
}

class ServerRecordset : public Recordset {
 public:
  ServerRecordset(std::shared_ptr<PgSession> session, PgResult rows,
                  std::optional<TableSchema> appendTo, const std::vector<std::string>& spellings)
      : session_(std::move(session)),
        open_(session_->lifetime()),
        table_(std::move(appendTo)) {
    take(rows, spellings);
  }
  // Rows read when first asked for: a dynaset opened only to append sends
  // nothing until its row goes.
  ServerRecordset(std::shared_ptr<PgSession> session, std::function<PgResult()> fetch,
                  TableSchema appendTo, std::vector<std::string> spellings)
      : session_(std::move(session)),
        open_(session_->lifetime()),
        table_(std::move(appendTo)),
        fetch_(std::move(fetch)),
        spellings_(std::move(spellings)) {}

  bool Eof() override {
    read();
    return current_ >= rows_.size();
  }

  Variant Value(std::string_view name) override {
    read();
    const std::size_t column = columnIndex(name);
    if (Eof()) raise(err::kNoCurrentRecord);
    return rows_[current_][column];
  }

  std::vector<std::string> FieldNames() override {
    read();
    return names_;
  }

  void MoveFirst() override {
    read();
    if (rows_.empty()) raise(err::kNoCurrentRecord);
    current_ = 0;
  }
  void MoveLast() override {
    read();
    if (rows_.empty()) raise(err::kNoCurrentRecord);
    current_ = rows_.size() - 1;
  }
  void MoveNext() override {
    if (Eof()) raise(err::kNoCurrentRecord);
    ++current_;
  }

  void AddNew() override {
    if (!table_) raise(err::kReadOnly);
    pending_.clear();
    adding_ = true;
  }
  void setValue(std::string_view name, Variant value) override {
    if (!adding_) raise(err::kUpdateWithoutEdit);
    const ColumnSchema* column = table_->column(name);
    if (!column) raiseItemNotFound("Fields of " + table_->name, name);
    pending_[column->name] = std::move(value);
  }

  void Update() override {
    if (!adding_) raise(err::kUpdateWithoutEdit);
    if (!session_ || !*open_) raise(err::kObjectNotValid);  // closed
    std::string columns, marks;
    std::vector<Param> params;
    // The rules in the table's column order, as the file host checks them;
    // a key column given no value would be Null.
    for (const ColumnSchema& c : table_->columns) {
      auto it = pending_.find(c.name);
      if (it == pending_.end()) {
        if (inKey(*table_, c)) raise(err::kNullInKey, {c.name});
        continue;
      }
      const WrittenValue written = writtenOf(it->second);
      const ValueVerdict verdict = judgeValue(c, inKey(*table_, c), written);
      if (verdict.refused) raise(verdict.refused, {c.name});
      columns += (columns.empty() ? "" : ", ") + quoteName(c.name);
      params.push_back(written.kind == WrittenValue::Kind::Null ? Param() : Param(verdict.bound));
      marks += (marks.empty() ? "$" : ", $") + std::to_string(params.size());
    }
    const std::string sql =
        "INSERT INTO " + quoteName(table_->name) +
        (params.empty() ? " DEFAULT VALUES" : " (" + columns + ") VALUES (" + marks + ")");
    session_->statement([&] { session_->connection().run(sql, params); });
    adding_ = false;
    pending_.clear();
  }

  void Close() override {
    fetch_ = nullptr;
    rows_.clear();
    current_ = 0;
    adding_ = false;
    session_.reset();
  }

 private:
  void take(const PgResult& rows, const std::vector<std::string>& spellings) {
    for (int c = 0; c < rows.columns(); ++c) {
      std::string name(rows.columnName(c));
      // The server gives every name in its one form: shown as the statement
      // writes an alias and the catalog spells a column, as a file host
      // shows them.
      bool spelt = false;
      for (const std::string& s : spellings)
        if (!spelt && canonicalName(s) == name) {
          name = s;
          spelt = true;
        }
      if (table_ && !spelt)
        if (const ColumnSchema* known = table_->column(name)) name = known->name;
      names_.push_back(std::move(name));
    }
    rows_.reserve(static_cast<std::size_t>(rows.rows()));
    for (int r = 0; r < rows.rows(); ++r) {
      std::vector<Variant> row;
      for (int c = 0; c < rows.columns(); ++c)
        row.push_back(rows.isNull(r, c) ? Variant()
                                        : variantOf(rows.text(r, c), PQftype(rows.get(), c)));
      rows_.push_back(std::move(row));
    }
  }
  // The rows, read now when they were left for later.
  void read() {
    if (!fetch_) return;
    // A recordset outlives its database's Close with its rows, as on a file
    // host: the session it holds still has the connection.
    if (!session_) raise(err::kObjectNotValid);
    const std::function<PgResult()> fetch = std::move(fetch_);
    fetch_ = nullptr;
    take(fetch(), spellings_);
  }

  std::size_t columnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
      if (jet::sameName(names_[i], name)) return i;
    raiseItemNotFound("Fields of the recordset", name);
  }

  std::shared_ptr<PgSession> session_;  // keeps the connection until Close
  std::shared_ptr<const bool> open_;    // false once the database is closed
  std::optional<TableSchema> table_;
  std::vector<std::string> names_;
  std::vector<std::vector<Variant>> rows_;
  std::size_t current_ = 0;
  bool adding_ = false;
  std::map<std::string, Variant> pending_;
  std::function<PgResult()> fetch_;  // set while the rows are still to be read
  std::vector<std::string> spellings_;
};

}  // namespace

std::unique_ptr<Recordset> makeAppendingRecordset(std::shared_ptr<PgSession> session,
                                                 std::function<PgResult()> fetch,
                                                 jet::TableSchema appendTo,
                                                 std::vector<std::string> spellings) {
  return std::make_unique<ServerRecordset>(std::move(session), std::move(fetch),
                                           std::move(appendTo), std::move(spellings));
}

Variant variantOf(std::string_view text, unsigned typeOid) {
  for (const auto& t : kTypeReads) {
    if (t.oid != typeOid) continue;
    const std::string s(text);
    switch (t.read) {
      case Read::Integer:
        return Variant(static_cast<std::int64_t>(std::strtoll(s.c_str(), nullptr, 10)));
      case Read::Real:
        return Variant(std::strtod(s.c_str(), nullptr));
      case Read::Date:
        if (std::optional<Date> d = parseStoredDate(s.substr(0, 19))) return Variant(*d);
        return Variant(s);
      case Read::Day:
        if (std::optional<Date> d = parseStoredDate(s + " 00:00:00")) return Variant(*d);
        return Variant(s);
      case Read::Boolean:
        return Variant(static_cast<std::int64_t>(s == "t" ? -1 : 0));
    }
  }
  return Variant(std::string(text));
}

std::unique_ptr<Recordset> makeRecordset(std::shared_ptr<PgSession> session, PgResult rows,
                                         std::optional<TableSchema> appendTo,
                                         const std::vector<std::string>& spellings) {
  return std::make_unique<ServerRecordset>(std::move(session), std::move(rows),
                                           std::move(appendTo), spellings);
}

}  // namespace hostdb::postgres
