// After a formsetup run, which text fields of the form tables accept an
// empty string: those of the installer's list, and no other.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/text.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using testsupport::errorOf;
using testsupport::TestHost;

namespace {

// Per table, the fields that must accept ''.
std::map<std::string, std::set<std::string>> expectedEmptyFields() {
  const std::vector<std::pair<std::vector<std::string>, std::set<std::string>>> groups = {
      {{"F0653ITF", "HF0653ITF", "TMP_F0653ITF", "F0653RET", "HF0653RET", "TMP_F0653RET"},
       {"des_razon", "mto_retenido"}},
      {{"F0651DIVIDEND", "HF0651DIVIDEND", "TMP_F0651DIVID"},
       {"des_entpagadora", "mto_distribuido", "mto_retenido"}},
      {{"F0651EXTRANJ", "HF0651EXTRANJ", "TMP_F0651EXTRA"}, {"mto_saldo"}},
      {{"F0651FIDEICOM", "HF0651FIDEICOM", "TMP_F0651FIDEI"},
       {"des_nombre_fde", "des_apepat_fde", "des_apemat_fde", "des_razon_fde", "des_nombre_ben",
        "des_apepat_ben", "des_apemat_ben", "des_razon_ben", "mto_saldo"}},
      {{"F0657RETCAB", "TMP_F0657RETCAB", "HF0657RETCAB"},
       {"des_razon", "des_ape_pat", "des_ape_mat", "des_nombres"}},
      {{"F0655PAGCTA", "TMP_F0655PAGCTA", "HF0655PAGCTA"},
       {"mto_sal", "mto_com", "mto_otr", "mto_int"}},
      {{"F0655PAGOS", "HF0655PAGOS", "TMP_F0655PAGOS"},
       {"mto_trib", "mto_int", "mto_tot_pag", "mto_gravado"}},
      {{"F0655FIDEI", "HF0655FIDEI", "TMP_F0655FIDEI"},
       {"des_tip_patrimonio", "des_tip_fideicomiso"}},
  };
  std::map<std::string, std::set<std::string>> out;
  for (const auto& [tables, fields] : groups)
    for (const std::string& t : tables) out[t] = fields;
  return out;
}

bool isFormTable(const std::string& name) {
  return name.rfind("F06", 0) == 0 || name.rfind("HF06", 0) == 0 || name.rfind("TMP_F06", 0) == 0 ||
         name == "EFCONTROLNS";
}

TEST(FormsetupTextFields, ListedFieldsAcceptEmptyStringsAndEveryOtherTextFieldRefusesThem) {
  TestHost host;
  host.init();
  testsupport::RunResult r = host.run("formsetup");
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;

  const auto expected = expectedEmptyFields();
  testsupport::OpenedHost o = testsupport::openHost(host);
  hostdb::TableDefs& defs = o.db->TableDefs();
  defs.Refresh();
  std::size_t formTables = 0, accepting = 0;
  for (std::size_t i = 0; i < defs.Count(); ++i) {
    hostdb::TableDef& table = defs.Item(i);
    if (!isFormTable(table.Name())) continue;
    ++formTables;
    const auto listed = expected.find(platform::upperCase(table.Name()));
    for (std::size_t f = 0; f < table.FieldCount(); ++f) {
      hostdb::Field& field = table.FieldAt(f);
      if (field.Type() != hostdb::FieldType::Text) continue;
      const bool shouldAccept = listed != expected.end() && listed->second.count(field.Name());
      EXPECT_EQ(field.AllowZeroLength(), shouldAccept) << table.Name() << "." << field.Name();
      accepting += shouldAccept;
    }
  }
  EXPECT_EQ(formTables, 51u);
  EXPECT_EQ(accepting, 93u);

  // What that means for rows: '' goes into a listed field; into any other
  // text field the row is not written, or with fail-on-error raises 3315.
  o.exec("INSERT INTO TMP_F0653ITF VALUES ('20100000001', '', '')");
  EXPECT_EQ(o.count("TMP_F0653ITF"), 1);
  o.db->Execute("INSERT INTO TMP_F0653ITF VALUES ('', 'x', 'y')", hostdb::dbInconsistent);
  EXPECT_EQ(o.count("TMP_F0653ITF"), 1);
  EXPECT_EQ(errorOf([&] { o.exec("INSERT INTO TMP_F0653ITF VALUES ('', 'x', 'y')"); }), 3315);
  EXPECT_EQ(errorOf([&] {
              o.exec(
                  "INSERT INTO F0653ITF VALUES (6, '20100000001', '202401', '0661', "
                  "'20100000002', 'Razon', '1', '')");
            }),
            3315);  // cnumero is not on the list
  o.db->Close();
}

}  // namespace
