// adjustTextFields on tables made for the test: which fields come to accept
// an empty string, and what is passed over in silence.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "installer/host_access.h"
#include "installer/text_fields.h"
#include "tests/installer/installer_fixture.h"

namespace {

class TextFieldsTest : public InstallerTest {
 protected:
  bool acceptsEmpty(const std::string& table, const std::string& field) {
    return db().TableDefs().Item(table).Fields(field).AllowZeroLength();
  }
};

TEST_F(TextFieldsTest, ListedFieldsOfTheNamedTableAcceptEmptyStringsAndNoOthers) {
  open();
  installer::executeSql(
      "CREATE TABLE F0653ITF([tip_doc_d] Byte, [doc_id_d] text(15), [num_RUC] TEXT(11), "
      "[des_razon] Text(40), [mto_retenido] Text(15), [cnumero] Text(6))");
  // Same fields, but the table stands in no group: nothing changes.
  installer::executeSql("CREATE TABLE F0653OTHER([des_razon] Text(40), [mto_retenido] Text(15))");

  installer::adjustTextFields("f0653Itf");  // found through the upper-cased name
  installer::adjustTextFields("F0653OTHER");
  installer::adjustTextFields("HF0653ITF");  // in a group but not in the database
  installer::adjustTextFields("F0653ITF");   // a second call changes nothing more

  EXPECT_TRUE(acceptsEmpty("F0653ITF", "des_razon"));
  EXPECT_TRUE(acceptsEmpty("F0653ITF", "mto_retenido"));
  EXPECT_FALSE(acceptsEmpty("F0653ITF", "doc_id_d"));
  EXPECT_FALSE(acceptsEmpty("F0653ITF", "num_RUC"));
  EXPECT_FALSE(acceptsEmpty("F0653ITF", "cnumero"));
  EXPECT_FALSE(acceptsEmpty("F0653OTHER", "des_razon"));

  // What the property means for rows: '' is written into a listed field only.
  installer::executeSql("INSERT INTO F0653ITF VALUES (6, 'x', 'r', '', '', 'c')");
  installer::executeSql("INSERT INTO F0653ITF VALUES (6, 'y', '', 'd', 'm', 'c')");
  EXPECT_EQ(count("F0653ITF"), 1);
  EXPECT_TRUE(host.transcript().empty());
}

TEST_F(TextFieldsTest, MissingOrUnchangeableFieldsArePassedOverOneByOne) {
  open();
  // des_entpagadora is missing and mto_distribuido is not text: only
  // mto_retenido can change, and it does.
  installer::executeSql(
      "CREATE TABLE TMP_F0651DIVID([num_RUC] Text (11), [mto_distribuido] LONG, "
      "[mto_retenido] Text (15))");
  installer::adjustTextFields("TMP_F0651DIVID");
  EXPECT_TRUE(acceptsEmpty("TMP_F0651DIVID", "mto_retenido"));
  EXPECT_FALSE(acceptsEmpty("TMP_F0651DIVID", "num_RUC"));
  EXPECT_TRUE(host.transcript().empty());
}

TEST_F(TextFieldsTest, WithoutAnOpenDatabaseNothingHappens) {
  installer::adjustTextFields("F0653ITF");
  EXPECT_TRUE(host.transcript().empty());
}

}  // namespace
