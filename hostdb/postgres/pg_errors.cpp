#include "hostdb/postgres/pg_errors.h"

#include <utility>

#include "platform/errors.h"

namespace hostdb::postgres {
namespace {

// What fills the '|' of the number's description.
enum class Arg { None, File, Table, Column, Words, One };

struct StateNumber {
  const char* state;  // five characters: one code; two: the whole class
  int number;
  Arg arg;
};

// Looked up by exact code first, then by class. Each number is the one the
// file engine gives the same situation, so that a program's boxes do not
// depend on where its host lives.
constexpr StateNumber kStateNumbers[] = {
    // The server cannot be reached, or went away: as a file server lost.
    {"08", err::kNetworkOrDiskError, Arg::None},
    {"57P01", err::kNetworkOrDiskError, Arg::None},  // shut down by its administrator
    {"57P02", err::kNetworkOrDiskError, Arg::None},  // crash of another session
    {"57P03", err::kNetworkOrDiskError, Arg::None},  // starting up or shutting down
    {"58", err::kNetworkOrDiskError, Arg::None},     // the server's own I/O failed
    {"XX001", err::kNetworkOrDiskError, Arg::None},  // damaged table data
    {"XX002", err::kNetworkOrDiskError, Arg::None},  // damaged index
    // Log-on and permissions.
    {"28000", err::kNotValidAccount, Arg::None},  // no such role, or no entry lets it in
    {"28P01", err::kNotValidAccount, Arg::None},  // wrong password
    {"42501", err::kNoPermission, Arg::File},
    {"3D000", err::kCannotFindFile, Arg::File},  // no such database
    {"42P04", err::kDatabaseExists, Arg::None},
    // Busy: held by another session, too many of them, or a transaction
    // that lost to another one, as a locked file.
    {"55P03", err::kCannotOpenFile, Arg::File},
    {"53300", err::kCannotOpenFile, Arg::File},
    {"40001", err::kCannotOpenFile, Arg::File},
    {"40P01", err::kCannotOpenFile, Arg::File},
    {"25006", err::kReadOnly, Arg::None},
    {"53100", err::kNotEnoughDiskSpace, Arg::None},
    {"53200", platform::err::kOutOfMemory, Arg::None},
    // Rows refused.
    {"23505", err::kDuplicateKey, Arg::None},
    {"23502", err::kNullInKey, Arg::None},
    {"23514", err::kCriteriaTypeMismatch, Arg::None},  // the constraint's name tells the rule
    {"22001", err::kFieldTooSmall, Arg::None},
    {"22003", err::kNumericFieldOverflow, Arg::None},
    {"22P02", err::kCriteriaTypeMismatch, Arg::None},  // a text that is no number
    {"22007", err::kCriteriaTypeMismatch, Arg::None},  // a text that is no date
    {"22008", err::kCriteriaTypeMismatch, Arg::None},  // a date out of range
    {"42804", err::kCriteriaTypeMismatch, Arg::None},
    // An argument a function cannot take: Mid(s, 0), Left(s, -1).
    {"22023", platform::err::kInvalidArgument, Arg::None},
    {"22011", platform::err::kInvalidArgument, Arg::None},
    // Statements: what the layer's own diagnosis of the text refines.
    {"42P01", err::kInputTableNotFound, Arg::Words},
    {"42703", err::kTooFewParameters, Arg::One},
    {"42601", err::kSelectSyntax, Arg::None},
    {"42P07", err::kTableExists, Arg::Table},
    {"42P16", err::kPrimaryKeyExists, Arg::None},  // a second primary key
    {"42701", err::kFieldDefinedTwice, Arg::Column},
};

const StateNumber* entryFor(std::string_view sqlstate) {
  if (sqlstate.size() != 5) return nullptr;
  for (const std::string_view key : {sqlstate, sqlstate.substr(0, 2)})
    for (const StateNumber& entry : kStateNumbers)
      if (key == entry.state) return &entry;
  return nullptr;
}

void appendField(std::string& out, const char* label, const std::string& value) {
  if (value.empty()) return;
  out.append("; ").append(label).append(" ").append(value);
}

}  // namespace

ServerError::ServerError(int number, std::string description, std::string cause,
                         Diagnostics diagnostics)
    : EngineError(number, std::move(description), std::move(cause)),
      diagnostics_(std::move(diagnostics)) {}

int engineNumber(std::string_view sqlstate) {
  const StateNumber* entry = entryFor(sqlstate);
  return entry ? entry->number : 0;
}

int numberFor(const Diagnostics& d) {
  if (const int number = engineNumber(d.sqlstate); number != 0) return number;
  if (d.sqlstate.empty() && d.connectionLost) return err::kNetworkOrDiskError;
  return err::kReservedError;
}

std::string serverCause(const Diagnostics& d, std::string_view server, std::string_view sql) {
  std::string cause = "PostgreSQL";
  if (!server.empty()) cause.append(" ").append(server);
  cause.append(": ");
  if (!d.sqlstate.empty()) cause.append("SQLSTATE ").append(d.sqlstate).append(": ");
  cause.append(d.message);
  appendField(cause, "detail:", d.detail);
  appendField(cause, "hint:", d.hint);
  appendField(cause, "schema", d.schema);
  appendField(cause, "table", d.table);
  appendField(cause, "column", d.column);
  appendField(cause, "constraint", d.constraint);
  if (!sql.empty()) cause.append("; in: ").append(sql);
  return cause;
}

void raiseServerError(Diagnostics d, std::string_view server, std::string_view display,
                      std::string_view sql) {
  const int number = numberFor(d);
  const StateNumber* entry = entryFor(d.sqlstate);
  std::string_view arg;
  switch (entry ? entry->arg : Arg::Words) {
    case Arg::None:
      break;
    case Arg::File:
      arg = display;
      break;
    case Arg::Table:
      arg = d.table;
      break;
    case Arg::Column:
      arg = d.column;
      break;
    case Arg::Words:
      arg = d.message;
      break;
    case Arg::One:
      arg = "1";
      break;
  }
  std::string cause = serverCause(d, server, sql);
  std::string description = platform::describe(number, {arg});
  throw ServerError(number, std::move(description), std::move(cause), std::move(d));
}

}  // namespace hostdb::postgres
