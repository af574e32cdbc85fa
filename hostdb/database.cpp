// What every engine's Database shares: running statements one by one.
#include "hostdb/database.h"

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

}  // namespace hostdb
