// zelhost, run as a process: host installations, statements, the sample.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "build_account.h"
#include "build_info.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"
#include "tests/e2e/plain_client.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using ::testing::HasSubstr;
using ::testing::Not;

using testsupport::readFile;
using testsupport::RunResult;
using testsupport::TestHost;

namespace {

struct ExpectedTable {
  const char* table;
  std::vector<std::string> key;
  std::vector<std::string> textFields;
};

const std::vector<ExpectedTable> kHostTables = {
    {"PARAM", {"Numero", "Argumento"}, {"Numero", "Argumento", "Funcion", "Correl_Param"}},
    {"reportes", {"codrep"}, {"codrep", "nomrep"}},
    {"envio_t", {"formulario", "tabla_o"}, {"formulario", "tabla_o", "tabla_d", "tabla_ext"}},
    {"SPOOL", {"CodRep", "Secuencia"}, {"CodRep", "Secuencia", "Archivo", "Usuario", "doc_id_d"}},
    {"CAB",
     {"TIP_DOC_D", "DOC_ID_D", "PERIODO", "FORMULARIO", "SEMANA"},
     {"DOC_ID_D", "PERIODO", "FORMULARIO", "nrocheque", "bcolibrad"}},
    {"DET",
     {"DOC_ID_D", "PERIODO", "FORMULARIO", "SEMANA", "CASILLA"},
     {"DOC_ID_D", "PERIODO", "FORMULARIO", "CASILLA", "I_VALOR"}},
    {"cont", {"tip_doc_d", "doc_id_d"}, {"doc_id_d", "nombre"}},
};

}  // namespace

TEST(ZelhostInit, MakesFoldersWorkgroupAndIniWithDefaults) {
  TestHost host;
  host.init();
  for (const char* sub : {"RPT", "TMP", "tmp"}) {
    EXPECT_TRUE(testsupport::fileExists(host.folder() + "/" + sub)) << sub;
  }
  EXPECT_TRUE(testsupport::fileExists(host.folder() + "/tmp/env661.txt"));
  EXPECT_EQ(readFile(host.iniPath()), "[Options]\r\nSysPath=" + host.folder() +
                                          "/\r\nDBPath=" + host.folder() +
                                          "/\r\nDBName=zel.db\r\nSysUser=ADMIN\r\n");
  // The workgroup file holds the build's account only as a hash.
  const std::string mdw = readFile(host.folder() + "/PM000.MDW");
  EXPECT_FALSE(mdw.empty());
  EXPECT_THAT(mdw, Not(HasSubstr(build_account::password())));
}

TEST(ZelhostInit, HostTablesHaveTheirKeysAndAcceptEmptyTexts) {
  TestHost host;
  host.init();
  testsupport::OpenedHost o = testsupport::openHost(host);
  hostdb::TableDefs& defs = o.db->TableDefs();
  for (const ExpectedTable& expected : kHostTables) {
    SCOPED_TRACE(expected.table);
    hostdb::TableDef& def = defs.Item(std::string_view(expected.table));
    EXPECT_EQ(def.Name(), expected.table);
    EXPECT_EQ(def.PrimaryKeyColumns(), expected.key);
    for (const std::string& field : expected.textFields) {
      EXPECT_EQ(def.Fields(field).Type(), hostdb::FieldType::Text) << field;
      EXPECT_TRUE(def.Fields(field).AllowZeroLength()) << field;
    }
  }
  EXPECT_EQ(defs.Item(std::string_view("PARAM")).Fields("Funcion").Size(), 255);
  EXPECT_EQ(defs.Item(std::string_view("CAB")).Fields("SEMANA").Type(), hostdb::FieldType::Integer);
  EXPECT_EQ(defs.Item(std::string_view("SPOOL")).Fields("Fecha").Type(), hostdb::FieldType::Date);
  EXPECT_EQ(defs.Item(std::string_view("envio_t")).Fields("c_semana").Type(),
            hostdb::FieldType::Double);

  o.db->Execute("INSERT INTO PARAM VALUES ('004', '', '', '')", hostdb::dbFailOnError);
  o.db->Execute("INSERT INTO reportes VALUES ('R1', '', 1)", hostdb::dbFailOnError);
  try {
    o.db->Execute("INSERT INTO reportes VALUES ('R1', 'again', 1)", hostdb::dbFailOnError);
    ADD_FAILURE() << "duplicate key accepted";
  } catch (const hostdb::EngineError& e) {
    EXPECT_EQ(e.number(), 3022);
  }
}

