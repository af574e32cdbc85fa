// formsetup's report registration and send configuration: reportes and
// envio_t after runs over hosts in temporary folders, the statements in the
// SQL trace, and the message for a file that cannot be used.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/text.h"
#include "tests/e2e/formsetup_kill.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using testsupport::openHost;
using testsupport::rowsOf;
using testsupport::RunResult;
using testsupport::TestHost;

namespace {

const char* const kEnvioRows = "SELECT * FROM envio_t ORDER BY formulario, tabla_o";

// Writes tmp/env661.txt: each line as given (UTF-8 here, Windows-1252 on disk)
// followed by CR LF.
void writeConfiguration(const TestHost& host, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += platform::toAnsi(line) + "\r\n";
  testsupport::writeFile(host.folder() + "/tmp/env661.txt", bytes);
}

std::vector<std::string> rows(const TestHost& host, const std::string& sql) {
  testsupport::OpenedHost o = openHost(host);
  std::vector<std::string> out = rowsOf(*o.db, sql);
  o.db->Close();
  return out;
}

// Runs formsetup with a fresh SQL trace, so that the trace holds its statements only.
RunResult runFormsetup(const TestHost& host) {
  std::remove(host.sqlLogPath().c_str());
  return host.run("formsetup");
}

std::vector<std::string> statementsOn(const TestHost& host, const std::string& table) {
  std::vector<std::string> out;
  for (const std::string& line : host.sqlLog())
    if (line.find(table) != std::string::npos) out.push_back(line);
  return out;
}

TEST(FormsetupSendConfig, FreshHostRegistersReportsAndLoadsTheFileWithTheExactStatements) {
  TestHost host;
  host.init();
  testsupport::executeOn(host, {"INSERT INTO reportes VALUES ('RP0019', 'old title', 0)",
                                "INSERT INTO reportes VALUES ('RP0001', 'other report', 1)"});
  RunResult r = runFormsetup(host);
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty());

  EXPECT_EQ(rows(host, "SELECT * FROM reportes ORDER BY codrep"),
            (std::vector<std::string>{
                "RP0001|other report|1",
                "RP0018|Reporte del formulario 661|1",
                "RP0019|Resumen de envío de información -  Formulario 661|1",
            }));
  EXPECT_EQ(statementsOn(host, "reportes"),
            (std::vector<std::string>{
                "E\tDelete from reportes where codrep='RP0018'",
                "E\tinsert into reportes values ('RP0018','Reporte del formulario 661',1)",
                "E\tDelete from reportes where codrep='RP0019'",
                "E\tinsert into reportes values ('RP0019','Resumen de envío de información -  "
                "Formulario 661',1)",
            }));

  // zelhost's file: four lines, an empty extension table in three of them.
  EXPECT_EQ(statementsOn(host, "envio_t"),
            (std::vector<std::string>{
                "E\tDelete from envio_t where FORMULARIO= '0661'",
                "Q\tSelect * from envio_t Where formulario='0661' AND tabla_o='F0651DIVIDEND'",
                "E\tinsert into envio_t values ( '0661','F0651DIVIDEND','T0651DIVIDEND','',"
                "1,1,6,2,3,4,5,6,7)",
                "Q\tSelect * from envio_t Where formulario='0661' AND tabla_o='F0653RETENCION'",
                "E\tinsert into envio_t values ( '0661','F0653RETENCION','T0653RETENCION',"
                "'X0653RETENCION',1,0,6,2,3,4,5,6,7)",
                "Q\tSelect * from envio_t Where formulario='0661' AND tabla_o='F0655PERCEPCIÓN'",
                "E\tinsert into envio_t values ( '0661','F0655PERCEPCIÓN','T0655PERCEPCIÓN','',"
                "0,1,6,2,3,4,5,0,7)",
                "Q\tSelect * from envio_t Where formulario='0661' AND tabla_o='F0657RESUMEN'",
                "E\tinsert into envio_t values ( '0661','F0657RESUMEN','T0657RESUMEN','',"
                "2,1,6,2,3,4,5,6,0)",
            }));
  EXPECT_EQ(rows(host, kEnvioRows).size(), 4u);
}

