#include "hostdb/sqlite/sqlite_recordset.h"

#include <cstring>
#include <map>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/date.h"
#include "hostdb/sqlite/connection.h"
#include "hostdb/sqlite/jet_names.h"
#include "hostdb/sqlite/table_sql.h"

namespace hostdb::sqlite {
namespace {

class SqliteRecordset : public Recordset {
 public:
  SqliteRecordset(Connection& connection, Statement query, std::optional<TableSchema> appendTo,
                  std::string sql)
      : connection_(connection),
        open_(connection.lifetime()),
        query_(std::move(query)),
        table_(std::move(appendTo)),
        sql_(std::move(sql)) {
    sqlite3_stmt* s = query_.get();
    const int n = sqlite3_column_count(s);
    for (int i = 0; i < n; ++i) {
      names_.emplace_back(sqlite3_column_name(s, i));
      const char* decl = sqlite3_column_decltype(s, i);
      isDate_.push_back(decl && std::strncmp(decl, "DATETIME", 8) == 0);
    }
  }

  bool Eof() override { return !fetchTo(current_); }

  Variant Value(std::string_view name) override {
    const std::size_t column = columnIndex(name);
    if (!fetchTo(current_)) raise(err::kNoCurrentRecord);
    return rows_[current_][column];
  }

  std::vector<std::string> FieldNames() override { return names_; }

  void MoveFirst() override {
    if (!fetchTo(0)) raise(err::kNoCurrentRecord);
    current_ = 0;
  }
  void MoveLast() override {
    while (fetchOne()) {
    }
    if (rows_.empty()) raise(err::kNoCurrentRecord);
    current_ = rows_.size() - 1;
  }
  void MoveNext() override {
    if (!fetchTo(current_)) raise(err::kNoCurrentRecord);
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
    std::string columns, marks;
    for (const auto& [name, value] : pending_) {
      columns += (columns.empty() ? "" : ", ") + quoteIdentifier(name);
      marks += marks.empty() ? "?" : ", ?";
    }
    const std::string sql =
        "INSERT INTO " + quoteIdentifier(table_->name) +
        (pending_.empty() ? " DEFAULT VALUES" : " (" + columns + ") VALUES (" + marks + ")");
    if (!*open_) raise(err::kObjectNotValid);  // the database was closed
    Statement insert = prepareInsert(sql);
    int index = 1;
    for (const auto& [name, value] : pending_)
      bindValue(insert, index++, value, table_->column(name));
    insert.run();
    adding_ = false;
    pending_.clear();
  }

  // A column the catalog names may be missing from the table's definition
  // (another client changed it): SQLite then cannot prepare the INSERT.
  Statement prepareInsert(const std::string& sql) {
    try {
      return connection_.prepare(sql, Verb::Insert);
    } catch (const UnpreparedStatement&) {
      std::vector<std::string> columns;
      for (const auto& [name, value] : pending_) columns.push_back(name);
      requireInsertColumns(table_->name, columns, [this](std::string_view table) {
        return connection_.storedColumns(table);
      });
      throw;
    }
  }

  void Close() override {
    if (*open_) connection_.checkIn(sql_, std::move(query_));
    query_ = Statement();
    done_ = true;
    rows_.clear();
    adding_ = false;
  }

 private:
  std::size_t columnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
      if (sameName(names_[i], name)) return i;
    raiseItemNotFound("Fields of the recordset", name);
  }

  // True when row `index` exists (fetching up to it).
  bool fetchTo(std::size_t index) {
    while (rows_.size() <= index)
      if (!fetchOne()) return false;
    return true;
  }

  bool fetchOne() {
    if (done_) return false;
    if (!query_.step()) {
      done_ = true;
      query_.reset();
      return false;
    }
    sqlite3_stmt* s = query_.get();
    std::vector<Variant> row;
    row.reserve(names_.size());
    for (std::size_t i = 0; i < names_.size(); ++i) {
      const int c = static_cast<int>(i);
      switch (sqlite3_column_type(s, c)) {
        case SQLITE_NULL:
          row.emplace_back();
          break;
        case SQLITE_INTEGER:
          row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(s, c)));
          break;
        case SQLITE_FLOAT:
          row.emplace_back(sqlite3_column_double(s, c));
          break;
        default: {
          std::string text = query_.text(c);
          std::optional<Date> date = isDate_[i] ? parseStoredDate(text) : std::nullopt;
          if (date) row.emplace_back(*date);
          else row.emplace_back(std::move(text));
        }
      }
    }
    rows_.push_back(std::move(row));
    return true;
  }

  Connection& connection_;
  std::shared_ptr<const bool> open_;  // false once the database is closed
  Statement query_;
  std::optional<TableSchema> table_;
  std::string sql_;  // the query's key among the connection's kept statements
  std::vector<std::string> names_;
  std::vector<bool> isDate_;
  std::vector<std::vector<Variant>> rows_;
  std::size_t current_ = 0;
  bool done_ = false;
  bool adding_ = false;
  std::map<std::string, Variant> pending_;
};

}  // namespace

void bindValue(Statement& statement, int index, const Variant& value, const ColumnSchema* column) {
  const bool date = column && column->type == FieldType::Date;
  switch (value.kind()) {
    case Variant::Kind::Null:
      statement.bindNull(index);
      return;
    case Variant::Kind::Integer:
      statement.bind(index, value.integer());
      return;
    case Variant::Kind::Double:
      statement.bind(index, value.number());
      return;
    case Variant::Kind::Date:
      statement.bind(index, std::string_view(value.date().text()));
      return;
    case Variant::Kind::Text: {
      std::optional<std::string> asDate = date ? normalizeDate(value.text()) : std::nullopt;
      statement.bind(index, std::string_view(asDate ? *asDate : value.text()));
      return;
    }
  }
}

std::unique_ptr<Recordset> makeRecordset(Connection& connection, Statement query,
                                         std::optional<TableSchema> appendTo, std::string sql) {
  return std::make_unique<SqliteRecordset>(connection, std::move(query), std::move(appendTo),
                                           std::move(sql));
}

}  // namespace hostdb::sqlite
