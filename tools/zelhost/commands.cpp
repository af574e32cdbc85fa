// zelhost's commands, one section each: init, sample, sql, shell, check and
// repair. Each takes the arguments after its name and returns the exit status.
#include "tools/zelhost/commands.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "build_account.h"
#include "build_info.h"
#include "hostdb/database.h"
#include "hostdb/engine_error.h"
#include "hostdb/engines.h"
#include "hostdb/sqlite/host_check.h"
#include "hostdb/sqlite/schema_drift.h"
#include "hostdb/run_lock.h"
#include "hostdb/workgroup.h"
#include "platform/ascii.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/full_path.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "tools/zelhost/host_file.h"
#include "tools/zelhost/host_indexes.h"
#include "tools/zelhost/host_logon.h"
#include "tools/zelhost/host_tables.h"
#include "tools/zelhost/send_configuration.h"
#include "tools/zelhost/server_init.h"
#include "tools/zelhost/usage.h"

namespace zelhost {

// --------------------------------------------------------------------------
// zelhost init [--server CONNINFO [--report-role ROLE]] FOLDER [--dbname NAME]
// [--user NAME]: a complete, empty host installation, with its send
// configuration file tmp/env661.txt; with --server, its database is the
// empty one CONNINFO names on a PostgreSQL server, and DBName names the
// descriptor file; with --report-role, ROLE may log on to run sendsummary
// and nothing more.
namespace {

namespace fs = std::filesystem;

struct InitOptions {
  std::string folder;
  std::string dbName = "zel.db";
  std::string user = "ADMIN";
  std::optional<std::string> server;  // the connection string of --server
  std::optional<std::string> reportRole;
};

bool parse(const Args& args, InitOptions& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "--dbname" || args[i] == "--user") && i + 1 < args.size()) {
      (args[i] == "--dbname" ? options.dbName : options.user) = args[i + 1];
      ++i;
    } else if (args[i] == "--server" && i + 1 < args.size() && !options.server) {
      options.server = args[++i];
    } else if (args[i] == "--report-role" && i + 1 < args.size() && !options.reportRole) {
      options.reportRole = args[++i];
    } else if (options.folder.empty() && args[i].rfind("--", 0) != 0) {
      options.folder = args[i];
    } else {
      return false;
    }
  }
  return !options.folder.empty() && !options.dbName.empty() &&
         (!options.reportRole || options.server);
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
  hostdb::ServerHosts* server = nullptr;
  if (options.server) {
    server = hostdb::serverHosts();
    if (server == nullptr) {
      std::fprintf(stderr,
                   "zelhost init: --server is not available: this build has no PostgreSQL "
                   "engine (libpq)\n");
      return 2;
    }
  }

  // The folder as the system reads it, from its UTF-8 text (a narrow path
  // would be read in the ANSI code page on Windows, and "Año" would become
  // "AÃ±o"): `\\server\share\…` keeps its server, a drive's root its `/`.
  const std::string folderText = platform::fullFolderPath(options.folder);
  const fs::path folder(std::u8string(folderText.begin(), folderText.end()));
  const std::string folderSlash = platform::withSeparator(folderText);
  const std::string databasePath = folderSlash + options.dbName;
  // PM000.INI is in the ANSI code page: a folder it cannot hold would be
  // written with '?' in its name, and the programs would look elsewhere.
  if (platform::fromAnsi(platform::toAnsi(folderText)) != folderText) {
    std::fprintf(stderr,
                 "zelhost: %s cannot be named in PM000.INI: the ANSI code page (Windows-1252) "
                 "lacks characters of its name\n",
                 folderText.c_str());
    return 1;
  }
  if (platform::fileExists(databasePath)) {
    std::fprintf(stderr, "zelhost: %s exists already; it is left as it is\n", databasePath.c_str());
    return 1;
  }

  // A connection string that the descriptor could not hold, a server out of
  // reach and a database that is not empty are refused before anything is
  // written.
  std::string descriptor;
  if (server) {
    descriptor = server->descriptorText(*options.server);
    server->requireEmpty(*options.server);
  }

  for (const char* sub : {"", "RPT", "TMP", "tmp"}) fs::create_directories(folder / sub);

  // A second database in the same folder shares the folder's workgroup.
  const std::string workgroup = folderSlash + "PM000.MDW";
  if (!platform::fileExists(workgroup)) {
    hostdb::createWorkgroupFile(workgroup, {{build_account::user(), build_account::password()}});
  }
  const std::string sendConfiguration = folderSlash + "tmp/env661.txt";
  if (!platform::fileExists(sendConfiguration)) writeSendConfiguration(sendConfiguration);
  if (server) {
    makeServerHost(*server, *options.server, descriptor, databasePath, workgroup,
                   options.reportRole);
  } else {
    HostConnection host = createHostDatabase(databasePath, workgroup);
    createHostTables(*host.db);
    createHostIndexes(*host.db, databasePath);
    host.db->Close();
  }

  if (!writeIni(folderSlash, options)) {
    std::fprintf(stderr, "zelhost: cannot write PM000.INI in %s\n",
                 platform::windowsDirectory().c_str());
    return 1;
  }
  std::fprintf(stderr, "zelhost: PM000.INI in %s points at %s\n",
               platform::windowsDirectory().c_str(), folderText.c_str());
  std::printf("%s\n", databasePath.c_str());
  return 0;
}

