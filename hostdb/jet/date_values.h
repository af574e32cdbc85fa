// Which text literals of an INSERT or UPDATE stand for a value of a Date
// column, so that an engine stores them as dates rather than compares them
// as texts.
#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string_view>
#include <vector>

#include "hostdb/jet/jet_tokens.h"
#include "hostdb/jet/table_schema.h"
#include "hostdb/jet/verb.h"

namespace hostdb::jet {

// The catalog's table of that name, or null.
using TableLookup = std::function<const TableSchema*(std::string_view name)>;

// The indexes of the string tokens (before `end`) that stand alone as a
// value for a Date column: the VALUES of an INSERT, or `column = 'text'` in
// an UPDATE's SET list.
std::set<std::size_t> dateValueTokens(const std::vector<Token>& tokens, std::size_t end, Verb verb,
                                      const TableLookup& lookup);

}  // namespace hostdb::jet
