// Text fields of the form tables that must accept empty strings: names,
// descriptions and amounts held as text.
#include "installer/text_fields.h"

#include <span>
#include <string>
#include <vector>

#include "hostdb/database.h"
#include "hostdb/tabledef.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace installer {
namespace {

// The fields each family of tables lets accept empty strings, changed in
// this order.
constexpr const char* kItfRetFields[] = {"des_razon", "mto_retenido"};
constexpr const char* kDividendFields[] = {"des_entpagadora", "mto_distribuido", "mto_retenido"};
constexpr const char* kForeignFields[] = {"mto_saldo"};
constexpr const char* kTrustFields[] = {"des_nombre_fde", "des_apepat_fde", "des_apemat_fde",
                                        "des_razon_fde",  "des_nombre_ben", "des_apepat_ben",
                                        "des_apemat_ben", "des_razon_ben",  "mto_saldo"};
constexpr const char* kWithholderFields[] = {"des_razon", "des_ape_pat", "des_ape_mat",
                                             "des_nombres"};
constexpr const char* kOnAccountFields[] = {"mto_sal", "mto_com", "mto_otr", "mto_int"};
constexpr const char* kPaymentFields[] = {"mto_trib", "mto_int", "mto_tot_pag", "mto_gravado"};
constexpr const char* kEquityTrustFields[] = {"des_tip_patrimonio", "des_tip_fideicomiso"};

struct TextFieldTable {
  const char* name;  // upper case
  std::span<const char* const> fields;
};

// The 27 tables, in the order the installer adjusts them: nine families, each
// as working, history and temporary table.
constexpr TextFieldTable kTextFieldTables[] = {
    {"F0651DIVIDEND", kDividendFields},
    {"HF0651DIVIDEND", kDividendFields},
    {"TMP_F0651DIVID", kDividendFields},
    {"F0651FIDEICOM", kTrustFields},
    {"HF0651FIDEICOM", kTrustFields},
    {"TMP_F0651FIDEI", kTrustFields},
    {"F0651EXTRANJ", kForeignFields},
    {"HF0651EXTRANJ", kForeignFields},
    {"TMP_F0651EXTRA", kForeignFields},
    {"F0653ITF", kItfRetFields},
    {"HF0653ITF", kItfRetFields},
    {"TMP_F0653ITF", kItfRetFields},
    {"F0653RET", kItfRetFields},
    {"HF0653RET", kItfRetFields},
    {"TMP_F0653RET", kItfRetFields},
    {"F0657RETCAB", kWithholderFields},
    {"HF0657RETCAB", kWithholderFields},
    {"TMP_F0657RETCAB", kWithholderFields},
    {"F0655PAGCTA", kOnAccountFields},
    {"HF0655PAGCTA", kOnAccountFields},
    {"TMP_F0655PAGCTA", kOnAccountFields},
    {"F0655PAGOS", kPaymentFields},
    {"HF0655PAGOS", kPaymentFields},
    {"TMP_F0655PAGOS", kPaymentFields},
    {"F0655FIDEI", kEquityTrustFields},
    {"HF0655FIDEI", kEquityTrustFields},
    {"TMP_F0655FIDEI", kEquityTrustFields},
};

const TextFieldTable* listed(const std::string& upperName) {
  for (const TextFieldTable& table : kTextFieldTables)
    if (upperName == table.name) return &table;
  return nullptr;
}

}  // namespace

namespace {

// The listed fields of `tableName` that the host has, in the order the
// table lists them: a missing table or field is passed over.
void addTextFields(const std::string& tableName, std::vector<hostdb::Database::FieldName>& out) {
  hostdb::TableDef* table = nullptr;
  try {
    table = &hostDatabase().TableDefs().Item(tableName);
  } catch (const platform::Error&) {
  }

  const TextFieldTable* listedTable = listed(platform::upperCase(tableName));
  if (listedTable == nullptr || table == nullptr) return;

  for (const char* fieldName : listedTable->fields) {
    try {
      table->Fields(fieldName);
      out.push_back({tableName, fieldName});
    } catch (const platform::Error&) {
    }
  }
}

// One error mode throughout: a step that fails is passed over and the next
// one runs, so a missing table or field, or a change the engine refuses,
// changes nothing else and reports nothing. A database locked by another
// process or a full disk ends the run instead, as it would fail every change.
// The fields are changed together (a server host: in one round trip), each
// failure met in its own turn.
void allowZeroLength(std::vector<hostdb::Database::FieldName> fields) {
  while (!fields.empty()) {
    const std::vector<hostdb::Database::Outcome> outcomes =
        hostDatabase().AllowZeroLengthEach(fields, true);
    std::size_t done = outcomes.size();
    if (done == 0) return;
    if (outcomes.back().error) endOnLastingFault(*outcomes.back().error);
    fields.erase(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(done));
  }
}

}  // namespace

void adjustTextFields(std::string tableName) {
  std::vector<hostdb::Database::FieldName> fields;
  addTextFields(tableName, fields);
  allowZeroLength(std::move(fields));
}

void adjustAllTextFields() {
  std::vector<hostdb::Database::FieldName> fields;
  for (const TextFieldTable& table : kTextFieldTables) addTextFields(table.name, fields);
  allowZeroLength(std::move(fields));
}

}  // namespace installer