TEST(FormsetupSendConfig, FileLinesBecomeRowsAsTheFileSays) {
  TestHost host;
  host.init();
  testsupport::executeOn(host,
                         {
                             "INSERT INTO envio_t VALUES ('0661','GONE','x','',1,1,1,1,1,1,1,1,1)",
                             "INSERT INTO envio_t VALUES ('0655','KEPT','x','',1,1,1,1,1,1,1,1,1)",
                         });
  writeConfiguration(host,
                     {
                         // field 3 empty: one blank; field 4 of blanks trimmed to nothing
                         "|  A  ||   |0|0|0|0|0|0|0|0|0|",
                         // field 3 of blanks stays; surplus after the thirteenth "|" ignored
                         "x|B|   |ext|1|2|3|4|5|6|7|8|9|surplus|more|",
                         // a quote in a value is stored as it is
                         "2|O'Brien|D'Arcy|it's| 255 |+7|3.0|-1.5|0.1|1e3|12345678901|2.50|0|",
                         // a later line for the same table wins
                         "3|A|T2|E2|9|9|9|9|9|9|9|9|9|",
                         "   ",
                         "after the blank line nothing is read|||",
                     });
  RunResult r = runFormsetup(host);
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty()) << host.transcript()[0];

  const std::vector<std::string> expected = {
      "0655|KEPT|x||1|1|1|1|1|1|1|1|1",
      "0661|A|T2|E2|9|9|9|9|9|9|9|9|9",
      "0661|B|   |ext|1|2|3|4|5|6|7|8|9",
      "0661|O'Brien|D'Arcy|it's|255|7|3|-1.5|0.1|1000|12345678901|2.5|0",
  };
  EXPECT_EQ(rows(host, kEnvioRows), expected);
  const std::vector<std::string> log = host.sqlLog();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "E\tinsert into envio_t values ( '0661','O''Brien','D''Arcy','it''s',"
                      "255,7,3,-1.5,0.1,1000,12345678901,2.5,0)"),
            log.end());
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "E\tUpdate envio_t set  tabla_d = 'T2', tabla_ext = 'E2', indice=9, "
                      "obliga=9, c_tip_doc_d=9, c_doc_id_d =9, c_Formulario=9, c_periodo=9, "
                      "c_estado=9, c_envio=9, c_semana=9 Where formulario='0661' AND "
                      "tabla_o='A'"),
            log.end());

  // The same file again gives the same rows.
  ASSERT_EQ(runFormsetup(host).exitCode, 0);
  EXPECT_EQ(rows(host, kEnvioRows), expected);
}

// Editors here end lines with LF alone, old ones with CR alone: every line is
// read whatever its end, and a blank line of any kind still ends the list.
// The byte fields round as the byte conversion does, halves to even.
TEST(FormsetupSendConfig, EveryLineIsReadWhateverItsEndAndBytesRoundHalfToEven) {
  TestHost host;
  host.init();
  testsupport::writeFile(host.folder() + "/tmp/env661.txt",
                         "1|A|T|E|2.5|3.5|0.5|1|1|1|1|1|1|\n"
                         "2|B|T|E|254.5|-0.4|1.49|1|1|1|1|1|1|\r"
                         "3|C|T|E|1|1|1|1|1|1|1|1|1|\r\n"
                         "4|D|T|E|1|1|1|1|1|1|1|1|1|\n"
                         "\n"
                         "5|NOT READ|T|E|1|1|1|1|1|1|1|1|1|\n");
  RunResult r = runFormsetup(host);
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty()) << host.transcript()[0];
  EXPECT_EQ(rows(host, "SELECT tabla_o, indice, obliga, c_tip_doc_d FROM envio_t ORDER BY tabla_o"),
            (std::vector<std::string>{"A|2|4|0", "B|254|0|1", "C|1|1|1", "D|1|1|1"}));
}

TEST(FormsetupSendConfig, EmptyFileOrBlankFirstLineClearsTheFormsRows) {
  for (const std::vector<std::string>& lines :
       {std::vector<std::string>{}, std::vector<std::string>{"  ", "1|A|B|C|1|1|1|1|1|1|1|1|1|"}}) {
    TestHost host;
    host.init();
    testsupport::executeOn(host,
                           {"INSERT INTO envio_t VALUES ('0661','OLD','x','',1,1,1,1,1,1,1,1,1)"});
    writeConfiguration(host, lines);
    RunResult r = runFormsetup(host);
    EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
    EXPECT_TRUE(rows(host, kEnvioRows).empty());
    EXPECT_EQ(rows(host, "SELECT codrep FROM reportes ORDER BY codrep"),
              (std::vector<std::string>{"RP0018", "RP0019"}));
  }
}

std::string problemBox(const std::string& text) {
  return R"({"program":"formsetup","title":"Mensaje","text":")" + text +
         R"(\nNo se ha cambiado la configuración de envío.","icon":"critical","buttons":"ok",)"
         R"("default":"ok","answer":"ok"})";
}

