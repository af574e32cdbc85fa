#include "hostdb/postgres/pg_translate.h"

#include "hostdb/engine_error.h"
#include "hostdb/jet/dml_shape.h"
#include "hostdb/postgres/pg_names.h"
#include "hostdb/postgres/pg_value_rules.h"
#include "platform/ascii.h"

namespace hostdb::postgres {
namespace {

using jet::ColumnSchema;
using jet::TableSchema;
using jet::Token;
using jet::TokenKind;
using jet::Verb;

// The engine's functions: their PostgreSQL names and what they give. The
// layer's own are named with their schema: the server's left(text, integer)
// would otherwise take a whole-number literal better than jet.left does,
// and refuse nothing the engine refuses.
enum class Gives { Text, Number, Argument };
struct Function {
  const char* engine;
  const char* postgres;
  Gives gives;
};
constexpr Function kFunctions[] = {
    {"LEFT", "jet.left", Gives::Text},     {"RIGHT", "jet.right", Gives::Text},
    {"MID", "jet.mid", Gives::Text},       {"TRIM", "jet.trim", Gives::Text},
    {"LTRIM", "jet.ltrim", Gives::Text},   {"RTRIM", "jet.rtrim", Gives::Text},
    {"UCASE", "jet.ucase", Gives::Text},   {"LCASE", "jet.lcase", Gives::Text},
    {"LEN", "jet.len", Gives::Number},     {"DIGITS", "jet.digits", Gives::Number},
    {"COUNT", "count", Gives::Number}, {"SUM", "sum", Gives::Number},
    {"AVG", "avg", Gives::Number},     {"MAX", "max", Gives::Argument},
    {"MIN", "min", Gives::Argument},
};

const Function* functionOf(const Token& t) {
  for (const Function& f : kFunctions)
    if (t.is(f.engine)) return &f;
  return nullptr;
}

// Words after which a name is a table.
bool introducesTable(const Token& t) {
  return t.is("FROM") || t.is("JOIN") || t.is("INTO") || t.is("UPDATE");
}

// Words that end a table reference or a clause.
bool isClauseWord(const Token& t) {
  for (const char* w :
       {"WHERE", "ORDER", "GROUP",  "HAVING", "INNER", "LEFT", "RIGHT",   "OUTER",    "JOIN", "ON",
        "UNION", "SET",   "VALUES", "SELECT", "FROM",  "AS",   "AND",     "OR",       "NOT",  "BY",
        "ASC",   "DESC",  "LIKE",   "IN",     "IS",    "NULL", "BETWEEN", "DISTINCT", "TOP"})
    if (t.is(w)) return true;
  return false;
}

bool isComparison(const Token& t) {
  for (const char* p : {"=", "<>", "!=", "<", ">", "<=", ">="})
    if (t.isPunct(p)) return true;
  return false;
}

// What an operand is, for the choice of comparing it blank-insensitively.
enum class Operand { Text, Literal, Other, Unknown };

struct Span {
  std::size_t first, last;  // inclusive
};

class Rewriter {
 public:
  Rewriter(const std::vector<Token>& t, std::size_t end, const TableLookup& lookup,
           Translation& out)
      : t_(t), end_(end), lookup_(lookup), out_(out), before_(end), after_(end), bound_(end) {}

  void run(bool skipFailingRows) {
    collectTables();
    if (out_.verb == Verb::Select) {
      if (end_ > 1 && (t_[1].is("FROM") || (t_[1].is("DISTINCT") && end_ > 2 && t_[2].is("FROM"))))
        raise(jet::syntaxErrorNumber(Verb::Select));  // no select list
      collectSpellings();
    }
    markComparisons();
    markOrdering();
    if (out_.verb == Verb::Insert) judgeInsert();
    if (out_.verb == Verb::Update) judgeUpdate();
    if (out_.refusal) return;
    out_.sql = emit(0, end_);
    if (skipFailingRows && out_.verb == Verb::Insert) out_.sql += " ON CONFLICT DO NOTHING";
  }

 private:
  // --- the tables the statement names -------------------------------------

