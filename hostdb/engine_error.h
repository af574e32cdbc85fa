// The one exception the database layer raises: the engine's error number and
// its description, from the error table of platform/errors.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/errors.h"

namespace hostdb {

class EngineError : public platform::Error {
 public:
  using platform::Error::Error;
};

// A commit whose outcome could not be learnt: the connection went while the
// server ended the transaction, and no answer came afterwards to the
// question whether it took effect. What rests on its changes (files written
// beside them) is left for a later run, which can tell from the database.
class CommitOutcomeUnknown : public EngineError {
 public:
  using EngineError::EngineError;
};

// An EngineError of `number`, its description filled in with `args`, with
// `cause` (see platform::Error).
[[noreturn]] void raise(int number, std::initializer_list<std::string_view> args = {},
                        std::string cause = {});

// Error 3265 (item not found in this collection), its cause naming the
// collection ("Fields of SPOOL") and the item looked for.
[[noreturn]] void raiseItemNotFound(std::string_view collection, std::string_view item);

// The engine's error numbers, each by one name (the run-time numbers are
// platform::err's). The texts are in the error table of platform/errors.
namespace err {
inline constexpr int kReservedError = 3000;
inline constexpr int kArgumentNotValid = 3001;
inline constexpr int kTableExists = 3010;
inline constexpr int kUpdateWithoutEdit = 3020;
inline constexpr int kNoCurrentRecord = 3021;
inline constexpr int kDuplicateKey = 3022;
inline constexpr int kCannotFindFile = 3024;
inline constexpr int kNotEnoughDiskSpace = 3026;
inline constexpr int kReadOnly = 3027;
inline constexpr int kWorkgroupUnavailable = 3028;
inline constexpr int kNotValidAccount = 3029;
inline constexpr int kNoPermission = 3033;
inline constexpr int kNoTransaction = 3034;
inline constexpr int kNetworkOrDiskError = 3043;
inline constexpr int kNotValidPath = 3044;
inline constexpr int kCannotOpenFile = 3051;
inline constexpr int kNullInKey = 3058;
inline constexpr int kTooFewParameters = 3061;
inline constexpr int kCannotRunSelect = 3065;
inline constexpr int kExpressionSyntax = 3075;
inline constexpr int kInputTableNotFound = 3078;
inline constexpr int kNotValidName = 3125;
inline constexpr int kUnknownInsertField = 3127;
inline constexpr int kDeleteSyntax = 3130;
inline constexpr int kInsertSyntax = 3134;
inline constexpr int kSelectSyntax = 3141;
inline constexpr int kUpdateSyntax = 3144;
inline constexpr int kFieldTooSmall = 3163;
inline constexpr int kFieldDefinedTwice = 3191;
inline constexpr int kDatabaseExists = 3204;
inline constexpr int kInvalidOperation = 3219;
inline constexpr int kItemNotFound = 3265;
inline constexpr int kPrimaryKeyExists = 3283;
inline constexpr int kCreateTableSyntax = 3290;
inline constexpr int kFieldDefinitionSyntax = 3292;
inline constexpr int kAlterTableSyntax = 3293;
inline constexpr int kDropSyntax = 3295;
inline constexpr int kZeroLengthText = 3315;
inline constexpr int kUnrecognizedFormat = 3343;
inline constexpr int kValueCountMismatch = 3346;
inline constexpr int kNumericFieldOverflow = 3349;
inline constexpr int kTableNotFound = 3376;
inline constexpr int kObjectNotValid = 3420;
inline constexpr int kCriteriaTypeMismatch = 3464;
}  // namespace err

}  // namespace hostdb
