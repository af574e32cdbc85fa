// formsetup on a fresh host and on a repeated run, beside the sqlite3 shell
// replaying the same writing statements on a plain SQLite database, one
// statement per transaction, under the same journal settings (WAL,
// synchronous=NORMAL). Both sides are whole processes, start-up included.
// Prints the medians and their ratios.
//
//   build/bench/formsetup_bench [runs]      (default 7; at least 5)
//
// The statements are those formsetup sends, read off its SQL trace: data
// definition and rows as they stand; a key statement becomes the unique index
// that SQLite offers for it. Look-ups are not replayed, so the shell does
// strictly less than formsetup.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

namespace fs = std::filesystem;

// Runs a program to its end and gives its wall time; a failed run ends the
// benchmark.
double timedRun(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                const std::string& input = "/dev/null") {
  const bench::Run run = bench::runProcess(argv, env, input);
  if (run.status != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", argv[0].c_str(), run.status);
    std::exit(1);
  }
  return run.ms;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The statements of a trace ("E<TAB>statement" lines).
std::vector<std::string> statementsOf(const std::string& trace) {
  std::vector<std::string> out;
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("E\t", 0) == 0) out.push_back(line.substr(2));
  return out;
}

// "ALTER TABLE t ADD CONSTRAINT k PRIMARY KEY (cols)" -> a unique index.
std::string sqliteForm(const std::string& statement) {
  const std::string alter = "ALTER TABLE ";
  if (statement.rfind(alter, 0) != 0) return statement;
  std::istringstream words(statement.substr(alter.size()));
  std::string table, add, constraint, name;
  words >> table >> add >> constraint >> name;
  const std::size_t open = statement.find('(');
  const std::size_t close = statement.rfind(')');
  return "CREATE UNIQUE INDEX \"" + table + " " + name + "\" ON " + table + " " +
         statement.substr(open, close - open + 1);
}

std::string replayScript(const std::vector<std::string>& statements) {
  std::string script = "PRAGMA journal_mode=WAL;\nPRAGMA synchronous=NORMAL;\n";
  for (const std::string& s : statements) script += "BEGIN;\n" + sqliteForm(s) + ";\nCOMMIT;\n";
  return script;
}

// The host tables formsetup writes, as plain SQLite tables with their keys.
const char* const kPlainHostTables =
    "PRAGMA journal_mode=WAL;\n"
    "CREATE TABLE PARAM (Numero TEXT(3), Argumento TEXT(15), Funcion TEXT(255),"
    " Correl_Param TEXT(3), PRIMARY KEY (Numero, Argumento));\n"
    "CREATE TABLE reportes (codrep TEXT(6), nomrep TEXT(100), estado INTEGER,"
    " PRIMARY KEY (codrep));\n"
    "CREATE TABLE envio_t (formulario TEXT(4), tabla_o TEXT(50), tabla_d TEXT(50),"
    " tabla_ext TEXT(50), indice INTEGER, obliga INTEGER, c_tip_doc_d INTEGER, c_doc_id_d REAL,"
    " c_Formulario REAL, c_periodo REAL, c_estado REAL, c_envio REAL, c_semana REAL,"
    " PRIMARY KEY (formulario, tabla_o));\n";

}  // namespace

int main(int argc, char** argv) {
  const int runs = std::max(5, argc > 1 ? std::atoi(argv[1]) : 7);
  const fs::path bin = fs::canonical(fs::path(argv[0])).parent_path().parent_path() / "bin";
  const std::string zelhost = (bin / "zelhost").string();
  const std::string formsetup = (bin / "formsetup").string();
  const fs::path root = fs::temp_directory_path() / ("zelbench." + std::to_string(::getpid()));
  fs::remove_all(root);

  // A host of its own for each run, made by zelhost outside the timing.
  auto makeHost = [&](const std::string& name) {
    const fs::path dir = root / name;
    fs::create_directories(dir / "windows");
    std::map<std::string, std::string> env = {{"WINDIR", (dir / "windows").string()}};
    timedRun({zelhost, "init", (dir / "host").string()}, env);
    return std::make_pair(dir, env);
  };

  // The statements to replay, off the trace of one fresh and one repeated run.
  auto [traced, tracedEnv] = makeHost("traced");
  tracedEnv["ZEL_SQL_LOG"] = (traced / "fresh.log").string();
  timedRun({formsetup}, tracedEnv);
  tracedEnv["ZEL_SQL_LOG"] = (traced / "repeated.log").string();
  timedRun({formsetup}, tracedEnv);
  const std::vector<std::string> freshStatements = statementsOf(readFile(traced / "fresh.log"));
  const std::vector<std::string> repeatedStatements =
      statementsOf(readFile(traced / "repeated.log"));
  writeFile(root / "tables.sql", kPlainHostTables);
  writeFile(root / "fresh.sql", replayScript(freshStatements));
  writeFile(root / "repeated.sql", replayScript(repeatedStatements));

  std::vector<double> fresh, repeated, shellFresh, shellRepeated;
  for (int i = 0; i < runs; ++i) {
    auto [dir, env] = makeHost("run" + std::to_string(i));
    fresh.push_back(timedRun({formsetup}, env));
    repeated.push_back(timedRun({formsetup}, env));

    const std::string plain = (dir / "plain.db").string();
    timedRun({"sqlite3", plain}, {}, (root / "tables.sql").string());
    shellFresh.push_back(timedRun({"sqlite3", "-bail", plain}, {}, (root / "fresh.sql").string()));
    shellRepeated.push_back(
        timedRun({"sqlite3", "-bail", plain}, {}, (root / "repeated.sql").string()));
    fs::remove_all(dir);
  }
  fs::remove_all(root);

  std::printf("formsetup, median of %d runs (ms); the shell replays %zu and %zu statements\n", runs,
              freshStatements.size(), repeatedStatements.size());
  std::printf("%-10s %10s %10s %7s\n", "", "formsetup", "sqlite3", "ratio");
  std::printf("%-10s %10.1f %10.1f %7.2f\n", "fresh", bench::median(fresh),
              bench::median(shellFresh), bench::median(fresh) / bench::median(shellFresh));
  std::printf("%-10s %10.1f %10.1f %7.2f\n", "repeated", bench::median(repeated),
              bench::median(shellRepeated), bench::median(repeated) / bench::median(shellRepeated));
  return 0;
}
