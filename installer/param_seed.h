// The form's PARAM rows, held as data in the order the installer writes them.
#pragma once

#include <span>
#include <string_view>

namespace installer {

// How a row reaches PARAM: upsertParam writes it whether or not the host holds
// it; updateParam only refreshes a row the host already holds.
enum class ParamWrite { Upsert, Update };

// One PARAM row. Every text is written into the SQL as it stands, its single
// quotes doubled: trailing blanks belong to the value, nothing is padded or
// trimmed.
struct ParamSeedRow {
  std::string_view numero;       // the group code, three digits
  std::string_view argumento;    // the key within the group
  std::string_view funcion;      // the value, in many groups a fixed-width record
  std::string_view correlParam;  // short fourth text, empty in most groups
  ParamWrite write;
};

// The 157 rows, group after group, row after row.
std::span<const ParamSeedRow> paramSeedRows();

}  // namespace installer
