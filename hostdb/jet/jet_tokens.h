// Tokens of the engine's SQL dialect: words, [bracketed] names, 'text'
// literals (with '' for a quote; "text" too), #date# literals, numbers and
// punctuation.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostdb::jet {

enum class TokenKind { Word, Name, String, Date, Number, Punct };

struct Token {
  TokenKind kind;
  std::string text;        // a word or name as written, a literal's value, a date as stored
  std::size_t offset = 0;  // where it starts in the statement

  bool is(std::string_view word) const;  // a word, without regard to case
  bool isPunct(std::string_view p) const { return kind == TokenKind::Punct && text == p; }
  bool isName() const { return kind == TokenKind::Word || kind == TokenKind::Name; }
};

// The statement's tokens; nullopt when a literal or a bracket is not closed,
// a #date# is no date, or the text holds a NUL byte anywhere (SQLite would stop
// reading the statement there without an error).
std::optional<std::vector<Token>> tokenize(std::string_view sql);

// The index of the ")" that closes the "(" at `open`, looking no further than
// `end`; `end` when it is not closed.
std::size_t closingParen(const std::vector<Token>& tokens, std::size_t open, std::size_t end);

}  // namespace hostdb::jet
