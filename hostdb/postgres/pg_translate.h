// The engine's DML and queries rewritten as PostgreSQL SQL.
//
// - Names are written in their one form (pg_names.h).
// - Text literals become parameters $1, $2, ... (their values in `texts`), so
//   that statements that differ only in their values share one text and one
//   prepared statement; #dates# too, as timestamps.
// - Texts compare without regard to trailing blanks, as the engine compares
//   them: where a comparison (=, <>, <, >, <=, >=, IN) has a text on one side
//   and a text or a text literal on the other, both sides are written as
//   rtrim(...), the form the key indexes are built on, so that a look-up with
//   a blank-padded value finds its row through the index. ORDER BY, GROUP BY
//   and DISTINCT take a text column as rtrim(column) (a grouped or distinct
//   text comes back without its trailing blanks). Case is the collation's.
//   max/min keep the stored value and compare in the collation.
// - LIKE compares as the SQLite layer's: ASCII letters without regard to
//   case, % and _ as wildcards, no escape character; written over the "C"
//   collation, since PostgreSQL 15 refuses LIKE on a nondeterministic one.
// - The engine's functions (Left, Mid, Trim, UCase, Len, Digits, ...) are
//   called by their lower-case names, which the host schema provides.
// - A literal written into a column (INSERT ... VALUES, UPDATE ... SET) is
//   judged by the row rules first (pg_value_rules.h). Without the
//   fail-on-error option INSERT skips a row whose key is taken (ON CONFLICT
//   DO NOTHING).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/jet/jet_tokens.h"
#include "hostdb/jet/verb.h"
#include "hostdb/jet/table_schema.h"

namespace hostdb::postgres {

// The catalog's table of that name, or null.
using TableLookup = std::function<const jet::TableSchema*(std::string_view name)>;

// A row rule that a literal the statement writes breaks.
struct Refusal {
  int number = 0;
  std::string column;
};

struct Translation {
  jet::Verb verb = jet::Verb::Other;
  std::string sql;
  std::vector<std::string> texts;  // the parameters' values, $1 first
  std::string whereText;           // the WHERE expression as written
  // "SELECT * FROM table [WHERE ...]": the one table a dynaset may append to.
  std::string singleTable;
  // A query's names as the statement and its tables spell them: its aliases
  // as written, then the columns of the tables it names as the catalog
  // spells them. The server gives every name folded to lower case; a
  // recordset shows each by the first of these that it matches.
  std::vector<std::string> spellings;
  // Set when a written literal breaks a rule. Every row the statement would
  // write is then refused, and `sql` is a query of how many there are (empty:
  // exactly one, an INSERT ... VALUES): with the fail-on-error option any
  // row raises `number`, without it the statement writes nothing.
  std::optional<Refusal> refusal;
};

// Raises the verb's syntax error for a statement that is no SELECT, INSERT,
// UPDATE or DELETE or holds a second statement; for an INSERT into a table
// `lookup` knows, kUnknownInsertField for a column it lacks and
// kValueCountMismatch for values that do not match the columns in number.
Translation translateDml(std::string_view original, const std::vector<jet::Token>& tokens,
                         const TableLookup& lookup, bool skipFailingRows);

}  // namespace hostdb::postgres
