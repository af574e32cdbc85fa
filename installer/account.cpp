#include "installer/account.h"

#include "build_account.h"

namespace installer {
namespace {

std::string fromCodes(const int (&codes)[8]) {
  std::string text;
  for (int code : codes) text += static_cast<char>(code);
  return text;
}

}  // namespace

std::string workgroupUser() { return fromCodes(build_account::kUserCodes); }
std::string workgroupPassword() { return fromCodes(build_account::kPasswordCodes); }

}  // namespace installer
