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
      if (t[k].isName() && t[k + 1].isPunct("=") && single(k + 2) &&
          (k == 0 || !t[k - 1].isPunct("."))) {
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

// Where the statement's tokens end, trailing semicolons left out. Anything
// but one DML statement raises its syntax error.
std::size_t checkedEnd(const std::vector<Token>& t, Verb& verb) {
  std::size_t end = t.size();
  while (end > 0 && t[end - 1].isPunct(";")) --end;
  if (end == 0) raise(syntaxErrorNumber(Verb::Other));
  verb = verbOf(t[0]);
  if (verb == Verb::Other) raise(syntaxErrorNumber(Verb::Other));
  for (std::size_t i = 0; i < end; ++i)
    if (t[i].isPunct(";")) raise(syntaxErrorNumber(verb));
  return end;
}

// The first WHERE expression as written, without its surrounding blanks.
std::string whereTextOf(std::string_view original, const std::vector<Token>& t, std::size_t end) {
  for (std::size_t i = 0; i < end; ++i) {
    if (!t[i].is("WHERE")) continue;
    const std::size_t stop = end < t.size() ? t[end].offset : original.size();
    std::string_view where = original.substr(t[i].offset + 5, stop - t[i].offset - 5);
    while (!where.empty() && where.front() == ' ') where.remove_prefix(1);
    while (!where.empty() && (where.back() == ' ' || where.back() == ';')) where.remove_suffix(1);
    if (!where.empty()) return std::string(where);
  }
  return {};
}

// "SELECT * FROM table [WHERE ...|ORDER ...]": the table a dynaset may append
// to; empty for any other query.
std::string singleTableOf(const std::vector<Token>& t, std::size_t end, Verb verb) {
  if (verb == Verb::Select && end >= 4 && t[1].isPunct("*") && t[2].is("FROM") && t[3].isName() &&
      (end == 4 || t[4].is("WHERE") || t[4].is("ORDER")))
    return t[3].text;
  return {};
}

// Writes the statement's tokens one by one as SQLite reads them: names
// quoted, texts and dates as parameters, the engine's words and operators
// turned into SQLite's.
class DmlRewriter {
 public:
  DmlRewriter(const std::vector<Token>& t, std::size_t end, const std::set<std::size_t>& dates,
              bool skipFailingRows, Translation& out)
      : t_(t), end_(end), dates_(dates), skipFailingRows_(skipFailingRows), out_(out) {}

  void run() {
    for (std::size_t i = 0; i < end_; ++i) {
      if (!out_.sql.empty()) out_.sql += ' ';
      i = rewrite(i);
    }
  }

 private:
  // Writes token `i`; returns the index of the last token it took.
  std::size_t rewrite(std::size_t i) {
    const Token& tok = t_[i];
    std::string& sql = out_.sql;
    switch (tok.kind) {
      case TokenKind::Name:
        sql += quoteIdentifier(tok.text);
        break;
      case TokenKind::String:
        if (dates_.count(i)) {
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
        return word(i);
      case TokenKind::Punct:
        punct(tok);
        break;
    }
    return i;
  }

  std::size_t word(std::size_t i) {
    const Token& tok = t_[i];
    std::string& sql = out_.sql;
    const bool call = i + 1 < end_ && t_[i + 1].isPunct("(");
    if (tok.is("TRUE")) {
      sql += "-1";
    } else if (tok.is("FALSE")) {
      sql += "0";
    } else if ((tok.is("MAX") || tok.is("MIN")) && call) {
      sql += tok.text + "((";
      wrapped_.push_back(true);
      return i + 1;
    } else if ((tok.is("LEFT") || tok.is("RIGHT")) && call) {
      sql += quoteIdentifier(tok.text);  // SQLite's join keyword, the engine's function
    } else if (tok.text.front() == '$') {
      sql += quoteIdentifier(tok.text);  // a name to the engine, a parameter to SQLite
    } else {
      sql += tok.text;
      if (i == 0) return verbWord();
    }
    return i;
  }

  // After the verb: OR IGNORE when failing rows are skipped; DELETE's way of
  // naming all columns (DELETE * FROM t, DELETE t.* FROM t) left out.
  std::size_t verbWord() {
    std::string& sql = out_.sql;
    if (skipFailingRows_ && (out_.verb == Verb::Insert || out_.verb == Verb::Update))
      sql += " OR IGNORE";
    if (out_.verb != Verb::Delete) return 0;
    if (3 < end_ && t_[1].isName() && t_[2].isPunct(".") && t_[3].isPunct("*")) return 3;
    if (1 < end_ && t_[1].isPunct("*")) return 1;
    return 0;
  }

  void punct(const Token& tok) {
    std::string& sql = out_.sql;
    if (tok.isPunct("(")) {
      wrapped_.push_back(false);
      sql += "(";
    } else if (tok.isPunct(")")) {
      const bool close = !wrapped_.empty() && wrapped_.back();
      if (!wrapped_.empty()) wrapped_.pop_back();
      sql += close ? ") COLLATE JET)" : ")";
    } else if (tok.isPunct("&")) {
      sql += "||";
    } else if (tok.isPunct("?")) {
      // SQLite would take it for a parameter and read it as Null; the
      // engine has no value for it either.
      raise(err::kTooFewParameters, {"1"});
    } else {
      sql += tok.text;
    }
  }

  std::string parameter(std::string value) {
    out_.texts.push_back(std::move(value));
    return std::string("?").append(std::to_string(out_.texts.size()));
  }

  const std::vector<Token>& t_;
  const std::size_t end_;
  const std::set<std::size_t>& dates_;
  const bool skipFailingRows_;
  Translation& out_;
  std::vector<bool> wrapped_;  // per open parenthesis: closes a max/min argument
};

}  // namespace

Translation translateDml(std::string_view original, const std::vector<Token>& t,
                         const TableLookup& lookup, bool skipFailingRows) {
  Translation out;
  const std::size_t end = checkedEnd(t, out.verb);
  out.whereText = whereTextOf(original, t, end);
  out.singleTable = singleTableOf(t, end, out.verb);
  const std::set<std::size_t> dates = dateValueTokens(t, end, out.verb, lookup);
  DmlRewriter(t, end, dates, skipFailingRows, out).run();
  return out;
}

}  // namespace hostdb::sqlite
