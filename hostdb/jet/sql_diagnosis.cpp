#include "hostdb/jet/sql_diagnosis.h"

#include <map>

#include "hostdb/engine_error.h"
#include "hostdb/jet/table_schema.h"
#include "platform/ascii.h"

namespace hostdb::jet {
namespace {

bool hasColumn(const std::vector<std::string>& columns, std::string_view column) {
  for (const std::string& c : columns)
    if (sameName(c, column)) return true;
  return false;
}

struct TableUse {
  std::string name;
  std::vector<std::string> columns;
};

class Diagnosis {
 public:
  Diagnosis(const std::vector<Token>& t, const StoredColumns& columnsOf, const IsKeyword& isKeyword)
      : t_(t), end_(t.size()), columnsOf_(columnsOf), isKeyword_(isKeyword) {}

  void tables() {
    for (std::size_t i = 0; i < end_; ++i) {
      const bool list = t_[i].is("FROM");
      if (!list && !t_[i].is("JOIN") && !t_[i].is("INTO") && !t_[i].is("UPDATE")) continue;
      std::size_t j = i + 1;
      while (j < end_ && t_[j].isName() && !isKeyword(t_[j])) {
        use(t_[j].text);
        ++j;
        if (j + 1 < end_ && t_[j].is("AS") && t_[j + 1].isName()) {
          alias(t_[j + 1].text, t_[j - 1].text);
          j += 2;
        } else if (j < end_ && t_[j].isName() && !isKeyword(t_[j])) {
          alias(t_[j].text, t_[j - 1].text);
          ++j;
        }
        if (!list || j >= end_ || !t_[j].isPunct(",")) break;
        ++j;
      }
    }
  }

  void insertColumns() {
    if (end_ < 4 || !t_[0].is("INSERT") || !t_[1].is("INTO") || !t_[2].isName()) return;
    const TableUse* table = find(t_[2].text);
    if (!table) return;
    std::size_t i = 3;
    std::size_t wanted = table->columns.size();
    if (t_[i].isPunct("(")) {
      const std::size_t close = closingParen(t_, i, end_);
      wanted = 0;
      for (std::size_t k = i + 1; k < close; ++k) {
        if (!t_[k].isName()) continue;
        ++wanted;
        if (!hasColumn(*table, t_[k].text)) raise(err::kUnknownInsertField, {t_[k].text});
      }
      i = close + 1;
    }
    if (i + 1 < end_ && t_[i].is("VALUES") && t_[i + 1].isPunct("(")) {
      const std::size_t close = closingParen(t_, i + 1, end_);
      if (close == end_) return;  // not closed: a syntax error
      std::size_t values = close > i + 2 ? 1 : 0;
      int depth = 0;
      for (std::size_t k = i + 2; k < close; ++k) {
        if (t_[k].isPunct("(")) ++depth;
        if (t_[k].isPunct(")")) --depth;
        if (depth == 0 && t_[k].isPunct(",")) ++values;
      }
      if (values != wanted) raise(err::kValueCountMismatch);
    }
  }

  // A name that stands for nothing the statement can see: the engine takes it
  // for a parameter it has no value for.
  void names() {
    for (std::size_t k = 0; k < end_; ++k) {
      const Token& tok = t_[k];
      if (!tok.isName() || isKeyword(tok) || tok.is("TRUE") || tok.is("FALSE")) continue;
      if (k + 1 < end_ && t_[k + 1].isPunct("(")) continue;  // a function
      if (k > 0 && t_[k - 1].is("AS")) continue;             // an alias being named
      if (k > 0 && t_[k - 1].isPunct(".")) {
        if (k >= 2) {
          const TableUse* table = find(t_[k - 2].text);
          if (table && !hasColumn(*table, tok.text)) raise(err::kTooFewParameters, {"1"});
        }
        continue;
      }
      if (find(tok.text) || isOutputAlias(tok.text)) continue;
      bool known = false;
      for (const TableUse& table : uses_) known = known || hasColumn(table, tok.text);
      if (!known) raise(err::kTooFewParameters, {"1"});
    }
  }

 private:
  bool isKeyword(const Token& token) const {
    return token.kind == TokenKind::Word && isKeyword_(token.text);
  }
  void use(const std::string& name) {
    std::optional<std::vector<std::string>> columns = columnsOf_(name);
    if (!columns) raise(err::kInputTableNotFound, {name});
    uses_.push_back({name, std::move(*columns)});
    names_[platform::ascii::upperCase(name)] = uses_.size() - 1;
  }
  void alias(const std::string& alias, const std::string& table) {
    names_[platform::ascii::upperCase(alias)] = names_.at(platform::ascii::upperCase(table));
  }
  const TableUse* find(std::string_view name) const {
    auto it = names_.find(platform::ascii::upperCase(name));
    return it == names_.end() ? nullptr : &uses_[it->second];
  }
  static bool hasColumn(const TableUse& table, std::string_view column) {
    return jet::hasColumn(table.columns, column);
  }
  bool isOutputAlias(std::string_view name) const {
    for (std::size_t k = 1; k < end_; ++k)
      if (t_[k - 1].is("AS") && t_[k].isName() && sameName(t_[k].text, name)) return true;
    return false;
  }

  const std::vector<Token>& t_;
  std::size_t end_;
  const StoredColumns& columnsOf_;
  const IsKeyword& isKeyword_;
  std::vector<TableUse> uses_;
  std::map<std::string, std::size_t> names_;  // upper-cased table names and aliases
};

}  // namespace

void requireInsertColumns(std::string_view table, const std::vector<std::string>& columns,
                          const StoredColumns& columnsOf) {
  const std::optional<std::vector<std::string>> stored = columnsOf(table);
  if (!stored) raise(err::kInputTableNotFound, {table});
  for (const std::string& column : columns)
    if (!hasColumn(*stored, column)) raise(err::kUnknownInsertField, {column});
}

void raiseUnpreparable(const std::vector<Token>& tokens, Verb verb, std::string_view whereText,
                       const StoredColumns& columnsOf, const IsKeyword& isKeyword) {
  Diagnosis diagnosis(tokens, columnsOf, isKeyword);
  diagnosis.tables();
  diagnosis.insertColumns();
  diagnosis.names();
  if (!whereText.empty()) raise(err::kExpressionSyntax, {whereText});
  raise(syntaxErrorNumber(verb));
}

}  // namespace hostdb::jet
