// Seed rows the host's tables refused. Without the fail-on-error option an
// INSERT whose row breaks a rule of the table (a text too long for its
// column, say) stores nothing and raises nothing; the installer remembers
// each such row and names them all in one box at the end of the run.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace installer {

// How the box names a row: "table: column 'value', column 'value'".
std::string rowName(std::string_view table,
                    std::initializer_list<std::pair<std::string_view, std::string_view>> key);

// Runs the INSERT of one seed row through executeSqlLater. When it stores no
// row, `row` (the table and the row's key, as the box shows them) is
// remembered; when it stores one, an earlier refusal of the same row is
// forgotten.
void insertSeedRow(const std::string& statement, const std::string& row);

// The box that names the rows not stored (the first ten, then how many more),
// when there are any; a box makes the run end with exit status 1.
void reportUnstoredRows();

}  // namespace installer
