// The engine's data-definition statements (parsed by jet_ddl) as PostgreSQL
// statements.
//
// Column types: Byte, Integer and Yes/No are smallint (Byte and Yes/No with
// a CHECK of their range, so that no path stores what the engine could not
// hold), Long integer, Double double precision, Date timestamp(0) without time zone, Text(n)
// character varying(n) (n characters) and Memo text, both in the host's collation.
//
// A primary key is a unique index named primaryKeyIndexName() over the key's
// columns, each text column as rtrim(column): the key then ignores case (the
// collation) and trailing blanks, as the engine's keys do, and the same
// rtrim() that the translated queries write on a text compared serves them
// from the index. The key's columns are NOT NULL.
#pragma once

#include <string>
#include <vector>

#include "hostdb/postgres/pg_translate.h"
#include "hostdb/jet/jet_ddl.h"

namespace hostdb::postgres {

// The statements that carry out `ddl`, to be run in one transaction. Raises
// before any is run: kNotValidName for a name PostgreSQL would cut;
// CREATE: kTableExists when `lookup` knows the table, kCreateTableSyntax for
// a key column the table lacks; DROP: kTableNotFound; ADD CONSTRAINT:
// kInputTableNotFound, kPrimaryKeyExists, kItemNotFound for a column the
// table lacks. Nulls and duplicates among stored rows are PostgreSQL's to
// find (NOT NULL, the unique index).
std::vector<std::string> translateDdl(const jet::DdlStatement& ddl, const TableLookup& lookup);

// The PostgreSQL type of a column of the engine's type and size.
std::string columnType(const jet::ColumnSchema& column);

// The index key of a column: rtrim("name") for a text column, "name" otherwise.
std::string keyExpression(const jet::ColumnSchema& column);

}  // namespace hostdb::postgres
