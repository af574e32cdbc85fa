// The engine's DML and queries rewritten as SQLite SQL: text literals become
// parameters that compare with the JET collation, #dates# and text put into Date columns become the
// stored date text, max/min compare with the JET collation, and without the
// fail-on-error option INSERT and UPDATE skip the rows that break a rule.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/sqlite/jet_names.h"

namespace hostdb::sqlite {

struct Translation {
  Verb verb = Verb::Other;
  // Text literals stand in the SQL as parameters ?1, ?2, ..., their values in
  // `texts`: statements that differ only in their values share one SQL text,
  // and so one prepared statement.
  std::string sql;
  std::vector<std::string> texts;
  std::string whereText;  // the WHERE expression as written, for error kExpressionSyntax
  // "SELECT * FROM table [WHERE ...]": the one table a dynaset may append to.
  std::string singleTable;
};

// Raises the verb's syntax error for a statement that is no SELECT, INSERT,
// UPDATE or DELETE, or holds a second statement.
Translation translateDml(std::string_view original, const std::vector<Token>& tokens,
                         const TableLookup& lookup, bool skipFailingRows);

}  // namespace hostdb::sqlite
