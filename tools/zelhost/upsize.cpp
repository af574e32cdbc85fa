// zelhost upsize FOLDER --server CONNINFO [--dbname NAME]: moves a file host
// to the empty PostgreSQL database CONNINFO names.
//
// Under the host's run lock, held to the end: the file is checked as
// zelhost check checks it, then every table, with its key and field
// properties, its rows and the indexes are loaded into the database in one
// transaction (ServerLoad), and each table's row count and digest are read
// back from the server and compared with the file's. Only then is the
// switch made: the file gets a second name beside it (a hard link, or a
// synced copy where the file system has none), the descriptor is written
// beside DBName's path and synced, the transaction is committed and the
// descriptor renamed onto DBName's path. At every instant DBName's path
// holds either the whole file host or the descriptor, with the file kept
// beside under its second name.
#include "tools/zelhost/upsize.h"

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hostdb/engines.h"
#include "hostdb/sqlite/catalog.h"
#include "hostdb/sqlite/host_check.h"
#include "hostdb/sqlite/table_rows.h"
#include "platform/env.h"
#include "platform/files.h"
#include "tools/zelhost/host_file.h"
#include "tools/zelhost/host_indexes.h"
#include "tools/zelhost/host_logon.h"
#include "tools/zelhost/usage.h"

namespace zelhost {
namespace {

namespace env = platform::env;

// What the file is called beside the descriptor once the host is on the
// server: DBName's name and this.
constexpr const char* kKeptSuffix = ".upsized";

struct UpsizeOptions {
  std::string folder;
  std::optional<std::string> dbName;
  std::optional<std::string> server;
};

bool parse(const Args& args, UpsizeOptions& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dbname" && i + 1 < args.size() && !options.dbName) {
      options.dbName = args[++i];
    } else if (args[i] == "--server" && i + 1 < args.size() && !options.server) {
      options.server = args[++i];
    } else if (options.folder.empty() && args[i].rfind("--", 0) != 0) {
      options.folder = args[i];
    } else {
      return false;
    }
  }
  return !options.folder.empty() && options.server && (!options.dbName || !options.dbName->empty());
}

int refuse(const std::string& message) {
  std::fprintf(stderr, "zelhost upsize: %s\n", message.c_str());
  return 1;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// A table's rows from the file as they are sent, digested on the way.
class DigestedRows final : public hostdb::jet::RowSource {
 public:
  DigestedRows(sqlite3* db, const hostdb::jet::TableSchema& table) : rows_(db, table) {}
  bool next(hostdb::jet::CanonicalRow& row) override {
    if (!rows_.next(row)) return false;
    digest_.add(row);
    return true;
  }
  hostdb::jet::TableDigest finish() { return digest_.finish(); }

 private:
  hostdb::sqlite::TableRows rows_;
  hostdb::jet::RowDigest digest_;
};

// The indexes the server host gets: the host's own look-up indexes
// (host_indexes.h) of the tables there are, as init --server makes them, and
// every other index of the file that is over plain columns. An index of the
// file the server engine cannot make (over an expression, unique beyond the
// key, partial) stops the upsize before anything is made: `refusal` says which.
std::vector<hostdb::IndexDefinition> serverIndexes(
    sqlite3* db, const std::vector<hostdb::jet::TableSchema>& tables, std::string& refusal) {
  std::vector<hostdb::IndexDefinition> out;
  auto hasTable = [&](const std::string& name) {
    for (const hostdb::jet::TableSchema& t : tables)
      if (hostdb::jet::sameName(t.name, name)) return true;
    return false;
  };
  for (const hostdb::IndexDefinition& index : hostIndexes())
    if (hasTable(index.table)) out.push_back(index);
  for (const hostdb::sqlite::StoredIndex& stored : hostdb::sqlite::storedIndexes(db, tables)) {
    bool known = false;
    for (const hostdb::IndexDefinition& index : hostIndexes())
      known = known || (hostdb::jet::sameName(index.name, stored.name) &&
                        hostdb::jet::sameName(index.table, stored.table));
    if (known) continue;
    if (stored.unique || stored.partial || stored.columns.empty()) {
      refusal = "the index '" + stored.name + "' of " + stored.table + " (" + stored.sql +
                ") cannot be made on a server host (only indexes over plain columns can); "
                "drop it with zelhost shell and upsize again";
      return {};
    }
    hostdb::IndexDefinition index{stored.name, stored.table, {}};
    for (const std::string& column : stored.columns) index.keys.push_back({column});
    out.push_back(std::move(index));
  }
  return out;
}

std::string digestLine(const std::string& table, const hostdb::jet::TableDigest& d) {
  return table + "\t" + std::to_string(d.rows) + "\t" + d.sha256;
}

std::string describeDigest(const hostdb::jet::TableDigest& d) {
  return std::to_string(d.rows) + " rows (SHA-256 " + d.sha256 + ")";
}

// The file's second name, `kept`, beside it: a hard link where the file
// system has them (and then no byte is copied), else a synced copy. A
// second name an interrupted upsize left (the same file) is made anew.
void keepBeside(const std::string& file, const std::string& kept) {
  env::Env& e = env::Env::current();
  if (e.pathExists(kept)) e.removeFile(kept);  // the same file: checked under the lock
  if (e.linkFile(file, kept)) {
    e.syncFolder(folderOf(kept));
    return;
  }
  env::TemporaryFile copy(kept, e.readFile(file));
  copy.renameOverTarget();
}

void removeQuietly(const std::string& path) noexcept {
  try {
    env::removeFile(path);
  } catch (const platform::Error&) {
    // Left for the administrator; the failure being reported matters more.
  }
}

}  // namespace

