// How the engine's names stand in PostgreSQL SQL. The engine compares names
// without regard to case or trailing blanks; PostgreSQL compares quoted names
// exactly. Every name is therefore written in one form, lower-cased (the
// Latin letters), trailing blanks dropped and double-quoted, so that
// `[Formulario]`, `formulario` and `FORMULARIO ` are the same column.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "hostdb/jet/table_schema.h"

namespace hostdb::postgres {

// The host's text collation: case ignored (accents counting), an ICU
// collation `und-u-ks-level2` that is not deterministic. Every text column
// is declared with it; the schema module creates it under this name.
inline constexpr const char* kCollation = "jet";

// The longest name PostgreSQL keeps; a longer one it cuts with only a notice.
inline constexpr std::size_t kMaxNameBytes = 63;

// The one form of `name`: lower-cased, trailing blanks dropped.
std::string canonicalName(std::string_view name);
// canonicalName(name) double-quoted, embedded quotes doubled.
std::string quoteName(std::string_view name);
// Raises kNotValidName with `name` when its form is empty or longer than
// PostgreSQL keeps: two long names would otherwise be cut to one.
void requireValidName(std::string_view name);

// The unique index that holds a table's primary key: "<table> <key>" (index
// names are schema-wide, and the programs give every key the same name),
// so that the key's name survives in the catalog.
std::string primaryKeyIndexName(const jet::TableSchema& table);

}  // namespace hostdb::postgres
