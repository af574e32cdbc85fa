// The form tables as data, and the statements made from them.
//
// Most data sets come in three variants: the working table (F...), the history
// table (HF..., with Correl after the declaration columns) and the temporary
// table (TMP_..., without the declaration columns and cnumero). Each set is
// written here as one column list with the type of each variant beside it, so
// that the few places where the variants differ stand out; each table's key
// is written out in full, since the keys do not follow one pattern.
#include "installer/form_schema.h"

#include <map>
#include <stdexcept>

namespace installer {
namespace {

constexpr const char* kNone = nullptr;  // the variant has no such column

// A column of a set and its type in the working, history and temporary table.
struct SetColumn {
  const char* name;
  const char* working;
  const char* history;
  const char* temporary;
  const char* temporaryName = kNone;  // when the temporary table spells the name otherwise
};

struct Key {
  const char* name = kNone;
  std::vector<std::string> columns;
};

struct FormSet {
  const char* working;
  const char* history;             // kNone: the set has no history table
  const char* temporary;           // kNone: the set has no temporary table
  std::vector<SetColumn> columns;  // after the declaration columns (and Correl)
  Key workingKey, historyKey, temporaryKey;
  bool temporaryHasDeclarationColumns = false;
};

// The columns every working and history table begins with.
const std::vector<FormColumn> kDeclarationColumns = {
    {"tip_doc_d", "Byte"},
    {"doc_id_d", "text(15)"},
    {"periodo", "Text(6)"},
    {"formulario", "Text (4)"},
};

// The history table's own column, after the declaration columns.
const FormColumn kCorrelColumn = {"Correl", "Text (3)"};

const std::vector<FormSet>& formSets() {
  static const std::vector<FormSet> sets = {
      {"F0651DIVIDEND",
       "HF0651DIVIDEND",
       "TMP_F0651DIVID",
       {
           {"num_RUC", "Text (11)", "Text (11)", "Text (11)"},
           {"des_entpagadora", "Text (40)", "Text (40)", "Text (40)"},
           {"fec_retenida", "DATE", "DATE", "DATE"},
           {"mto_distribuido", "Text (15)", "Text (15)", "Text (15)"},
           {"mto_retenido", "Text (15)", "Text (15)", "Text (15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0651DIVIDEND",
        {"tip_doc_d", "doc_id_d", "periodo", "Formulario", "num_ruc", "fec_retenida"}},
       {"PK_HF0651DIVIDEND",
        {"tip_doc_d", "doc_id_d", "periodo", "Formulario", "Correl", "num_ruc", "fec_retenida"}},
       {"PK_TMP_F0651DIVID", {"num_ruc", "fec_retenida"}}},

      {"F0651EXTRANJ",
       "HF0651EXTRANJ",
       "TMP_F0651EXTRA",
       {
           {"des_emp_ext", "Text(40)", "Text(40)", "Text(40)"},
           {"ind_pais", "Text(04)", "Text(04)", "Text(04)"},
           {"ind_cargo", "Text(02)", "Text(02)", "Text(02)"},
           {"ind_operacion", "Text (02)", "Text (02)", "Text (02)"},
           {"mto_saldo", "Text (15)", "Text (15)", "Text (15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
           {"des_pais", kNone, kNone, "Text (60)"},
           {"des_cargo", kNone, kNone, "Text (30)"},
           {"des_operacion", kNone, kNone, "Text (50)"},
       },
       {"PK_F0651EXTRANJ",
        {"tip_doc_d", "doc_id_d", "periodo", "Formulario", "des_emp_ext", "ind_pais", "ind_cargo",
         "ind_operacion"}},
       {"PK_HF0651EXTRANJ",
        {"tip_doc_d", "doc_id_d", "periodo", "Formulario", "correl", "des_emp_ext", "ind_pais",
         "ind_cargo", "ind_operacion"}},
       {"PK_TMP_F0651EXTRA", {"des_emp_ext", "ind_pais", "ind_cargo", "ind_operacion"}}},

      {"F0651FIDEICOM",
       "HF0651FIDEICOM",
       "TMP_F0651FIDEI",
       {
           {"tip_doc_fde", "Byte", "Byte", "Byte"},
           {"num_doc_fde", "Text(15)", "Text(15)", "Text(15)"},
           {"des_nombre_fde", "Text(20)", "Text(20)", "Text(20)"},
           {"des_apepat_fde", "Text(20)", "Text(20)", "Text(20)"},
           {"des_apemat_fde", "Text(20)", "Text(20)", "Text(20)"},
           {"des_razon_fde", "Text(40)", "Text(40)", "Text(70)"},
           {"tip_empre_fdu", "Text (02)", "Text (02)", "Text (02)"},
           {"des_empre_fdu", "Text (40)", "Text (40)", "Text (40)"},
           {"tip_doc_ben", "Byte", "Byte", "Byte"},
           {"num_doc_ben", "Text(15)", "Text(15)", "Text(15)"},
           {"des_nombre_ben", "Text(20)", "Text(20)", "Text(20)"},
           {"des_apepat_ben", "Text(20)", "Text(20)", "Text(20)"},
           {"des_apemat_ben", "Text(20)", "Text(20)", "Text(20)"},
           {"des_razon_ben", "Text(40)", "Text(40)", "Text(70)"},
           {"tip_patri_fdei", "Text (02)", "Text (02)", "Text(02)"},
           {"mto_saldo", "Text (15)", "Text (15)", "Text(15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
           {"des_empre_fdu2", kNone, kNone, "Text(50)"},
           {"des_doc_ben", kNone, kNone, "Text(40)"},
           {"des_patri_fdei", kNone, kNone, "Text(70)"},
           {"des_doc_fde", kNone, kNone, "Text(40)"},
       },
       {"PK_F0651FIDEICOM",
        {"doc_id_d", "periodo", "formulario", "tip_doc_fde", "num_doc_fde", "tip_empre_fdu",
         "des_empre_fdu", "tip_doc_ben", "num_doc_ben", "tip_patri_fdei"}},
       {"PK_HF0651FIDEICOM",
        {"doc_id_d", "periodo", "correl", "tip_doc_fde", "num_doc_fde", "tip_empre_fdu",
         "des_empre_fdu", "tip_doc_ben", "num_doc_ben", "tip_patri_fdei"}},
       {"PK_TMP_F0651FIDEI",
        {"tip_doc_fde", "num_doc_fde", "tip_empre_fdu", "des_empre_fdu", "tip_doc_ben",
         "num_doc_ben", "tip_patri_fdei"}}},

      {"F0653ITF",
       "HF0653ITF",
       "TMP_F0653ITF",
       {
           {"num_RUC", "TEXT(11)", "TEXT(11)", "TEXT(11)"},
           {"des_razon", "Text(40)", "Text(40)", "Text(40)"},
           {"mto_retenido", "Text(15)", "Text(15)", "Text(15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0653ITF", {"tip_doc_d", "doc_id_d", "periodo", "formulario", "num_RUC"}},
       {"PK_HF0653ITF", {"tip_doc_d", "doc_id_d", "periodo", "formulario", "correl", "num_RUC"}},
       {"PK_TMP_F0653ITF", {"num_RUC"}}},

      {"F0653RET",
       "HF0653RET",
       "TMP_F0653RET",
       {
           {"Casilla", "BYTE", "BYTE", "BYTE"},
           {"per_tributario", "TEXT(6)", "TEXT(6)", "TEXT(6)"},
           {"num_RUC", "TEXT(11)", "TEXT(11)", "TEXT(11)"},
           {"des_razon", "Text(40)", "Text(40)", "Text(40)"},
           {"mto_retenido", "Text(15)", "Text(15)", "Text(15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0653RET",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "Casilla", "per_tributario", "num_RUC"}},
       {"PK_HF0653RET",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "correl", "Casilla", "per_tributario",
         "num_RUC"}},
       {"PK_TMP_F0653RET", {"Casilla", "per_tributario", "num_RUC"}}},

      {"F0655FIDEI",
       "HF0655FIDEI",
       "TMP_F0655FIDEI",
       {
           {"tip_doc_fiduciario", "byte", "byte", "byte"},
           {"num_doc_fiduciario", "Text (15)", "Text (15)", "Text (15)"},
           {"tip_doc_fideicomitente", "byte", "byte", "byte"},
           {"num_doc_fideicomitente", "Text (15)", "Text (15)", "Text (15)"},
           {"tip_patrimonio", "byte", "byte", "byte"},
           {"des_tip_patrimonio", "Text (40)", "Text (40)", "Text (40)"},
           {"tip_fideicomiso", "byte", "byte", "byte"},
           {"des_tip_fideicomiso", "Text (40)", "Text (40)", "Text (40)"},
           {"mto_saldo", "Text (15)", "Text (15)", "Text (15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0655FIDEI",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "tip_doc_fiduciario",
         "num_doc_fiduciario", "tip_doc_fideicomitente", "num_doc_fideicomitente", "tip_patrimonio",
         "tip_fideicomiso"}},
       // The history table's key carries the working table's constraint name.
       {"PK_F0655FIDEI",
        {"tip_doc_d", "doc_id_d", "periodo", "Correl", "tip_doc_fiduciario", "num_doc_fiduciario",
         "tip_doc_fideicomitente", "num_doc_fideicomitente", "tip_patrimonio", "tip_fideicomiso"}},
       {"PK_TMP_F0655FIDEI",
        {"tip_doc_fiduciario", "num_doc_fiduciario", "tip_doc_fideicomitente",
         "num_doc_fideicomitente", "tip_patrimonio", "tip_fideicomiso"}}},

      {"F0655DETRTA",
       "HF0655DETRTA",
       "TMP_F0655DETRTA",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"tip_doc_ret", "INTEGER", "INTEGER", "INTEGER"},
           {"num_RUC", "TEXT(15)", "TEXT(15)", "TEXT(15)"},
           {"per_tri", "TEXT(6)", "TEXT(6)", "TEXT(6)"},
           {"mto_retenido", "Text(15)", "Text(15)", "Text(15)"},
           {"ind_importa", "Text(1)", "text(1)", "TEXT(1)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0655DETRTA",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "casilla", "tip_doc_ret", "num_RUC",
         "per_tri"}},
       {"PK_HF0655DETRTA",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "Correl", "casilla", "tip_doc_ret",
         "num_RUC", "per_tri"}},
       {"PK_TMP_F0655DETRTA", {"casilla", "tip_doc_ret", "num_RUC", "per_tri"}}},

      {"F0655CONDOMI",
       "HF0655CONDOMI",
       "TMP_F0655CONDOMI",
       {
           {"tip_doc_con", "INTEGER", "INTEGER", "INTEGER"},
           {"num_RUC", "TEXT(15)", "TEXT(15)", "TEXT(15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0655CONDOMI",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "tip_doc_con", "num_RUC"}},
       {"PK_HF0655CONDOMI",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "Correl", "tip_doc_con", "num_RUC"}},
       {"PK_TMP_F0655CONDOMI", {"tip_doc_con", "num_RUC"}}},

      {"F0655FEXT",
       "HF0655FEXT",
       "TMP_F0655FEXT",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"cod_pais", "TEXT(4)", "TEXT(4)", "TEXT(4)"},
           {"mto_retenido", "Text(15)", "Text(15)", "Text(15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0655FEXT", {"tip_doc_d", "doc_id_d", "periodo", "formulario", "casilla", "cod_pais"}},
       {"PK_HF0655FEXT",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "Correl", "casilla", "cod_pais"}},
       {"PK_TMP_F0655FEXT", {"casilla", "cod_pais"}}},