  void collectTables() {
    for (std::size_t i = 0; i + 1 < end_; ++i) {
      if (!introducesTable(t_[i])) continue;
      std::size_t k = i + 1;
      for (;;) {
        if (k >= end_ || !t_[k].isName() || isClauseWord(t_[k])) break;
        const TableSchema* table = lookup_(t_[k].text);
        tableTokens_.push_back(k);
        std::string alias = canonicalName(t_[k].text);
        ++k;
        if (k < end_ && t_[k].is("AS")) ++k;
        if (k < end_ && t_[k].isName() && !isClauseWord(t_[k])) {
          alias = canonicalName(t_[k].text);
          aliasTokens_.push_back(k++);
        }
        if (table) scope_.emplace_back(alias, table);
        if (i + 1 < end_ && t_[i].is("FROM") && k < end_ && t_[k].isPunct(",")) {
          ++k;
          continue;
        }
        break;
      }
    }
  }

  void collectSpellings() {
    for (std::size_t i = 1; i < end_; ++i)
      if (t_[i - 1].is("AS") && t_[i].isName()) out_.spellings.push_back(t_[i].text);
    for (const auto& [alias, table] : scope_)
      for (const ColumnSchema& c : table->columns) out_.spellings.push_back(c.name);
  }

  const ColumnSchema* column(const Span& s) const {
    if (!t_[s.last].isName()) return nullptr;
    if (s.first == s.last) {
      for (const auto& [alias, table] : scope_)
        if (const ColumnSchema* c = table->column(t_[s.last].text)) return c;
      return nullptr;
    }
    if (s.last != s.first + 2 || !t_[s.first + 1].isPunct(".")) return nullptr;
    const std::string alias = canonicalName(t_[s.first].text);
    for (const auto& [a, table] : scope_)
      if (a == alias) return table->column(t_[s.last].text);
    return nullptr;
  }

  bool isKeyColumn(const TableSchema& table, const ColumnSchema& c) const {
    for (const std::string& k : table.primaryKeyColumns)
      if (jet::sameName(k, c.name)) return true;
    return false;
  }

  // --- operands -----------------------------------------------------------

  std::size_t openingParen(std::size_t close) const {
    int depth = 0;
    for (std::size_t i = close + 1; i-- > 0;) {
      if (t_[i].isPunct(")")) ++depth;
      if (t_[i].isPunct("(") && --depth == 0) return i;
    }
    return close;
  }

  // The one operand that ends at `last`: a name (qualified or not), a
  // literal, a call or a parenthesis.
  std::optional<Span> operandEndingAt(std::size_t last) const {
    const Token& tok = t_[last];
    if (tok.isPunct(")")) {
      std::size_t first = openingParen(last);
      if (first > 0 && t_[first - 1].kind == TokenKind::Word && functionOf(t_[first - 1])) --first;
      return Span{first, last};
    }
    if (tok.isName() && !isClauseWord(tok)) {
      std::size_t first = last;
      while (first >= 2 && t_[first - 1].isPunct(".") && t_[first - 2].isName()) first -= 2;
      return Span{first, last};
    }
    if (tok.kind == TokenKind::String || tok.kind == TokenKind::Number ||
        tok.kind == TokenKind::Date)
      return Span{last, last};
    return std::nullopt;
  }

  // From `first` to the ")" closing the "(" at `open`; nullopt when none does.
  std::optional<Span> closedSpan(std::size_t first, std::size_t open) const {
    const std::size_t close = jet::closingParen(t_, open, end_);
    if (close >= end_) return std::nullopt;
    return Span{first, close};
  }

  std::optional<Span> operandStartingAt(std::size_t first) const {
    if (first >= end_) return std::nullopt;
    const Token& tok = t_[first];
    // A parenthesis left open is no operand (SQL to be refused as written).
    if (tok.isPunct("(")) return closedSpan(first, first);
    if (tok.kind == TokenKind::Word && first + 1 < end_ && t_[first + 1].isPunct("(") &&
        functionOf(tok))
      return closedSpan(first, first + 1);
    if (tok.isName() && !isClauseWord(tok)) {
      std::size_t last = first;
      while (last + 2 < end_ && t_[last + 1].isPunct(".") && t_[last + 2].isName()) last += 2;
      return Span{first, last};
    }
    if (tok.kind == TokenKind::String || tok.kind == TokenKind::Number ||
        tok.kind == TokenKind::Date)
      return Span{first, first};
    if (tok.isPunct("-") && first + 1 < end_ && t_[first + 1].kind == TokenKind::Number)
      return Span{first, first + 1};
    return std::nullopt;
  }

