// Why a database could not prepare a statement of the engine's dialect, told
// from the statement's own tokens and the stored tables, never from the
// database's message: SQLite, for one, gives one code (SQLITE_ERROR) for a
// misspelt table, a missing column and a syntax error alike.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/jet/jet_tokens.h"
#include "hostdb/jet/verb.h"

namespace hostdb::jet {

// What the diagnosis asks of the database: the columns of a stored table
// (any table of the database, described by the catalog or not), nullopt when
// there is no such table.
using StoredColumns =
    std::function<std::optional<std::vector<std::string>>(std::string_view table)>;
// Whether the database's own SQL reads `word` as a keyword: such a word is
// never taken for a table, an alias or an unknown name.
using IsKeyword = std::function<bool(std::string_view word)>;

// Raises, in this order: kInputTableNotFound for a table it names that is not stored,
// kUnknownInsertField for a column of an INSERT's list that its table lacks, kValueCountMismatch
// for an INSERT whose values do not match its columns in number, kTooFewParameters for a name that
// is no column, table, alias or keyword, and otherwise the statement's syntax error
// (kExpressionSyntax with `whereText` when it has a WHERE, else its verb's number).
[[noreturn]] void raiseUnpreparable(const std::vector<Token>& tokens, Verb verb,
                                    std::string_view whereText, const StoredColumns& columnsOf,
                                    const IsKeyword& isKeyword);

// The part of the diagnosis an INSERT of `columns` into `table` needs: raises kInputTableNotFound
// when the table is not stored, kUnknownInsertField for the first column it lacks; returns when
// both are there.
void requireInsertColumns(std::string_view table, const std::vector<std::string>& columns,
                          const StoredColumns& columnsOf);

}  // namespace hostdb::jet
