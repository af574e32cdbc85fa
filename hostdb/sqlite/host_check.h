// Whether a host database that other tools touched is still whole: SQLite's
// own integrity check, every stored row against the engine's row rules, the
// keys under the engine's comparison, and the catalog against SQLite's
// schema. Reads only.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct sqlite3;

namespace hostdb::sqlite {

struct Finding {
  std::string table;  // "" for the file as a whole
  std::string row;    // the row's key ("doc_id_d='1', periodo='2024'") or "rowid N"; "" for none
  std::string what;
};

// Reports every finding on `db` (a handle with the engine's collation and
// functions registered, as openHandle gives) to `report`, in the order the
// parts above are named; returns how many there were.
std::size_t checkHost(sqlite3* db, const std::function<void(const Finding&)>& report);

}  // namespace hostdb::sqlite