  Operand kindOf(const Span& s) const {
    const Token& first = t_[s.first];
    if (s.first == s.last) {
      if (first.kind == TokenKind::String) return Operand::Literal;
      if (first.kind == TokenKind::Number || first.kind == TokenKind::Date) return Operand::Other;
    }
    if (first.kind == TokenKind::Word && s.first + 1 < s.last && t_[s.first + 1].isPunct("(")) {
      const Function* f = functionOf(first);
      if (!f) return Operand::Unknown;
      if (f->gives == Gives::Text) return Operand::Text;
      if (f->gives == Gives::Number) return Operand::Other;
      auto inner = operandStartingAt(s.first + 2);
      return inner && inner->last + 1 == s.last ? kindOf(*inner) : Operand::Unknown;
    }
    if (first.isPunct("(")) {
      auto inner = operandStartingAt(s.first + 1);
      return inner && inner->last + 1 == s.last ? kindOf(*inner) : Operand::Unknown;
    }
    if (const ColumnSchema* c = column(s))
      return jet::isTextType(c->type) ? Operand::Text : Operand::Other;
    return Operand::Unknown;
  }

  void wrap(const Span& s, const std::string& open, const std::string& close) {
    before_[s.first] += open;
    after_[s.last] = close + after_[s.last];
  }
  void trimmed(const Span& s) { wrap(s, "rtrim(", ")"); }

  // --- comparisons --------------------------------------------------------

  // Where the SET list of an UPDATE is: its '=' are assignments.
  bool inSetList(std::size_t i) const {
    if (out_.verb != Verb::Update) return false;
    for (std::size_t k = 0; k < i; ++k)
      if (t_[k].is("WHERE")) return false;
    return true;
  }

  void compare(const Span& left, const Span& right) {
    const Operand l = kindOf(left), r = kindOf(right);
    const bool textual = (l == Operand::Text && (r == Operand::Text || r == Operand::Literal)) ||
                         (r == Operand::Text && l == Operand::Literal);
    if (textual) {
      trimmed(left);
      trimmed(right);
    } else if (l == Operand::Literal && r == Operand::Literal) {
      wrap(left, "rtrim(", std::string(") COLLATE \"") + kCollation + "\"");
      trimmed(right);
    }
  }

  // x [NOT] IN (a, b, ...), with `in` at the word IN.
  void markIn(std::size_t in) {
    const std::size_t at = in >= 2 && t_[in - 1].is("NOT") ? in - 2 : in - 1;
    auto left = operandEndingAt(at);
    if (!left) return;
    const std::size_t close = jet::closingParen(t_, in + 1, end_);
    std::vector<Span> items;
    for (std::size_t k = in + 2; k < close;) {
      auto item = operandStartingAt(k);
      if (!item || item->last >= close) return;
      items.push_back(*item);
      k = item->last + 1;
      if (k < close && !t_[k].isPunct(",")) return;
      ++k;
    }
    bool textual = kindOf(*left) == Operand::Text;
    for (const Span& item : items) textual = textual || kindOf(item) == Operand::Text;
    if (!textual) return;
    trimmed(*left);
    for (const Span& item : items)
      if (kindOf(item) == Operand::Text || kindOf(item) == Operand::Literal) trimmed(item);
  }

  void markComparisons() {
    for (std::size_t i = 1; i + 1 < end_; ++i) {
      const Token& tok = t_[i];
      if (isComparison(tok) && !inSetList(i)) {
        auto left = operandEndingAt(i - 1);
        auto right = operandStartingAt(i + 1);
        if (left && right) compare(*left, *right);
      } else if (tok.is("IN") && t_[i + 1].isPunct("(") &&
                 !(i + 2 < end_ && t_[i + 2].is("SELECT"))) {
        markIn(i);
      } else if (tok.is("LIKE")) {
        const std::size_t at = t_[i - 1].is("NOT") && i >= 2 ? i - 2 : i - 1;
        auto left = operandEndingAt(at);
        auto right = operandStartingAt(i + 1);
        if (!left || !right) continue;
        const std::string folded =
            ")::text COLLATE \"C\", 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz')";
        wrap(*left, "translate((", folded);
        wrap(*right, "translate((", folded + " ESCAPE ''");
      }
    }
  }

