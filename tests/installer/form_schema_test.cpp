// The form tables' descriptions and the statements made from them.
#include <stdexcept>
#include <string>

#include "gtest/gtest.h"
#include "installer/form_schema.h"

namespace {

const installer::FormTable& table(const std::string& name) {
  for (const installer::FormTable& t : installer::formTables())
    if (t.name == name) return t;
  throw std::runtime_error("no table " + name);
}

TEST(FormSchema, StatementsBracketTheNamesAndKeepTheTypesAsWritten) {
  EXPECT_EQ(installer::createTableStatement(table("TMP_F0651DIVID")),
            "CREATE TABLE TMP_F0651DIVID([num_RUC] Text (11), [des_entpagadora] Text (40), "
            "[fec_retenida] DATE, [mto_distribuido] Text (15), [mto_retenido] Text (15));");
  EXPECT_EQ(installer::primaryKeyStatement(table("TMP_F0651DIVID")),
            "ALTER TABLE TMP_F0651DIVID ADD CONSTRAINT PK_TMP_F0651DIVID PRIMARY KEY "
            "([num_ruc],[fec_retenida])");
  EXPECT_EQ(installer::createTableStatement(table("EFCONTROLNS")),
            "CREATE TABLE EFCONTROLNS([tip_doc_d] Byte, [doc_id_d] text(15), [periodo] Text(6), "
            "[formulario] Text (4), [semana] integer, [nomarc] text(50), [rutarc] text(255), "
            "[tamarc] long, [tab_d] text(50), [marca] text(255), [cnum] text(20), [indice] byte, "
            "[num_tuplas] text(15), [cnumero] text(6));");
  EXPECT_EQ(installer::primaryKeyStatement(table("HF0655RETDET")),
            "ALTER TABLE HF0655RETDET ADD CONSTRAINT PK_HF0655RETCAB PRIMARY KEY ([doc_id_d],"
            "[Correl],[casilla],[tip_doc_ret],[num_doc_ret],[per_tri],[tip_cp],[num_serie_cp],"
            "[num_cp],[fec_emision_cp])");
  EXPECT_EQ(installer::dropTableStatement("TMP_F0653ITF"), "Drop Table TMP_F0653ITF");
}

}  // namespace