      {"F0655NORMAS",
       "HF0655NORMAS",
       "TMP_F0655NORMAS",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"tip_nor", "byte", "byte", "byte"},
           {"num_nor", "TEXT(15)", "TEXT(15)", "TEXT(15)"},
           {"anno_nor", "TEXT(4)", "TEXT(4)", "TEXT(4)"},
           {"art_nor", "TEXT(5)", "TEXT(5)", "TEXT(5)"},
           {"mto_retenido", "Text(15)", "Text(15)", "Text(15)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0655NORMAS",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "casilla", "tip_nor", "num_nor",
         "anno_nor", "art_nor"}},
       {"PK_HF0655NORMAS",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "Correl", "casilla", "tip_nor",
         "num_nor", "anno_nor", "art_nor"}},
       {"PK_TMP_F0655NORMAS", {"casilla", "tip_nor", "num_nor", "anno_nor", "art_nor"}}},

      {"F0655PAGCTA",
       "HF0655PAGCTA",
       "TMP_F0655PAGCTA",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"per_tri", "TEXT(6)", "TEXT(6)", "TEXT(6)"},
           {"num_for", "TEXT(4)", "TEXT(4)", "TEXT(4)"},
           {"num_ord", "TEXT(10)", "TEXT(10)", "TEXT(10)"},
           {"fec_pago", "date", "date", "date"},
           {"mto_sal", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_com", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_otr", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_sin_int", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_trib", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_int", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_tot_pag", "Text(15)", "Text(15)", "Text(15)"},
           {"ind_importa", "Text(1)", "text(1)", "text(1)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0655PAGCTA",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "casilla", "per_tri", "num_for",
         "num_ord"}},
       {"PK_HF0655PAGCTA",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "Correl", "casilla", "per_tri",
         "num_for", "num_ord"}},
       {"PK_TMP_F0655PAGCTA", {"casilla", "per_tri", "num_for", "num_ord"}}},

      {"F0655PAGOS",
       "HF0655PAGOS",
       "TMP_F0655PAGOS",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"per_tri", "TEXT(6)", "TEXT(6)", "TEXT(6)"},
           {"num_for", "TEXT(4)", "TEXT(4)", "TEXT(4)"},
           {"num_ord", "TEXT(10)", "TEXT(10)", "TEXT(10)"},
           {"fec_pago", "date", "date", "date"},
           {"mto_trib", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_int", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_tot_pag", "Text(15)", "Text(15)", "Text(15)"},
           {"mto_gravado", "Text(15)", "Text(15)", "Text(15)"},
           {"ind_importa", "Text(1)", "text(1)", "text(1)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0655PAGOS",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "casilla", "per_tri", "num_for",
         "num_ord"}},
       {"PK_HF0655PAGOS",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "Correl", "casilla", "per_tri",
         "num_for", "num_ord"}},
       {"PK_TMP_F0655PAGOS", {"casilla", "per_tri", "num_for", "num_ord"}}},

      {"F0655RETDET",
       "HF0655RETDET",
       "TMP_F0655RETDET",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"tip_doc_ret", "integer", "integer", "integer"},
           {"num_doc_ret", "TEXT(15)", "TEXT(15)", "TEXT(15)"},
           {"per_tri", "Text(06)", "Text(06)", "Text(06)"},
           {"tip_cp", "byte", "byte", "byte"},
           {"num_serie_cp", "TEXT(4)", "TEXT(4)", "TEXT(4)"},
           {"num_cp", "TEXT(8)", "TEXT(8)", "TEXT(8)"},
           {"fec_emision_cp", "date", "date", "date"},
           {"mto_imp_cp", "Text(15)", "Text(15)", "Text(15)"},
           {"ind_importa", "Text(1)", "text(1)", "text(1)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       // The working and history keys are named after the RETCAB set.
       {"PK_F0655RETCAB",
        {"tip_doc_d", "doc_id_d", "casilla", "tip_doc_ret", "num_doc_ret", "per_tri", "tip_cp",
         "num_serie_cp", "num_cp", "fec_emision_cp"}},
       {"PK_HF0655RETCAB",
        {"doc_id_d", "Correl", "casilla", "tip_doc_ret", "num_doc_ret", "per_tri", "tip_cp",
         "num_serie_cp", "num_cp", "fec_emision_cp"}},
       {"PK_TMP_F0655RETDET",
        {"casilla", "tip_doc_ret", "num_doc_ret", "per_tri", "tip_cp", "num_serie_cp", "num_cp",
         "fec_emision_cp"}}},

      // Only the declaration columns, no history table; the temporary table
      // keeps the declaration columns and the working table's key name.
      {"F0655IMPORTA",
       kNone,
       "TMP_F0655IMPORTA",
       {},
       {"PK_F0655IMPORTA", {"tip_doc_d", "doc_id_d", "periodo", "formulario"}},
       {},
       {"PK_F0655IMPORTA", {"tip_doc_d", "doc_id_d", "periodo", "formulario"}},
       true},

      {"F0657RETCAB",
       "HF0657RETCAB",
       "TMP_F0657RETCAB",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"tip_doc_ret", "integer", "integer", "integer"},
           {"num_doc_ret", "TEXT(15)", "TEXT(15)", "TEXT(15)"},
           {"des_razon", "Text(40)", "Text(40)", "Text(40)"},
           {"des_ape_pat", "Text(20)", "Text(20)", "Text(20)"},
           {"des_ape_mat", "Text(20)", "Text(20)", "Text(20)"},
           {"des_nombres", "Text(20)", "Text(20)", "Text(20)"},
           {"mto_total", "Text(15)", "Text(15)", "Text(15)"},
           {"fec_donacion", "DATE", "DATE", "DATE"},
           {"ind_importa", "Text(1)", "text(1)", "TEXT(1)"},
           {"cnumero", "Text(6)", "Text(6)", kNone},
       },
       {"PK_F0657RETCAB",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "casilla", "tip_doc_ret", "num_doc_ret",
         "fec_donacion"}},
       {"PK_HF0657RETCAB",
        {"tip_doc_d", "doc_id_d", "periodo", "formulario", "Correl", "casilla", "tip_doc_ret",
         "num_doc_ret", "fec_donacion"}},
       {"PK_TMP_F0657RETCAB", {"casilla", "tip_doc_ret", "num_doc_ret", "fec_donacion"}}},

      {"F0657CORREL",
       "HF0657CORREL",
       "TMP_F0657CORREL",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"num_correl", "LONG", "LONG", "LONG", "NUM_CORREL"},
           {"cnumero", "Text (6)", "Text (6)", kNone},
       },
       {"PK_F0657CORREL", {"Tip_doc_d", "Doc_id_d", "Periodo", "Formulario", "Casilla"}},
       {"PK_HF0657CORREL", {"Tip_doc_d", "Doc_id_d", "Periodo", "Formulario", "correl", "Casilla"}},
       {"PK_TMP_F0657CORREL", {"Casilla"}}},

      {"F0657DIFCAS",
       "HF0657DIFCAS",
       "TMP_F0657DIFCAS",
       {
           {"casilla", "TEXT(3)", "TEXT(3)", "TEXT(3)"},
           {"Mto_importa", "TEXT(15)", "TEXT(15)", "TEXT(15)"},
           {"Mto_declar", "TEXT(15)", "TEXT(15)", "TEXT(15)"},
           {"Ind_diferen", "TEXT(1)", "TEXT(1)", "TEXT(1)"},
           {"cnumero", "Text (6)", "Text (6)", kNone},
       },
       {"PK_F0657DIFCAS", {"Tip_doc_d", "Doc_id_d", "Periodo", "Formulario", "Casilla"}},
       {"PK_HF0657DIFCAS", {"Tip_doc_d", "Doc_id_d", "Periodo", "Formulario", "correl", "Casilla"}},
       {"PK_TMP_F0657DIFCAS", {"Casilla"}}},

      // The control table: one variant only.
      {"EFCONTROLNS",
       kNone,
       kNone,
       {
           {"semana", "integer", kNone, kNone},
           {"nomarc", "text(50)", kNone, kNone},
           {"rutarc", "text(255)", kNone, kNone},
           {"tamarc", "long", kNone, kNone},
           {"tab_d", "text(50)", kNone, kNone},
           {"marca", "text(255)", kNone, kNone},
           {"cnum", "text(20)", kNone, kNone},
           {"indice", "byte", kNone, kNone},
           {"num_tuplas", "text(15)", kNone, kNone},
           {"cnumero", "text(6)", kNone, kNone},
       },
       {"PK_EFCONTROLNS", {"tip_doc_d", "doc_id_d", "periodo", "Formulario", "semana", "nomarc"}},
       {},
       {}},
  };
  return sets;
}

