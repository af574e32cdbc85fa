#include "hostdb/jet/date_values.h"

namespace hostdb::jet {

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

}  // namespace hostdb::jet
