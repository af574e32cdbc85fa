#include "hostdb/sqlite/jet_translate.h"

#include <set>

#include "hostdb/date.h"
#include "hostdb/engine_error.h"

namespace hostdb::sqlite {
namespace {

// String tokens that stand alone as a value for a Date column: the VALUES of
// an INSERT, or `column = 'text'` in an UPDATE's SET list.
std::set<std::size_t> dateValueTokens(const std::vector<Token>& t, std::size_t end, Verb verb,
                                      const TableLookup& lookup) {
  std::set<std::size_t> out;
  auto single = [&](std::size_t i) {
    return i < end && t[i].kind == TokenKind::String &&
           (i + 1 >= end || t[i + 1].isPunct(",") || t[i + 1].isPunct(")") || t[i + 1].is("WHERE"));
  };
  if (verb == Verb::Insert && end > 3 && t[1].is("INTO") && t[2].isName()) {
    const TableSchema* table = lookup(t[2].text);
    if (!table) return out;
    std::vector<const ColumnSchema*> columns;
    std::size_t i = 3;
    if (i < end && t[i].isPunct("(")) {
      const std::size_t close = closingParen(t, i, end);
      for (++i; i < close; ++i)
        if (t[i].isName()) columns.push_back(table->column(t[i].text));
      i = close + 1;
    } else {
      for (const ColumnSchema& c : table->columns) columns.push_back(&c);
    }
    if (i >= end || !t[i].is("VALUES") || i + 1 >= end || !t[i + 1].isPunct("(")) return out;
    const std::size_t close = closingParen(t, i + 1, end);
    std::size_t column = 0;
    bool valueStart = true;
    int depth = 0;
    for (std::size_t k = i + 2; k < close; ++k) {
      if (depth == 0 && valueStart && single(k) && column < columns.size() && columns[column] &&
          columns[column]->type == FieldType::Date)
        out.insert(k);
      valueStart = false;
      if (t[k].isPunct("(")) ++depth;
      if (t[k].isPunct(")")) --depth;
      if (depth == 0 && t[k].isPunct(",")) {
        ++column;
        valueStart = true;
      }
    }
  } else if (verb == Verb::Update && end > 2 && t[1].isName()) {
    const TableSchema* table = lookup(t[1].text);
    if (!table) return out;
    for (std::size_t k = 2; k + 2 < end && !t[k].is("WHERE"); ++k) {
      if (t[k].isName() && t[k + 1].isPunct("=") && single(k + 2) && (k == 0 || !t[k - 1].isPunct("."))) {
        const ColumnSchema* c = table->column(t[k].text);
        if (c && c->type == FieldType::Date) out.insert(k + 2);
      }
    }
  }
  return out;
}

Verb verbOf(const Token& first) {
  if (first.is("SELECT")) return Verb::Select;
  if (first.is("INSERT")) return Verb::Insert;
  if (first.is("UPDATE")) return Verb::Update;
  if (first.is("DELETE")) return Verb::Delete;
  return Verb::Other;
}

}  // namespace

Translation translateDml(std::string_view original, const std::vector<Token>& t,
                         const TableLookup& lookup, bool skipFailingRows) {
  Translation out;
  std::size_t end = t.size();
  while (end > 0 && t[end - 1].isPunct(";")) --end;
  if (end == 0) raise(syntaxErrorNumber(Verb::Other));
  out.verb = verbOf(t[0]);
  if (out.verb == Verb::Other) raise(syntaxErrorNumber(Verb::Other));
  for (std::size_t i = 0; i < end; ++i) {
    if (t[i].isPunct(";")) raise(syntaxErrorNumber(out.verb));
    if (t[i].is("WHERE") && out.whereText.empty()) {
      std::size_t stop = end < t.size() ? t[end].offset : original.size();
      std::string_view where = original.substr(t[i].offset + 5, stop - t[i].offset - 5);
      while (!where.empty() && where.front() == ' ') where.remove_prefix(1);
      while (!where.empty() && (where.back() == ' ' || where.back() == ';')) where.remove_suffix(1);
      out.whereText = where;
    }
  }
  if (out.verb == Verb::Select && end >= 4 && t[1].isPunct("*") && t[2].is("FROM") &&
      t[3].isName() && (end == 4 || t[4].is("WHERE") || t[4].is("ORDER")))
    out.singleTable = t[3].text;

  const std::set<std::size_t> dates = dateValueTokens(t, end, out.verb, lookup);
  std::vector<bool> wrapped;  // per open parenthesis: closes a max/min argument
  std::string& sql = out.sql;
  auto parameter = [&out](std::string value) {
    out.texts.push_back(std::move(value));
    return std::string("?").append(std::to_string(out.texts.size()));
  };
  for (std::size_t i = 0; i < end; ++i) {
    const Token& tok = t[i];
    if (!sql.empty()) sql += ' ';
    switch (tok.kind) {
      case TokenKind::Name:
        sql += quoteIdentifier(tok.text);
        break;
      case TokenKind::String:
        if (dates.count(i)) {
          auto date = normalizeDate(tok.text);
          sql += parameter(date ? *date : tok.text);
        } else {
          sql += parameter(tok.text) + " COLLATE JET";
        }
        break;
      case TokenKind::Date:
        sql += parameter(tok.text) + " COLLATE JET";
        break;
      case TokenKind::Number:
        sql += tok.text;
        break;
      case TokenKind::Word:
        if (tok.is("TRUE")) {
          sql += "-1";
        } else if (tok.is("FALSE")) {
          sql += "0";
        } else if ((tok.is("MAX") || tok.is("MIN")) && i + 1 < end && t[i + 1].isPunct("(")) {
          sql += tok.text + "((";
          wrapped.push_back(true);
          ++i;
        } else if ((tok.is("LEFT") || tok.is("RIGHT")) && i + 1 < end && t[i + 1].isPunct("(")) {
          sql += quoteIdentifier(tok.text);  // SQLite's join keyword, the engine's function
        } else if (tok.text.front() == '$') {
          sql += quoteIdentifier(tok.text);  // a name to the engine, a parameter to SQLite
        } else {
          sql += tok.text;
          if (i == 0 && skipFailingRows && (out.verb == Verb::Insert || out.verb == Verb::Update))
            sql += " OR IGNORE";
          // DELETE * FROM t / DELETE t.* FROM t: the engine's way of naming all columns.
          if (i == 0 && out.verb == Verb::Delete) {
            std::size_t k = 1;
            if (k + 2 < end && t[k].isName() && t[k + 1].isPunct(".") && t[k + 2].isPunct("*"))
              k += 3;
            else if (k < end && t[k].isPunct("*"))
              k += 1;
            i = k - 1;
          }
        }
        break;
      case TokenKind::Punct:
        if (tok.isPunct("(")) {
          wrapped.push_back(false);
          sql += "(";
        } else if (tok.isPunct(")")) {
          const bool close = !wrapped.empty() && wrapped.back();
          if (!wrapped.empty()) wrapped.pop_back();
          sql += close ? ") COLLATE JET)" : ")";
        } else if (tok.isPunct("&")) {
          sql += "||";
        } else if (tok.isPunct("?")) {
          // SQLite would take it for a parameter and read it as Null; the
          // engine has no value for it either.
          raise(3061, {"1"});
        } else {
          sql += tok.text;
        }
        break;
    }
  }
  return out;
}

}  // namespace hostdb::sqlite
