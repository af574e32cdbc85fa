// What kind of statement a text of the engine's dialect is, by its first
// word, and the syntax error the engine gives a malformed one of each kind.
#pragma once

#include "hostdb/jet/jet_tokens.h"

namespace hostdb::jet {

enum class Verb { Select, Insert, Update, Delete, Create, Alter, Drop, Other };

// The verb the word names (SELECT, INSERT, UPDATE, DELETE, CREATE, ALTER,
// DROP, without regard to case); Other for any other token.
Verb verbNamed(const Token& first);

// Whether statements of `verb` are queries or data changes, which the
// engine's DML translation takes.
bool isDml(Verb verb);

// The engine's syntax error number for a statement of `verb`.
int syntaxErrorNumber(Verb verb);

// The statement's tokens. A text that cannot be cut into tokens (an unclosed
// literal, a bad #date#, a NUL byte) raises the syntax error of the verb its
// first word names, or of `fallback` when that names none.
std::vector<Token> statementTokens(std::string_view sql, Verb fallback);

}  // namespace hostdb::jet