  // --- ORDER BY, GROUP BY, DISTINCT ---------------------------------------

  // The items of a list that starts at `first` and ends before a clause word
  // or a closing parenthesis at its own depth.
  std::vector<Span> listItems(std::size_t first) const {
    std::vector<Span> items;
    std::size_t k = first;
    while (k < end_) {
      auto item = operandStartingAt(k);
      if (!item) break;
      items.push_back(*item);
      k = item->last + 1;
      if (k < end_ && (t_[k].is("ASC") || t_[k].is("DESC"))) ++k;
      if (k < end_ && t_[k].is("AS")) k += 2;
      else if (k < end_ && t_[k].kind == TokenKind::Name) ++k;
      if (k >= end_ || !t_[k].isPunct(",")) break;
      ++k;
    }
    return items;
  }

  bool sameTokens(const Span& a, const Span& b) const {
    if (a.last - a.first != b.last - b.first) return false;
    for (std::size_t i = 0; i <= a.last - a.first; ++i) {
      const Token &x = t_[a.first + i], &y = t_[b.first + i];
      if (x.kind != y.kind && !(x.isName() && y.isName())) return false;
      if (canonicalName(x.text) != canonicalName(y.text)) return false;
    }
    return true;
  }

  // A text column of the select list, written rtrim(column) AS "column".
  void trimmedItem(const Span& s) {
    if (kindOf(s) != Operand::Text) return;
    const bool aliased =
        s.last + 1 < end_ && (t_[s.last + 1].is("AS") || t_[s.last + 1].kind == TokenKind::Name);
    trimmed(s);
    if (!aliased) after_[s.last] += " AS " + quoteName(t_[s.last].text);
  }

  void markOrdering() {
    if (out_.verb != Verb::Select) return;
    std::size_t selectFirst = 1;
    const bool distinct = end_ > 1 && t_[1].is("DISTINCT");
    if (distinct) selectFirst = 2;
    const std::vector<Span> selected = listItems(selectFirst);
    std::vector<Span> grouped;
    for (std::size_t i = 0; i + 2 < end_; ++i) {
      if (!t_[i + 1].is("BY")) continue;
      if (!t_[i].is("ORDER") && !t_[i].is("GROUP")) continue;
      for (const Span& s : listItems(i + 2)) {
        if (kindOf(s) == Operand::Text) trimmed(s);
        if (t_[i].is("GROUP")) grouped.push_back(s);
      }
    }
    for (const Span& s : selected) {
      bool isGrouped = distinct;
      for (const Span& g : grouped) isGrouped = isGrouped || sameTokens(s, g);
      if (isGrouped) trimmedItem(s);
    }
  }

  // --- written values -----------------------------------------------------

  std::optional<WrittenValue> literalAt(const Span& s) const {
    const Token& first = t_[s.first];
    if (s.first == s.last) {
      switch (first.kind) {
        case TokenKind::String:
          return WrittenValue{WrittenValue::Kind::Text, first.text};
        case TokenKind::Number:
          return WrittenValue{WrittenValue::Kind::Number, first.text};
        case TokenKind::Date:
          return WrittenValue{WrittenValue::Kind::Date, first.text};
        default:
          break;
      }
      if (first.is("NULL")) return WrittenValue{};
      if (first.is("TRUE")) return WrittenValue{WrittenValue::Kind::Number, "-1"};
      if (first.is("FALSE")) return WrittenValue{WrittenValue::Kind::Number, "0"};
      return std::nullopt;
    }
    if (s.last == s.first + 1 && first.isPunct("-") && t_[s.last].kind == TokenKind::Number)
      return WrittenValue{WrittenValue::Kind::Number, "-" + t_[s.last].text};
    return std::nullopt;
  }

