// What one run reads: the request on its command line and the declaration in
// the host database. The summaries are laid out from these alone.
#pragma once

#include <array>
#include <string>

namespace report {

// The fields of the command-line record.
struct ReportRequest {
  std::string docId;       // 15 characters, blanks kept
  std::string formNumber;  // 4
  std::string period;      // 4
  std::string week;        // 1
  std::string ncNumber;    // 8
  std::string outputName;  // form, period and two more, week, NC number
};

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

}  // namespace report
