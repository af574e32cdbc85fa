// Seed rows the host's tables refuse: every INSERT that stores no row is named
// in one box at the end of the run, which ends with exit status 1; the rows
// that fit are stored all the same.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/test_support.h"

using testsupport::RunResult;
using testsupport::TestHost;

namespace {

std::string unstoredBox(const std::string& jsonText) {
  return R"({"program":"formsetup","title":"Mensaje","text":")" + jsonText +
         R"(","icon":"critical","buttons":"ok","default":"ok","answer":"ok"})";
}

// The host's table `name` made anew with `definition`.
std::vector<std::string> remade(const std::string& name, const std::string& definition) {
  return {"DROP TABLE " + name, "CREATE TABLE " + name + " (" + definition + ")"};
}

TEST(FormsetupUnstoredRows, ReportesTooNarrowForTheSummaryTitleIsNamed) {
  TestHost host;
  host.init();
  testsupport::executeOn(host, remade("reportes",
                                      "codrep TEXT(6), nomrep TEXT(40), estado BYTE, "
                                      "CONSTRAINT PrimaryKey PRIMARY KEY (codrep)"));
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(
      host.transcript(),
      std::vector<std::string>{unstoredBox(R"(No se guardó 1 fila:\nreportes: codrep 'RP0019')")});
  testsupport::OpenedHost o = testsupport::openHost(host);
  EXPECT_EQ(testsupport::rowsOf(*o.db, "SELECT codrep FROM reportes"),
            std::vector<std::string>{"RP0018"});
  EXPECT_EQ(o.count("envio_t"), 4) << "the run went on to its end";
}

// PARAM.Funcion of 50 characters refuses 140 of the 155 rows that are
// inserted; envio_t's c_semana as a byte refuses 1000. The rows updated in
// place, and the deletes, touch nothing here and say nothing.
TEST(FormsetupUnstoredRows, ManyRowsNotStoredGiveOneBoxWithTheFirstTen) {
  TestHost host;
  host.init();
  std::vector<std::string> statements =
      remade("PARAM",
             "Numero TEXT(3), Argumento TEXT(15), Funcion TEXT(50), Correl_Param TEXT(3), "
             "CONSTRAINT PrimaryKey PRIMARY KEY (Numero, Argumento)");
  for (const std::string& s :
       remade("envio_t",
              "formulario TEXT(4), tabla_o TEXT(50), tabla_d TEXT(50), "
              "tabla_ext TEXT(50), indice BYTE, obliga BYTE, c_tip_doc_d BYTE, "
              "c_doc_id_d DOUBLE, c_Formulario DOUBLE, c_periodo DOUBLE, "
              "c_estado DOUBLE, c_envio DOUBLE, c_semana BYTE"))
    statements.push_back(s);
  testsupport::executeOn(host, statements);
  testsupport::writeFile(host.folder() + "/tmp/env661.txt",
                         "1|KEPT|T|X|1|1|6|2|3|4|5|6|7|\r\n"
                         "2|REFUSED|T|X|1|1|6|2|3|4|5|6|1000|\r\n");

  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);
  std::string text = "No se guardaron 141 filas:";
  for (const char* argumento : {"- ", "0 ", "1 ", "10", "11", "12", "13", "14", "15", "2 "})
    text += R"(\nPARAM: Numero '044', Argumento ')" + std::string(argumento) + "'";
  text += R"(\ny 131 más.)";
  EXPECT_EQ(host.transcript(), std::vector<std::string>{unstoredBox(text)});

  testsupport::OpenedHost o = testsupport::openHost(host);
  EXPECT_EQ(o.count("PARAM"), 15);
  EXPECT_EQ(testsupport::rowsOf(*o.db, "SELECT tabla_o FROM envio_t"),
            std::vector<std::string>{"KEPT"});
}

}  // namespace
