#include "hostdb/jet/jet_ddl.h"

#include <cstdlib>

#include "hostdb/engine_error.h"

namespace hostdb::jet {
namespace {

class Parser {
 public:
  Parser(const std::vector<Token>& tokens, int syntaxError) : tokens_(tokens), error_(syntaxError) {
    end_ = tokens.size();
    while (end_ > 0 && tokens[end_ - 1].isPunct(";")) --end_;
  }

  bool atEnd() const { return pos_ >= end_; }
  const Token* peek() const { return atEnd() ? nullptr : &tokens_[pos_]; }
  bool accept(std::string_view word) {
    if (peek() && peek()->is(word)) return ++pos_, true;
    return false;
  }
  void skip() { ++pos_; }
  bool acceptPunct(std::string_view p) {
    if (peek() && peek()->isPunct(p)) return ++pos_, true;
    return false;
  }
  void expect(std::string_view word, int error) {
    if (!accept(word)) raise(error);
  }
  void expectPunct(std::string_view p, int error) {
    if (!acceptPunct(p)) raise(error);
  }
  std::string name(int error) {
    if (!peek() || !peek()->isName()) raise(error);
    return tokens_[pos_++].text;
  }
  void expectEnd() {
    if (!atEnd()) raise(error_);
  }
  int error() const { return error_; }

  // ( name, name, ... )
  std::vector<std::string> nameList(int error) {
    expectPunct("(", error);
    std::vector<std::string> names;
    do names.push_back(name(error));
    while (acceptPunct(","));
    expectPunct(")", error);
    return names;
  }

 private:
  const std::vector<Token>& tokens_;
  std::size_t pos_ = 0, end_ = 0;
  int error_;
};

struct TypeWord {
  const char* word;
  FieldType type;
};
constexpr TypeWord kTypes[] = {
    {"BYTE", FieldType::Byte},        {"TINYINT", FieldType::Byte},
    {"INTEGER1", FieldType::Byte},    {"SHORT", FieldType::Integer},
    {"SMALLINT", FieldType::Integer}, {"INTEGER2", FieldType::Integer},
    {"INTEGER", FieldType::Long},     {"INT", FieldType::Long},
    {"LONG", FieldType::Long},        {"INTEGER4", FieldType::Long},
    {"DOUBLE", FieldType::Double},    {"FLOAT", FieldType::Double},
    {"NUMBER", FieldType::Double},    {"REAL", FieldType::Double},
    {"TEXT", FieldType::Text},        {"CHAR", FieldType::Text},
    {"VARCHAR", FieldType::Text},     {"CHARACTER", FieldType::Text},
    {"STRING", FieldType::Text},      {"ALPHANUMERIC", FieldType::Text},
    {"MEMO", FieldType::Memo},        {"LONGTEXT", FieldType::Memo},
    {"LONGCHAR", FieldType::Memo},    {"NOTE", FieldType::Memo},
    {"DATE", FieldType::Date},        {"DATETIME", FieldType::Date},
    {"TIME", FieldType::Date},        {"TIMESTAMP", FieldType::Date},
    {"YESNO", FieldType::YesNo},      {"BIT", FieldType::YesNo},
    {"LOGICAL", FieldType::YesNo},    {"BOOLEAN", FieldType::YesNo},
};

ColumnSchema parseColumn(Parser& p) {
  ColumnSchema c;
  c.name = p.name(err::kFieldDefinitionSyntax);
  const Token* t = p.peek();
  if (!t || t->kind != TokenKind::Word) raise(err::kFieldDefinitionSyntax);
  bool known = false;
  for (const TypeWord& w : kTypes)
    if (t->is(w.word)) {
      c.type = w.type;
      known = true;
    }
  if (!known) raise(err::kFieldDefinitionSyntax);
  p.skip();
  c.size = storageSize(c.type);
  if (c.type == FieldType::Text && p.acceptPunct("(")) {
    const Token* size = p.peek();
    if (!size || size->kind != TokenKind::Number ||
        size->text.find_first_not_of("0123456789") != std::string::npos)
      raise(err::kFieldDefinitionSyntax);
    c.size = std::atoi(size->text.c_str());
    if (c.size < 1 || c.size > 255) raise(err::kFieldDefinitionSyntax);
    p.skip();
    p.expectPunct(")", err::kFieldDefinitionSyntax);
  }
  // A required flag is accepted and, as the programs declare none, not kept.
  if (p.accept("NOT")) p.expect("NULL", err::kFieldDefinitionSyntax);
  else p.accept("NULL");
  return c;
}

// "name PRIMARY KEY (col, ...)", after the word CONSTRAINT.
void parsePrimaryKey(Parser& p, TableSchema& table, int syntaxError) {
  table.primaryKeyName = p.name(syntaxError);
  p.expect("PRIMARY", syntaxError);
  p.expect("KEY", syntaxError);
  table.primaryKeyColumns = p.nameList(syntaxError);
}

DdlStatement parseCreate(Parser& p) {
  p.expect("TABLE", err::kCreateTableSyntax);
  DdlStatement s{DdlStatement::Kind::CreateTable, {}};
  s.table.name = p.name(err::kCreateTableSyntax);
  p.expectPunct("(", err::kCreateTableSyntax);
  do {
    if (p.accept("CONSTRAINT")) {
      parsePrimaryKey(p, s.table, err::kCreateTableSyntax);
    } else {
      ColumnSchema c = parseColumn(p);
      if (s.table.column(c.name)) raise(err::kFieldDefinedTwice, {c.name});
      s.table.columns.push_back(std::move(c));
    }
  } while (p.acceptPunct(","));
  p.expectPunct(")", err::kCreateTableSyntax);
  p.expectEnd();
  if (s.table.columns.empty()) raise(err::kCreateTableSyntax);
  return s;
}

DdlStatement parseAlter(Parser& p) {
  p.expect("TABLE", err::kAlterTableSyntax);
  DdlStatement s{DdlStatement::Kind::AddPrimaryKey, {}};
  s.table.name = p.name(err::kAlterTableSyntax);
  p.expect("ADD", err::kAlterTableSyntax);
  p.expect("CONSTRAINT", err::kAlterTableSyntax);
  parsePrimaryKey(p, s.table, err::kAlterTableSyntax);
  p.expectEnd();
  return s;
}

DdlStatement parseDrop(Parser& p) {
  p.expect("TABLE", err::kDropSyntax);
  DdlStatement s{DdlStatement::Kind::DropTable, {}};
  s.table.name = p.name(err::kDropSyntax);
  p.expectEnd();
  return s;
}

}  // namespace

std::optional<DdlStatement> parseDdl(const std::vector<Token>& tokens) {
  if (tokens.empty()) return std::nullopt;
  const Token& first = tokens[0];
  if (first.is("CREATE")) {
    Parser p(tokens, err::kCreateTableSyntax);
    p.accept("CREATE");
    return parseCreate(p);
  }
  if (first.is("ALTER")) {
    Parser p(tokens, err::kAlterTableSyntax);
    p.accept("ALTER");
    return parseAlter(p);
  }
  if (first.is("DROP")) {
    Parser p(tokens, err::kDropSyntax);
    p.accept("DROP");
    return parseDrop(p);
  }
  return std::nullopt;
}

}  // namespace hostdb::jet
