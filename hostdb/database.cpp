// What every engine's Database shares: running statements and setting field
// properties one by one.
#include "hostdb/database.h"

#include <functional>

#include "hostdb/tabledef.h"

namespace hostdb {
namespace {

// `step` for each of `count` items in turn, up to the first that raises: the
// outcome of each.
std::vector<Database::Outcome> eachUpToAFailure(
    std::size_t count, const std::function<std::int64_t(std::size_t)>& step) {
  std::vector<Database::Outcome> outcomes;
  for (std::size_t i = 0; i < count; ++i) {
    Database::Outcome outcome;
    try {
      outcome.recordsAffected = step(i);
    } catch (const platform::Error& e) {
      outcome.error = e;
    }
    const bool failed = outcome.error.has_value();
    outcomes.push_back(std::move(outcome));
    if (failed) break;
  }
  return outcomes;
}

}  // namespace

std::vector<Database::Outcome> Database::ExecuteEach(const std::vector<std::string>& statements,
                                                     int options) {
  return eachUpToAFailure(statements.size(), [&](std::size_t i) {
    Execute(statements[i], options);
    return RecordsAffected();
  });
}

std::vector<Database::Outcome> Database::AllowZeroLengthEach(const std::vector<FieldName>& fields,
                                                             bool allow) {
  return eachUpToAFailure(fields.size(), [&](std::size_t i) -> std::int64_t {
    TableDefs()
        .Item(std::string_view(fields[i].table))
        .Fields(fields[i].field)
        .setAllowZeroLength(allow);
    return 0;
  });
}

}  // namespace hostdb