  // Judges the value of `column` at `value`; the first refusal is kept.
  void judge(const TableSchema& table, const ColumnSchema& c, const Span& value) {
    const std::optional<WrittenValue> literal = literalAt(value);
    if (!literal) return;
    const ValueVerdict v = judgeValue(c, isKeyColumn(table, c), *literal);
    if (v.refused) {
      if (!out_.refusal) out_.refusal = Refusal{v.refused, c.name};
      return;
    }
    const Token& tok = t_[value.first];
    const bool textual = jet::isTextType(c.type);
    if (value.first == value.last &&
        (tok.kind == TokenKind::String || tok.kind == TokenKind::Date ||
         (tok.kind == TokenKind::Number && textual)))
      bound_[value.first] = v.bound;
  }

  void judgeInsert() {
    if (end_ < 3 || !t_[1].is("INTO") || !t_[2].isName()) return;
    const TableSchema* table = lookup_(t_[2].text);
    if (!table) return;
    std::vector<const ColumnSchema*> columns;
    std::size_t i = 3;
    if (i < end_ && t_[i].isPunct("(")) {
      const std::size_t close = jet::closingParen(t_, i, end_);
      if (close >= end_) raise(jet::syntaxErrorNumber(Verb::Insert));
      for (++i; i < close; ++i) {
        if (!t_[i].isName()) continue;
        const ColumnSchema* c = table->column(t_[i].text);
        if (!c) raise(err::kUnknownInsertField, {t_[i].text});
        columns.push_back(c);
      }
      i = close + 1;
    } else {
      for (const ColumnSchema& c : table->columns) columns.push_back(&c);
    }
    if (i >= end_ || !t_[i].is("VALUES") || i + 1 >= end_ || !t_[i + 1].isPunct("(")) return;
    const std::size_t close = jet::closingParen(t_, i + 1, end_);
    if (close >= end_) raise(jet::syntaxErrorNumber(Verb::Insert));  // VALUES ( not closed
    std::vector<Span> values;
    for (std::size_t k = i + 2; k < close;) {
      std::size_t stop = k;
      int depth = 0;
      while (stop < close && !(depth == 0 && t_[stop].isPunct(","))) {
        if (t_[stop].isPunct("(")) ++depth;
        if (t_[stop].isPunct(")")) --depth;
        ++stop;
      }
      if (stop == k) raise(jet::syntaxErrorNumber(Verb::Insert));
      values.push_back(Span{k, stop - 1});
      k = stop + 1;
    }
    if (values.size() != columns.size()) raise(err::kValueCountMismatch);
    // Rules in the table's column order, as the table checks them; a key
    // column left out of the list would be Null.
    for (const ColumnSchema& c : table->columns) {
      std::size_t at = columns.size();
      for (std::size_t k = 0; k < columns.size(); ++k)
        if (columns[k] == &c) at = k;
      if (at < columns.size()) judge(*table, c, values[at]);
      else if (isKeyColumn(*table, c) && !out_.refusal)
        out_.refusal = Refusal{err::kNullInKey, c.name};
    }
  }

  void judgeUpdate() {
    if (end_ < 4 || !t_[1].isName() || !t_[2].is("SET")) return;
    const TableSchema* table = lookup_(t_[1].text);
    if (!table) return;
    std::size_t where = end_;
    for (std::size_t k = 3; k + 2 < end_ && where == end_; ++k) {
      if (t_[k].is("WHERE")) where = k;
      if (!t_[k].isName() || !t_[k + 1].isPunct("=") || t_[k - 1].isPunct(".")) continue;
      const ColumnSchema* c = table->column(t_[k].text);
      auto value = operandStartingAt(k + 2);
      if (!c || !value) continue;
      const bool alone = value->last + 1 >= end_ || t_[value->last + 1].isPunct(",") ||
                         t_[value->last + 1].is("WHERE");
      if (alone) judge(*table, *c, *value);
    }
    for (std::size_t k = 3; k < end_ && where == end_; ++k)
      if (t_[k].is("WHERE")) where = k;
    if (out_.refusal) {
      // Appended piece by piece: GCC 12 at -O3 warns of an overlap in
      // " " + a temporary (-Wrestrict) that cannot happen.
      out_.sql = "SELECT count(*) FROM " + quoteName(t_[1].text);
      if (where < end_) {
        out_.sql += ' ';
        out_.sql += emit(where, end_);
      }
    }
  }

