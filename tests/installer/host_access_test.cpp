// The installer's procedures run in-process against a host made with zelhost.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "hostdb/database.h"
#include "hostdb/sqlite/sqlite_database.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "installer/send_config.h"
#include "installer/startup.h"
#include "platform/message_box.h"
#include "tests/installer/installer_fixture.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/test_support.h"

using ::testing::HasSubstr;

using testsupport::TestHost;
using testsupport::writeFile;

namespace {

TEST_F(InstallerTest, HostFolderIsTrimmedCutAndHasADoubledBackslashUndone) {
  struct Case {
    std::string value, folder;
  };
  const std::vector<Case> cases = {
      {"  C:\\zel\\  ", "C:\\zel\\"},
      {"C:\\zel\\\\", "C:\\zel\\"},
      {"C:\\zel", "C:\\zel"},
      {"\"C:\\zel\\\\\"", "C:\\zel\\"},
      {std::string(300, 'x'), std::string(254, 'x')},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    writeFile(host.iniPath(), "[Options]\r\nSysPath=" + c.value + "\r\n");
    EXPECT_EQ(installer::readHostFolder(), c.folder);
  }
}

TEST_F(InstallerTest, CreatingAnExistingTableAsksAndLeavesItUntouched) {
  open();
  installer::executeSql("insert into reportes values ('RP9999','keep me',1)");
  for (const char* answer : {"no", "yes"}) {
    setenv("ZEL_MESSAGE_ANSWER", answer, 1);
    installer::executeSql("CREATE TABLE reportes ([codrep] Text(6))");
  }
  EXPECT_EQ(count("reportes"), 1);
  const std::string question =
      R"({"program":"","title":"Mensaje","text":"\nSe  detectado que ya existen las tablas del ZEL )"
      R"(DE MODIFICACIÓN DE COEFICIENTE Y PORCENTAJE Desea Sobreescribirlas?","icon":"question",)"
      R"("buttons":"yesno","default":"no","answer":")";
  EXPECT_EQ(host.transcript(),
            (std::vector<std::string>{question + R"(no"})", question + R"(yes"})"}));
}

TEST_F(InstallerTest, ExistingPrimaryKeyAndRowRuleFailuresPassInSilence) {
  open();
  installer::executeSql("ALTER TABLE PARAM ADD CONSTRAINT PK_OTHER PRIMARY KEY ([Numero])");
  installer::executeSql("insert into reportes values ('RP0001','a',1)");
  installer::executeSql("insert into reportes values ('rp0001 ','duplicate key',1)");
  EXPECT_EQ(count("reportes"), 1);
  EXPECT_TRUE(host.transcript().empty());
}

TEST_F(InstallerTest, OtherFailuresShowTheNumberAndDescriptionAndReturn) {
  open();
  installer::executeSql("DROP TABLE NO_SUCH_TABLE");
  installer::executeSql("insert into reportes values ('RP0002','after the failure',1)");
  EXPECT_EQ(count("reportes"), 1) << "the run goes on after a failed statement";
  EXPECT_EQ(
      host.transcript(),
      std::vector<std::string>{
          R"({"program":"","title":"Error al Ejecutar Sentencia SQL","text":"Error Número : 3376\n)"
          R"(La tabla 'NO_SUCH_TABLE' no existe.","icon":"critical","buttons":"ok","default":"ok","answer":"ok"})"});
}

// Held statements run before the next box, each failure's box in its
// statement's place, and the run goes on with the ones after it.
TEST_F(InstallerTest, HeldStatementsRunBeforeTheNextBoxInTheirOrder) {
  open();
  std::vector<long long> stored;
  for (const char* sql : {"insert into reportes values ('RP0003','a',1)", "DROP TABLE NO_SUCH_TABLE",
                          "insert into reportes values ('RP0004','b',1)"})
    installer::executeSqlLater(sql, [&stored](std::int64_t rows) { stored.push_back(rows); });
  platform::MessageBox("after", "Mensaje", platform::Icon::None);
  EXPECT_EQ(stored, (std::vector<long long>{1, 0, 1}));
  EXPECT_EQ(count("reportes"), 2);
  const std::vector<std::string> boxes = host.transcript();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_THAT(boxes[0], HasSubstr("Error Número : 3376"));
  EXPECT_THAT(boxes[1], HasSubstr(R"("text":"after")"));
}