int upsizeCommand(const Args& args) {
  UpsizeOptions options;
  if (!parse(args, options))
    return commandUsageError("upsize", "FOLDER and --server CONNINFO are needed");
  hostdb::ServerHosts* server = hostdb::serverHosts();
  if (server == nullptr) {
    std::fprintf(stderr,
                 "zelhost upsize: not available: this build has no PostgreSQL engine (libpq)\n");
    return 2;
  }
  std::string folder = options.folder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::string dbName = options.dbName.value_or(iniDatabaseName());
  const std::string path = folder + "/" + dbName;
  const std::string file = platform::nativePath(path);
  const std::string kept = file + kKeptSuffix;
  const std::string& conninfo = *options.server;

  if (!env::isFile(file)) return refuse(path + " is no file: there is no host database to move");
  if (hostdb::isServerHost(path)) return refuse(path + " names a server host already");
  // A connection string the descriptor could not hold is refused before
  // anything is taken or read.
  const std::string descriptor = server->descriptorText(conninfo);

  const std::unique_ptr<hostdb::HostLock> lock = takeRunLock(path);
  if (hostdb::isServerHost(path))
    return refuse(path + " names a server host already: another upsize moved it meanwhile");
  // Descriptors and copies that a killed upsize left under temporary names.
  env::removeAbandonedTemporaries(folderOf(file), [&](std::string_view target) {
    return target == dbName || target == dbName + kKeptSuffix;
  });
  if (env::pathExists(kept) && !env::Env::current().sameFile(kept, file))
    return refuse(kept + " exists and is another file than " + path +
                  " (the kept file of an earlier upsize?); it is left as it is: move it away "
                  "and upsize again");
  server->requireEmpty(conninfo);

  std::optional<HostFile> host;
  host.emplace(path, false);
  const std::size_t findings = hostdb::sqlite::checkHost(
      host->db(), [](const hostdb::sqlite::Finding& f) {
        std::fprintf(stderr, "%s\t%s\t%s\n", f.table.empty() ? "-" : f.table.c_str(),
                     f.row.empty() ? "-" : f.row.c_str(), f.what.c_str());
      });
  if (findings > 0)
    return refuse(std::to_string(findings) + " finding" + (findings == 1 ? "" : "s") + " in " +
                  path + " (above, as zelhost check prints them): mend them first; nothing "
                  "was changed");
  const std::vector<hostdb::jet::TableSchema> tables = hostdb::sqlite::loadSchemas(host->db());
  std::string refusal;
  const std::vector<hostdb::IndexDefinition> indexes = serverIndexes(host->db(), tables, refusal);
  if (!refusal.empty()) return refuse(refusal);

  std::unique_ptr<hostdb::ServerLoad> load =
      server->beginLoad(conninfo, *hostdb::sqlite::workgroupIdentity(host->db()));
  std::map<std::string, hostdb::jet::TableDigest> copied;
  for (const hostdb::jet::TableSchema& table : tables) {
    DigestedRows rows(host->db(), table);
    load->loadTable(table, rows);
    copied[table.name] = rows.finish();
  }
  for (const hostdb::IndexDefinition& index : indexes) load->createIndex(index);
  std::vector<std::string> lines;
  for (const hostdb::jet::TableSchema& table : tables) {
    const hostdb::jet::TableDigest stored = load->digest(table);
    const hostdb::jet::TableDigest& sent = copied[table.name];
    if (stored != sent)
      return refuse("table " + table.name + ": the file holds " + describeDigest(sent) +
                    ", the server " + describeDigest(stored) +
                    " after the copy; nothing was changed, and what was made on the server "
                    "is undone");
    lines.push_back(digestLine(table.name, sent));
  }

  // Closed, the file holds every committed change (SQLite's write-ahead log
  // is played into it and removed); a log or journal still there belongs to
  // another program that has the file open.
  host.reset();
  for (const char* companion : {"-wal", "-journal"})
    if (env::pathExists(file + companion))
      return refuse(file + companion + " is there: another program has the database open "
                    "(one that takes no run lock, such as the sqlite3 shell); close it and "
                    "upsize again; nothing was changed");

  keepBeside(file, kept);
  try {
    env::TemporaryFile placed(file, descriptor + "\n");
    try {
      load->commit();
    } catch (...) {
      server->discard(conninfo);
      throw;
    }
    try {
      placed.renameOverTarget();
    } catch (...) {
      // A rename that was made stands (only the folder's sync failed).
      if (!hostdb::isServerHost(path)) server->discard(conninfo);
      throw;
    }
  } catch (...) {
    if (!hostdb::isServerHost(path)) removeQuietly(kept);
    throw;
  }

  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  std::fprintf(stderr,
               "zelhost upsize: %s now names the server (%s); the file host is kept as %s%s\n",
               path.c_str(), descriptor.c_str(), path.c_str(), kKeptSuffix);
  return 0;
}

}  // namespace zelhost
