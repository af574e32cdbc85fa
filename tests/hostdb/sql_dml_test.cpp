// The statements the programs send, dates, the errors of malformed or
// misnamed statements, and the SQL trace.
#include "gmock/gmock.h"
#include <cstdlib>

#include "tests/hostdb/host_test.h"

using ::testing::HasSubstr;

using hosttest::errorOf;

namespace {

class SqlDmlTest : public hosttest::HostTest {
 protected:
  void prepare() override {
    exec(
        "CREATE TABLE Param ([Numero] Text(3), [Argumento] Text(2), [Funcion] Text(100), "
        "[Correl_Param] Text(3))");
    exec("ALTER TABLE Param ADD CONSTRAINT PK_Param PRIMARY KEY (Numero, Argumento)");
    exec("CREATE TABLE reportes ([codrep] Text(6), [nombre] Text(50), [activo] Byte)");
    exec(
        "CREATE TABLE envio_t ([formulario] Text(4), [tabla_o] Text(20), [tabla_d] Text(20), "
        "[tabla_ext] Text(20), [indice] Byte, [obliga] Byte, [c_tip_doc_d] Byte, [c_doc_id_d] "
        "Byte, [c_Formulario] Byte, [c_periodo] Byte, [c_estado] Byte, [c_envio] Double, "
        "[c_semana] Byte)");
    db().TableDefs().Item("envio_t").Fields("tabla_ext").setAllowZeroLength(true);
  }
};
ZEL_ON_BOTH_ENGINES(SqlDmlTest);

TEST_P(SqlDmlTest, TheInstallersStatements) {
  auto lookUp = [&] {
    auto rs = db().OpenRecordset("Select * from Param Where Numero='044' AND Argumento='- '",
                                 hostdb::dbOpenSnapshot);
    return !rs->Eof();
  };
  EXPECT_FALSE(lookUp());
  exec("insert into Param values ('044','- ','SIN DOCUMENTO','001')", hostdb::dbInconsistent);
  EXPECT_TRUE(lookUp());
  exec(
      "Update Param Set Funcion='SIN DOCUMENTO   OTRO', Correl_param='001' Where Numero='044' "
      "AND Argumento='- '",
      hostdb::dbInconsistent);
  EXPECT_EQ(db().RecordsAffected(), 1);
  EXPECT_EQ(scalar("Select Funcion from Param Where Numero='044' AND Argumento='-'"),
            "SIN DOCUMENTO   OTRO");
  exec("insert into Param values ('004','09','BANCO DE LA NACION                  XYZ','001')");
  EXPECT_EQ(scalar("SELECT MID(ARGUMENTO,1,2) as codigo,mid(FUNCION,1,36) as descrip FROM PARAM "
                   "WHERE NUMERO='004' AND TRIM(ARGUMENTO)= '09'"),
            "09");
  EXPECT_EQ(scalar("SELECT mid(FUNCION,1,36) as descrip FROM PARAM WHERE NUMERO='004'"),
            "BANCO DE LA NACION                  ");

  exec("Delete from reportes where codrep='RP0018'", hostdb::dbInconsistent);
  exec("insert into reportes values ('RP0018','Reporte del formulario 661',1)",
       hostdb::dbInconsistent);
  exec("Delete from reportes where codrep='rp0018'", hostdb::dbInconsistent);
  EXPECT_EQ(db().RecordsAffected(), 1);

  exec("insert into envio_t values ( '0661','X','A','',1,0,1,2,3,4,0,0.5,0)");
  exec(
      "Update envio_t set  tabla_d = 'A', tabla_ext = '', indice=1, obliga=0, c_tip_doc_d=1, "
      "c_doc_id_d =2, c_Formulario=3, c_periodo=4, c_estado=0, c_envio=0.5, c_semana=0 Where "
      "formulario='0661' AND tabla_o='X'");
  EXPECT_EQ(db().RecordsAffected(), 1);
  EXPECT_EQ(scalar("Select c_envio from envio_t Where formulario='0661' AND tabla_o='X'"), "0.5");
  exec("Delete from envio_t where FORMULARIO= '0661'", hostdb::dbInconsistent);
  EXPECT_EQ(count("envio_t"), 0);
  // Jet's spelling of a whole-row delete, and a doubled quote inside a literal.
  exec("insert into reportes values ('RP''19','x',1)");
  exec("DELETE * FROM reportes WHERE codrep = 'RP''19'");
  EXPECT_EQ(db().RecordsAffected(), 1);
}

TEST_P(SqlDmlTest, DatesFromLiteralsAndText) {
  exec("CREATE TABLE D ([n] Byte, [f] Date)");
  exec("INSERT INTO D VALUES (1, #2004-01-15#)");
  exec("INSERT INTO D VALUES (2, #01/15/2004 10:20:30#)");
  exec("INSERT INTO D VALUES (3, '2004-01-16')");
  exec("INSERT INTO D (f, n) VALUES ('2004-01-17 08:00:00', 4)");
  exec("INSERT INTO D VALUES (5, #2004-01-15 10:20:30#)");
  exec("INSERT INTO D VALUES (6, Null)");
  exec("UPDATE D SET f = '2004-02-01' WHERE n = 6");
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO D VALUES (7, '15 de enero')"); }), 3464);
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO D VALUES (7, 20040115)"); }), 3464);
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO D VALUES (7, #2004-13-01#)"); }), 3134);

  auto rs = db().OpenRecordset("SELECT n, f FROM D ORDER BY f", hostdb::dbOpenSnapshot);
  std::vector<std::string> order;
  for (; !rs->Eof(); rs->MoveNext()) {
    ASSERT_EQ(rs->Value("f").kind(), hostdb::Variant::Kind::Date);
    order.push_back(rs->Value("n").toText() + " " + rs->Value("F").date().text());
  }
  EXPECT_EQ(order, (std::vector<std::string>{"1 2004-01-15 00:00:00", "2 2004-01-15 10:20:30",
                                             "5 2004-01-15 10:20:30", "3 2004-01-16 00:00:00",
                                             "4 2004-01-17 08:00:00", "6 2004-02-01 00:00:00"}));
  EXPECT_EQ(scalar("SELECT count(*) FROM D WHERE f > #2004-01-15 10:00#"), "5");
  EXPECT_EQ(scalar("SELECT count(*) FROM D WHERE f = #01/15/2004 10:20:30#"), "2");
}

// Statements that differ only in their text values run on one kept prepared
// statement: each run sees its own values, and its own WHERE text in 3075.
TEST_P(SqlDmlTest, StatementsOfOneShapeKeepTheirOwnValues) {
  for (const char* key : {"1", "2", "3"})
    exec(std::string("insert into Param values ('044','") + key + "','f" + key + "','0')");
  for (const char* key : {"2", "9", "1"}) {
    auto rs = db().OpenRecordset(std::string("Select * from Param Where Numero='044' AND "
                                             "Argumento='") +
                                     key + "'",
                                 hostdb::dbOpenSnapshot);
    if (std::string(key) == "9") {
      EXPECT_TRUE(rs->Eof());
    } else {
      ASSERT_FALSE(rs->Eof());
      EXPECT_EQ(rs->Value("Funcion").text(), std::string("f") + key);
    }
    rs->Close();
  }
  // A recordset left open keeps its statement; the next query of the same
  // shape gets one of its own.
  auto open = db().OpenRecordset("Select * from Param Where Argumento='1'", hostdb::dbOpenSnapshot);
  EXPECT_EQ(scalar("Select Funcion from Param Where Argumento='3'"), "f3");
  ASSERT_FALSE(open->Eof());
  EXPECT_EQ(open->Value("Funcion").text(), "f1");
  open->Close();

  exec("Update Param Set Funcion='x' Where Argumento='2'");
  exec("Update Param Set Funcion='y' Where Argumento='3'");
  EXPECT_EQ(scalar("SELECT Funcion FROM Param WHERE Argumento = '2'"), "x");
  EXPECT_EQ(scalar("SELECT Funcion FROM Param WHERE Argumento = '3'"), "y");
  EXPECT_EQ(scalar("SELECT Funcion FROM Param WHERE Argumento = '1'"), "f1");
  for (const char* bad : {"1", "2"}) {
    try {
      exec(std::string("Update Param Set Funcion='z' Where Argumento='") + bad + "' AND Numero=");
      FAIL();
    } catch (const hostdb::EngineError& e) {
      EXPECT_EQ(e.number(), 3075);
      EXPECT_THAT(e.description(), HasSubstr(std::string("Argumento='") + bad + "'"));
    }
  }
}

TEST_P(SqlDmlTest, ChangesOfAnotherConnectionAreSeen) {
  EXPECT_EQ(count("reportes"), 0);  // this connection has read the catalog
  auto other = reopen();
  other->Execute("CREATE TABLE Later ([k] Text(2), [f] Date)", hostdb::dbFailOnError);
  // The text becomes a date only if this connection knows the column's type.
  exec("INSERT INTO Later VALUES ('a', '2004-01-15')");
  EXPECT_EQ(scalar("SELECT f FROM Later"), "2004-01-15 00:00:00");
  other->TableDefs().Item("Later").Fields("k").setAllowZeroLength(true);
  db().TableDefs().Refresh();
  EXPECT_TRUE(db().TableDefs().Item("later").Fields("K").AllowZeroLength());
  other->Close();
}

// Why a statement could not be prepared is told from its names and the
// stored tables: aliases, qualified names and tables made by other clients
// count as names; a misspelt one anywhere is 3061, a table that is not
// stored 3078, and what remains a syntax error.
TEST_P(SqlDmlTest, UnpreparableStatementsAreToldApartByTheirNames) {
  exec("CREATE TABLE CAB ([doc_id_d] text(15), [semana] integer)");
  foreignTable("plain", {"x", "y"});
  auto query = [&](const std::string& sql) {
    return errorOf([&] { db().OpenRecordset(sql, hostdb::dbOpenSnapshot); });
  };
  EXPECT_EQ(query("SELECT c.nada FROM CAB AS c"), 3061);
  EXPECT_EQ(query("SELECT c.semana, p.nada FROM CAB c, plain p"), 3061);
  EXPECT_EQ(query("SELECT semana FROM CAB, plain, NoSuch"), 3078);
  EXPECT_EQ(query("SELECT x FROM plain WHERE y = nada"), 3061);
  EXPECT_EQ(query("SELECT max(semana) AS m FROM CAB WHERE Nada(semana) = 1"), 3075)
      << "an unknown function is the expression's syntax";
  EXPECT_EQ(query("SELECT semana FROM CAB c WHERE c.semana = = 1"), 3075);
  EXPECT_EQ(query("SELECT semana FROM CAB ORDER BY"), 3141);
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO plain (x, nada) VALUES (1, 2)"); }), 3127);
  // A table made past the engine is described on a file host from its
  // SQLite definition; a server host's catalog does not know it (zelhost
  // check reports it), and the server fills the columns given no value
  // with Null.
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO plain VALUES (Left('ab', 1))"); }),
            engine() == hosttest::Engine::Server ? 0 : 3346);
  EXPECT_EQ(errorOf([&] { exec("UPDATE plain SET x = Mid(y, 1, 2) WHERE nada = 1"); }), 3061);
}

TEST_P(SqlDmlTest, MalformedAndMisnamedStatements) {
  exec("CREATE TABLE CAB ([tip_doc_d] Byte, [doc_id_d] text(15), [semana] integer)");
  auto query = [&](const std::string& sql) {
    return errorOf([&] { db().OpenRecordset(sql, hostdb::dbOpenSnapshot); });
  };
  EXPECT_EQ(query("SELECT * FROM CAB WHERE DOC_ID_D='1' AND SEMANA="), 3075);
  EXPECT_EQ(query("SELECT * FROM CAB WHERE DOC_ID_D='1' AND SEMANA=x"), 3061);
  EXPECT_EQ(query("SELECT * FROM NoSuch WHERE a=1"), 3078);
  EXPECT_EQ(query("SELECT * FROM CAB WHERE DOC_ID_D='1"), 3141);  // literal not closed
  EXPECT_EQ(query("SELECT FROM CAB"), 3141);
  // What SQLite would take for parameters of its own is no value here either.
  EXPECT_EQ(query("SELECT * FROM CAB WHERE DOC_ID_D = ?"), 3061);
  EXPECT_EQ(query("SELECT $x FROM CAB"), 3061);
  EXPECT_EQ(query("SELECT [nada] FROM CAB"), 3061) << "a bracketed name is no text";
  exec("INSERT INTO CAB VALUES (6, '1', 1)");
  EXPECT_EQ(errorOf([&] { exec("DELETE FROM CAB WHERE DOC_ID_D <> ?", hostdb::dbInconsistent); }),
            3061);
  EXPECT_EQ(errorOf([&] { exec("DELETE FROM CAB WHERE DOC_ID_D <> $1", hostdb::dbInconsistent); }),
            3061);
  EXPECT_EQ(count("CAB"), 1);
  try {
    db().OpenRecordset("SELECT * FROM CAB WHERE DOC_ID_D='1' AND SEMANA=", hostdb::dbOpenSnapshot);
  } catch (const hostdb::EngineError& e) {
    EXPECT_EQ(e.description(),
              "Error de sintaxis (falta operador) en la expresión de consulta "
              "'DOC_ID_D='1' AND SEMANA='.");
  }
  try {
    db().OpenRecordset("SELECT x FROM CAB", hostdb::dbOpenSnapshot);
  } catch (const hostdb::EngineError& e) {
    EXPECT_EQ(e.description(), "Pocos parámetros. Se esperaba 1.");
  }
  // Raised whatever the options.
  for (int options : {hostdb::dbInconsistent, hostdb::dbFailOnError}) {
    EXPECT_EQ(errorOf([&] { exec("INSERT INTO CAB VALUES (1, 'a'", options); }), 3134);
    EXPECT_EQ(errorOf([&] { exec("UPDATE CAB SET WHERE", options); }), 3144);
    EXPECT_EQ(errorOf([&] { exec("DELETE FROM CAB WHERE", options); }), 3130);
    EXPECT_EQ(errorOf([&] { exec("DELETE FROM NoSuch", options); }), 3078);
    EXPECT_EQ(errorOf([&] { exec("UPDATE CAB SET nada = 1", options); }), 3061);
    EXPECT_EQ(errorOf([&] { exec("INSERT INTO CAB (nada) VALUES (1)", options); }), 3127);
    EXPECT_EQ(errorOf([&] { exec("INSERT INTO CAB VALUES (1, 'a', 1, 2)", options); }), 3346);
    EXPECT_EQ(errorOf([&] { exec("SELECT * FROM CAB", options); }), 3065);
  }
}

// SQLite stops reading a statement at a NUL byte without an error: wherever
// one stands, the statement is a syntax error of its kind and nothing runs.
TEST_P(SqlDmlTest, StatementWithANulByteFailsAndRunsNothing) {
  exec("CREATE TABLE SPOOL ([CodRep] Text(6), [Archivo] Text(12))");
  exec("INSERT INTO SPOOL VALUES ('RP0019', 'a.PRN')");
  exec("INSERT INTO SPOOL VALUES ('RP0018', 'b.PRN')");
  using namespace std::string_literals;
  struct Case {
    std::string sql;
    int number;
  };
  const Case cases[] = {
      {"DELETE FROM SPOOL \0WHERE CodRep='none'"s, 3130},
      {"DELETE FROM SPOOL WHERE CodRep='RP0019\0'"s, 3130},
      {"UPDATE SPOOL SET Archivo='x' \0WHERE CodRep='none'"s, 3144},
      {"INSERT INTO SPOOL VALUES ('RP0017', 'c.PRN')\0"s, 3134},
      {"INSERT INTO SPOOL VALUES ('RP\0', 'c.PRN')"s, 3134},
      {"DROP TABLE SPOOL\0x"s, 3295},
      {"DROP TABLE [SPOOL\0]"s, 3295},
      {"\0DELETE FROM SPOOL"s, 3141},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    for (int options : {hostdb::dbInconsistent, hostdb::dbFailOnError})
      EXPECT_EQ(errorOf([&] { exec(c.sql, options); }), c.number);
  }
  EXPECT_EQ(errorOf([&] {
              db().OpenRecordset("SELECT * FROM SPOOL \0WHERE CodRep='none'"s,
                                 hostdb::dbOpenSnapshot);
            }),
            3141);
  EXPECT_EQ(scalar("SELECT count(*) FROM SPOOL"), "2");
}

TEST_P(SqlDmlTest, StatementsRunInsideAnOpenTransaction) {
  workspace().BeginTrans();
  exec("insert into reportes values ('RP0018','x',1)");
  exec("CREATE TABLE Extra ([a] Byte)");
  exec("ALTER TABLE Extra ADD CONSTRAINT PK_Extra PRIMARY KEY (a)");
  EXPECT_EQ(count("reportes"), 1);
  workspace().Rollback();
  EXPECT_EQ(count("reportes"), 0);
  EXPECT_EQ(errorOf([&] { exec("DROP TABLE Extra"); }), 3376);
  exec("CREATE TABLE Extra ([a] Byte)");  // the catalog forgot it too

  workspace().BeginTrans();
  exec("insert into reportes values ('RP0018','x',1)");
  workspace().CommitTrans();
  EXPECT_EQ(reopen()->OpenRecordset("SELECT * FROM reportes", hostdb::dbOpenSnapshot)->Eof(),
            false);
}

TEST_P(SqlDmlTest, TraceRecordsStatementsQueriesAndErrors) {
  const std::string log = dir_ / "sql.log";
  ::setenv("ZEL_SQL_LOG", log.c_str(), 1);
  exec("DELETE FROM reportes WHERE codrep = 'C:\\ZEL\\'");
  db().OpenRecordset("SELECT * FROM reportes", hostdb::dbOpenSnapshot)->Close();
  errorOf([&] { exec("CREATE TABLE reportes (a Byte)"); });
  exec("DELETE FROM reportes\nWHERE codrep = 'x'");
  ::unsetenv("ZEL_SQL_LOG");
  exec("DELETE FROM reportes");  // not traced
  EXPECT_EQ(testsupport::readFile(log),
            "E\tDELETE FROM reportes WHERE codrep = 'C:\\ZEL\\'\n"
            "Q\tSELECT * FROM reportes\n"
            "E\tCREATE TABLE reportes (a Byte)\n"
            "!\t3010\tLa tabla 'reportes' ya existe.\n"
            "E\tDELETE FROM reportes\\nWHERE codrep = 'x'\n");
}

}  // namespace
