// Text fields of the form tables that must accept empty strings: names,
// descriptions and amounts held as text.
#include "installer/text_fields.h"

#include <string>
#include <vector>

#include "installer/host_access.h"
#include "installer/module_state.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace installer {
namespace {

// Tables sharing one list of fields; the fields are changed in list order.
struct FieldGroup {
  std::vector<const char*> tables;  // upper-case names
  std::vector<const char*> fields;
};

const std::vector<FieldGroup>& fieldGroups() {
  static const std::vector<FieldGroup> groups = {
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
  return groups;
}

const FieldGroup* groupOf(const std::string& upperName) {
  for (const FieldGroup& group : fieldGroups())
    for (const char* table : group.tables)
      if (upperName == table) return &group;
  return nullptr;
}

}  // namespace

// One error mode throughout: a step that fails is passed over and the next
// one runs, so a missing table or field, or a change the engine refuses,
// changes nothing else and reports nothing. A database locked by another
// process or a full disk ends the run instead, as it would fail every change.
void adjustTextFields(std::string tableName) {
  hostdb::TableDef* table = nullptr;
  try {
    table = &hostDatabase().TableDefs().Item(tableName);
  } catch (const platform::Error&) {
  }

  const FieldGroup* group = groupOf(platform::upperCase(tableName));
  if (group == nullptr) return;

  for (const char* fieldName : group->fields) {
    hostdb::Field* field = nullptr;
    try {
      if (table) field = &table->Fields(fieldName);
    } catch (const platform::Error&) {
    }
    try {
      if (field) field->setAllowZeroLength(true);
    } catch (const platform::Error& e) {
      endOnLastingFault(e);
    }
  }
}

}  // namespace installer