// The database file may not grow (a full disk, as SQLite meets it): the first
// statement that needs room ends the run with the engine's error 3026 in one
// box; with room again the installation completes.
TEST_F(InstallerTest, FullDiskEndsTheRunWithOneBox) {
  open();
  sqlite3* handle = dynamic_cast<hostdb::sqlite::SqliteDatabase&>(db()).handle();
  ASSERT_EQ(sqlite3_exec(handle, "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr),
            SQLITE_OK);
  bool ended = false;
  try {
    installer::runInstall();
  } catch (const std::exception&) {
    ADD_FAILURE() << "an error escaped";
  } catch (...) {
    ended = true;  // the program's end
  }
  EXPECT_TRUE(ended);
  const std::vector<std::string> entries = host.transcript();
  ASSERT_EQ(entries.size(), 1u);
  const testsupport::BoxAndCause split = testsupport::splitCause(entries[0]);
  EXPECT_EQ(
      split.box,
      R"({"program":"","title":"Error al Ejecutar Sentencia SQL","text":"Error Número : 3026\n)"
      R"(No hay suficiente espacio en el disco.","icon":"critical","buttons":"ok","default":"ok","answer":"ok"})");
  // SQLite's words for it, the file and the statement that needed room.
  EXPECT_NE(split.cause.find("full"), std::string::npos) << split.cause;
  EXPECT_NE(split.cause.find("zel.db"), std::string::npos) << split.cause;
  EXPECT_NE(split.cause.find("; in: "), std::string::npos) << split.cause;

  installer::resetModuleState();
  std::remove(host.transcriptPath().c_str());
  installer::moduleState().hostFolder = installer::readHostFolder();
  installer::openHostDatabase(installer::moduleState().hostFolder);
  installer::runInstall();
  EXPECT_TRUE(host.transcript().empty());
}

TEST_F(InstallerTest, TableExistsComparesTheUpperCasedStoredName) {
  open();
  EXPECT_TRUE(installer::tableExists("PARAM"));
  EXPECT_FALSE(installer::tableExists("Param")) << "the given name is not upper-cased";
  EXPECT_TRUE(installer::tableExists("ENVIO_T")) << "stored in mixed case";
  EXPECT_FALSE(installer::tableExists("TMP_NEW"));
  installer::executeSql("CREATE TABLE tmp_New ([a] Text(3))");
  EXPECT_TRUE(installer::tableExists("TMP_NEW")) << "the refresh makes the answer current";
  installer::executeSql("DROP TABLE TMP_NEW");
  EXPECT_FALSE(installer::tableExists("TMP_NEW"));
}

TEST_F(InstallerTest, LoadSeedDataClosesTheDatabase) {
  open();
  installer::loadSeedData();
  EXPECT_FALSE(hostdb::hostSession().isOpen());
  installer::executeSql("DROP TABLE PARAM");
  ASSERT_EQ(host.transcript().size(), 1u);
  EXPECT_THAT(host.transcript()[0], HasSubstr("Error Número : 91"));
}

}  // namespace

namespace {

// The statements between two boxes share one transaction: a box shows only
// once those before it are committed, and what follows the last box is
// undone when the run ends without closing the database (a kill).
TEST_F(InstallerTest, ABoxShowsAfterItsStatementsAreCommittedAndAKillUndoesOnlyTheRest) {
  open();
  auto codes = [this] {
    testsupport::OpenedHost other = testsupport::openHost(host);
    return testsupport::rowsOf(*other.db, "SELECT codrep FROM reportes ORDER BY codrep");
  };
  installer::executeSql("insert into reportes values ('RP0003','before the box',1)");
  EXPECT_TRUE(codes().empty()) << "committed with the statements up to the next box";
  installer::executeSql("DROP TABLE NO_SUCH_TABLE");  // its box
  EXPECT_EQ(codes(), std::vector<std::string>{"RP0003"});
  installer::executeSql("insert into reportes values ('RP0004','after the box',1)");
  installer::resetModuleState();
  EXPECT_EQ(codes(), std::vector<std::string>{"RP0003"});
}

}  // namespace
