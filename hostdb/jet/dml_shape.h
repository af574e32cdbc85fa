// The parts of a query or data change of the engine's dialect that every
// engine reads alike: its verb, where its tokens end, its WHERE text and the
// one table of "SELECT * FROM table".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/jet/jet_tokens.h"
#include "hostdb/jet/verb.h"

namespace hostdb::jet {

struct DmlShape {
  Verb verb = Verb::Other;  // Select, Insert, Update or Delete
  std::size_t end = 0;      // the tokens' end, trailing semicolons left out
  std::string whereText;    // the first WHERE expression as written, for kExpressionSyntax
  // "SELECT * FROM table [WHERE ...|ORDER ...]": the one table a dynaset may
  // append to; empty for any other statement.
  std::string singleTable;
};

// Raises the verb's syntax error for a statement that is no SELECT, INSERT,
// UPDATE or DELETE, or holds a second statement. `original` is the text
// `tokens` were read from.
DmlShape dmlShape(std::string_view original, const std::vector<Token>& tokens);

}  // namespace hostdb::jet
