// What every engine's Database shares: running statements one by one.
#include "hostdb/database.h"

#include "hostdb/tabledef.h"

namespace hostdb {

std::vector<Database::Outcome> Database::ExecuteEach(const std::vector<std::string>& statements,
                                                     int options) {
  std::vector<Outcome> outcomes;
  for (const std::string& sql : statements) {
    Outcome outcome;
    try {
      Execute(sql, options);
      outcome.recordsAffected = RecordsAffected();
    } catch (const platform::Error& e) {
      outcome.error = e;
    }
    const bool failed = outcome.error.has_value();
    outcomes.push_back(std::move(outcome));
    if (failed) break;
  }
  return outcomes;
}

std::vector<Database::Outcome> Database::AllowZeroLengthEach(const std::vector<FieldName>& fields,
                                                             bool allow) {
  std::vector<Outcome> outcomes;
  for (const FieldName& f : fields) {
    Outcome outcome;
    try {
      TableDefs().Item(std::string_view(f.table)).Fields(f.field).setAllowZeroLength(allow);
    } catch (const platform::Error& e) {
      outcome.error = e;
    }
    const bool failed = outcome.error.has_value();
    outcomes.push_back(std::move(outcome));
    if (failed) break;
  }
  return outcomes;
}

}  // namespace hostdb