TEST(ZelhostInit, NamedDatabaseAndUserAndRefusalToOverwrite) {
  TestHost host;
  host.init({"--dbname", "host.mdb", "--user", "MARIA"});
  EXPECT_NE(readFile(host.iniPath()).find("\r\nDBName=host.mdb\r\nSysUser=MARIA\r\n"),
            std::string::npos);
  {
    testsupport::OpenedHost o = testsupport::openHost(host, "host.mdb");
    o.db->Execute("INSERT INTO cont VALUES (6, '1', 'kept')", hostdb::dbFailOnError);
  }
  const std::string ini = readFile(host.iniPath());
  RunResult again = host.run("zelhost", {"init", host.folder(), "--dbname", "host.mdb"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err, "");
  EXPECT_EQ(readFile(host.iniPath()), ini);
  testsupport::OpenedHost o = testsupport::openHost(host, "host.mdb");
  auto rs = o.db->OpenRecordset("SELECT nombre FROM cont", hostdb::dbOpenSnapshot);
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Value("nombre").text(), "kept");
}

// PM000.INI holds the folder in the ANSI code page: a name it can hold is
// written there (and read back) as it is; one it cannot is refused before
// anything is made.
TEST(ZelhostInit, FolderNamesTheCodePageHoldsOrRefused) {
  TestHost host;
  const std::string held = host.root() + "/ZEL Año";
  RunResult r = host.run("zelhost", {"init", held});
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  // In the code page: ñ is one byte, 0xF1.
  EXPECT_NE(readFile(host.iniPath()).find("/ZEL A\xF1o/\r\n"), std::string::npos);
  std::filesystem::remove(host.iniPath());
  const std::string lacking = host.root() + "/Жёлтый";
  r = host.run("zelhost", {"init", lacking});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, HasSubstr("ANSI code page"));
  EXPECT_FALSE(std::filesystem::exists(lacking));
  EXPECT_FALSE(std::filesystem::exists(host.iniPath()));
}

TEST(ZelhostSql, PrintsRowsTabSeparatedUnderTheColumnNames) {
  TestHost host;
  host.init();
  RunResult r =
      host.run("zelhost", {"sql", host.databasePath(),
                           "INSERT INTO reportes VALUES ('RP0019', 'Resumen de envío', 1)",
                           "INSERT INTO reportes (codrep, estado) VALUES ('RP0001', 0)",
                           "select codrep, nomrep, estado FROM reportes ORDER BY codrep"});
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(r.out, "codrep\tnomrep\testado\nRP0001\t\t0\nRP0019\tResumen de envío\t1\n");
  EXPECT_EQ(r.err, "");
}

