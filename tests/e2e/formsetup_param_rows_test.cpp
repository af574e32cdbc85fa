// formsetup's PARAM rows, run as a process against hosts made with zelhost
// and read back through the database layer.
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "build_account.h"
#include "gtest/gtest.h"
#include "hostdb/dbengine.h"
#include "platform/errors.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using testsupport::RunResult;
using testsupport::TestHost;

namespace {

struct ParamRow {
  std::string funcion;
  std::string correlParam;
  bool operator==(const ParamRow&) const = default;
};
using Key = std::pair<std::string, std::string>;  // (Numero, Argumento)
using ParamTable = std::map<Key, ParamRow>;

ParamTable readParam(const TestHost& host) {
  testsupport::OpenedHost c = testsupport::openHost(host);
  ParamTable table;
  auto rs = c.db->OpenRecordset("SELECT * FROM PARAM", hostdb::dbOpenSnapshot);
  for (; !rs->Eof(); rs->MoveNext()) {
    Key key{rs->Value("Numero").text(), rs->Value("Argumento").text()};
    EXPECT_TRUE(
        table.emplace(key, ParamRow{rs->Value("Funcion").text(), rs->Value("Correl_Param").text()})
            .second);
  }
  rs->Close();
  c.db->Close();
  return table;
}

std::map<std::string, int> rowsPerGroup(const ParamTable& table) {
  std::map<std::string, int> counts;
  for (const auto& [key, row] : table) ++counts[key.first];
  return counts;
}

// The trace lines of the statements that write PARAM, and of its look-ups.
std::vector<std::string> paramLines(const TestHost& host, const std::string& prefix) {
  std::vector<std::string> lines;
  for (const std::string& line : host.sqlLog()) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}
const std::string kLookUp = "Q\tSelect * from Param Where ";
const std::string kInsert = "E\tinsert into Param values (";
const std::string kUpdate = "E\tUpdate Param Set ";

void runCleanly(const TestHost& host) {
  RunResult r = host.run("formsetup");
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  ASSERT_TRUE(host.transcript().empty()) << host.transcript().front();
}

const std::string kNoDocument =
    "SIN DOCUMENTO                                15 000000 00 "
    "000000000000100000000000000000000000000000000"
    "                      0 0 1";
const std::string kOnp97 =
    "TRABAJADOR ESPECIAL ONP S.VAL. TRAB. ONP(S)2 08 111110 03 "
    "1111111111111111111111101101100101111001110"
    "                        1 5 1";
const std::string kDni =
    "DOC. NACIONAL DE IDENTIDAD     DNI         2 08 111110 03 "
    "111111111111111111111111110111110111111111011"
    "                      1 5 1";

// Groups in the order they are written, with the rows a fresh host receives
// ("044" without the two rows that are only updated).
const std::vector<std::pair<std::string, int>> kGroups = {
    {"044", 18}, {"404", 5}, {"916", 1}, {"992", 1}, {"004", 6}, {"996", 23},
    {"998", 1},  {"913", 5}, {"919", 8}, {"678", 7}, {"679", 3}, {"979", 66},
    {"833", 6},  {"233", 3}, {"880", 1}, {"856", 1}};

TEST(FormsetupParamRows, FreshHostGetsThe155RowsInOrderWithTheirExactValues) {
  TestHost host;
  host.init();
  runCleanly(host);
  const ParamTable param = readParam(host);

  EXPECT_EQ(param.size(), 155u);
  const std::map<std::string, int> expectedCounts(kGroups.begin(), kGroups.end());
  EXPECT_EQ(rowsPerGroup(param), expectedCounts);

  const std::vector<std::pair<Key, ParamRow>> spotChecks = {
      {{"044", "- "}, {kNoDocument, "001"}},
      {{"044", "1 "}, {kDni, "002"}},
      {{"992", "0661"}, {"1", ""}},
      {{"004", "56"}, {"BANCO SANTANDER PERU S.A.            SANTANDER PE15 1 2 3 110", ""}},
      {{"996", "429"}, {"HF0657RETCAB   R 1000   9", ""}},
      {{"998", "050802020040101"}, {"0 0.017IESCTT IES-RETENC. A INDEP.", "000"}},
      {{"919", "07"},
       {"COMPRA DE VEHICULOS, AERONAVES O EMBARCACIONES                       11", ""}},
      {{"678", "3"},
       {"ACTIVOS MOBILIARIOS(CERTIFICADOS,ACCIONES O BONOS DE TITULIZACION)   11", ""}},
      {{"678", "7"},
       {"OTROS                                                                11", "\""}},
      {{"979", "99"}, {"PROFESION U OCUPACION NO ESPECIFICADA", ""}},
      {{"833", "1"}, {"Ley ", "0"}},
      {{"233", "07"}, {"NOTA DE CREDITO                               00001 1 1 CRED 1111011", ""}},
      {{"856", "0661"}, {"1.0 09/02/2009     790", "000"}},
  };
  for (const auto& [key, row] : spotChecks) {
    SCOPED_TRACE(key.first + "/'" + key.second + "'");
    ASSERT_EQ(param.count(key), 1u);
    EXPECT_EQ(param.at(key), row);
  }
  EXPECT_EQ(param.count({"044", "97"}), 0u);
  EXPECT_EQ(param.count({"044", "98"}), 0u);

  // Every stored value of a fixed-width group has its group's width; the
  // other "678" rows and every "833" row carry their fourth text.
  const std::map<std::string, std::size_t> widths = {{"044", 130}, {"004", 61}, {"996", 25},
                                                     {"919", 71},  {"678", 71}, {"233", 68}};
  for (const auto& [key, row] : param) {
    SCOPED_TRACE(key.first + "/'" + key.second + "'");
    const std::string& g = key.first;
    EXPECT_TRUE(!widths.count(g) || row.funcion.size() == widths.at(g)) << row.funcion.size();
    EXPECT_TRUE(g != "678" || row.correlParam == (key.second == "7" ? "\"" : ""))
        << row.correlParam;
    EXPECT_TRUE(g != "833" || row.correlParam == "0") << row.correlParam;
  }

  // The trace: keys with their blanks, groups in their order, inserts only.
  const std::vector<std::string> lookUps = paramLines(host, kLookUp);
  ASSERT_EQ(lookUps.size(), 157u);
  EXPECT_EQ(lookUps.front(), kLookUp + "Numero='044' AND Argumento='- '");
  EXPECT_EQ(lookUps[18], kLookUp + "Numero='044' AND Argumento='97'");
  EXPECT_EQ(lookUps.back(), kLookUp + "Numero='856' AND Argumento='0661'");

  std::vector<std::pair<std::string, int>> order;
  for (const std::string& line : lookUps) {
    const std::string numero = line.substr(kLookUp.size() + 8, 3);
    if (order.empty() || order.back().first != numero) order.emplace_back(numero, 0);
    ++order.back().second;
  }
  std::vector<std::pair<std::string, int>> expectedOrder = kGroups;
  expectedOrder.front().second = 20;
  EXPECT_EQ(order, expectedOrder);

  const std::vector<std::string> inserts = paramLines(host, kInsert);
  EXPECT_EQ(inserts.size(), 155u);
  EXPECT_TRUE(paramLines(host, kUpdate).empty());
  EXPECT_EQ(inserts.front(), kInsert + "'044','- ','" + kNoDocument + "','001')");
  // An empty fourth text is written as two quotes.
  EXPECT_NE(std::find(inserts.begin(), inserts.end(), kInsert + "'992','0661','1','')"),
            inserts.end());
}

TEST(FormsetupParamRows, ExistingRowsAreReplacedOthersKeptAndARerunOnlyUpdates) {
  TestHost host;
  host.init();
  testsupport::executeOn(host, {
                                   "insert into PARAM values ('044','1 ','OLD VALUE','999')",
                                   "insert into PARAM values ('044','97','OLD 97','x')",
                                   "insert into PARAM values ('044','ZZ','not a seed row','k')",
                                   "insert into PARAM values ('979','77','OTRA PROFESION','')",
                                   "insert into PARAM values ('100','0661','another group','1')",
                               });
  runCleanly(host);
  const ParamTable first = readParam(host);

  EXPECT_EQ(first.size(), 155u + 4u);
  EXPECT_EQ(first.at({"044", "1 "}), (ParamRow{kDni, "002"}));
  EXPECT_EQ(first.at({"044", "97"}), (ParamRow{kOnp97, "000"}));
  EXPECT_EQ(first.count({"044", "98"}), 0u);
  EXPECT_EQ(first.at({"044", "ZZ"}), (ParamRow{"not a seed row", "k"}));
  EXPECT_EQ(first.at({"979", "77"}), (ParamRow{"OTRA PROFESION", ""}));
  EXPECT_EQ(first.at({"100", "0661"}), (ParamRow{"another group", "1"}));
  const std::vector<std::string> firstUpdates = paramLines(host, kUpdate);
  EXPECT_EQ(firstUpdates, (std::vector<std::string>{
                              kUpdate + "Funcion='" + kDni +
                                  "', Correl_param='002' Where Numero='044' AND Argumento='1 '",
                              kUpdate + "Funcion='" + kOnp97 +
                                  "', Correl_param='000' Where Numero='044' AND Argumento='97'",
                          }));
  EXPECT_EQ(paramLines(host, kInsert).size(), 154u);

  ASSERT_EQ(std::remove(host.sqlLogPath().c_str()), 0);
  runCleanly(host);
  EXPECT_EQ(readParam(host), first);
  EXPECT_TRUE(paramLines(host, kInsert).empty());
  const std::vector<std::string> updates = paramLines(host, kUpdate);
  EXPECT_EQ(updates.size(), 156u);
  EXPECT_NE(
      std::find(updates.begin(), updates.end(),
                kUpdate + "Funcion='1', Correl_param='' Where Numero='992' AND Argumento='0661'"),
      updates.end());
}

TEST(FormsetupParamRows, HostWithoutParamEndsWithTheRunTimeErrorBox) {
  TestHost host;
  host.init();
  testsupport::executeOn(host, {"DROP TABLE PARAM"});
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);

  const std::vector<std::string> boxes = host.transcript();
  ASSERT_FALSE(boxes.empty());
  const std::string text =
      "Error en tiempo de ejecución '3078':\\n\\n" + platform::describe(3078, {"Param"});
  EXPECT_EQ(boxes.back(),
            R"({"program":"formsetup","title":"formsetup","text":")" + text +
                R"(","icon":"critical","buttons":"ok","default":"ok","answer":"ok"})");

  // The first look-up failed; nothing was written to PARAM and no later step ran.
  const std::vector<std::string> log = host.sqlLog();
  const auto firstLookUp =
      std::find(log.begin(), log.end(), kLookUp + "Numero='044' AND Argumento='- '");
  ASSERT_NE(firstLookUp, log.end());
  ASSERT_EQ(log.end() - firstLookUp, 2);
  EXPECT_EQ(firstLookUp[1].rfind("!\t3078\t", 0), 0u) << firstLookUp[1];
  EXPECT_EQ(paramLines(host, kLookUp).size(), 1u);
}

}  // namespace
