// The fixed texts of the two summaries, as data. Every blank counts: the
// labels line up the values after them, and the table's labels line up the
// amounts under their headings.
#pragma once

namespace report {

struct SummaryLabels {
  const char* document;
  const char* name;
  const char* form;
  const char* formSuffix;
  const char* period;
  const char* rectifyingYes;
  const char* rectifyingNo;
  const char* payment;
  const char* cash;
  const char* cheque;
  const char* chequeNumber;
  const char* bank;
  const char* tableHead;
  const char* tableRow;
  const char* total;
  const char* number;
  const char* date;
};

inline constexpr SummaryLabels kTextLabels = {
    "DOCUMENTO       : RUC ",
    "RAZÓN SOCIAL    : ",
    "FORMULARIO      : ",
    "-ZEL Renta Anual",
    "PERIODO         : ",
    "RECTIFICATORIA  : SI",
    "RECTIFICATORIA  : NO",
    "FORMA DE PAGO   : ",
    "EFECTIVO",
    "CHEQUE",
    "NÚMERO CHEQUE   : ",
    "BANCO           : ",
    "TRIBUTO        TOTAL DEUDA   MONTO PAGO",
    "Renta        ",
    "TOTAL:",
    "NC ",
    "Fec.Generación: ",
};

inline constexpr SummaryLabels kSpoolLabels = {
    "DOCUMENTO        : RUC ",
    "RAZÓN SOCIAL     : ",
    "FORMULARIO       : ",
    "-ZEL Renta Anual",
    "PERIODO          : ",
    "RECTIFICATORIA   : SI",
    "RECTIFICATORIA   : NO",
    "FORMA DE PAGO    : ",
    "EFECTIVO",
    "CHEQUE",
    "NÚMERO DE CHEQUE : ",
    "BANCO            : ",
    "TRIBUTO            TOTAL DEUDA     MONTO PAGO",
    "Renta            ",
    "TOTAL:",
    "NC ",
    "Fec.Generación: ",
};

// Only on the spool page.
inline constexpr const char* kSpoolTitle = "Resumen de envío - ZEL 0661";
inline constexpr const char* kSpoolPageNumber = "Pag. 01/01";

// The spool file's markup lines.
inline constexpr const char* kMarkupFont = "<!font!>Courier New<!/font!>";
inline constexpr const char* kMarkupPages = "<!nHojas!>1<!/nHojas!>";
inline constexpr const char* kMarkupOrientation = "<!Orientacion!>V<!/Orientacion!>";
inline constexpr const char* kMarkupColor = "<!Color!>&H80000005&<!/Color!>";

}  // namespace report
