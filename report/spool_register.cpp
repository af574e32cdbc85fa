// The SPOOL register: the next sequence of a report code and the next file
// name of the whole register, and the row that records them.
#include "report/spool_register.h"

#include <cstdint>
#include <string>

#include "hostdb/database.h"
#include "hostdb/sql_text.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/format.h"
#include "platform/numbers.h"
#include "report/module_state.h"

namespace report {
namespace {

constexpr std::int16_t kDocumentTypeRuc = 6;
constexpr std::int32_t kLastFileNumber = 99999999;  // file names have eight digits
// Sequences are whole numbers of 32 bits; a greater one another tool stored
// is passed over.
constexpr std::int32_t kLastSequence = INT32_MAX;

// The first row's value of a maximum as a whole number; 0 for no row or Null.
std::int32_t lastNumber(const std::string& sql, const char* column) {
  auto maximum = hostDatabase().OpenRecordset(sql, hostdb::dbOpenDynaset);
  std::int32_t last = 0;
  if (!maximum->Eof()) {
    const hostdb::Variant value = maximum->Fields(column).Value();
    if (!value.isNull()) {
      last = value.isNumber() ? platform::toLong(value.number()) : platform::toLong(value.toText());
    }
  }
  maximum->Close();
  return last;
}

hostdb::Date currentMoment() {
  const platform::DateTime now = platform::now();
  return {now.year, now.month, now.day, now.hour, now.minute, now.second};
}

}  // namespace

std::string registerSpoolFile(const std::string& code, const std::string& docId) {
  // Both numbers are kept as text: their maxima are taken as numbers (Digits),
  // so that 1000000 follows 999999, and a row whose text is not a number, or
  // a sequence beyond 32 bits, is passed over rather than stopping every
  // later run.
  const std::int32_t lastSequence = lastNumber(
      "SELECT max(Digits(Secuencia)) as SecTipo FROM SPOOL Where CodRep = '" +
          hostdb::escapeText(code) + "' And Digits(Secuencia) <= " + std::to_string(kLastSequence),
      "SecTipo");
  if (lastSequence >= kLastSequence) {
    throw platform::makeError(platform::err::kNoSequenceLeft, {code, std::to_string(lastSequence)});
  }
  const std::int32_t lastFile =
      lastNumber("SELECT max(Digits(left(Archivo,8))) as SecRep FROM SPOOL", "SecRep");
  if (lastFile >= kLastFileNumber) {
    throw platform::makeError(platform::err::kNoFileNumberLeft, {std::to_string(lastFile)});
  }

  auto spool = hostDatabase().OpenRecordset("SELECT * FROM SPOOL", hostdb::dbOpenDynaset);
  spool->AddNew();
  spool->Fields("CodRep").setValue(code);
  spool->Fields("Secuencia").setValue(platform::formatNumber(lastSequence + 1, "000000"));
  const std::string fileName = platform::formatNumber(lastFile + 1, "00000000") + ".PRN";
  spool->Fields("Archivo").setValue(fileName);
  spool->Fields("Fecha").setValue(currentMoment());
  spool->Fields("Usuario").setValue(moduleState().systemUser);
  spool->Fields("doc_id_d").setValue(docId);
  spool->Fields("tip_doc_d").setValue(static_cast<int>(kDocumentTypeRuc));
  spool->Update();
  spool->Close();
  return fileName;
}

}  // namespace report
