// The form's PARAM rows and the three procedures that write them. A row is
// found by (Numero, Argumento); values go into the SQL between single quotes,
// any quote in them doubled.
#include "installer/param_rows.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "hostdb/database.h"
#include "hostdb/sql_text.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "installer/param_seed.h"
#include "installer/unstored_rows.h"
#include "platform/errors.h"

namespace installer {
namespace {

using hostdb::escapeText;

std::string whereKey(const std::string& numero, const std::string& argumento) {
  return " Where Numero='" + escapeText(numero) + "' AND Argumento='" + escapeText(argumento) + "'";
}

std::string updateStatement(const std::string& numero, const std::string& argumento,
                            const std::string& funcion, const std::string& correlParam) {
  return "Update Param Set Funcion='" + escapeText(funcion) + "', Correl_param='" +
         escapeText(correlParam) + "'" + whereKey(numero, argumento);
}

std::string insertStatement(const std::string& numero, const std::string& argumento,
                            const std::string& funcion, const std::string& correlParam) {
  return "insert into Param values ('" + escapeText(numero) + "','" + escapeText(argumento) +
         "','" + escapeText(funcion) + "','" + escapeText(correlParam) + "')";
}

}  // namespace

// No error trap: a failing look-up (no PARAM table, say) escapes to the
// start-up, which ends the run with the run-time error box.
bool findParam(const std::string& numero, const std::string& argumento) {
  std::unique_ptr<hostdb::Recordset> rows = hostDatabase().OpenRecordset(
      "Select * from Param" + whereKey(numero, argumento), hostdb::dbOpenSnapshot);
  const bool found = !rows->Eof();
  rows->Close();
  return found;
}

namespace {

// Whether PARAM holds a key: looked up row by row, or on a host on a
// server (where every look-up is a round trip) from the keys PARAM held
// when the form's rows began to be written, read in one query: no other
// run writes PARAM meanwhile (formsetup holds the host alone). Keys compare
// as the engine compares them: letter case and trailing blanks ignored (the
// form's keys are ASCII, and no other character of the code page folds to
// an ASCII letter). A key the run has written is looked up anew, after
// what was written before it.
class ParamKeys {
 public:
  bool holds(const std::string& numero, const std::string& argumento) {
    const Key key = keyOf(numero, argumento);
    if (!hostdb::hostSession().isRemote() || written_.contains(key)) {
      settleStatements();
      return findParam(numero, argumento);
    }
    if (!stored_) read();
    return stored_->contains(key);
  }
  void written(const std::string& numero, const std::string& argumento) {
    written_.insert(keyOf(numero, argumento));
  }

 private:
  using Key = std::pair<std::string, std::string>;

  static std::string folded(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    for (char& c : text)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
  }
  static Key keyOf(const std::string& numero, const std::string& argumento) {
    return {folded(numero), folded(argumento)};
  }
  void read() {
    std::unique_ptr<hostdb::Recordset> rows =
        hostDatabase().OpenRecordset("Select Numero, Argumento from Param", hostdb::dbOpenSnapshot);
    std::set<Key> keys;
    for (; !rows->Eof(); rows->MoveNext()) {
      const hostdb::Variant numero = rows->Value("Numero");
      const hostdb::Variant argumento = rows->Value("Argumento");
      if (numero.isNull() || argumento.isNull()) continue;  // no key compares equal to Null
      keys.insert(keyOf(numero.toText(), argumento.toText()));
    }
    rows->Close();
    stored_ = std::move(keys);
  }

  std::optional<std::set<Key>> stored_;
  std::set<Key> written_;
};

void upsertParam(ParamKeys& keys, const ParamSeedRow& row) {
  const std::string numero(row.numero), argumento(row.argumento), funcion(row.funcion),
      correlParam(row.correlParam);
  if (keys.holds(numero, argumento)) {
    executeSqlLater(updateStatement(numero, argumento, funcion, correlParam));
  } else {
    insertSeedRow(insertStatement(numero, argumento, funcion, correlParam),
                  rowName("PARAM", {{"Numero", numero}, {"Argumento", argumento}}));
  }
  keys.written(numero, argumento);
}

void updateParam(ParamKeys& keys, const ParamSeedRow& row) {
  const std::string numero(row.numero), argumento(row.argumento);
  if (!keys.holds(numero, argumento)) return;
  executeSqlLater(
      updateStatement(numero, argumento, std::string(row.funcion), std::string(row.correlParam)));
  keys.written(numero, argumento);
}

}  // namespace

void upsertParam(const std::string& numero, const std::string& argumento,
                 const std::string& funcion, const std::string& correlParam) {
  if (findParam(numero, argumento)) {
    executeSql(updateStatement(numero, argumento, funcion, correlParam));
  } else {
    insertSeedRow(insertStatement(numero, argumento, funcion, correlParam),
                  rowName("PARAM", {{"Numero", numero}, {"Argumento", argumento}}));
  }
}

void updateParam(const std::string& numero, const std::string& argumento,
                 const std::string& funcion, const std::string& correlParam) {
  if (findParam(numero, argumento)) {
    executeSql(updateStatement(numero, argumento, funcion, correlParam));
  }
}

// The rows' statements go to the host together (executeSqlLater); a
// failure's box still follows its own statement, before anything after it
// is shown.
void writeParamRows() {
  ParamKeys keys;
  for (const ParamSeedRow& row : paramSeedRows()) {
    if (row.write == ParamWrite::Update) updateParam(keys, row);
    else upsertParam(keys, row);
  }
}
}  // namespace installer
