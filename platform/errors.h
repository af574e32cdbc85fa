// Error numbers and their descriptions.
//
// Every failure the programs can meet carries a number: the run-time numbers of
// the classic BASIC runtime (5, 6, 13, 53, ...) and the database engine's
// numbers (3010, 3022, ...). One table, in errors.cpp, holds every number with
// its description, in Spanish, as the Spanish editions speak to this program's
// users. A description may hold '|' placeholders that the raiser fills in.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A failure with its number and its (already filled in) description, which
// the boxes show, and its cause, for whoever looks into it: what the system or
// SQLite said, about which file, in which call (empty when there is nothing
// beyond the number to tell).
class Error : public std::runtime_error {
 public:
  Error(int number, std::string description, std::string cause = {});
  int number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& cause() const { return cause_; }

 private:
  int number_;
  std::string description_;
  std::string cause_;
};

// The table's description of `number`, each '|' replaced by the next of `args`
// (a '|' with no argument left becomes empty). An unknown number gives the
// engine's text for an error without a message.
std::string describe(int number, std::initializer_list<std::string_view> args = {});

// An Error of `number` with its described text.
Error makeError(int number, std::initializer_list<std::string_view> args = {});

// Run-time error numbers the programs raise by name.
namespace err {
inline constexpr int kInvalidArgument = 5;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kOverflow = 6;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kBadFileName = 52;
inline constexpr int kDeviceIOError = 57;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDiskFull = 61;
inline constexpr int kInputPastEnd = 62;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kObjectNotSet = 91;
inline constexpr int kInvalidUseOfNull = 94;
// A folder whose file server can no longer be reached (or that fails to
// read or write there): the engine's "Error de red o de disco.", which the
// platform raises itself, so that every program and layer shows the one
// number for it whichever call met it first.
inline constexpr int kConnectionLost = 3043;
// The programs' own.
inline constexpr int kRequestWeekNotDigit = 513;
inline constexpr int kOutputNameNotPlain = 514;
inline constexpr int kNoFileNumberLeft = 515;
inline constexpr int kHostInUse = 516;
inline constexpr int kNoSequenceLeft = 517;
}  // namespace err

}  // namespace platform