// --------------------------------------------------------------------------
// zelhost sample FOLDER: a sample declaration of one taxpayer in an
// initialised host. Prints the host's send configuration file and the
// command-line record that names the declaration (the last line printed).
//
// The database is FOLDER's file named by "DBName" of PM000.INI (section
// "Options", in the Windows directory), or FOLDER/zel.db when the key is
// absent; it is opened under FOLDER/PM000.MDW.
namespace {

constexpr const char* kDocId = "20123456789";
constexpr const char* kForm = "0661";
constexpr const char* kPeriod = "2024";
constexpr const char* kWeek = "1";
constexpr const char* kNcNumber = "00000001";

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

  HostConnection host = openHostDatabase(folder + "/" + iniDatabaseName(), folder + "/PM000.MDW");
  // All of the declaration or none of it: a second call finds it whole, and
  // prints the same record.
  hostdb::Workspace& workspace = host.engine->Workspaces(0);
  workspace.BeginTrans();
  try {
    for (const std::string& sql : declarationStatements())
      host.db->Execute(sql, hostdb::dbFailOnError);
    workspace.CommitTrans();
  } catch (const platform::Error& e) {
    workspace.Rollback();
    if (e.number() != hostdb::err::kDuplicateKey) throw;
    std::fprintf(stderr, "zelhost sample: the sample declaration is in the host already\n");
  }
  host.db->Close();

  const std::string sendConfiguration = folder + "/tmp/env661.txt";
  std::printf("%s\n%s\n", sendConfiguration.c_str(), commandLineRecord().c_str());
  return 0;
}

// --------------------------------------------------------------------------
// zelhost sql DATABASE STATEMENT...: runs statements of the engine's dialect;
// a SELECT prints its rows tab-separated under a header of column names.
namespace {

bool isSelect(const std::string& sql) {
  std::size_t i = sql.find_first_not_of(" \t\r\n");
  if (i == std::string::npos || sql.size() - i < 6) return false;
  return platform::ascii::equalsNoCase(std::string_view(sql).substr(i, 6), "SELECT") &&
         (sql.size() == i + 6 || !std::isalnum(static_cast<unsigned char>(sql[i + 6])));
}

void printLine(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += '\t';
    line += cells[i];
  }
  std::printf("%s\n", line.c_str());
}

void printRows(hostdb::Database& db, const std::string& sql) {
  auto rs = db.OpenRecordset(sql, hostdb::dbOpenSnapshot);
  const std::vector<std::string> names = rs->FieldNames();
  printLine(names);
  for (; !rs->Eof(); rs->MoveNext()) {
    std::vector<std::string> cells;
    for (const std::string& name : names) {
      hostdb::Variant v = rs->Value(name);
      cells.push_back(v.isNull() ? std::string() : v.toText());
    }
    printLine(cells);
  }
  rs->Close();
}

}  // namespace

int sqlCommand(const Args& args) {
  if (args.size() < 2) return commandUsageError("sql", "DATABASE and a STATEMENT are needed");
  HostConnection host = openHostDatabase(args[0]);
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (isSelect(args[i])) {
      printRows(*host.db, args[i]);
    } else {
      host.db->Execute(args[i], hostdb::dbFailOnError);
    }
    std::fflush(stdout);
  }
  host.db->Close();
  return 0;
}

// --------------------------------------------------------------------------
// zelhost shell DATABASE [SQLITE3-ARGUMENT...]: the stock sqlite3 shell on a
// host database, with the engine's collation, functions and row rules
// loaded, so that nobody types a .load path. It holds the host's run lock
// for its whole session.
namespace {

// The extension beside this program: installed, or in the build tree.
std::string findExtension() {
  const std::string self = platform::env::executablePath();
  const std::string folder = self.substr(0, self.find_last_of('/') + 1);
  for (const char* relative : build_info::kExtensionPaths) {
    const std::string path = folder + relative;
    if (platform::env::isFile(path)) return path;
  }
  return {};
}

// A server host's shell is the server's own client, psql, on the connection
// string the descriptor holds, with the search path the programs' sessions
// have (the host's tables, then the engine's functions before the server's
// own). The server keeps its writers apart: it holds no run lock.
int serverShell(hostdb::ServerHosts& server, const Args& args) {
  std::vector<std::string> argv = {"env", "PGOPTIONS=-c search_path=public,jet,pg_catalog",
                                   "psql", "--dbname=" + server.connectionString(args.front())};
  argv.insert(argv.end(), args.begin() + 1, args.end());
  const int status = platform::env::runAttached(argv);
  if (status < 0) {
    std::fprintf(stderr,
                 "zelhost shell: psql cannot be started (apt-get install postgresql-client)\n");
    return 1;
  }
  return status;
}

}  // namespace