TEST(FormsetupSendConfig, UnusableFileLeavesEnvioUntouchedWithOneMessage) {
  const std::string good = "1|GOOD|T|E|1|1|1|1|1|1|1|1|1|";
  struct Case {
    std::vector<std::string> lines;  // empty: no file at all
    std::string problem;             // after "El archivo <path> "
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{good, "2|A|B|C|1|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 2: tiene 12 separadores \\\"|\\\" y debe tener 13."},
      {{good, good, "3|A|B|C|256|1|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 3: el campo 5 (indice) no es un número de 0 a 255: "
       "\\\"256\\\"."},
      {{"1|A|B|C|1|x|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 1: el campo 6 (obliga) no es un número de 0 a 255: "
       "\\\"x\\\"."},
      // 255.5 rounds to 256; -1, 1e400 and a decimal comma are no byte either
      {{"1|A|B|C|1|1|255.5|1|1|1|1|1|1|"},
       "tiene un error en la línea 1: el campo 7 (c_tip_doc_d) no es un número de 0 a 255: "
       "\\\"255.5\\\"."},
      {{"1|A|B|C|-1|1|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 1: el campo 5 (indice) no es un número de 0 a 255: "
       "\\\"-1\\\"."},
      {{"1|A|B|C|1|1e400|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 1: el campo 6 (obliga) no es un número de 0 a 255: "
       "\\\"1e400\\\"."},
      {{"1|A|B|C|1,5|1|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 1: el campo 5 (indice) no es un número de 0 a 255: "
       "\\\"1,5\\\"."},
      // text fields against their envio_t columns (Text(50) on this host)
      {{good, "2|A|" + std::string(51, 'd') + "|C|1|1|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 2: el campo 3 (tabla_d) tiene 51 caracteres y la columna "
       "admite 50."},
      {{"1|A|B|" + std::string(49, 'e') + "ñé|1|1|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 1: el campo 4 (tabla_ext) tiene 51 caracteres y la columna "
       "admite 50."},
      {{"1|F0651" + std::string(1, '\0') + "DIVIDEND|B|C|1|1|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 1: el campo 2 (tabla_o) contiene un carácter nulo."},
      {{"1|A|B|C|1|1|1|1|1|1|1|1||"},
       "tiene un error en la línea 1: el campo 13 (c_semana) no es un número: \\\"\\\"."},
      {{"1|A|B|C|1|1|1|1,5|1|1|1|1|1|"},
       "tiene un error en la línea 1: el campo 8 (c_doc_id_d) no es un número: \\\"1,5\\\"."},
      {{std::string(32743, 'x') + "|A|B|C|1|1|1|1|1|1|1|1|1|"},
       "tiene un error en la línea 1: el separador \\\"|\\\" número 13 está después de la "
       "posición 32767."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problem);
    TestHost host;
    host.init();
    testsupport::executeOn(host,
                           {"INSERT INTO envio_t VALUES ('0661','OLD','x','',1,1,1,1,1,1,1,1,1)"});
    const std::string path = host.folder() + "/tmp/env661.txt";
    if (c.lines.empty()) std::remove((host.folder() + "/tmp/env661.txt").c_str());
    else writeConfiguration(host, c.lines);

    RunResult r = runFormsetup(host);
    EXPECT_EQ(r.exitCode, 1);
    const std::string text =
        c.lines.empty() ? "No se pudo leer el archivo " + path + ": No se ha encontrado el archivo."
                        : "El archivo " + path + " " + c.problem;
    EXPECT_EQ(host.transcript(), std::vector<std::string>{problemBox(text)});
    EXPECT_EQ(rows(host, "SELECT tabla_o FROM envio_t"), std::vector<std::string>{"OLD"});
    EXPECT_EQ(statementsOn(host, "envio_t"), std::vector<std::string>{});
  }
}

// The thirteenth "|" at position 32767 is still within reach, and a text as
// long as its column is stored.
TEST(FormsetupSendConfig, LastSeparatorAtTheLastPositionIsAccepted) {
  TestHost host;
  host.init();
  writeConfiguration(host, {std::string(32742, 'x') + "|A|B|C|1|1|1|1|1|1|1|1|1|",
                            // 50 characters after trimming fill the column
                            "2|  " + std::string(49, 'o') + "ó  |" + std::string(50, 'd') +
                                "|C|1|1|1|1|1|1|1|1|1|"});
  RunResult r = runFormsetup(host);
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(rows(host, "SELECT tabla_o FROM envio_t"),
            (std::vector<std::string>{"A", std::string(49, 'o') + "ó"}));
}

}  // namespace

// A run killed while it writes the new configuration leaves the old one
// whole: its rows are replaced in one transaction.
TEST(FormsetupSendConfig, ARunKilledWhileWritingTheRowsLeavesTheOldOnes) {
  ZEL_SKIP_WITHOUT_POSIX("a FIFO and fork()");
  TestHost host;
  host.init();
  writeConfiguration(host, {"1|OLD1|d|e|1|1|1|1|1|1|1|1|1|", "2|OLD2|d|e|1|1|1|1|1|1|1|1|1|"});
  ASSERT_EQ(runFormsetup(host).exitCode, 0);
  const std::vector<std::string> before = rows(host, kEnvioRows);
  ASSERT_EQ(before.size(), 2u);
  writeConfiguration(host, {"1|NEW1|d|e|2|2|2|2|2|2|2|2|2|", "2|NEW2|d|e|2|2|2|2|2|2|2|2|2|",
                            "3|NEW3|d|e|2|2|2|2|2|2|2|2|2|"});
  ASSERT_TRUE(e2etest::killBefore(host, "insert into envio_t values ( '0661','NEW2'"));
  EXPECT_EQ(rows(host, kEnvioRows), before);
}
