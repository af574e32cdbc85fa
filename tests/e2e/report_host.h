// A host for sendsummary's end-to-end tests: a zelhost installation whose
// declaration rows the test writes, and runs of the built program on it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace reporttest {

// 2024-06-15 12:23:45 UTC: the instant every run sees.
inline constexpr const char* kEpoch = "1718454225";

// The command-line record: two unread characters, the document number
// filled to 15, form, period, two characters, week, NC number.
std::string record(const std::string& docId, const std::string& form = "0661",
                   const std::string& period = "2024", const std::string& week = "1",
                   const std::string& ncNumber = "00000001");

class ReportHost : public testsupport::TestHost {
 public:
  ReportHost();  // initialised
  // Initialised by zelhost init with these arguments after the folder.
  explicit ReportHost(const std::vector<std::string>& initArgs);

  // Runs statements of the engine's dialect on the host database.
  void sql(const std::vector<std::string>& statements) const;
  // The rows of a query, every value as text ("NULL" for Null).
  std::vector<std::vector<std::string>> rows(const std::string& query) const;

  // A declaration of form 0661, period 2024, week 1: its CAB row (cheque
  // number and bank code as SQL values, e.g. "'0042'" or "Null"), its
  // taxpayer in cont, and its boxes in DET.
  void addDeclaration(const std::string& docId, const std::string& chequeSql,
                      const std::string& bankSql, const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& boxes) const;
  void addBank(const std::string& code, const std::string& funcion) const;

  // sendsummary with `arg` as its one argument, at kEpoch.
  testsupport::RunResult sendsummary(const std::string& arg,
                                     const std::map<std::string, std::string>& extraEnv = {}) const;

  std::string rpt(const std::string& name) const { return folder() + "/RPT/" + name; }
  std::string tmp(const std::string& name) const { return folder() + "/TMP/" + name; }
  // The names of the files in a folder of the host, sorted.
  std::vector<std::string> filesIn(const std::string& sub) const;
  // The SPOOL rows as "CodRep|Secuencia|Archivo|Usuario|doc_id_d|tip_doc_d", in file order.
  std::vector<std::string> spoolRows() const;
};

// The message box as the transcript records it.
std::string boxLine(const std::string& title, const std::string& jsonText,
                    const std::string& icon = "critical");

}  // namespace reporttest