int shellCommand(const Args& args) {
  if (args.empty() || args.front().rfind("-", 0) == 0) {
    return commandUsageError("shell", "DATABASE comes first");
  }
  if (hostdb::ServerHosts* server = hostdb::serverHosts();
      server && hostdb::isServerHost(args.front()))
    return serverShell(*server, args);
  // A FIFO would hold the shell for ever, and another program's file is not
  // ours to change: a path that exists must be a host database. A missing
  // one the shell makes (a dump restored into a new file).
  if (platform::env::pathExists(args.front())) HostFile(args.front(), true);
  const std::string extension = findExtension();
  if (extension.empty()) {
    std::fprintf(stderr, "zelhost shell: the zeljet extension is not beside zelhost\n");
    return 1;
  }
  const std::string& database = args.front();
  // ".load" takes the path without its ending and adds the system's own.
  const std::string loadable = extension.substr(0, extension.find_last_of('.'));
  std::vector<std::string> argv = {"sqlite3", "-cmd", ".load '" + loadable + "'"};
  // The journal the programs use in that folder, so that the shell's writes
  // are as safe there as theirs.
  const std::string folder = database.substr(0, database.find_last_of('/') + 1);
  if (platform::env::Env::current().folderKind(folder.empty() ? "." : folder) !=
      platform::env::Env::FolderKind::Local) {
    argv.insert(argv.end(),
                {"-cmd", "PRAGMA journal_mode=DELETE", "-cmd", "PRAGMA synchronous=FULL"});
  }
  argv.push_back(database);
  argv.insert(argv.end(), args.begin() + 1, args.end());

  hostdb::RunLock lock(database, database);
  lock.take();
  std::fprintf(stderr,
               "zelhost shell: the host's run lock (%s) is held until the shell ends; "
               "formsetup and sendsummary wait meanwhile\n",
               lock.folder().c_str());
  const int status = platform::env::runAttached(argv);
  if (status < 0) {
    std::fprintf(stderr,
                 "zelhost shell: the sqlite3 shell cannot be started (apt-get install sqlite3)\n");
    return 1;
  }
  return status;
}

// --------------------------------------------------------------------------
// zelhost check DATABASE: whether a host database is whole. One finding a
// line, tab-separated: the table ("-" for the file), the row's key ("-" for
// the table as a whole), what is wrong. Exit status 1 when there is any.

namespace {

void printFinding(const std::string& table, const std::string& row, const std::string& what) {
  std::printf("%s\t%s\t%s\n", table.empty() ? "-" : table.c_str(), row.empty() ? "-" : row.c_str(),
              what.c_str());
}

// A server host: what the server lets drift (server_hosts.h).
std::size_t checkServerHost(hostdb::ServerHosts& server, const std::string& path) {
  const std::vector<hostdb::ServerFinding> findings = server.check(path);
  for (const hostdb::ServerFinding& f : findings) printFinding(f.table, "", f.what);
  return findings.size();
}

std::size_t checkFileHost(const std::string& path) {
  HostFile host(path, true);
  return hostdb::sqlite::checkHost(host.db(), [](const hostdb::sqlite::Finding& f) {
    printFinding(f.table, f.row, f.what);
  });
}

}  // namespace

int checkCommand(const Args& args) {
  if (args.size() != 1) return commandUsageError("check", "DATABASE and nothing else");
  hostdb::ServerHosts* server = hostdb::serverHosts();
  const std::size_t found = server && hostdb::isServerHost(args[0])
                                ? checkServerHost(*server, args[0])
                                : checkFileHost(args[0]);
  std::fflush(stdout);
  if (found == 0) {
    std::fprintf(stderr, "zelhost check: %s is whole\n", args[0].c_str());
    return 0;
  }
  std::fprintf(stderr, "zelhost check: %zu finding%s in %s\n", found, found == 1 ? "" : "s",
               args[0].c_str());
  return 1;
}

// --------------------------------------------------------------------------
// zelhost repair DATABASE: makes the catalog say what SQLite's schema says
// (the drift zelhost check reports). Writes catalog rows only; rows that
// break the engine's rules are left for their owner. One line for each
// change, tab-separated: the table, what was mended.

int repairCommand(const Args& args) {
  if (args.size() != 1) return commandUsageError("repair", "DATABASE and nothing else");
  if (hostdb::isServerHost(args[0])) {
    // The server engine writes each table and its catalog rows in one
    // transaction, and reads past catalog rows of tables the server lacks.
    std::fprintf(stderr,
                 "zelhost repair: not needed on a server host: the catalog is kept by the server "
                 "with the tables; zelhost check names what an administrator mends there\n");
    return 0;
  }
  const std::unique_ptr<hostdb::HostLock> lock = takeRunLock(args[0]);
  HostFile host(args[0], false);
  const auto drift = hostdb::sqlite::repairCatalog(host.db());
  for (const hostdb::sqlite::Drift& d : drift)
    std::printf("%s\tmended: %s\n", d.table.c_str(), hostdb::sqlite::describeDrift(d).c_str());
  std::fflush(stdout);
  if (drift.empty()) std::fprintf(stderr, "zelhost repair: the catalog follows the schema\n");
  return 0;
}

}  // namespace zelhost
