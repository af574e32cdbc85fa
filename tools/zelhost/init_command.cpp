// zelhost init FOLDER [--dbname NAME] [--user NAME]: a complete, empty host
// installation, with its send configuration file tmp/env661.txt.
#include <cstdio>
#include <filesystem>
#include <string>

#include "build_account.h"
#include "hostdb/database.h"
#include "hostdb/workgroup.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "tools/zelhost/commands.h"
#include "tools/zelhost/send_configuration.h"
#include "tools/zelhost/host_logon.h"
#include "tools/zelhost/host_indexes.h"
#include "tools/zelhost/host_tables.h"

namespace zelhost {
namespace {

namespace fs = std::filesystem;

struct InitOptions {
  std::string folder;
  std::string dbName = "zel.db";
  std::string user = "ADMIN";
};

bool parse(const Args& args, InitOptions& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "--dbname" || args[i] == "--user") && i + 1 < args.size()) {
      (args[i] == "--dbname" ? options.dbName : options.user) = args[i + 1];
      ++i;
    } else if (options.folder.empty() && args[i].rfind("--", 0) != 0) {
      options.folder = args[i];
    } else {
      return false;
    }
  }
  return !options.folder.empty() && !options.dbName.empty();
}

void createTables(hostdb::Database& db) {
  for (const HostTable& table : hostTables()) {
    db.Execute(createTableSql(table), hostdb::dbFailOnError);
  }
  // Text fields made by DDL refuse empty strings; the host program's accept them.
  hostdb::TableDefs& defs = db.TableDefs();
  defs.Refresh();
  for (const HostTable& table : hostTables()) {
    hostdb::TableDef& def = defs.Item(std::string_view(table.name));
    for (const HostColumn& column : table.columns) {
      if (column.type == hostdb::FieldType::Text) def.Fields(column.name).setAllowZeroLength(true);
    }
  }
}

bool writeIni(const std::string& folderWithSeparator, const InitOptions& options) {
  std::error_code ec;
  fs::create_directories(platform::windowsDirectory(), ec);
  const char* ini = "PM000.INI";
  return platform::WritePrivateProfileStringA("Options", "SysPath", folderWithSeparator, ini) &&
         platform::WritePrivateProfileStringA("Options", "DBPath", folderWithSeparator, ini) &&
         platform::WritePrivateProfileStringA("Options", "DBName", options.dbName, ini) &&
         platform::WritePrivateProfileStringA("Options", "SysUser", options.user, ini);
}

}  // namespace

int initCommand(const Args& args) {
  InitOptions options;
  if (!parse(args, options)) return commandUsageError("init", "wrong arguments");

  const fs::path folder = fs::absolute(options.folder).lexically_normal();
  std::string folderText = folder.string();
  if (folderText.size() > 1 && folderText.back() == '/') folderText.pop_back();
  const std::string databasePath = folderText + "/" + options.dbName;
  if (platform::fileExists(databasePath)) {
    std::fprintf(stderr, "zelhost: %s exists already; it is left as it is\n", databasePath.c_str());
    return 1;
  }

  for (const char* sub : {"", "RPT", "TMP", "tmp"}) fs::create_directories(folder / sub);

  // A second database in the same folder shares the folder's workgroup.
  const std::string workgroup = folderText + "/PM000.MDW";
  if (!platform::fileExists(workgroup)) {
    hostdb::createWorkgroupFile(workgroup, {{build_account::user(), build_account::password()}});
  }
  const std::string sendConfiguration = folderText + "/tmp/env661.txt";
  if (!platform::fileExists(sendConfiguration)) writeSendConfiguration(sendConfiguration);
  HostConnection host = createHostDatabase(databasePath, workgroup);
  createTables(*host.db);
  createHostIndexes(*host.db);
  host.db->Close();

  if (!writeIni(folderText + "/", options)) {
    std::fprintf(stderr, "zelhost: cannot write PM000.INI in %s\n",
                 platform::windowsDirectory().c_str());
    return 1;
  }
  std::printf("%s\n", databasePath.c_str());
  return 0;
}

}  // namespace zelhost
