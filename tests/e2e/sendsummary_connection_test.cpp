// sendsummary's way into the host database: "SystemDB" in PM000.INI, the
// workgroup path, and the connection box that ends a run before any row.
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;

using reporttest::boxLine;
using reporttest::record;
using reporttest::ReportHost;
using testsupport::readFile;
using testsupport::RunResult;
using testsupport::writeFile;

namespace {

std::string ini(const std::string& dbPath, const std::string& dbName = "zel.db") {
  return "[Options]\r\nDBPath=" + dbPath + "\r\nDBName=" + dbName + "\r\nSysUser=ADMIN\r\n";
}

std::string connectionBox(const std::string& jsonDescription) {
  return boxLine("Mensaje", "\\n" + jsonDescription + "\\nIntente nuevamente por favor.");
}

class SendsummaryConnection : public ::testing::Test {
 protected:
  SendsummaryConnection() { host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {}); }
  RunResult run() { return host.sendsummary(record("20123456789")); }
  ReportHost host;
};

TEST_F(SendsummaryConnection, FolderEndingInABackslashIsWrittenWithTwoAndOpenedWithOne) {
  const std::string folder = host.folder() + "\\";
  writeFile(host.iniPath(), ini(folder));
  RunResult r = run();
  // The run completes: the engine found the workgroup at folder\PM000.MDW.
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err << readFile(host.transcriptPath());
  EXPECT_EQ(readFile(host.iniPath()), ini(folder) + "SystemDB=" + folder + "\\PM000.MDW\r\n");
  EXPECT_EQ(host.spoolRows().size(), 1u);
}

TEST_F(SendsummaryConnection, FolderWithoutAFinalBackslashGetsOne) {
  // The database name then carries the separator itself.
  writeFile(host.iniPath(), ini(host.folder(), "\\zel.db"));
  RunResult r = run();
  EXPECT_EQ(readFile(host.iniPath()),
            ini(host.folder(), "\\zel.db") + "SystemDB=" + host.folder() + "\\PM000.MDW\r\n");
  // Logged on and opened; the report folder is then "hostRPT", which does
  // not exist: the first write fails, after the connection.
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(host.transcript().size(), 1u);
  EXPECT_THAT(host.transcript()[0], HasSubstr("Error tecnico:  76"));
  EXPECT_TRUE(host.spoolRows().empty());
}

TEST_F(SendsummaryConnection, EmptyFolderStillWritesSystemDbThenFails) {
  writeFile(host.iniPath(), ini(""));
  RunResult r = run();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(readFile(host.iniPath()), ini("") + "SystemDB=\\PM000.MDW\r\n");
  EXPECT_EQ(host.transcript(), std::vector<std::string>{
                                   connectionBox("Llamada a procedimiento o argumento no válido")});
  EXPECT_TRUE(host.sqlLog().empty()) << readFile(host.sqlLogPath());
  EXPECT_TRUE(host.spoolRows().empty());
}

TEST_F(SendsummaryConnection, MissingOrMisnamedDatabaseGivesTheConnectionBoxAndNoRow) {
  for (const std::string& name : {std::string("otro.db"), std::string()}) {
    SCOPED_TRACE(name);
    std::remove(host.transcriptPath().c_str());
    writeFile(host.iniPath(), ini(host.folder() + "/", name));
    RunResult r = run();
    EXPECT_EQ(r.exitCode, 1);
    const std::string description =
        name.empty()
            ? std::string("'").append(host.folder()) +
                  "/' no es una ruta de acceso válida. Asegúrese de "
                  "que la ruta de acceso está escrita correctamente y de que está conectado "
                  "al servidor en el que reside el archivo."
            : "No se encuentra el archivo '" + host.folder() + "/" + name + "'.";
    EXPECT_EQ(host.transcript(), std::vector<std::string>{connectionBox(description)});
    EXPECT_TRUE(host.sqlLog().empty()) << readFile(host.sqlLogPath());
  }
  EXPECT_TRUE(host.spoolRows().empty());
  EXPECT_TRUE(host.filesIn("RPT").empty());
  EXPECT_TRUE(host.filesIn("TMP").empty());
}

}  // namespace