// The order in which createFormTables makes the tables.
constexpr const char* kCreationOrder[] = {
    "F0651DIVIDEND",   "HF0651DIVIDEND",  "TMP_F0651DIVID",   "F0651EXTRANJ",     "HF0651EXTRANJ",
    "TMP_F0651EXTRA",  "F0651FIDEICOM",   "HF0651FIDEICOM",   "TMP_F0651FIDEI",   "F0653ITF",
    "HF0653ITF",       "TMP_F0653ITF",    "F0653RET",         "HF0653RET",        "TMP_F0653RET",
    "F0655FIDEI",      "TMP_F0655FIDEI",  "HF0655FIDEI",      "F0655DETRTA",      "F0655CONDOMI",
    "F0655FEXT",       "F0655NORMAS",     "F0655PAGCTA",      "F0655PAGOS",       "F0657RETCAB",
    "F0655RETDET",     "TMP_F0655DETRTA", "TMP_F0655CONDOMI", "TMP_F0655FEXT",    "TMP_F0655NORMAS",
    "TMP_F0655PAGCTA", "TMP_F0655PAGOS",  "TMP_F0657RETCAB",  "TMP_F0655RETDET",  "HF0655DETRTA",
    "HF0655CONDOMI",   "HF0655FEXT",      "HF0655NORMAS",     "HF0655PAGCTA",     "HF0655PAGOS",
    "HF0657RETCAB",    "HF0655RETDET",    "F0655IMPORTA",     "TMP_F0655IMPORTA", "F0657CORREL",
    "HF0657CORREL",    "TMP_F0657CORREL", "F0657DIFCAS",      "HF0657DIFCAS",     "TMP_F0657DIFCAS",
    "EFCONTROLNS",
};

