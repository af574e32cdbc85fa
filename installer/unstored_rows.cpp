#include "installer/unstored_rows.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "installer/host_access.h"
#include "installer/module_state.h"
#include "platform/message_box.h"

namespace installer {
namespace {

constexpr std::size_t kNamedInTheBox = 10;

}  // namespace

std::string rowName(std::string_view table,
                    std::initializer_list<std::pair<std::string_view, std::string_view>> key) {
  std::string out(table);
  const char* separator = ": ";
  for (const auto& [column, value] : key) {
    out += separator;
    out += std::string(column) + " '" + std::string(value) + "'";
    separator = ", ";
  }
  return out;
}

void insertSeedRow(const std::string& statement, const std::string& row) {
  executeSqlLater(statement, [row](std::int64_t stored) {
    std::vector<std::string>& unstored = moduleState().unstoredRows;
    if (stored > 0) std::erase(unstored, row);
    else if (std::find(unstored.begin(), unstored.end(), row) == unstored.end())
      unstored.push_back(row);
  });
}

void reportUnstoredRows() {
  settleStatements();
  const std::vector<std::string>& unstored = moduleState().unstoredRows;
  if (unstored.empty()) return;
  std::string text = unstored.size() == 1
                         ? std::string("No se guardó 1 fila:")
                         : "No se guardaron " + std::to_string(unstored.size()) + " filas:";
  const std::size_t named = std::min(unstored.size(), kNamedInTheBox);
  for (std::size_t i = 0; i < named; ++i) text += "\n" + unstored[i];
  if (unstored.size() > named) text += "\ny " + std::to_string(unstored.size() - named) + " más.";
  platform::MessageBox(text, "Mensaje", platform::Icon::Critical);
}

}  // namespace installer
