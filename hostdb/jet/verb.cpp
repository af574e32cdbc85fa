#include "hostdb/jet/verb.h"

#include <utility>

#include "hostdb/engine_error.h"

namespace hostdb::jet {

Verb verbNamed(const Token& w) {
  return w.is("SELECT")   ? Verb::Select
         : w.is("INSERT") ? Verb::Insert
         : w.is("UPDATE") ? Verb::Update
         : w.is("DELETE") ? Verb::Delete
         : w.is("CREATE") ? Verb::Create
         : w.is("ALTER")  ? Verb::Alter
         : w.is("DROP")   ? Verb::Drop
                          : Verb::Other;
}

bool isDml(Verb verb) {
  return verb == Verb::Select || verb == Verb::Insert || verb == Verb::Update ||
         verb == Verb::Delete;
}

int syntaxErrorNumber(Verb verb) {
  switch (verb) {
    case Verb::Select:
      return err::kSelectSyntax;
    case Verb::Insert:
      return err::kInsertSyntax;
    case Verb::Update:
      return err::kUpdateSyntax;
    case Verb::Delete:
      return err::kDeleteSyntax;
    case Verb::Create:
      return err::kCreateTableSyntax;
    case Verb::Alter:
      return err::kAlterTableSyntax;
    case Verb::Drop:
      return err::kDropSyntax;
    case Verb::Other:
      break;
  }
  return err::kSelectSyntax;
}

std::vector<Token> statementTokens(std::string_view sql, Verb fallback) {
  auto tokens = tokenize(sql);
  if (!tokens) {
    // The statement's own syntax error, named after its first word.
    Verb verb = fallback;
    constexpr std::string_view kStops("'\"[#\0", 5);
    auto firstWord = tokenize(sql.substr(0, sql.find_first_of(kStops)));
    if (firstWord && !firstWord->empty()) {
      const Verb named = verbNamed(firstWord->front());
      if (named != Verb::Other) verb = named;
    }
    raise(syntaxErrorNumber(verb));
  }
  return std::move(*tokens);
}

}  // namespace hostdb::jet
