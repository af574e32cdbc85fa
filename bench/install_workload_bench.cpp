// The installer's kind of work through the database layer, beside the same
// work done on SQLite directly, one statement per transaction under the same
// journal settings (WAL, synchronous=NORMAL). Prints the medians and their
// ratio.
//
//   build/bench/install_workload_bench [runs]
//
// The work: 51 tables of 17 columns created, each given a primary key; four
// text fields of 27 of them made to accept empty strings; 157 parameter rows
// each looked up and then inserted (first pass) or updated (second pass).
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench_support.h"
#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"
#include "hostdb/workgroup.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTables = 51;
constexpr int kAdjustedTables = 27;
constexpr int kAdjustedFields = 4;
constexpr int kParamRows = 157;

// "F12", "c3", "A7": a prefix and a number (appended, not concatenated to a
// temporary, which GCC 12 at -O3 misreads as an overlapping copy).
std::string numbered(const char* prefix, int n) {
  return std::string(prefix).append(std::to_string(n));
}

std::string tableName(int t) { return numbered("F", t); }

std::string createJet(int t) {
  std::string sql =
      "CREATE TABLE " + tableName(t) +
      "( [tip_doc_d] Byte, [doc_id_d] text(15),[periodo] Text(6),  [formulario] Text (4)";
  for (int c = 0; c < 12; ++c) sql += ", [" + numbered("c", c) + "] Text (40)";
  return sql + ", [fec] DATE);";
}

std::string keyJet(int t) {
  return "ALTER TABLE " + tableName(t) + " ADD CONSTRAINT PK_" + tableName(t) +
         " PRIMARY KEY ([tip_doc_d],[doc_id_d],[periodo],[Formulario],[c0])";
}

std::string paramRow(int r) { return numbered("A", r); }

// One installer run through hostdb on the database in `folder`.
void runThroughHostdb(const std::string& folder, bool create) {
  hostdb::DBEngine engine;
  engine.SystemDB = folder + "/PM000.MDW";
  engine.DefaultUser = "BENCHUSR";
  engine.DefaultPassword = "bench123";
  auto db = create ? engine.Workspaces(0).CreateDatabase(folder + "/zel.db")
                   : engine.OpenDatabase(folder + "/zel.db");
  if (create) {
    db->Execute(
        "CREATE TABLE PARAM ([Numero] Text(3), [Argumento] Text(15), [Funcion] Text(255), "
        "[Correl_Param] Text(3))",
        hostdb::dbFailOnError);
    db->Execute("ALTER TABLE PARAM ADD CONSTRAINT PK PRIMARY KEY ([Numero],[Argumento])",
                hostdb::dbFailOnError);
  }
  auto& defs = db->TableDefs();
  defs.Refresh();
  for (int t = 0; t < kTables; ++t) {
    bool exists = true;
    try {
      defs.Item(tableName(t));
    } catch (const hostdb::EngineError&) {
      exists = false;
    }
    if (exists) continue;
    db->Execute(createJet(t));
    db->Execute(keyJet(t));
  }
  defs.Refresh();
  for (int t = 0; t < kAdjustedTables; ++t) {
    auto& def = defs.Item(tableName(t));
    for (int c = 0; c < kAdjustedFields; ++c) def.Fields(numbered("c", c)).setAllowZeroLength(true);
  }
  for (int r = 0; r < kParamRows; ++r) {
    const std::string key = paramRow(r);
    auto rs =
        db->OpenRecordset("Select * from Param Where Numero='044' AND Argumento='" + key + "'",
                          hostdb::dbOpenSnapshot);
    const bool found = !rs->Eof();
    rs->Close();
    if (found)
      db->Execute(
          "Update Param Set Funcion='SIN DOCUMENTO   15 000000', Correl_param='001' Where "
          "Numero='044' AND Argumento='" +
          key + "'");
    else
      db->Execute("insert into Param values ('044','" + key +
                  "','SIN DOCUMENTO   15 000000','001')");
  }
  db->Close();
}

void exec(sqlite3* db, const std::string& sql) { bench::sqlOrExit(db, sql); }

// The same writes and look-ups on SQLite directly.
void runOnSqlite(const std::string& folder, bool create) {
  sqlite3* db = nullptr;
  sqlite3_open((folder + "/plain.db").c_str(), &db);
  exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
  if (create) {
    exec(db, "CREATE TABLE PARAM (Numero TEXT, Argumento TEXT, Funcion TEXT, Correl_Param TEXT)");
    exec(db, "CREATE UNIQUE INDEX PARAM_PK ON PARAM (Numero, Argumento)");
    for (int t = 0; t < kTables; ++t) {
      std::string sql = "CREATE TABLE " + tableName(t) +
                        " (tip_doc_d INTEGER, doc_id_d TEXT, periodo TEXT, formulario TEXT";
      for (int c = 0; c < 12; ++c) sql += ", " + numbered("c", c) + " TEXT";
      exec(db, sql + ", fec TEXT)");
      exec(db, "CREATE UNIQUE INDEX " + tableName(t) + "_PK ON " + tableName(t) +
                   " (tip_doc_d, doc_id_d, periodo, formulario, c0)");
    }
  }
  for (int r = 0; r < kParamRows; ++r) {
    const std::string key = paramRow(r);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(
        db, ("SELECT * FROM PARAM WHERE Numero='044' AND Argumento='" + key + "'").c_str(), -1, &q,
        nullptr);
    const bool found = sqlite3_step(q) == SQLITE_ROW;
    sqlite3_finalize(q);
    if (found)
      exec(db,
           "UPDATE PARAM SET Funcion='SIN DOCUMENTO   15 000000', Correl_Param='001' WHERE "
           "Numero='044' AND Argumento='" +
               key + "'");
    else
      exec(db, "INSERT INTO PARAM VALUES ('044','" + key + "','SIN DOCUMENTO   15 000000','001')");
  }
  sqlite3_close(db);
}

double millis(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  std::vector<double> fresh, repeated, plainFresh, plainRepeated;
  for (int i = 0; i < runs; ++i) {
    const fs::path folder = fs::temp_directory_path() / numbered("zelbench.", ::getpid());
    fs::remove_all(folder);
    fs::create_directories(folder);
    hostdb::createWorkgroupFile((folder / "PM000.MDW").string(), {{"BENCHUSR", "bench123"}});
    const std::string f = folder.string();
    fresh.push_back(millis([&] { runThroughHostdb(f, true); }));
    repeated.push_back(millis([&] { runThroughHostdb(f, false); }));
    plainFresh.push_back(millis([&] { runOnSqlite(f, true); }));
    plainRepeated.push_back(millis([&] { runOnSqlite(f, false); }));
    fs::remove_all(folder);
  }
  std::printf("install workload, median of %d runs (ms)\n", runs);
  std::printf("%-14s %10s %10s %7s\n", "", "hostdb", "sqlite", "ratio");
  std::printf("%-14s %10.1f %10.1f %7.2f\n", "fresh", bench::median(fresh),
              bench::median(plainFresh), bench::median(fresh) / bench::median(plainFresh));
  std::printf("%-14s %10.1f %10.1f %7.2f\n", "repeated", bench::median(repeated),
              bench::median(plainRepeated), bench::median(repeated) / bench::median(plainRepeated));
  return 0;
}
