// The declaration a run reads in the host database, and the procedures that
// read it. The summaries are laid out from it and the request alone.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "report/request.h"

namespace report {

// The DET values of a declaration by box number: boxes 1 to 700 and 800 to
// 999. slot() of any other number raises 9 (subscript out of range).
class BoxValues {
 public:
  std::string& slot(int box);
  const std::string& slot(int box) const;

 private:
  std::array<std::string, 700> first_;   // slot = box - 1
  std::array<std::string, 200> second_;  // slot = box - 800
};

// How the declaration was paid: in cash, or by a cheque on a bank.
struct Payment {
  bool isCash = false;
  std::string chequeNumber;
  std::string bankName;
};

struct Declaration {
  Payment payment;
  BoxValues boxValues;
  std::string taxpayerName;
};

// The boxes the summary shows.
inline constexpr int kDebtBox = 146;        // "Renta", "TOTAL DEUDA"
inline constexpr int kPaidBox = 180;        // "Renta", "MONTO PAGO"
inline constexpr int kTotalPaidBox = 598;   // "TOTAL:", under "MONTO PAGO"
inline constexpr int kRectifyingBox = 871;  // "RECTIFICATORIA"

// Boxes that DET may hold but the summary does not read.
bool isIgnoredBox(int box);

// CAB: cash or cheque and, for a cheque, its bank's name.
Payment readDeclarationHeader(const ReportRequest& request);

// The bank's description in PARAM group "004", trimmed; "" when not found.
std::string lookUpBankName(const std::string& code);

// DET: the box values.
BoxValues readDeclarationBoxes(const ReportRequest& request);

// cont: the taxpayer's name; nullopt when the taxpayer has no row.
std::optional<std::string> lookUpTaxpayer(const std::string& docId);

}  // namespace report
