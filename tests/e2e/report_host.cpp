#include "tests/e2e/report_host.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "tests/support/host/host_reader.h"

namespace reporttest {
namespace {

const char* kKey = "'2024', '0661', 1";

}  // namespace

std::string record(const std::string& docId, const std::string& form, const std::string& period,
                   const std::string& week, const std::string& ncNumber) {
  std::string id = docId;
  id.resize(15, ' ');
  return "01" + id + form + period + "00" + week + ncNumber;
}

ReportHost::ReportHost() : ReportHost(std::vector<std::string>{}) {}

ReportHost::ReportHost(const std::vector<std::string>& initArgs) {
  init(initArgs);
  // The trace then holds only what the tests' runs send.
  std::remove(sqlLogPath().c_str());
}

void ReportHost::sql(const std::vector<std::string>& statements) const {
  testsupport::executeOn(*this, statements);
}

std::vector<std::vector<std::string>> ReportHost::rows(const std::string& query) const {
  testsupport::OpenedHost o = testsupport::openHost(*this);
  std::vector<std::vector<std::string>> out;
  auto rs = o.db->OpenRecordset(query, hostdb::dbOpenSnapshot);
  const auto names = rs->FieldNames();
  for (; !rs->Eof(); rs->MoveNext()) {
    std::vector<std::string> row;
    for (const std::string& n : names) {
      const hostdb::Variant v = rs->Value(n);
      row.push_back(v.isNull() ? "NULL" : v.toText());
    }
    out.push_back(row);
  }
  rs->Close();
  o.db->Close();
  return out;
}

void ReportHost::addDeclaration(
    const std::string& docId, const std::string& chequeSql, const std::string& bankSql,
    const std::string& name, const std::vector<std::pair<std::string, std::string>>& boxes) const {
  std::vector<std::string> statements = {
      "INSERT INTO CAB VALUES (6, '" + docId + "', " + kKey + ", " + chequeSql + ", " + bankSql +
          ")",
      "INSERT INTO cont VALUES (6, '" + docId + "', '" + name + "')"};
  for (const auto& [box, value] : boxes) {
    statements.push_back("INSERT INTO DET VALUES ('" + docId + "', " + kKey + ", '" + box + "', " +
                         value + ")");
  }
  sql(statements);
}

void ReportHost::addBank(const std::string& code, const std::string& funcion) const {
  sql({"INSERT INTO PARAM VALUES ('004', '" + code + "', '" + funcion + "', '001')"});
}

testsupport::RunResult ReportHost::sendsummary(
    const std::string& arg, const std::map<std::string, std::string>& extraEnv) const {
  std::map<std::string, std::string> env = {{"SOURCE_DATE_EPOCH", kEpoch}};
  for (const auto& [k, v] : extraEnv) env[k] = v;
  return run("sendsummary", {arg}, env);
}

std::vector<std::string> ReportHost::filesIn(const std::string& sub) const {
  std::vector<std::string> names = testsupport::listFolder(folder() + "/" + sub);
  // Where names are found in any case (Windows) tmp/ and TMP/ are one folder:
  // formsetup's send configuration there is none of sendsummary's files.
  if (testsupport::systemIsWindows() && sub == "TMP") std::erase(names, "env661.txt");
  return names;
}

std::vector<std::string> ReportHost::spoolRows() const {
  std::vector<std::string> out;
  for (const auto& row : rows("SELECT CodRep, Secuencia, Archivo, Usuario, doc_id_d, tip_doc_d "
                              "FROM SPOOL ORDER BY Archivo")) {
    std::string line;
    for (const std::string& v : row) line += (line.empty() ? "" : "|") + v;
    out.push_back(line);
  }
  return out;
}

std::string boxLine(const std::string& title, const std::string& jsonText,
                    const std::string& icon) {
  return R"({"program":"sendsummary","title":")" + title + R"(","text":")" + jsonText +
         R"(","icon":")" + icon + R"(","buttons":"ok","default":"ok","answer":"ok"})";
}

}  // namespace reporttest
