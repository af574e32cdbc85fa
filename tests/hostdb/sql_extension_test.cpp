// The zeljet extension: the sqlite3 shell reads a host database as it is,
// and with the extension loaded compares, computes and writes under the
// same rules as the programs.
#include "gmock/gmock.h"
#include "tests/hostdb/sql_support.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;

#ifdef ZEL_EXTENSION_PATH

namespace {

class SqlExtensionTest : public sqltest::SqlTest {
 protected:
  SqlExtensionTest() {
    exec("CREATE TABLE cont ([tip_doc_d] Byte, [doc_id_d] Text(15), [nombre] Text(10))");
    exec("ALTER TABLE cont ADD CONSTRAINT PK_cont PRIMARY KEY (tip_doc_d, doc_id_d)");
    exec("INSERT INTO cont VALUES (6, '20123456789    ', 'Ñandú')");
    db_->Close();
  }

  void SetUp() override {
    if (testsupport::findProgram("sqlite3").empty()) GTEST_SKIP() << "sqlite3 is not installed";
  }

  testsupport::RunResult shell(const std::vector<std::string>& commands, bool load = true) {
    std::vector<std::string> argv{testsupport::findProgram("sqlite3"), path()};
    if (load) argv.push_back(std::string(".load ") + ZEL_EXTENSION_PATH);
    argv.insert(argv.end(), commands.begin(), commands.end());
    return testsupport::runProcess(argv);
  }
};

TEST_F(SqlExtensionTest, WithoutTheExtensionTablesStillRead) {
  auto r = shell({"SELECT tip_doc_d, doc_id_d, nombre FROM cont"}, false);
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(r.out, "6|20123456789    |Ñandú\n");
  r = shell({"SELECT count(*) FROM cont WHERE doc_id_d = 'x'"}, false);
  EXPECT_THAT(r.err, HasSubstr("no such collation sequence: JET")) << r.err;
}

TEST_F(SqlExtensionTest, WithTheExtensionTheShellFollowsTheRules) {
  auto r =
      shell({"SELECT UCase(nombre), Len(doc_id_d) FROM cont WHERE doc_id_d = '20123456789' "
             "COLLATE JET AND nombre = 'ñANDÚ'"});
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(r.out, "ÑANDÚ|15\n");

  r = shell({"INSERT INTO cont VALUES (6, '20123456789', 'dup')"});
  EXPECT_THAT(r.err, HasSubstr("UNIQUE constraint failed")) << r.err;
  r = shell({"INSERT INTO cont VALUES (6, '1', 'much too long')"});
  EXPECT_THAT(r.err, HasSubstr("CHECK constraint failed: nombre")) << r.err;
  r = shell({"INSERT INTO cont VALUES (6, '2', 'Otro')"});
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;

  // The layer sees the shell's row.
  db_ = hostdb::sqlite::makeDatabase(hostdb::sqlite::Handle(sqltest::openRaw(path())), path(),
                                     nullptr);
  EXPECT_EQ(scalar("SELECT nombre FROM cont WHERE doc_id_d = '2  '"), "Otro");
}

}  // namespace

#endif
