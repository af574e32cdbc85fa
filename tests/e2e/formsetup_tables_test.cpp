// formsetup's form tables, run as a process against hosts made with zelhost:
// what a fresh host receives, what a repeated run drops and makes anew, and
// what it leaves alone.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "build_account.h"
#include "gtest/gtest.h"
#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"
#include "tests/e2e/formsetup_kill.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using e2etest::killBefore;
using testsupport::errorOf;
using testsupport::RunResult;
using testsupport::TestHost;

namespace {

// Each form table in creation order, as "NAME: column Type, ...; KEY(columns)",
// the key columns spelt as the columns they name. The column lists that the
// variants of a set share are written once.
const std::string kDecl = "tip_doc_d Byte, doc_id_d Text15, periodo Text6, formulario Text4";
const std::string kWork = kDecl + ", ";
const std::string kHist = kDecl + ", Correl Text3, ";
const std::string kDeclKey = "tip_doc_d,doc_id_d,periodo,formulario,";
const std::string kHistKey = "tip_doc_d,doc_id_d,periodo,formulario,Correl,";

const std::string kDivid =
    "num_RUC Text11, des_entpagadora Text40, fec_retenida Date, mto_distribuido Text15, "
    "mto_retenido Text15";
const std::string kExtranj =
    "des_emp_ext Text40, ind_pais Text4, ind_cargo Text2, ind_operacion Text2, mto_saldo Text15";
const std::string kExtranjKey = "des_emp_ext,ind_pais,ind_cargo,ind_operacion";
const std::string kFideicomHead =
    "tip_doc_fde Byte, num_doc_fde Text15, des_nombre_fde Text20, des_apepat_fde Text20, "
    "des_apemat_fde Text20, des_razon_fde ";
const std::string kFideicomMiddle =
    ", tip_empre_fdu Text2, des_empre_fdu Text40, tip_doc_ben Byte, num_doc_ben Text15, "
    "des_nombre_ben Text20, des_apepat_ben Text20, des_apemat_ben Text20, des_razon_ben ";
const std::string kFideicomTail = ", tip_patri_fdei Text2, mto_saldo Text15";
const std::string kFideicom = kFideicomHead + "Text40" + kFideicomMiddle + "Text40" + kFideicomTail;
const std::string kFideicomKey =
    "tip_doc_fde,num_doc_fde,tip_empre_fdu,des_empre_fdu,tip_doc_ben,num_doc_ben,tip_patri_fdei";
const std::string kItf = "num_RUC Text11, des_razon Text40, mto_retenido Text15";
const std::string kRet =
    "Casilla Byte, per_tributario Text6, num_RUC Text11, des_razon Text40, mto_retenido Text15";
const std::string kRetKey = "Casilla,per_tributario,num_RUC";
const std::string kFidei =
    "tip_doc_fiduciario Byte, num_doc_fiduciario Text15, tip_doc_fideicomitente Byte, "
    "num_doc_fideicomitente Text15, tip_patrimonio Byte, des_tip_patrimonio Text40, "
    "tip_fideicomiso Byte, des_tip_fideicomiso Text40, mto_saldo Text15";
const std::string kFideiKey =
    "tip_doc_fiduciario,num_doc_fiduciario,tip_doc_fideicomitente,num_doc_fideicomitente,"
    "tip_patrimonio,tip_fideicomiso";
const std::string kDetrta =
    "casilla Text3, tip_doc_ret Long, num_RUC Text15, per_tri Text6, mto_retenido Text15, "
    "ind_importa Text1";
const std::string kDetrtaKey = "casilla,tip_doc_ret,num_RUC,per_tri";
const std::string kCondomi = "tip_doc_con Long, num_RUC Text15";
const std::string kCondomiKey = "tip_doc_con,num_RUC";
const std::string kFext = "casilla Text3, cod_pais Text4, mto_retenido Text15";
const std::string kFextKey = "casilla,cod_pais";
const std::string kNormas =
    "casilla Text3, tip_nor Byte, num_nor Text15, anno_nor Text4, art_nor Text5, "
    "mto_retenido Text15";
const std::string kNormasKey = "casilla,tip_nor,num_nor,anno_nor,art_nor";
const std::string kPagcta =
    "casilla Text3, per_tri Text6, num_for Text4, num_ord Text10, fec_pago Date, mto_sal Text15, "
    "mto_com Text15, mto_otr Text15, mto_sin_int Text15, mto_trib Text15, mto_int Text15, "
    "mto_tot_pag Text15, ind_importa Text1";
const std::string kPagos =
    "casilla Text3, per_tri Text6, num_for Text4, num_ord Text10, fec_pago Date, mto_trib Text15, "
    "mto_int Text15, mto_tot_pag Text15, mto_gravado Text15, ind_importa Text1";
const std::string kPagosKey = "casilla,per_tri,num_for,num_ord";
const std::string kRetcab =
    "casilla Text3, tip_doc_ret Long, num_doc_ret Text15, des_razon Text40, des_ape_pat Text20, "
    "des_ape_mat Text20, des_nombres Text20, mto_total Text15, fec_donacion Date, "
    "ind_importa Text1";
const std::string kRetcabKey = "casilla,tip_doc_ret,num_doc_ret,fec_donacion";
const std::string kRetdet =
    "casilla Text3, tip_doc_ret Long, num_doc_ret Text15, per_tri Text6, tip_cp Byte, "
    "num_serie_cp Text4, num_cp Text8, fec_emision_cp Date, mto_imp_cp Text15, ind_importa Text1";
const std::string kRetdetKey =
    "casilla,tip_doc_ret,num_doc_ret,per_tri,tip_cp,num_serie_cp,num_cp,fec_emision_cp";
const std::string kDifcas =
    "casilla Text3, Mto_importa Text15, Mto_declar Text15, Ind_diferen Text1";
const std::string kCn = ", cnumero Text6; ";

const std::vector<std::string> kFormTables = {
    "F0651DIVIDEND: " + kWork + kDivid + kCn +
        "PK_F0651DIVIDEND(tip_doc_d,doc_id_d,periodo,formulario,num_RUC,fec_retenida)",
    "HF0651DIVIDEND: " + kHist + kDivid + kCn +
        "PK_HF0651DIVIDEND(tip_doc_d,doc_id_d,periodo,formulario,Correl,num_RUC,fec_retenida)",
    "TMP_F0651DIVID: " + kDivid + "; PK_TMP_F0651DIVID(num_RUC,fec_retenida)",
    "F0651EXTRANJ: " + kWork + kExtranj + kCn +
        "PK_F0651EXTRANJ(tip_doc_d,doc_id_d,periodo,formulario," + kExtranjKey + ")",
    "HF0651EXTRANJ: " + kHist + kExtranj + kCn +
        "PK_HF0651EXTRANJ(tip_doc_d,doc_id_d,periodo,formulario,Correl," + kExtranjKey + ")",
    "TMP_F0651EXTRA: " + kExtranj + ", des_pais Text60, des_cargo Text30, des_operacion Text50" +
        "; PK_TMP_F0651EXTRA(" + kExtranjKey + ")",
    "F0651FIDEICOM: " + kWork + kFideicom + kCn + "PK_F0651FIDEICOM(doc_id_d,periodo,formulario," +
        kFideicomKey + ")",
    "HF0651FIDEICOM: " + kHist + kFideicom + kCn + "PK_HF0651FIDEICOM(doc_id_d,periodo,Correl," +
        kFideicomKey + ")",
    "TMP_F0651FIDEI: " + kFideicomHead + "Text70" + kFideicomMiddle + "Text70" + kFideicomTail +
        ", des_empre_fdu2 Text50, des_doc_ben Text40, des_patri_fdei Text70, des_doc_fde Text40" +
        "; PK_TMP_F0651FIDEI(" + kFideicomKey + ")",
    "F0653ITF: " + kWork + kItf + kCn + "PK_F0653ITF(" + kDeclKey + "num_RUC)",
    "HF0653ITF: " + kHist + kItf + kCn + "PK_HF0653ITF(" + kDeclKey + "Correl,num_RUC)",
    "TMP_F0653ITF: " + kItf + "; PK_TMP_F0653ITF(num_RUC)",
    "F0653RET: " + kWork + kRet + kCn + "PK_F0653RET(" + kDeclKey + kRetKey + ")",
    "HF0653RET: " + kHist + kRet + kCn + "PK_HF0653RET(" + kDeclKey + "Correl," + kRetKey + ")",
    "TMP_F0653RET: " + kRet + "; PK_TMP_F0653RET(" + kRetKey + ")",
    "F0655FIDEI: " + kWork + kFidei + kCn + "PK_F0655FIDEI(" + kDeclKey + kFideiKey + ")",
    "TMP_F0655FIDEI: " + kFidei + "; PK_TMP_F0655FIDEI(" + kFideiKey + ")",
    "HF0655FIDEI: " + kHist + kFidei + kCn + "PK_F0655FIDEI(tip_doc_d,doc_id_d,periodo,Correl," +
        kFideiKey + ")",
    "F0655DETRTA: " + kWork + kDetrta + kCn + "PK_F0655DETRTA(" + kDeclKey + kDetrtaKey + ")",
    "F0655CONDOMI: " + kWork + kCondomi + kCn + "PK_F0655CONDOMI(" + kDeclKey + kCondomiKey + ")",
    "F0655FEXT: " + kWork + kFext + kCn + "PK_F0655FEXT(" + kDeclKey + kFextKey + ")",
    "F0655NORMAS: " + kWork + kNormas + kCn + "PK_F0655NORMAS(" + kDeclKey + kNormasKey + ")",
    "F0655PAGCTA: " + kWork + kPagcta + kCn + "PK_F0655PAGCTA(" + kDeclKey + kPagosKey + ")",
    "F0655PAGOS: " + kWork + kPagos + kCn + "PK_F0655PAGOS(" + kDeclKey + kPagosKey + ")",
    "F0657RETCAB: " + kWork + kRetcab + kCn + "PK_F0657RETCAB(" + kDeclKey + kRetcabKey + ")",
    "F0655RETDET: " + kWork + kRetdet + kCn + "PK_F0655RETCAB(tip_doc_d,doc_id_d," + kRetdetKey +
        ")",
    "TMP_F0655DETRTA: " + kDetrta + "; PK_TMP_F0655DETRTA(" + kDetrtaKey + ")",
    "TMP_F0655CONDOMI: " + kCondomi + "; PK_TMP_F0655CONDOMI(" + kCondomiKey + ")",
    "TMP_F0655FEXT: " + kFext + "; PK_TMP_F0655FEXT(" + kFextKey + ")",
    "TMP_F0655NORMAS: " + kNormas + "; PK_TMP_F0655NORMAS(" + kNormasKey + ")",
    "TMP_F0655PAGCTA: " + kPagcta + "; PK_TMP_F0655PAGCTA(" + kPagosKey + ")",
    "TMP_F0655PAGOS: " + kPagos + "; PK_TMP_F0655PAGOS(" + kPagosKey + ")",
    "TMP_F0657RETCAB: " + kRetcab + "; PK_TMP_F0657RETCAB(" + kRetcabKey + ")",
    "TMP_F0655RETDET: " + kRetdet + "; PK_TMP_F0655RETDET(" + kRetdetKey + ")",
    "HF0655DETRTA: " + kHist + kDetrta + kCn + "PK_HF0655DETRTA(" + kHistKey + kDetrtaKey + ")",
    "HF0655CONDOMI: " + kHist + kCondomi + kCn + "PK_HF0655CONDOMI(" + kHistKey + kCondomiKey + ")",
    "HF0655FEXT: " + kHist + kFext + kCn + "PK_HF0655FEXT(" + kHistKey + kFextKey + ")",
    "HF0655NORMAS: " + kHist + kNormas + kCn + "PK_HF0655NORMAS(" + kHistKey + kNormasKey + ")",
    "HF0655PAGCTA: " + kHist + kPagcta + kCn + "PK_HF0655PAGCTA(" + kHistKey + kPagosKey + ")",
    "HF0655PAGOS: " + kHist + kPagos + kCn + "PK_HF0655PAGOS(" + kHistKey + kPagosKey + ")",
    "HF0657RETCAB: " + kHist + kRetcab + kCn + "PK_HF0657RETCAB(" + kHistKey + kRetcabKey + ")",
    "HF0655RETDET: " + kHist + kRetdet + kCn + "PK_HF0655RETCAB(doc_id_d,Correl," + kRetdetKey +
        ")",
    "F0655IMPORTA: " + kDecl + "; PK_F0655IMPORTA(tip_doc_d,doc_id_d,periodo,formulario)",
    "TMP_F0655IMPORTA: " + kDecl + "; PK_F0655IMPORTA(tip_doc_d,doc_id_d,periodo,formulario)",
    "F0657CORREL: " + kWork + "casilla Text3, num_correl Long" + kCn +
        "PK_F0657CORREL(tip_doc_d,doc_id_d,periodo,formulario,casilla)",
    "HF0657CORREL: " + kHist + "casilla Text3, num_correl Long" + kCn +
        "PK_HF0657CORREL(tip_doc_d,doc_id_d,periodo,formulario,Correl,casilla)",
    "TMP_F0657CORREL: casilla Text3, NUM_CORREL Long; PK_TMP_F0657CORREL(casilla)",
    "F0657DIFCAS: " + kWork + kDifcas + kCn +
        "PK_F0657DIFCAS(tip_doc_d,doc_id_d,periodo,formulario,casilla)",
    "HF0657DIFCAS: " + kHist + kDifcas + kCn +
        "PK_HF0657DIFCAS(tip_doc_d,doc_id_d,periodo,formulario,Correl,casilla)",
    "TMP_F0657DIFCAS: " + kDifcas + "; PK_TMP_F0657DIFCAS(casilla)",
    "EFCONTROLNS: " + kWork +
        "semana Long, nomarc Text50, rutarc Text255, tamarc Long, tab_d Text50, marca Text255, "
        "cnum Text20, indice Byte, num_tuplas Text15" +
        kCn + "PK_EFCONTROLNS(tip_doc_d,doc_id_d,periodo,formulario,semana,nomarc)",
};

const std::vector<std::string> kDropOrder = {
    "TMP_F0651DIVID", "TMP_F0651FIDEI",  "TMP_F0651EXTRA",  "TMP_F0653ITF",
    "TMP_F0653RET",   "TMP_F0657CORREL", "TMP_F0657DIFCAS",
};

std::string nameOf(const std::string& expected) { return expected.substr(0, expected.find(':')); }

std::string typeText(hostdb::Field& f) {
  switch (f.Type()) {
    case hostdb::FieldType::Byte:
      return "Byte";
    case hostdb::FieldType::Integer:
      return "Integer";
    case hostdb::FieldType::Long:
      return "Long";
    case hostdb::FieldType::Double:
      return "Double";
    case hostdb::FieldType::Text:
      return "Text" + std::to_string(f.Size());
    case hostdb::FieldType::Memo:
      return "Memo";
    case hostdb::FieldType::Date:
      return "Date";
    case hostdb::FieldType::YesNo:
      return "YesNo";
  }
  return "?";
}

// A stored table in the form of kFormTables.
std::string describe(hostdb::TableDef& def) {
  std::string out = def.Name() + ":";
  for (std::size_t i = 0; i < def.FieldCount(); ++i) {
    hostdb::Field& f = def.FieldAt(i);
    out += (i == 0 ? " " : ", ") + f.Name() + " " + typeText(f);
  }
  out += "; " + def.PrimaryKeyName() + "(";
  const std::vector<std::string> key = def.PrimaryKeyColumns();
  for (std::size_t i = 0; i < key.size(); ++i) out += (i == 0 ? "" : ",") + key[i];
  return out + ")";
}

// The data-definition statements a run sent, and any engine error, from the
// SQL trace (which is then emptied for the next run).
std::vector<std::string> takeDefinitions(const TestHost& host) {
  std::vector<std::string> out;
  for (const std::string& line : host.sqlLog()) {
    if (line.rfind("!\t", 0) == 0) out.push_back(line);
    if (line.rfind("E\t", 0) != 0) continue;
    const std::string sql = line.substr(2);
    for (const char* start : {"CREATE TABLE ", "ALTER TABLE ", "Drop Table "})
      if (sql.rfind(start, 0) == 0) out.push_back(sql);
  }
  std::remove(host.sqlLogPath().c_str());
  return out;
}

// Whether `statements` are, one by one, CREATE TABLE and key statement of
// each of `names` in order.
void expectCreatedInOrder(const std::vector<std::string>& statements,
                          const std::vector<std::string>& names) {
  ASSERT_EQ(statements.size(), 2 * names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(statements[2 * i].rfind("CREATE TABLE " + names[i] + "(", 0), 0u)
        << statements[2 * i];
    EXPECT_EQ(statements[2 * i + 1].rfind("ALTER TABLE " + names[i] + " ADD CONSTRAINT ", 0), 0u)
        << statements[2 * i + 1];
  }
}

std::vector<std::string> allNames() {
  std::vector<std::string> names;
  for (const std::string& t : kFormTables) names.push_back(nameOf(t));
  return names;
}

class FormTables : public ::testing::Test {
 protected:
  void SetUp() override {
    host.init();
    std::remove(host.sqlLogPath().c_str());
  }
  void runFormsetup() {
    RunResult r = host.run("formsetup");
    EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(host.transcript().empty()) << host.transcript().front();
  }
  TestHost host;
};

TEST_F(FormTables, FreshHostReceivesEveryTableWithItsKeyInOrder) {
  runFormsetup();
  expectCreatedInOrder(takeDefinitions(host), allNames());

  testsupport::OpenedHost o = testsupport::openHost(host);
  hostdb::TableDefs& defs = o.db->TableDefs();
  for (const std::string& expected : kFormTables) {
    const std::string name = nameOf(expected);
    SCOPED_TRACE(name);
    ASSERT_EQ(errorOf([&] { defs.Item(std::string_view(name)); }), 0);
    EXPECT_EQ(describe(defs.Item(std::string_view(name))), expected);
  }
}

TEST_F(FormTables, SecondRunMakesOnlyTheSevenTemporaryTablesAnew) {
  runFormsetup();
  takeDefinitions(host);
  {
    testsupport::OpenedHost o = testsupport::openHost(host);
    o.exec(
        "INSERT INTO TMP_F0657RETCAB VALUES ('101', 6, '20100000001', 'Razon', 'P', 'M', 'N', "
        "'100.00', #2024-03-31#, '1')");
    o.exec(
        "INSERT INTO TMP_F0655PAGOS VALUES ('102', '202403', '0621', '1', #2024-04-10#, "
        "'1', '2', '3', '4', '0')");
    o.exec(
        "INSERT INTO F0651DIVIDEND VALUES (6, '20100000001', '202403', '0661', "
        "'20100000002', 'Pagadora', #2024-03-31#, '10', '1', '000001')");
    o.exec("INSERT INTO TMP_F0653ITF VALUES ('20100000003', 'Banco', '5')");
    o.exec("INSERT INTO TMP_F0657DIFCAS VALUES ('103', '1', '2', 'S')");
  }

  runFormsetup();
  std::vector<std::string> statements = takeDefinitions(host);
  ASSERT_GE(statements.size(), kDropOrder.size());
  std::vector<std::string> drops(statements.begin(), statements.begin() + 7);
  std::vector<std::string> expectedDrops;
  for (const std::string& name : kDropOrder) expectedDrops.push_back("Drop Table " + name);
  EXPECT_EQ(drops, expectedDrops);
  statements.erase(statements.begin(), statements.begin() + 7);
  expectCreatedInOrder(statements,
                       {"TMP_F0651DIVID", "TMP_F0651EXTRA", "TMP_F0651FIDEI", "TMP_F0653ITF",
                        "TMP_F0653RET", "TMP_F0657CORREL", "TMP_F0657DIFCAS"});

  testsupport::OpenedHost o = testsupport::openHost(host);
  EXPECT_EQ(o.count("TMP_F0657RETCAB"), 1);
  EXPECT_EQ(o.count("TMP_F0655PAGOS"), 1);
  EXPECT_EQ(o.count("F0651DIVIDEND"), 1);
  EXPECT_EQ(o.count("TMP_F0653ITF"), 0);
  EXPECT_EQ(o.count("TMP_F0657DIFCAS"), 0);
  EXPECT_EQ(describe(o.db->TableDefs().Item(std::string_view("TMP_F0653ITF"))),
            "TMP_F0653ITF: " + kItf + "; PK_TMP_F0653ITF(num_RUC)");
}

// Present tables count whatever the letter case of their stored name, and are
// never changed: an older column list stays, a missing key is not added.
TEST_F(FormTables, PresentTablesAreLeftAsTheyAre) {
  {
    testsupport::OpenedHost o = testsupport::openHost(host);
    o.exec("CREATE TABLE hf0655Pagos ([casilla] TEXT(3), [per_tri] TEXT(6))");
    o.exec("INSERT INTO hf0655Pagos VALUES ('104', '202403')");
    o.exec("CREATE TABLE F0651DIVIDEND ([tip_doc_d] Byte, [doc_id_d] text(15))");
  }
  runFormsetup();
  std::vector<std::string> expected;
  for (const std::string& name : allNames())
    if (name != "HF0655PAGOS" && name != "F0651DIVIDEND") expected.push_back(name);
  expectCreatedInOrder(takeDefinitions(host), expected);

  testsupport::OpenedHost o = testsupport::openHost(host);
  hostdb::TableDefs& defs = o.db->TableDefs();
  EXPECT_EQ(describe(defs.Item(std::string_view("HF0655PAGOS"))),
            "hf0655Pagos: casilla Text3, per_tri Text6; ()");
  EXPECT_EQ(describe(defs.Item(std::string_view("F0651DIVIDEND"))),
            "F0651DIVIDEND: tip_doc_d Byte, doc_id_d Text15; ()");
  EXPECT_EQ(o.count("HF0655PAGOS"), 1);
  // The history table of the present working table is still made in full.
  EXPECT_EQ(describe(defs.Item(std::string_view("HF0651DIVIDEND"))), kFormTables[1]);
}

TEST_F(FormTables, TextFieldsRefuseEmptyStringsUnlessAdjusted) {
  runFormsetup();
  testsupport::OpenedHost o = testsupport::openHost(host);
  EXPECT_EQ(errorOf([&] {
              o.exec(
                  "INSERT INTO EFCONTROLNS VALUES (6, '20100000001', '202403', '0661', 1, "
                  "'', 'C:\\tmp', 10, 'CAB', '', '', 0, '1', '000001')");
            }),
            3315);
  EXPECT_EQ(errorOf([&] { o.exec("INSERT INTO TMP_F0657CORREL VALUES ('', 1)"); }), 3315);
  EXPECT_EQ(errorOf([&] {
              o.exec(
                  "INSERT INTO F0655DETRTA VALUES (6, '20100000001', '202403', '0661', '105', "
                  "6, '', '202403', '1', '0', '000001')");
            }),
            3315);
  EXPECT_EQ(o.count("EFCONTROLNS") + o.count("TMP_F0657CORREL") + o.count("F0655DETRTA"), 0);
  o.exec("INSERT INTO TMP_F0657CORREL VALUES ('106', 1)");
  EXPECT_EQ(o.count("TMP_F0657CORREL"), 1);
}


// The statements between two boxes share one transaction: a run killed
// between a table's CREATE TABLE and its key statement leaves neither.
TEST(FormTablesAfterAKill, ARunKilledBetweenATableAndItsKeyLeavesNeither) {
  ZEL_SKIP_WITHOUT_POSIX("a FIFO and fork()");
  TestHost fresh;
  fresh.init();
  ASSERT_TRUE(killBefore(fresh, "CREATE TABLE F0651DIVIDEND("));
  testsupport::OpenedHost o = testsupport::openHost(fresh);
  EXPECT_EQ(errorOf([&] { o.db->TableDefs().Item(std::string_view("F0651DIVIDEND")); }), 3265);
}

// A form table without its key, as a run of an earlier version could leave
// it when killed between the table and its key: the next run adds the form's
// key to it, and only that.
TEST(FormTablesAfterAKill, TableLeftWithoutItsKeyGetsItInTheNextRun) {
  // The table's own statement, as formsetup runs it.
  std::string create;
  {
    TestHost traced;
    traced.init();
    ASSERT_THAT(traced.run("formsetup"), testsupport::Succeeded());
    for (const std::string& line : traced.sqlLog())
      if (line.rfind("E\tCREATE TABLE F0651DIVIDEND(", 0) == 0) create = line.substr(2);
  }
  ASSERT_FALSE(create.empty());
  TestHost fresh;
  fresh.init();
  {
    testsupport::OpenedHost o = testsupport::openHost(fresh);
    o.exec(create);
    ASSERT_TRUE(o.db->TableDefs().Item(std::string_view("F0651DIVIDEND")).PrimaryKeyName().empty());
  }
  std::remove(fresh.sqlLogPath().c_str());
  RunResult r = fresh.run("formsetup");
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(fresh.transcript().empty()) << fresh.transcript().front();
  std::vector<std::string> statements = takeDefinitions(fresh);
  ASSERT_FALSE(statements.empty());
  EXPECT_EQ(statements.front(),
            "ALTER TABLE F0651DIVIDEND ADD CONSTRAINT PK_F0651DIVIDEND PRIMARY KEY "
            "([tip_doc_d],[doc_id_d],[periodo],[Formulario],[num_ruc],[fec_retenida])");
  statements.erase(statements.begin());
  std::vector<std::string> rest = allNames();
  rest.erase(rest.begin());
  expectCreatedInOrder(statements, rest);

  testsupport::OpenedHost after = testsupport::openHost(fresh);
  EXPECT_EQ(describe(after.db->TableDefs().Item(std::string_view("F0651DIVIDEND"))),
            kFormTables[0]);
  const std::string row =
      "INSERT INTO F0651DIVIDEND VALUES (6, '20100000001', '202403', '0661', '20100000002', "
      "'Pagadora', #2024-03-31#, '10', '1', '000001')";
  after.exec(row);
  EXPECT_EQ(errorOf([&] { after.exec(row); }), 3022);
}

}  // namespace
