#include "hostdb/sqlite/jet_translate.h"

#include <set>

#include "hostdb/date.h"
#include "hostdb/engine_error.h"
#include "hostdb/jet/dml_shape.h"
#include "hostdb/sqlite/table_sql.h"

namespace hostdb::sqlite {
namespace {

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
  const jet::DmlShape shape = jet::dmlShape(original, t);
  out.verb = shape.verb;
  out.whereText = shape.whereText;
  out.singleTable = shape.singleTable;
  const std::set<std::size_t> dates = jet::dateValueTokens(t, shape.end, out.verb, lookup);
  DmlRewriter(t, shape.end, dates, skipFailingRows, out).run();
  return out;
}

}  // namespace hostdb::sqlite
