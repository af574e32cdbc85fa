// zelhost sample FOLDER: a sample declaration of one taxpayer in an
// initialised host. Prints the host's send configuration file and the
// command-line record that names the declaration (the last line printed).
//
// The database is FOLDER's file named by "DBName" of PM000.INI (section
// "Options", in the Windows directory), or FOLDER/zel.db when the key is
// absent; it is opened under FOLDER/PM000.MDW.
#include <cstdio>
#include <string>
#include <vector>

#include "hostdb/database.h"
#include "platform/profile.h"
#include "tools/zelhost/commands.h"
#include "tools/zelhost/host_logon.h"

namespace zelhost {
namespace {

constexpr const char* kDocId = "20123456789";
constexpr const char* kForm = "0661";
constexpr const char* kPeriod = "2024";
constexpr const char* kWeek = "1";
constexpr const char* kNcNumber = "00000001";

std::string databaseName() {
  std::string name;
  platform::GetPrivateProfileStringA("Options", "DBName", "zel.db", name, 255, "PM000.INI");
  return name.empty() ? "zel.db" : name;
}

std::string key() {
  return std::string("'") + kDocId + "','" + kPeriod + "','" + kForm + "'," + kWeek;
}

std::vector<std::string> declarationStatements() {
  std::vector<std::string> sql = {
      "INSERT INTO CAB VALUES (6, " + key() + ", '00482913', '09')",
      std::string("INSERT INTO cont VALUES (6, '") + kDocId +
          "', 'COMERCIALIZADORA ANDINA DEL PERÚ S.A.C.')",
  };
  // Boxes 146, 180, 598 and 871 are on the summary; 721 is not.
  const char* boxes[][2] = {
      {"146", "1234567"}, {"180", "1234567"}, {"598", "1234567"}, {"871", "0"}, {"721", "55"}};
  for (const auto& box : boxes) {
    sql.push_back("INSERT INTO DET VALUES (" + key() + ", '" + box[0] + "', '" + box[1] + "')");
  }
  return sql;
}

std::string commandLineRecord() {
  std::string docId = kDocId;
  docId.resize(15, ' ');
  return std::string("01") + docId + kForm + kPeriod + "00" + kWeek + kNcNumber;
}

}  // namespace

int sampleCommand(const Args& args) {
  if (args.size() != 1) return commandUsageError("sample", "one FOLDER is needed");
  std::string folder = args[0];
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();

  HostConnection host = openHostDatabase(folder + "/" + databaseName(), folder + "/PM000.MDW");
  for (const std::string& sql : declarationStatements()) host.db->Execute(sql, hostdb::dbFailOnError);
  host.db->Close();

  const std::string sendConfiguration = folder + "/tmp/env661.txt";
  std::printf("%s\n%s\n", sendConfiguration.c_str(), commandLineRecord().c_str());
  return 0;
}

}  // namespace zelhost
