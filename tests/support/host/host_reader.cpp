#include "tests/support/host/host_reader.h"

#include "build_account.h"

namespace testsupport {

OpenedHost openHost(const TestHost& host, const std::string& name) {
  OpenedHost o;
  o.engine = std::make_unique<hostdb::DBEngine>();
  o.engine->SystemDB = host.folder() + "/PM000.MDW";
  o.engine->DefaultUser = build_account::user();
  o.engine->DefaultPassword = build_account::password();
  o.db = o.engine->OpenDatabase(host.folder() + "/" + name);
  return o;
}

long long OpenedHost::count(const std::string& table) {
  auto rs = db->OpenRecordset("SELECT count(*) AS n FROM " + table, hostdb::dbOpenSnapshot);
  const long long n = rs->Value("n").integer();
  rs->Close();
  return n;
}

void executeOn(const TestHost& host, const std::vector<std::string>& statements) {
  OpenedHost o = openHost(host);
  for (const std::string& sql : statements) o.exec(sql);
  o.db->Close();
}

std::vector<std::string> rowsOf(hostdb::Database& db, const std::string& sql) {
  std::vector<std::string> rows;
  std::unique_ptr<hostdb::Recordset> rs = db.OpenRecordset(sql, hostdb::dbOpenSnapshot);
  const std::vector<std::string> names = rs->FieldNames();
  for (; !rs->Eof(); rs->MoveNext()) {
    std::string row;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i) row += '|';
      const hostdb::Variant v = rs->Value(names[i]);
      row += v.isNull() ? "<null>" : v.toText();
    }
    rows.push_back(row);
  }
  rs->Close();
  return rows;
}

}  // namespace testsupport
