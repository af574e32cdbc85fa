#include "hostdb/jet/jet_tokens.h"

#include "hostdb/date.h"
#include "platform/ascii.h"

namespace hostdb::jet {
namespace {

bool isWordChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c >= 0x80;
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool Token::is(std::string_view word) const {
  return kind == TokenKind::Word && platform::ascii::equalsNoCase(text, word);
}

std::size_t closingParen(const std::vector<Token>& t, std::size_t open, std::size_t end) {
  int depth = 0;
  for (std::size_t i = open; i < end; ++i) {
    if (t[i].isPunct("(")) ++depth;
    if (t[i].isPunct(")") && --depth == 0) return i;
  }
  return end;
}

std::optional<std::vector<Token>> tokenize(std::string_view sql) {
  if (sql.find('\0') != std::string_view::npos) return std::nullopt;
  std::vector<Token> out;
  std::size_t i = 0;
  const std::size_t n = sql.size();
  while (i < n) {
    const char c = sql[i];
    const std::size_t start = i;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '\'' || c == '"') {
      std::string value;
      ++i;
      for (;;) {
        if (i >= n) return std::nullopt;
        if (sql[i] == c) {
          if (i + 1 < n && sql[i + 1] == c) {
            value += c;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += sql[i++];
      }
      out.push_back({TokenKind::String, std::move(value), start});
    } else if (c == '[') {
      const std::size_t close = sql.find(']', i);
      if (close == std::string_view::npos) return std::nullopt;
      out.push_back({TokenKind::Name, std::string(sql.substr(i + 1, close - i - 1)), start});
      i = close + 1;
    } else if (c == '#') {
      const std::size_t close = sql.find('#', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      auto date = normalizeDate(sql.substr(i + 1, close - i - 1));
      if (!date) return std::nullopt;
      out.push_back({TokenKind::Date, *date, start});
      i = close + 1;
    } else if (isDigit(c) || (c == '.' && i + 1 < n && isDigit(sql[i + 1]))) {
      while (i < n && (isDigit(sql[i]) || sql[i] == '.')) ++i;
      if (i < n && (sql[i] == 'e' || sql[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (sql[j] == '+' || sql[j] == '-')) ++j;
        if (j < n && isDigit(sql[j])) {
          i = j;
          while (i < n && isDigit(sql[i])) ++i;
        }
      }
      out.push_back({TokenKind::Number, std::string(sql.substr(start, i - start)), start});
    } else if (isWordChar(static_cast<unsigned char>(c))) {
      while (i < n && isWordChar(static_cast<unsigned char>(sql[i]))) ++i;
      out.push_back({TokenKind::Word, std::string(sql.substr(start, i - start)), start});
    } else {
      std::string p(1, c);
      if (i + 1 < n) {
        const std::string two(sql.substr(i, 2));
        if (two == "<=" || two == ">=" || two == "<>" || two == "!=" || two == "||") p = two;
      }
      i += p.size();
      out.push_back({TokenKind::Punct, std::move(p), start});
    }
  }
  return out;
}

}  // namespace hostdb::jet