TEST(ZelhostSql, EngineErrorIsPrintedWithItsNumberAndStopsTheRest) {
  TestHost host;
  host.init();
  RunResult r =
      host.run("zelhost", {"sql", host.databasePath(), "INSERT INTO reportes VALUES ('A', 'a', 1)",
                           "INSERT INTO reportes VALUES ('A', 'b', 1)",
                           "INSERT INTO reportes VALUES ('C', 'c', 1)"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("error 3022: Los cambios solicitados", 0), 0u) << r.err;
  RunResult count =
      host.run("zelhost", {"sql", host.databasePath(), "SELECT count(*) AS n FROM reportes"});
  EXPECT_EQ(count.out, "n\n1\n");

  RunResult missing = host.run("zelhost", {"sql", host.folder() + "/none.db", "SELECT 1"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err,
            "error 3024: No se encuentra el archivo '" + host.folder() + "/none.db'.\n");
}

TEST(ZelhostSample, AddsTheDeclarationAndPrintsItsRecord) {
  TestHost host;
  host.init();
  RunResult r = host.run("zelhost", {"sample", host.folder()});
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  std::vector<std::string> out = testsupport::splitLines(r.out);
  ASSERT_FALSE(out.empty());
  const std::string record = out.back();
  ASSERT_EQ(record.size(), 36u);
  EXPECT_EQ(record.substr(2, 15), "20123456789    ");
  EXPECT_EQ(record.substr(17, 4), "0661");
  EXPECT_EQ(record.substr(21, 4), "2024");
  EXPECT_EQ(record.substr(27, 1), "1");
  EXPECT_EQ(record.substr(28, 8), "00000001");
  // Again: the same lines, and the declaration (checked below) once.
  RunResult again = host.run("zelhost", {"sample", host.folder()});
  EXPECT_THAT(again, testsupport::Succeeded()) << again.err;
  EXPECT_EQ(again.out, r.out);
  EXPECT_THAT(again.err, HasSubstr("already"));

  testsupport::OpenedHost o = testsupport::openHost(host);
  auto cab = o.db->OpenRecordset(
      "SELECT * FROM CAB WHERE TIP_DOC_D = 6 AND DOC_ID_D = '20123456789' AND PERIODO = '2024' "
      "AND FORMULARIO = '0661' AND SEMANA = 1",
      hostdb::dbOpenSnapshot);
  ASSERT_FALSE(cab->Eof());
  EXPECT_EQ(cab->Value("bcolibrad").text(), "09");
  auto det =
      o.db->OpenRecordset("SELECT CASILLA FROM DET WHERE DOC_ID_D = '20123456789' ORDER BY CASILLA",
                          hostdb::dbOpenSnapshot);
  std::vector<std::string> boxes;
  for (; !det->Eof(); det->MoveNext()) boxes.push_back(det->Value("CASILLA").text());
  EXPECT_EQ(boxes, (std::vector<std::string>{"146", "180", "598", "721", "871"}));
  auto cont =
      o.db->OpenRecordset("SELECT nombre FROM cont WHERE tip_doc_d = 6", hostdb::dbOpenSnapshot);
  ASSERT_FALSE(cont->Eof());
  EXPECT_EQ(cont->Value("nombre").text(), "COMERCIALIZADORA ANDINA DEL PERÚ S.A.C.");

  // The send configuration: Windows-1252, CR LF, 13 fields each ended by '|'.
  const std::string env = readFile(host.folder() + "/tmp/env661.txt");
  ASSERT_FALSE(env.empty());
  EXPECT_THAT(env, HasSubstr("\xD3")) << "Ó in Windows-1252";
  EXPECT_THAT(env, Not(HasSubstr("\xC3"))) << "no UTF-8";
  EXPECT_EQ(env.substr(env.size() - 2), "\r\n");
  for (const std::string& line : testsupport::splitLines(env)) {
    SCOPED_TRACE(line);
    ASSERT_EQ(line.back(), '\r');
    EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 13);
    EXPECT_EQ(line[line.size() - 2], '|');
  }
}

// Help on standard output with status 0; a wrong call on standard error with
// status 2; the version is the build's.
TEST(ZelhostUsage, HelpVersionAndWrongCalls) {
  const std::string zelhost = testsupport::program("zelhost");
  RunResult help = testsupport::runProcess({zelhost, "--help"});
  EXPECT_THAT(help, testsupport::Succeeded());
  for (const char* command : {"init", "sample", "sql", "shell", "page"}) {
    EXPECT_THAT(help.out, HasSubstr(std::string("  ") + command + " ")) << command;
    RunResult one = testsupport::runProcess({zelhost, command, "--help"});
    EXPECT_THAT(one, testsupport::Succeeded()) << command;
    EXPECT_EQ(one.out.rfind(std::string("usage: zelhost ") + command + " ", 0), 0u) << one.out;
  }
  EXPECT_TRUE(help.err.empty());

  RunResult version = testsupport::runProcess({zelhost, "--version"});
  EXPECT_THAT(version, testsupport::Succeeded());
  EXPECT_EQ(version.out, std::string("zelhost ") + build_info::kVersion + "\n");

  for (const std::vector<std::string>& wrong : {std::vector<std::string>{zelhost},
                                                {zelhost, "bogus"},
                                                {zelhost, "--bogus"},
                                                {zelhost, "sample"}}) {
    RunResult r = testsupport::runProcess(wrong);
    EXPECT_EQ(r.exitCode, 2) << wrong.back();
    EXPECT_TRUE(r.out.empty());
    EXPECT_THAT(r.err, HasSubstr("usage: zelhost")) << r.err;
  }
}

// A build without cairo and Pango (the Windows build among them) has the
// command, which says it cannot draw, and writes nothing.
TEST(ZelhostPage, NotAvailableWhereTheBuildCannotDraw) {
  if (ZEL_PAGE_DRAWING) GTEST_SKIP() << "this build draws pages (page_tests)";
  testsupport::TempDir dir;
  testsupport::writeFile(dir / "in.PRN", "pPos|10|175|x|False|8|0|\r\n");
  RunResult r = testsupport::runProcess(
      {testsupport::program("zelhost"), "page", dir / "in.PRN", "-o", dir / "p.pdf"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("zelhost page: not available in this build"));
  EXPECT_FALSE(testsupport::fileExists(dir / "p.pdf"));
}

TEST(ZelhostShell, StartsTheSqliteShellWithTheExtensionLoaded) {
  REQUIRE_CLIENT("sqlite3");
  TestHost host;
  host.init();
  // The engine's comparison (case and trailing blanks ignored) needs the extension.
  RunResult r =
      testsupport::runProcess({testsupport::program("zelhost"), "shell", host.databasePath(),
                               "SELECT count(*) FROM reportes WHERE codrep = 'x '"});
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(r.out, "0\n");
}
