// zelhost sample FOLDER: a sample declaration of one taxpayer in an
// initialised host, a sample send configuration tmp/env661.txt, and the
// command-line record that names the declaration (the last line printed).
//
// The database is FOLDER's file named by "DBName" of PM000.INI (section
// "Options", in the Windows directory), or FOLDER/zel.db when the key is
// absent; it is opened under FOLDER/PM000.MDW.
#include <cstdio>
#include <string>
#include <vector>

#include "hostdb/database.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "tools/zelhost/commands.h"
#include "tools/zelhost/host_database.h"

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

// Lines of 13 fields, each followed by "|": sequence, source table, target
// table, extension table, three bytes, six numbers.
void writeSendConfiguration(const std::string& path) {
  const char* lines[] = {
      "1|F0651DIVIDEND|T0651DIVIDEND||1|1|6|2|3|4|5|6|7|",
      "2|F0653RETENCION|T0653RETENCION|X0653RETENCION|1|0|6|2|3|4|5|6|7|",
      "3|F0655PERCEPCIÓN|T0655PERCEPCIÓN||0|1|6|2|3|4|5|0|7|",
      "4|F0657RESUMEN|T0657RESUMEN||2|1|6|2|3|4|5|6|0|",
  };
  platform::TextWriter writer(path);
  for (const char* line : lines) writer.writeLine(line);
  writer.close();
}

std::string commandLineRecord() {
  std::string docId = kDocId;
  docId.resize(15, ' ');
  return std::string("01") + docId + kForm + kPeriod + "00" + kWeek + kNcNumber;
}

}  // namespace

int sampleCommand(const Args& args) {
  if (args.size() != 1) return usageError("sample needs FOLDER");
  std::string folder = args[0];
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();

  HostConnection host = openHostDatabase(folder + "/" + databaseName(), folder + "/PM000.MDW");
  for (const std::string& sql : declarationStatements()) host.db->Execute(sql, hostdb::dbFailOnError);
  host.db->Close();

  const std::string sendConfiguration = folder + "/tmp/env661.txt";
  writeSendConfiguration(sendConfiguration);
  std::printf("%s\n%s\n", sendConfiguration.c_str(), commandLineRecord().c_str());
  return 0;
}

}  // namespace zelhost