enum class Variant { Working, History, Temporary };

FormTable makeTable(const FormSet& set, Variant variant) {
  FormTable table;
  const Key* key = nullptr;
  switch (variant) {
    case Variant::Working:
      table.name = set.working;
      table.columns = kDeclarationColumns;
      key = &set.workingKey;
      break;
    case Variant::History:
      table.name = set.history;
      table.columns = kDeclarationColumns;
      table.columns.push_back(kCorrelColumn);
      key = &set.historyKey;
      break;
    case Variant::Temporary:
      table.name = set.temporary;
      if (set.temporaryHasDeclarationColumns) table.columns = kDeclarationColumns;
      key = &set.temporaryKey;
      break;
  }
  for (const SetColumn& c : set.columns) {
    const char* type = variant == Variant::Working   ? c.working
                       : variant == Variant::History ? c.history
                                                     : c.temporary;
    if (type == kNone) continue;
    const char* name = variant == Variant::Temporary && c.temporaryName ? c.temporaryName : c.name;
    table.columns.push_back({name, type});
  }
  table.keyName = key->name;
  table.keyColumns = key->columns;
  return table;
}

std::vector<FormTable> buildFormTables() {
  std::map<std::string, FormTable> byName;
  for (const FormSet& set : formSets()) {
    byName.emplace(set.working, makeTable(set, Variant::Working));
    if (set.history) byName.emplace(set.history, makeTable(set, Variant::History));
    if (set.temporary) byName.emplace(set.temporary, makeTable(set, Variant::Temporary));
  }
  std::vector<FormTable> tables;
  for (const char* name : kCreationOrder) {
    auto it = byName.find(name);
    if (it == byName.end()) throw std::logic_error(std::string("no form table ") + name);
    tables.push_back(it->second);
  }
  return tables;
}

}  // namespace

const std::vector<FormTable>& formTables() {
  static const std::vector<FormTable> tables = buildFormTables();
  return tables;
}

const std::vector<std::string>& droppedTemporaryTables() {
  static const std::vector<std::string> names = {
      "TMP_F0651DIVID", "TMP_F0651FIDEI",  "TMP_F0651EXTRA",  "TMP_F0653ITF",
      "TMP_F0653RET",   "TMP_F0657CORREL", "TMP_F0657DIFCAS",
  };
  return names;
}

std::string createTableStatement(const FormTable& table) {
  std::string sql = "CREATE TABLE " + table.name + "(";
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += "[" + table.columns[i].name + "] " + table.columns[i].type;
  }
  return sql + ");";
}

std::string primaryKeyStatement(const FormTable& table) {
  std::string sql =
      "ALTER TABLE " + table.name + " ADD CONSTRAINT " + table.keyName + " PRIMARY KEY (";
  for (std::size_t i = 0; i < table.keyColumns.size(); ++i) {
    if (i > 0) sql += ",";
    sql += "[" + table.keyColumns[i] + "]";
  }
  return sql + ")";
}

std::string dropTableStatement(const std::string& tableName) { return "Drop Table " + tableName; }

}  // namespace installer
