#include "hostdb/jet/dml_shape.h"

#include "hostdb/engine_error.h"

namespace hostdb::jet {
namespace {

// Where the statement's tokens end, trailing semicolons left out. Anything
// but one DML statement raises its syntax error.
std::size_t checkedEnd(const std::vector<Token>& t, Verb& verb) {
  std::size_t end = t.size();
  while (end > 0 && t[end - 1].isPunct(";")) --end;
  if (end == 0) raise(syntaxErrorNumber(Verb::Other));
  verb = verbNamed(t[0]);
  if (!isDml(verb)) raise(syntaxErrorNumber(Verb::Other));
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

}  // namespace

DmlShape dmlShape(std::string_view original, const std::vector<Token>& t) {
  DmlShape shape;
  shape.end = checkedEnd(t, shape.verb);
  shape.whereText = whereTextOf(original, t, shape.end);
  shape.singleTable = singleTableOf(t, shape.end, shape.verb);
  return shape;
}

}  // namespace hostdb::jet