  // --- writing ------------------------------------------------------------

  std::string parameter(std::string value) {
    out_.texts.push_back(std::move(value));
    // Appended, not "$" + …: GCC 12 at -O3 warns of an overlap there
    // (-Wrestrict) that cannot happen.
    std::string placeholder = "$";
    placeholder += std::to_string(out_.texts.size());
    return placeholder;
  }

  bool isTableOrAlias(std::size_t i) const {
    for (std::size_t k : tableTokens_)
      if (k == i) return true;
    for (std::size_t k : aliasTokens_)
      if (k == i) return true;
    return false;
  }

  // A word is written as a name where it is one: a table, an alias, a
  // column of a table the statement names, or what follows AS; any other
  // word (a keyword, an unknown name) as written, which PostgreSQL folds.
  bool isNameWord(std::size_t i) const {
    const Token& tok = t_[i];
    if (tok.text.front() == '$') return true;
    if (i > 0 && t_[i - 1].is("AS")) return true;
    if (isTableOrAlias(i)) return true;
    if (i + 1 < end_ && t_[i + 1].isPunct("(")) return false;
    if (i > 0 && t_[i - 1].isPunct(".")) return true;
    if (i + 1 < end_ && t_[i + 1].isPunct(".")) return true;
    return column(Span{i, i}) != nullptr;
  }

  std::string token(std::size_t i) {
    const Token& tok = t_[i];
    switch (tok.kind) {
      case TokenKind::Name:
        return quoteName(tok.text);
      case TokenKind::String:
        return parameter(bound_[i] ? *bound_[i] : tok.text);
      case TokenKind::Date:
        if (bound_[i]) return parameter(*bound_[i]);
        return parameter(tok.text) + "::timestamp";
      case TokenKind::Number:
        return bound_[i] ? parameter(*bound_[i]) : tok.text;
      case TokenKind::Punct:
        if (tok.isPunct("&")) return "||";
        if (tok.isPunct("?")) raise(err::kTooFewParameters, {"1"});
        return tok.text;
      case TokenKind::Word:
        break;
    }
    if (tok.is("TRUE")) return "-1";
    if (tok.is("FALSE")) return "0";
    if (i + 1 < end_ && t_[i + 1].isPunct("("))
      if (const Function* f = functionOf(tok)) return f->postgres;
    return isNameWord(i) ? quoteName(tok.text) : tok.text;
  }

  std::string emit(std::size_t from, std::size_t to) {
    std::string sql;
    for (std::size_t i = from; i < to; ++i) {
      // DELETE's way of naming all columns (DELETE * FROM t, DELETE t.* FROM t).
      if (out_.verb == Verb::Delete && i == 1) {
        if (3 < end_ && t_[1].isName() && t_[2].isPunct(".") && t_[3].isPunct("*")) i = 4;
        else if (t_[1].isPunct("*")) i = 2;
      }
      if (!sql.empty()) sql += ' ';
      sql += before_[i] + token(i) + after_[i];
    }
    return sql;
  }

  const std::vector<Token>& t_;
  const std::size_t end_;
  const TableLookup& lookup_;
  Translation& out_;
  std::vector<std::pair<std::string, const TableSchema*>> scope_;  // alias, table
  std::vector<std::size_t> tableTokens_, aliasTokens_;
  std::vector<std::string> before_, after_;        // written around each token
  std::vector<std::optional<std::string>> bound_;  // a judged literal's value
};

}  // namespace

Translation translateDml(std::string_view original, const std::vector<Token>& tokens,
                         const TableLookup& lookup, bool skipFailingRows) {
  Translation out;
  jet::DmlShape shape = jet::dmlShape(original, tokens);
  out.verb = shape.verb;
  out.whereText = std::move(shape.whereText);
  out.singleTable = std::move(shape.singleTable);
  Rewriter(tokens, shape.end, lookup, out).run(skipFailingRows);
  return out;
}

}  // namespace hostdb::postgres
